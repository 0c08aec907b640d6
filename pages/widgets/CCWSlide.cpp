#include "pages/widgets/CCWSlide.h"

#include "pages/widgets/CWPaint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

struct CCWSlide::Layout {
    QRectF track;          // the slide's groove, the bar's well, the thermometer's tube
    QRectF bulb;           // the thermometer's bulb
    double from = 0.0;     // position of the minimum along the track (x, or y upwards)
    double to = 0.0;       // position of the maximum
    double across = 0.0;   // middle of the track across it
    double thumbLong = 0.0;
    double thumbShort = 0.0;
    bool marks = true;
    bool withLabels = true;
    double markBase = 0.0;   // across: where the marks start
    double markSign = 1.0;   // +1: marks run down or right of it, -1: up or left
    double mark = 0.0;
    double labelEdge = 0.0;  // across: the labels' near edge
    std::vector<QString> texts;
    std::vector<QRectF> labels;
    int labelStep = 0;

    double At(double fraction) const { return from + (to - from) * fraction; }
};

CCWSlide::CCWSlide(QWidget* parent) : CWScaledControl(parent, vexar::ui::RGB(0, 102, 204)) {}

void CCWSlide::SetLook(Look look)
{
    m_look = look;
    InputStateChanged();
    updateGeometry();
}

void CCWSlide::SetBarValue(BarItem item, double value)
{
    if (!std::isfinite(value))
        return;
    (item == BarItem::Negative ? m_barNegative : m_barPositive) = value;
    update();
}

double CCWSlide::GetBarValue(BarItem item) const { return item == BarItem::Negative ? m_barNegative : m_barPositive; }

void CCWSlide::SetBarShown(BarShown shown)
{
    m_barShown = shown;
    update();
}

bool CCWSlide::Horizontal() const
{
    return m_look == Look::HorizontalSlide || m_look == Look::HorizontalBar || m_look == Look::Progress;
}

bool CCWSlide::TakesInput() const { return m_look == Look::HorizontalSlide || m_look == Look::VerticalSlide; }

QSize CCWSlide::sizeHint() const
{
    const QFontMetricsF fm(font());
    const int line = static_cast<int>(std::ceil(fm.height()));
    const int labelWidth = static_cast<int>(std::ceil(CWPaint::WidestText(fm, MarkTexts())));
    switch (m_look) {
    case Look::HorizontalSlide:
    case Look::HorizontalBar:
        return QSize(line * 12, line * 3 + 6);
    case Look::Progress:
        return QSize(line * 12, line + 8);
    case Look::VerticalSlide:
    case Look::VerticalBar:
    case Look::Thermometer:
        break;
    }
    return QSize(labelWidth + line * 3 + 6, line * 10);
}

QSize CCWSlide::minimumSizeHint() const
{
    const int line = QFontMetrics(font()).height();
    return Horizontal() ? QSize(line * 3, line) : QSize(line, line * 3);
}

CCWSlide::Layout CCWSlide::MakeLayout() const
{
    Layout layout;
    const double inset = GetBorderVisible() ? 3 : 1;
    const QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_look == Look::Progress) {
        layout.track = area;
        layout.from = area.left() + 2;
        layout.to = area.right() - 2;
        layout.marks = layout.withLabels = false;
        return layout;
    }
    layout.texts = MarkTexts();
    const double line = QFontMetricsF(font()).height();
    layout.mark = std::max(4.0, std::round(line * 0.35));
    layout.thumbLong = std::max(12.0, std::round(line * 1.3));
    layout.thumbShort = std::max(8.0, std::round(line * 0.65));
    if (Horizontal())
        LayOutHorizontal(layout, area);
    else
        LayOutVertical(layout, area);
    PlaceLabels(layout);
    return layout;
}

void CCWSlide::LayOutHorizontal(Layout& layout, const QRectF& area) const
{
    const QFontMetricsF fm(font());
    const double line = fm.height();
    const double labelWidth = CWPaint::WidestText(fm, layout.texts);
    const auto scaleHeight = [&] { return layout.marks ? 2 + layout.mark + (layout.withLabels ? 1 + line : 0) : 0; };
    const bool slide = m_look == Look::HorizontalSlide;
    // The body across the track: the thumb's length, or the bar's well.
    const double least = slide ? layout.thumbLong : 6.0;
    if (area.height() - scaleHeight() < least)
        layout.withLabels = false;
    if (area.height() - scaleHeight() < least)
        layout.marks = false;
    const double body =
        slide ? layout.thumbLong
              : std::clamp(area.height() - scaleHeight(), std::min(least, area.height()), std::max(10.0, line * 1.4));
    const double top = area.top() + std::max(0.0, (area.height() - body - scaleHeight()) / 2);
    const double margin =
        std::max(slide ? layout.thumbShort / 2 + 1 : 1.0, layout.withLabels ? labelWidth / 2 + 1 : 0.0);
    layout.from = area.left() + margin;
    layout.to = area.right() - margin;
    layout.across = top + body / 2;
    if (slide) {
        const double groove = std::max(4.0, std::round(line * 0.3));
        layout.track = QRectF(layout.from - groove / 2, layout.across - groove / 2,
                              layout.to - layout.from + groove, groove);
    } else {
        layout.track = QRectF(layout.from, top, layout.to - layout.from, body);
    }
    layout.markBase = top + body + 2;
    layout.markSign = 1.0;
    layout.labelEdge = layout.markBase + layout.mark + 1;
}

