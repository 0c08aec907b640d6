#include "pages/widgets/CCWKnob.h"

#include "pages/widgets/CWPaint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Angles are degrees counter-clockwise from three o'clock, as on paper;
// the screen's y axis points down.
QPointF Polar(QPointF pivot, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return pivot + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

// The box of a label at `degrees`, its near edge `radius` from the pivot:
// outside the marks, or (a dial's) inside them.
QRectF LabelBox(QPointF pivot, double radius, double degrees, QSizeF size, bool outside)
{
    const double a = degrees * std::numbers::pi / 180.0;
    const double half = 0.5 * (std::fabs(std::cos(a)) * size.width() + std::fabs(std::sin(a)) * size.height());
    const QPointF centre = Polar(pivot, outside ? radius + half : radius - half, degrees);
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}

// Grows to hold every point and box given.
struct Extent {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
    void Add(QPointF p)
    {
        if (empty) {
            left = right = p.x();
            top = bottom = p.y();
            empty = false;
        }
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    void Add(const QRectF& r)
    {
        Add(r.topLeft());
        Add(r.bottomRight());
    }
    QRectF Rect() const { return QRectF(QPointF(left, top), QPointF(right, bottom)); }
};

constexpr double kKnobStart = 225.0;
constexpr double kKnobExtent = -270.0;
constexpr double kMeterStart = 140.0;
constexpr double kMeterExtent = -100.0;

}  // namespace

struct CCWKnob::Layout {
    QPointF pivot;
    double radius = 0.0;       // knob and meter: outer end of the marks; dial: its case
    double start = kKnobStart;
    double extent = kKnobExtent;
    double body = 0.0;         // knob: its body; dial: the face; meter: the pivot's hub
    double markOuter = 0.0;    // where the marks end
    double mark = 0.0;         // length of a labelled mark
    double labelRadius = 0.0;  // near edge of the labels
    bool labelsOutside = true;
    bool withLabels = true;
    double casePad = 0.0;      // meter: room between the drawing and its case
    QRectF housing;            // meter: its case
    std::vector<QString> texts;
    std::vector<QRectF> labels;
    int labelStep = 0;

    double Angle(double fraction) const { return start + extent * fraction; }
};

CCWKnob::CCWKnob(QWidget* parent) : CWScaledControl(parent, vexar::ui::RGB(200, 32, 24)) {}

void CCWKnob::SetLook(Look look)
{
    m_look = look;
    updateGeometry();
    update();
}

void CCWKnob::SetHousingVisible(bool visible)
{
    m_housing = visible;
    update();
}

QSize CCWKnob::sizeHint() const
{
    const QFontMetrics fm(font());
    const int line = fm.height();
    if (m_look == Look::Meter)
        return QSize(line * 10, line * 6);
    return QSize(line * 8, line * 8);
}

QSize CCWKnob::minimumSizeHint() const
{
    const int line = QFontMetrics(font()).height();
    return QSize(line * 2, line * 2);
}

CCWKnob::Layout CCWKnob::MakeLayout() const
{
    Layout layout;
    const QRectF area = rect().adjusted(GetBorderVisible() ? 3 : 1, GetBorderVisible() ? 3 : 1,
                                        GetBorderVisible() ? -3 : -1, GetBorderVisible() ? -3 : -1);
    layout.texts = MarkTexts();
    const double line = QFontMetricsF(font()).height();

    if (m_look == Look::Dial) {
        layout.radius = std::max(0.0, std::min(area.width(), area.height()) / 2);
        layout.pivot = area.center();
        layout.body = layout.radius - (m_housing ? std::clamp(layout.radius * 0.08, 2.0, 8.0) : 0.0);
        layout.markOuter = layout.body - std::max(2.0, layout.body * 0.04);
        layout.mark = std::clamp(layout.body * 0.1, 3.0, 10.0);
        layout.labelRadius = layout.markOuter - layout.mark - std::max(2.0, layout.body * 0.03);
        layout.labelsOutside = false;
        layout.withLabels = layout.labelRadius > 2.2 * line;
    } else {
        if (m_look == Look::Meter) {
            layout.start = kMeterStart;
            layout.extent = kMeterExtent;
            layout.casePad = m_housing ? std::max(4.0, line * 0.35) : 0.0;
        }
        FitAround(layout, area);
        if (layout.radius < 1.5 * line) {
            layout.withLabels = false;
            FitAround(layout, area);
        }
    }
    PlaceLabels(layout);
    return layout;
}

// The largest knob or meter, with its labels, that the area holds, centred.
void CCWKnob::FitAround(Layout& layout, const QRectF& area) const
{
    const QFontMetricsF fm(font());
    const QSizeF labelSize(CWPaint::WidestText(fm, layout.texts), fm.height());

    const auto shape = [&](double radius) {
        layout.radius = radius;
        layout.markOuter = radius;
        if (m_look == Look::Meter) {
            layout.mark = std::clamp(radius * 0.1, 3.0, 9.0);
            layout.body = std::max(3.0, radius * 0.06);
            layout.labelRadius = radius + std::max(2.0, radius * 0.04);
        } else {
            layout.mark = std::clamp(radius * 0.13, 3.0, 9.0);
            layout.body = std::max(0.0, radius - layout.mark - std::max(2.0, radius * 0.07));
            layout.labelRadius = radius + std::max(2.0, radius * 0.05);
        }
        Extent extent;
        extent.Add(QRectF(-layout.body, -layout.body, 2 * layout.body, 2 * layout.body));
        for (double f = 0.0; f <= 1.0001; f += 1.0 / 36)
            extent.Add(Polar(QPointF(), radius, layout.Angle(f)));
        if (layout.withLabels) {
            for (std::size_t i = 0; i < layout.texts.size(); ++i) {
                const double f = static_cast<double>(i) / (layout.texts.size() - 1);
                extent.Add(LabelBox(QPointF(), layout.labelRadius, layout.Angle(f), labelSize, true));
            }
        }
        return extent.Rect().adjusted(-layout.casePad, -layout.casePad, layout.casePad, layout.casePad);
    };

    double low = 0.0;
    double high = std::max(area.width(), area.height());
    for (int i = 0; i < 40; ++i) {
        const double middle = (low + high) / 2;
        const QRectF box = shape(middle);
        if (box.width() <= area.width() && box.height() <= area.height())
            low = middle;
        else
            high = middle;
    }
    const QRectF box = shape(low);
    layout.pivot = area.center() - box.center();
    layout.housing = box.translated(layout.pivot);
}

void CCWKnob::PlaceLabels(Layout& layout) const
{
    if (!layout.withLabels)
        return;
    const QFontMetricsF fm(font());
    const std::size_t count = layout.texts.size();
    for (std::size_t i = 0; i < count; ++i) {
        const QSizeF size(fm.horizontalAdvance(layout.texts[i]), fm.height());
        const double angle = layout.Angle(static_cast<double>(i) / (count - 1));
        layout.labels.push_back(LabelBox(layout.pivot, layout.labelRadius, angle, size, layout.labelsOutside));
    }
    layout.labelStep = CWPaint::LabelStep(layout.labels, m_look != Look::Meter, fm, ZeroMark());
}

void CCWKnob::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CWPaint::Begin(painter);
    if (GetBorderVisible())
        CWPaint::DrawPanel(painter, *this, rect());
    const Layout layout = MakeLayout();
    if (layout.radius <= 2.0)
        return;
    switch (m_look) {
    case Look::Knob:
        PaintKnob(painter, layout);
        break;
    case Look::Dial:
        PaintDial(painter, layout);
        break;
    case Look::Meter:
        PaintMeter(painter, layout);
        break;
    }
}

void CCWKnob::PaintMarks(QPainter& painter, const Layout& layout, double outer, double length) const
{
    const int divisions = Scale().Divisions();
    const double arc = outer * std::fabs(layout.extent) * std::numbers::pi / 180.0 / divisions;
    const int minor = CWPaint::MinorMarks(arc);
    const QColor colour = CWPaint::Shown(*this, GetScaleColor());
    painter.setPen(QPen(colour, std::max(1.3, outer * 0.016), Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i <= divisions; ++i) {
        const double angle = layout.Angle(static_cast<double>(i) / divisions);
        painter.drawLine(Polar(layout.pivot, outer - length, angle), Polar(layout.pivot, outer, angle));
    }
    painter.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < divisions; ++i) {
        for (int j = 1; j <= minor; ++j) {
            const double angle = layout.Angle((i + static_cast<double>(j) / (minor + 1)) / divisions);
            painter.drawLine(Polar(layout.pivot, outer - length * 0.55, angle), Polar(layout.pivot, outer, angle));
        }
    }
}

void CCWKnob::PaintKnob(QPainter& painter, const Layout& layout) const
{
    PaintMarks(painter, layout, layout.markOuter, layout.mark);
    PaintLabels(painter, layout.labels, layout.texts, layout.labelStep);

    const QPointF c = layout.pivot;
    double cap = layout.body;
    if (m_housing) {
        // The skirt: a dark ring under the cap, with a soft shadow.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 40));
        painter.drawEllipse(c + QPointF(0.8, 1.2), cap, cap);
        QRadialGradient skirt(c, cap);
        skirt.setColorAt(0.7, CWPaint::Shown(*this, QColor(92, 92, 92)));
        skirt.setColorAt(1.0, CWPaint::Shown(*this, QColor(44, 44, 44)));
        painter.setBrush(skirt);
        painter.drawEllipse(c, cap, cap);
        cap *= 0.8;
    }
    QLinearGradient metal(c - QPointF(cap, cap), c + QPointF(cap, cap));
    metal.setColorAt(0, CWPaint::Shown(*this, QColor(250, 250, 250)));
    metal.setColorAt(1, CWPaint::Shown(*this, QColor(170, 170, 170)));
    painter.setBrush(metal);
    painter.setPen(QPen(CWPaint::Shown(*this, QColor(110, 110, 110)), 1));
    painter.drawEllipse(c, cap, cap);

    const double angle = layout.Angle(Scale().Fraction(GetValue()));
    painter.setPen(QPen(CWPaint::Shown(*this, GetPointerColor()), std::max(2.5, cap * 0.14), Qt::SolidLine,
                        Qt::RoundCap));
    painter.drawLine(Polar(c, cap * 0.3, angle), Polar(c, cap * 0.82, angle));

    if (hasFocus())
        CWPaint::DrawFocus(painter, *this, QRectF(c - QPointF(layout.body + 1.5, layout.body + 1.5),
                                                  QSizeF(2 * layout.body + 3, 2 * layout.body + 3)), true);
}