void CCWSlide::LayOutVertical(Layout& layout, const QRectF& area) const
{
    const QFontMetricsF fm(font());
    const double line = fm.height();
    const double labelWidth = CWPaint::WidestText(fm, layout.texts);
    const auto scaleWidth = [&] {
        return layout.marks ? 2 + layout.mark + (layout.withLabels ? 2 + labelWidth : 0) : 0;
    };
    const bool slide = m_look == Look::VerticalSlide;
    const bool thermometer = m_look == Look::Thermometer;
    const double tube = std::clamp(std::round(line * 0.7), 6.0, 16.0);
    const double bulb = std::round(tube * 1.9);
    // The body beside the scale: the thumb's length, the bar's well, or
    // the thermometer's tube (its bulb reaches out under the scale).
    const double least = slide ? layout.thumbLong : (thermometer ? bulb : 6.0);
    const auto width = [&](double body) {
        return thermometer ? bulb / 2 + std::max(bulb / 2, tube / 2 + 1 + scaleWidth()) : body + scaleWidth();
    };
    if (width(least) > area.width())
        layout.withLabels = false;
    if (width(least) > area.width())
        layout.marks = false;
    const double body = slide || thermometer ? least
                                             : std::clamp(area.width() - scaleWidth(), std::min(least, area.width()),
                                                          std::max(10.0, line * 1.4));
    const double left = area.left() + std::max(0.0, (area.width() - width(body)) / 2);
    const double margin = std::max(slide ? layout.thumbShort / 2 + 1 : 1.0, layout.withLabels ? line / 2 + 1 : 0.0);
    layout.to = area.top() + std::max(margin, thermometer ? tube / 2 + 1 : 0.0);
    layout.from = area.bottom() - margin;
    if (slide) {
        // The scale stands left of the slide.
        const double groove = std::max(4.0, std::round(line * 0.3));
        layout.across = left + width(body) - body / 2;
        layout.track = QRectF(layout.across - groove / 2, layout.to - groove / 2, groove,
                              layout.from - layout.to + groove);
        layout.markBase = layout.across - body / 2 - 2;
        layout.markSign = -1.0;
        layout.labelEdge = layout.markBase - layout.mark - 2;
        return;
    }
    if (thermometer) {
        layout.across = left + bulb / 2;
        layout.bulb = QRectF(layout.across - bulb / 2, area.bottom() - bulb, bulb, bulb);
        layout.from = layout.bulb.top() - std::max(3.0, line * 0.3);
        layout.track = QRectF(layout.across - tube / 2, layout.to - tube / 2, tube,
                              layout.bulb.center().y() - layout.to + tube / 2);
        layout.markBase = layout.across + tube / 2 + 3;
    } else {
        layout.across = left + body / 2;
        layout.track = QRectF(left, layout.to, body, layout.from - layout.to);
        layout.markBase = left + body + 2;
    }
    layout.markSign = 1.0;
    layout.labelEdge = layout.markBase + layout.mark + 2;
}

void CCWSlide::PlaceLabels(Layout& layout) const
{
    if (!layout.marks || !layout.withLabels)
        return;
    const QFontMetricsF fm(font());
    const std::size_t count = layout.texts.size();
    for (std::size_t i = 0; i < count; ++i) {
        const double w = fm.horizontalAdvance(layout.texts[i]);
        const double h = fm.height();
        const double at = layout.At(static_cast<double>(i) / (count - 1));
        if (Horizontal())
            layout.labels.emplace_back(at - w / 2, layout.labelEdge, w, h);
        else if (layout.markSign < 0)
            layout.labels.emplace_back(layout.labelEdge - w, at - h / 2, w, h);
        else
            layout.labels.emplace_back(layout.labelEdge, at - h / 2, w, h);
    }
    layout.labelStep = CWPaint::LabelStep(layout.labels, false, fm, ZeroMark());
}