void CCWKnob::PaintDial(QPainter& painter, const Layout& layout) const
{
    const QPointF c = layout.pivot;
    painter.setPen(Qt::NoPen);
    if (m_housing) {
        QLinearGradient bezel(c - QPointF(0, layout.radius), c + QPointF(0, layout.radius));
        bezel.setColorAt(0, CWPaint::Shown(*this, QColor(215, 215, 215)));
        bezel.setColorAt(1, CWPaint::Shown(*this, QColor(70, 70, 70)));
        painter.setBrush(bezel);
        painter.drawEllipse(c, layout.radius, layout.radius);
    }
    QRadialGradient face(c, layout.body);
    face.setColorAt(0, CWPaint::Shown(*this, QColor(255, 255, 255)));
    face.setColorAt(1, CWPaint::Shown(*this, QColor(232, 232, 226)));
    painter.setBrush(face);
    painter.setPen(m_housing ? QPen(QColor(0, 0, 0, 90), 1) : QPen(CWPaint::Shown(*this, QColor(112, 112, 112)), 1));
    painter.drawEllipse(c, layout.body, layout.body);

    PaintMarks(painter, layout, layout.markOuter, layout.mark);
    PaintLabels(painter, layout.labels, layout.texts, layout.labelStep);

    // The value in figures, in the opening below the hub, where it clears
    // the labels of the scale's ends; nowhere when it clears none.
    const QFontMetricsF fm(font());
    const QString reading = QString::fromStdU16String(Scale().LabelText(GetValue()));
    const QSizeF size(fm.horizontalAdvance(reading) + 6, fm.height() + 2);
    QRectF window;
    for (const double depth : {0.42, 0.6}) {
        const QRectF place(c.x() - size.width() / 2, c.y() + layout.body * depth, size.width(), size.height());
        bool clear = true;
        for (std::size_t i = 0; layout.labelStep > 0 && i < layout.labels.size(); i += layout.labelStep)
            clear = clear && !layout.labels[i].intersects(place.adjusted(-2, 0, 2, 0));
        if (clear && size.width() <= layout.body * 0.9 && place.bottom() <= c.y() + layout.body * 0.92) {
            window = place;
            break;
        }
    }
    if (!window.isNull()) {
        painter.setBrush(CWPaint::Shown(*this, QColor(246, 246, 240)));
        painter.setPen(QPen(CWPaint::Shown(*this, QColor(150, 150, 150)), 1));
        painter.drawRoundedRect(window, 2, 2);
        painter.setPen(CWPaint::Shown(*this, GetLabelColor()));
        painter.drawText(window, Qt::AlignCenter, reading);
    }

    PaintNeedle(painter, layout, layout.markOuter - layout.mark * 0.3, std::max(3.0, layout.body * 0.05));
    if (hasFocus())
        CWPaint::DrawFocus(painter, *this, QRectF(c - QPointF(layout.radius - 1.5, layout.radius - 1.5),
                                                  QSizeF(2 * layout.radius - 3, 2 * layout.radius - 3)), true);
}