void CCWSlide::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CWPaint::Begin(painter);
    if (GetBorderVisible())
        CWPaint::DrawPanel(painter, *this, rect());
    const Layout layout = MakeLayout();
    if (layout.track.width() <= 0 || layout.track.height() <= 0)
        return;
    PaintScale(painter, layout);
    switch (m_look) {
    case Look::HorizontalSlide:
    case Look::VerticalSlide:
        PaintSlide(painter, layout);
        break;
    case Look::HorizontalBar:
    case Look::VerticalBar:
        PaintBar(painter, layout);
        break;
    case Look::Thermometer:
        PaintThermometer(painter, layout);
        break;
    case Look::Progress:
        PaintProgress(painter, layout);
        break;
    }
}

void CCWSlide::PaintScale(QPainter& painter, const Layout& layout) const
{
    if (!layout.marks)
        return;
    const int divisions = Scale().Divisions();
    const double spacing = std::fabs(layout.to - layout.from) / divisions;
    const int minor = CWPaint::MinorMarks(spacing);
    const auto line = [&](double at, double length) {
        const double end = layout.markBase + layout.markSign * length;
        if (Horizontal())
            painter.drawLine(QPointF(at, layout.markBase), QPointF(at, end));
        else
            painter.drawLine(QPointF(layout.markBase, at), QPointF(end, at));
    };
    const QColor colour = CWPaint::Shown(*this, GetScaleColor());
    painter.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap));
    if (Horizontal())
        painter.drawLine(QPointF(layout.from, layout.markBase), QPointF(layout.to, layout.markBase));
    else
        painter.drawLine(QPointF(layout.markBase, layout.from), QPointF(layout.markBase, layout.to));
    for (int i = 0; i < divisions; ++i) {
        for (int j = 1; j <= minor; ++j)
            line(layout.At((i + static_cast<double>(j) / (minor + 1)) / divisions), layout.mark * 0.55);
    }
    painter.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i <= divisions; ++i)
        line(layout.At(static_cast<double>(i) / divisions), layout.mark);
    PaintLabels(painter, layout.labels, layout.texts, layout.labelStep);
}

QRectF CCWSlide::Span(const Layout& layout, const QRectF& track, double from, double to) const
{
    const double a = layout.At(Scale().Fraction(from));
    const double b = layout.At(Scale().Fraction(to));
    if (Horizontal())
        return QRectF(QPointF(std::min(a, b), track.top()), QPointF(std::max(a, b), track.bottom()));
    return QRectF(QPointF(track.left(), std::min(a, b)), QPointF(track.right(), std::max(a, b)));
}

QRectF CCWSlide::Thumb(const Layout& layout) const
{
    const double at = layout.At(Scale().Fraction(GetValue()));
    if (Horizontal())
        return QRectF(at - layout.thumbShort / 2, layout.across - layout.thumbLong / 2, layout.thumbShort,
                      layout.thumbLong);
    return QRectF(layout.across - layout.thumbLong / 2, at - layout.thumbShort / 2, layout.thumbLong,
                  layout.thumbShort);
}

void CCWSlide::PaintSlide(QPainter& painter, const Layout& layout) const
{
    const double radius = std::min(layout.track.width(), layout.track.height()) / 2;
    CWPaint::DrawWell(painter, *this, layout.track, QColor(206, 206, 206), radius);
    const QRectF filled = Span(layout, layout.track.adjusted(1, 1, -1, -1), Scale().Minimum(), GetValue());
    painter.setPen(Qt::NoPen);
    painter.setBrush(CWPaint::Shown(*this, GetPointerColor()));
    painter.drawRoundedRect(filled, radius - 1, radius - 1);

    const QRectF thumb = Thumb(layout);
    painter.setBrush(QColor(0, 0, 0, 50));
    painter.drawRoundedRect(thumb.translated(0.8, 1.2), 2.5, 2.5);
    QLinearGradient metal(thumb.topLeft(), thumb.bottomRight());
    metal.setColorAt(0, CWPaint::Shown(*this, QColor(252, 252, 252)));
    metal.setColorAt(1, CWPaint::Shown(*this, QColor(180, 180, 180)));
    painter.setBrush(metal);
    painter.setPen(QPen(CWPaint::Shown(*this, QColor(90, 90, 90)), 1));
    painter.drawRoundedRect(thumb.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    // The reading line across the thumb, in the pointer's colour.
    painter.setPen(QPen(CWPaint::Shown(*this, GetPointerColor()), 2, Qt::SolidLine, Qt::FlatCap));
    const QPointF c = thumb.center();
    if (Horizontal())
        painter.drawLine(QPointF(c.x(), thumb.top() + 3), QPointF(c.x(), thumb.bottom() - 3));
    else
        painter.drawLine(QPointF(thumb.left() + 3, c.y()), QPointF(thumb.right() - 3, c.y()));
    if (hasFocus())
        CWPaint::DrawFocus(painter, *this, thumb.adjusted(-2, -2, 2, 2), false);
}

void CCWSlide::PaintBar(QPainter& painter, const Layout& layout) const
{
    CWPaint::DrawWell(painter, *this, layout.track, palette().color(QPalette::Base), 2);
    const QRectF inside = layout.track.adjusted(1.5, 1.5, -1.5, -1.5);
    const double zero = Scale().Coerce(0.0);
    if (m_barShown != BarShown::None) {
        const double value = m_barShown == BarShown::Negative ? m_barNegative : m_barPositive;
        const QRectF filled = Span(layout, inside, zero, value);
        QLinearGradient shade(inside.topLeft(), Horizontal() ? inside.bottomLeft() : inside.topRight());
        const QColor colour = CWPaint::Shown(*this, GetPointerColor());
        shade.setColorAt(0, colour.lighter(125));
        shade.setColorAt(0.45, colour);
        shade.setColorAt(1, colour);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRect(filled);
    }
    // Where zero lies inside the scale, a line marks it.
    const double low = std::min(Scale().Minimum(), Scale().Maximum());
    const double high = std::max(Scale().Minimum(), Scale().Maximum());
    if (zero > low && zero < high) {
        painter.setPen(QPen(CWPaint::Shown(*this, GetScaleColor()), 1));
        const double at = layout.At(Scale().Fraction(zero));
        if (Horizontal())
            painter.drawLine(QPointF(at, layout.track.top()), QPointF(at, layout.track.bottom()));
        else
            painter.drawLine(QPointF(layout.track.left(), at), QPointF(layout.track.right(), at));
    }
}

void CCWSlide::PaintThermometer(QPainter& painter, const Layout& layout) const
{
    const double tube = layout.track.width();
    QPainterPath glass;
    glass.addRoundedRect(layout.track, tube / 2, tube / 2);
    glass.addEllipse(layout.bulb);
    glass = glass.simplified();
    painter.setPen(QPen(CWPaint::Shown(*this, QColor(96, 96, 96)), 1));
    painter.setBrush(CWPaint::Shown(*this, QColor(252, 252, 252)));
    painter.drawPath(glass);

    const QColor colour = CWPaint::Shown(*this, GetPointerColor());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const double gap = std::max(2.0, tube * 0.2);
    painter.drawEllipse(layout.bulb.adjusted(gap, gap, -gap, -gap));
    const double top = layout.At(Scale().Fraction(GetValue()));
    painter.drawRect(QRectF(QPointF(layout.track.left() + gap, top),
                            QPointF(layout.track.right() - gap, layout.bulb.center().y())));
    // The glint of the glass.
    painter.setBrush(QColor(255, 255, 255, 110));
    const QRectF& bulb = layout.bulb;
    const QSizeF glint = bulb.size() * 0.22;
    painter.drawEllipse(QRectF(QPointF(bulb.left() + bulb.width() * 0.25, bulb.top() + glint.height()), glint));
}

void CCWSlide::PaintProgress(QPainter& painter, const Layout& layout) const
{
    CWPaint::DrawWell(painter, *this, layout.track, palette().color(QPalette::Base), 3);
    const QRectF inside = layout.track.adjusted(2, 2, -2, -2);
    const QRectF filled = Span(layout, inside, Scale().Minimum(), GetValue());
    if (filled.width() <= 0)
        return;
    const QColor colour = CWPaint::Shown(*this, GetPointerColor());
    QLinearGradient shade(inside.topLeft(), inside.bottomLeft());
    shade.setColorAt(0, colour.lighter(135));
    shade.setColorAt(0.5, colour);
    shade.setColorAt(1, colour.darker(110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawRoundedRect(filled, 2, 2);
}

double CCWSlide::PressValue(QPointF point)
{
    const Layout layout = MakeLayout();
    m_dragStart = GetValue();
    m_pressPoint = point;
    // A press on the thumb takes it where it is; one beside it on the
    // track moves it there at once.
    m_grabbed = Thumb(layout).adjusted(-1, -1, 1, 1).contains(point);
    return m_grabbed ? m_dragStart : DragValue(point);
}

double CCWSlide::DragValue(QPointF point)
{
    const Layout layout = MakeLayout();
    const double length = layout.to - layout.from;
    if (length == 0.0)
        return GetValue();
    const double along = Horizontal() ? point.x() : point.y();
    if (!m_grabbed)
        return Scale().ValueAt((along - layout.from) / length);
    const double travel = (along - (Horizontal() ? m_pressPoint.x() : m_pressPoint.y())) / length;
    if (travel == 0.0)
        return m_dragStart;
    return m_dragStart + travel * (Scale().Maximum() - Scale().Minimum());
}