void CCWKnob::PaintMeter(QPainter& painter, const Layout& layout) const
{
    const QPointF c = layout.pivot;
    if (m_housing) {
        QLinearGradient face(layout.housing.topLeft(), layout.housing.bottomLeft());
        face.setColorAt(0, CWPaint::Shown(*this, QColor(252, 252, 248)));
        face.setColorAt(1, CWPaint::Shown(*this, QColor(228, 228, 220)));
        painter.setBrush(face);
        painter.setPen(QPen(CWPaint::Shown(*this, QColor(100, 100, 100)), 1));
        painter.drawRoundedRect(layout.housing.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    const double inner = layout.markOuter - layout.mark;
    const QRectF arcBox(c - QPointF(inner, inner), QSizeF(2 * inner, 2 * inner));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(CWPaint::Shown(*this, GetScaleColor()), 1));
    painter.drawArc(arcBox, static_cast<int>(layout.start * 16), static_cast<int>(layout.extent * 16));

    // The band of the meter's colour from the minimum to the value.
    const double band = std::max(2.0, layout.mark * 0.45);
    const double bandRadius = inner - band / 2 - 2;
    if (bandRadius > band) {
        const double sweep = layout.extent * Scale().Fraction(GetValue());
        QColor colour = CWPaint::Shown(*this, GetPointerColor());
        colour.setAlpha(150);
        painter.setPen(QPen(colour, band, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(QRectF(c - QPointF(bandRadius, bandRadius), QSizeF(2 * bandRadius, 2 * bandRadius)),
                        static_cast<int>(layout.start * 16), static_cast<int>(sweep * 16));
    }
    PaintMarks(painter, layout, layout.markOuter, layout.mark);
    PaintLabels(painter, layout.labels, layout.texts, layout.labelStep);
    PaintNeedle(painter, layout, layout.markOuter - 1, std::max(2.0, layout.radius * 0.025));
    if (hasFocus())
        CWPaint::DrawFocus(painter, *this, layout.housing.adjusted(1, 1, -1, -1), false);
}

// A tapered needle from behind the pivot to `length`, with its hub.
void CCWKnob::PaintNeedle(QPainter& painter, const Layout& layout, double length, double width) const
{
    const QPointF c = layout.pivot;
    const double angle = layout.Angle(Scale().Fraction(GetValue()));
    // The meter's needle grows out of its hub; the dial's has a tail.
    const double tail = m_look == Look::Meter ? 0.0 : std::min(length * 0.18, layout.radius * 0.16);
    const QPointF across = Polar(QPointF(), 1.0, angle + 90.0);
    QPainterPath needle;
    needle.moveTo(Polar(c, length, angle));
    needle.lineTo(c + across * (width / 2));
    needle.lineTo(Polar(c, -tail, angle) + across * (width / 3));
    needle.lineTo(Polar(c, -tail, angle) - across * (width / 3));
    needle.lineTo(c - across * (width / 2));
    needle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 45));
    painter.drawPath(needle.translated(0.8, 1.2));
    painter.setBrush(CWPaint::Shown(*this, GetPointerColor()));
    painter.drawPath(needle);

    const double hub = m_look == Look::Meter ? layout.body : std::max(3.0, layout.body * 0.08);
    QRadialGradient cap(c - QPointF(hub / 3, hub / 3), hub * 1.4);
    cap.setColorAt(0, CWPaint::Shown(*this, QColor(120, 120, 120)));
    cap.setColorAt(1, CWPaint::Shown(*this, QColor(30, 30, 30)));
    painter.setBrush(cap);
    painter.drawEllipse(c, hub, hub);
}

double CCWKnob::AngleAt(const Layout& layout, QPointF point) const
{
    const QPointF d = point - layout.pivot;
    return std::atan2(-d.y(), d.x()) * 180.0 / std::numbers::pi;
}

double CCWKnob::PressValue(QPointF point)
{
    m_dragStart = GetValue();
    m_dragTravel = 0.0;
    m_dragAngle = AngleAt(MakeLayout(), point);
    return m_dragStart;
}

double CCWKnob::DragValue(QPointF point)
{
    const Layout layout = MakeLayout();
    // Close to the pivot the angle jumps at the slightest move.
    if (std::hypot(point.x() - layout.pivot.x(), point.y() - layout.pivot.y()) < 3.0)
        return GetValue();
    const double angle = AngleAt(layout, point);
    double turn = angle - m_dragAngle;
    while (turn > 180.0)
        turn -= 360.0;
    while (turn <= -180.0)
        turn += 360.0;
    m_dragAngle = angle;
    // The travel stops at the ends of the scale, so turning back moves the
    // pointer at once.
    const double start = Scale().Fraction(m_dragStart);
    m_dragTravel = std::clamp(m_dragTravel + turn / layout.extent, -start, 1.0 - start);
    if (std::fabs(m_dragTravel) < 1e-9)
        return m_dragStart;
    return Scale().ValueAt(start + m_dragTravel);
}
