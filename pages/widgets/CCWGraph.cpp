#include "pages/widgets/CCWGraph.h"

#include "pages/widgets/CWGraphTicks.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kMargin = 6;       // between the widget's edge and anything drawn
constexpr int kMajorTick = 5;
constexpr int kMinorTick = 3;
constexpr int kGap = 3;          // between ticks, labels and captions
constexpr int kCursorMark = 3;   // half side of the square on the cursor's point
constexpr int kMinZoomDrag = 3;  // a smaller zoom rectangle is a click: zoom in by two
constexpr double kClickZoom = 2.0;

QColor Colour(vexar::ui::COLORREF c) { return vexar::ui::ToQColor(c); }

// A cosmetic pen: one pixel wide whatever the painter's transformation.
QPen ThinPen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, 0, style);
    pen.setCosmetic(true);
    return pen;
}

int Nearest(double v) { return static_cast<int>(std::lround(v)); }

int WidestLabel(const QFontMetrics& metrics, const CWGraphTicks& ticks)
{
    int widest = 0;
    for (double v : ticks.major)
        widest = std::max(widest, metrics.horizontalAdvance(FormatGraphTick(v, ticks)));
    return widest;
}

}  // namespace

struct CCWGraph::Layout {
    QRect area;
    CWGraphTicks xTicks;
    CWGraphTicks yTicks;
    int lineHeight = 0;
};

CCWGraph::CCWGraph(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);  // the owner's readout follows the mouse in pointer mode
    setFocusPolicy(Qt::ClickFocus);
    // Every paint fills the whole widget, so nothing behind it need be
    // painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CCWGraph::~CCWGraph() = default;

// ---- plots ----------------------------------------------------------------

CWGraphPlot* CCWGraph::FindPlot(const QString& name)
{
    auto it = std::find_if(m_plots.begin(), m_plots.end(), [&](const CWGraphPlot& p) { return p.Name() == name; });
    return it == m_plots.end() ? nullptr : &*it;
}

const CWGraphPlot* CCWGraph::FindPlot(const QString& name) const
{
    return const_cast<CCWGraph*>(this)->FindPlot(name);
}

void CCWGraph::AddPlot(const QString& name, vexar::ui::COLORREF colour)
{
    m_plots.emplace_back(name, colour);
    update();
}

bool CCWGraph::RemovePlot(const QString& name)
{
    auto it = std::find_if(m_plots.begin(), m_plots.end(), [&](const CWGraphPlot& p) { return p.Name() == name; });
    if (it == m_plots.end())
        return false;
    m_plots.erase(it);
    update();
    return true;
}

void CCWGraph::RemoveAllPlots()
{
    m_plots.clear();
    update();
}

QString CCWGraph::GetPlotName(int index) const
{
    if (index < 0 || index >= GetPlotCount())
        return {};
    return m_plots[static_cast<std::size_t>(index)].Name();
}

bool CCWGraph::SetPlotColor(const QString& name, vexar::ui::COLORREF colour)
{
    CWGraphPlot* plot = FindPlot(name);
    if (!plot)
        return false;
    plot->SetColor(colour);
    update();
    return true;
}

std::optional<vexar::ui::COLORREF> CCWGraph::GetPlotColor(const QString& name) const
{
    const CWGraphPlot* plot = FindPlot(name);
    if (!plot)
        return std::nullopt;
    return plot->Color();
}

bool CCWGraph::AppendPoint(const QString& name, double x, double y)
{
    CWGraphPlot* plot = FindPlot(name);
    if (!plot)
        return false;
    plot->Append(x, y);
    update();
    return true;
}

std::size_t CCWGraph::GetPointCount(const QString& name) const
{
    const CWGraphPlot* plot = FindPlot(name);
    return plot ? plot->Size() : 0;
}

// ---- axes -----------------------------------------------------------------

void CCWGraph::SetAxisCaption(Axis axis, const QString& caption)
{
    AxisOf(axis).caption = caption;
    update();
}

void CCWGraph::SetAxisColor(Axis axis, vexar::ui::COLORREF colour)
{
    AxisOf(axis).colour = colour;
    update();
}

bool CCWGraph::SetAxisRange(Axis axis, double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !(minimum < maximum) ||
        !std::isfinite(maximum - minimum))
        return false;
    AxisOf(axis).minimum = minimum;
    AxisOf(axis).maximum = maximum;
    update();
    return true;
}

void CCWGraph::SetGridVisible(Axis axis, bool visible)
{
    AxisOf(axis).grid = visible;
    update();
}

void CCWGraph::SetGridColor(Axis axis, vexar::ui::COLORREF colour)
{
    AxisOf(axis).gridLineColour = colour;
    update();
}

// ---- cursor and modes -----------------------------------------------------

void CCWGraph::SetCursorVisible(bool visible)
{
    m_cursorVisible = visible;
    if (!visible && m_drag == Drag::Cursor)
        m_drag = Drag::None;
    update();
}

void CCWGraph::SetCursorX(double x)
{
    if (!std::isfinite(x)) {
        ClearCursorPosition();
        return;
    }
    const double y = m_cursor ? m_cursor->y() : (GetAxisMinimum(Axis::Y) + GetAxisMaximum(Axis::Y)) / 2.0;
    m_cursor = QPointF(x, y);
    update();
}

void CCWGraph::ClearCursorPosition()
{
    m_cursor.reset();
    update();
}

std::optional<double> CCWGraph::GetCursorX() const
{
    if (!m_cursor)
        return std::nullopt;
    return m_cursor->x();
}

std::optional<double> CCWGraph::GetCursorY() const
{
    if (!m_cursor)
        return std::nullopt;
    return m_cursor->y();
}

void CCWGraph::SetTrackMode(TrackMode mode)
{
    m_trackMode = mode;
    m_drag = Drag::None;  // a gesture of the old mode ends here
    update();
}

// ---- geometry -------------------------------------------------------------

// The plot area leaves room for the Y labels and caption on the left, the
// X labels and caption below, half a label above the top and half the
// last X label on the right. The numbers of ticks follow the room there
// is: a Y label every two lines, X labels three characters apart.
CCWGraph::Layout CCWGraph::MakeLayout() const
{
    const QFontMetrics metrics(font());
    Layout result;
    result.lineHeight = metrics.height();
    const int line = result.lineHeight;
    const int charWidth = std::max(1, metrics.averageCharWidth());
    const AxisState& x = AxisOf(Axis::X);
    const AxisState& y = AxisOf(Axis::Y);

    const int bottom = kMargin + kMajorTick + kGap + line + (x.caption.isEmpty() ? 0 : kGap + line) + 1;
    const int top = kMargin + line / 2;
    const int roughHeight = height() - top - bottom;
    result.yTicks = MakeGraphTicks(y.minimum, y.maximum, std::max(2, roughHeight / (2 * line)));
    const int yLabels = std::max(WidestLabel(metrics, result.yTicks), metrics.horizontalAdvance(QLatin1Char('0')));
    const int left = kMargin + (y.caption.isEmpty() ? 0 : line + kGap) + yLabels + kGap + kMajorTick + 1;

    const CWGraphTicks rough = MakeGraphTicks(x.minimum, x.maximum, std::max(2, (width() - left) / (8 * charWidth)));
    const int right = kMargin + metrics.horizontalAdvance(FormatGraphTick(x.maximum, rough)) / 2;

    const int areaWidth = std::max(1, width() - left - right - 1);
    const int areaHeight = std::max(1, height() - top - bottom - 1);
    result.area = QRect(left, top, areaWidth, areaHeight);
    const int xLabel = std::max(WidestLabel(metrics, rough), charWidth) + 3 * charWidth;
    result.xTicks = MakeGraphTicks(x.minimum, x.maximum, std::max(2, areaWidth / xLabel));
    return result;
}

CWGraphMapping CCWGraph::MakeMapping(const QRect& area) const
{
    CWGraphMapping map;
    map.area = area;
    map.xMinimum = GetAxisMinimum(Axis::X);
    map.xMaximum = GetAxisMaximum(Axis::X);
    map.yMinimum = GetAxisMinimum(Axis::Y);
    map.yMaximum = GetAxisMaximum(Axis::Y);
    return map;
}

QRect CCWGraph::GetPlotArea() const { return MakeLayout().area; }

QSize CCWGraph::sizeHint() const { return {480, 300}; }

QSize CCWGraph::minimumSizeHint() const { return {160, 100}; }

// ---- painting -------------------------------------------------------------

void CCWGraph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Layout frame = MakeLayout();
    const CWGraphMapping map = MakeMapping(frame.area);
    painter.fillRect(rect(), palette().window());
    DrawFrame(painter, frame);
    painter.save();
    const QRect& a = frame.area;
    painter.setClipRect(QRect(a.left(), a.top(), a.width() + 1, a.height() + 1));
    DrawGrid(painter, frame, map);
    DrawPlots(painter, map);
    DrawCursor(painter, map);
    if (m_drag == Drag::Zoom) {
        painter.setPen(ThinPen(Qt::white, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_dragStart, m_dragNow).normalized());
    }
    painter.restore();
    DrawXScale(painter, frame, map);
    DrawYScale(painter, frame, map);
    DrawCaptions(painter, frame);
}

// The black screen, with the axes as its left and bottom edges and a
// shaded edge on the other two sides.
void CCWGraph::DrawFrame(QPainter& painter, const Layout& layout) const
{
    const QRect& a = layout.area;
    const int right = a.left() + a.width();
    const int bottom = a.top() + a.height();
    painter.fillRect(QRect(a.left(), a.top(), a.width() + 1, a.height() + 1), Colour(kPlotBackground));
    painter.setPen(ThinPen(palette().color(QPalette::Mid)));
    painter.drawLine(a.left() - 1, a.top() - 1, right + 1, a.top() - 1);
    painter.drawLine(right + 1, a.top() - 1, right + 1, bottom + 1);
    painter.setPen(ThinPen(Colour(GetAxisColor(Axis::X))));
    painter.drawLine(a.left() - 1, bottom + 1, right + 1, bottom + 1);
    painter.setPen(ThinPen(Colour(GetAxisColor(Axis::Y))));
    painter.drawLine(a.left() - 1, a.top() - 1, a.left() - 1, bottom + 1);
}

void CCWGraph::DrawGrid(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const
{
    const QRect& a = layout.area;
    if (GetGridVisible(Axis::X)) {
        painter.setPen(ThinPen(Colour(GetGridColor(Axis::X)), Qt::DotLine));
        for (double v : layout.xTicks.major) {
            const int px = Nearest(map.ToPixelX(v));
            painter.drawLine(px, a.top(), px, a.top() + a.height());
        }
    }
    if (GetGridVisible(Axis::Y)) {
        painter.setPen(ThinPen(Colour(GetGridColor(Axis::Y)), Qt::DotLine));
        for (double v : layout.yTicks.major) {
            const int py = Nearest(map.ToPixelY(v));
            painter.drawLine(a.left(), py, a.left() + a.width(), py);
        }
    }
}

void CCWGraph::DrawPlots(QPainter& painter, const CWGraphMapping& map) const
{
    std::vector<QPolygonF> lines;
    std::vector<QRect> runs;
    std::vector<QLineF> joins;
    for (const CWGraphPlot& plot : m_plots) {
        painter.setPen(ThinPen(Colour(plot.Color())));
        // A dense trace: one fill per pixel column, far cheaper than the
        // segments of a polyline through the same pixels.
        if (plot.BuildColumnRuns(map, runs, joins)) {
            const QColor colour = Colour(plot.Color());
            for (const QRect& run : runs)
                painter.fillRect(run, colour);
            painter.drawLines(joins.data(), static_cast<int>(joins.size()));
            continue;
        }
        plot.BuildPolylines(map, lines);
        for (const QPolygonF& line : lines) {
            if (line.size() == 1)
                painter.drawPoint(line.front());
            else
                painter.drawPolyline(line);
        }
    }
}

// A crosshair over the whole plot area, with a square on the point.
void CCWGraph::DrawCursor(QPainter& painter, const CWGraphMapping& map) const
{
    if (!m_cursorVisible || !m_cursor)
        return;
    const QRect& a = map.area;
    const int px = Nearest(map.ToPixelX(m_cursor->x()));
    const int py = Nearest(map.ToPixelY(m_cursor->y()));
    painter.setPen(ThinPen(Colour(kCursorColor)));
    painter.setBrush(Qt::NoBrush);
    if (px >= a.left() && px <= a.left() + a.width())
        painter.drawLine(px, a.top(), px, a.top() + a.height());
    if (py >= a.top() && py <= a.top() + a.height())
        painter.drawLine(a.left(), py, a.left() + a.width(), py);
    painter.drawRect(px - kCursorMark, py - kCursorMark, 2 * kCursorMark, 2 * kCursorMark);
}

void CCWGraph::DrawXScale(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const
{
    const QRect& a = layout.area;
    const int axisY = a.top() + a.height() + 1;
    const QColor colour = Colour(GetAxisColor(Axis::X));
    painter.setPen(ThinPen(colour));
    for (double v : layout.xTicks.minor) {
        const int px = Nearest(map.ToPixelX(v));
        painter.drawLine(px, axisY + 1, px, axisY + kMinorTick);
    }
    const QFontMetrics metrics(font());
    const int labelTop = axisY + kMajorTick + kGap;
    for (double v : layout.xTicks.major) {
        const int px = Nearest(map.ToPixelX(v));
        painter.drawLine(px, axisY + 1, px, axisY + kMajorTick);
        const QString text = FormatGraphTick(v, layout.xTicks);
        const int textWidth = metrics.horizontalAdvance(text);
        const int left = std::clamp(px - textWidth / 2, 0, std::max(0, width() - textWidth));
        painter.drawText(QRect(left, labelTop, textWidth, layout.lineHeight), Qt::AlignCenter, text);
    }
}

void CCWGraph::DrawYScale(QPainter& painter, const Layout& layout, const CWGraphMapping& map) const
{
    const QRect& a = layout.area;
    const int axisX = a.left() - 1;
    painter.setPen(ThinPen(Colour(GetAxisColor(Axis::Y))));
    for (double v : layout.yTicks.minor) {
        const int py = Nearest(map.ToPixelY(v));
        painter.drawLine(axisX - kMinorTick, py, axisX - 1, py);
    }
    const int labelRight = axisX - kMajorTick - kGap;
    for (double v : layout.yTicks.major) {
        const int py = Nearest(map.ToPixelY(v));
        painter.drawLine(axisX - kMajorTick, py, axisX - 1, py);
        painter.drawText(QRect(0, py - layout.lineHeight / 2, labelRight, layout.lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter, FormatGraphTick(v, layout.yTicks));
    }
}

// The X caption centred under the plot area, the Y caption turned to read
// upwards along the left edge.
void CCWGraph::DrawCaptions(QPainter& painter, const Layout& layout) const
{
    const QRect& a = layout.area;
    const int line = layout.lineHeight;
    const QString& xCaption = GetAxisCaption(Axis::X);
    if (!xCaption.isEmpty()) {
        painter.setPen(Colour(GetAxisColor(Axis::X)));
        const int top = height() - kMargin - line;
        painter.drawText(QRect(a.left(), top, a.width() + 1, line), Qt::AlignCenter, xCaption);
    }
    const QString& yCaption = GetAxisCaption(Axis::Y);
    if (!yCaption.isEmpty()) {
        painter.save();
        painter.setPen(Colour(GetAxisColor(Axis::Y)));
        painter.translate(kMargin, a.top() + a.height());
        painter.rotate(-90.0);
        painter.drawText(QRect(0, 0, a.height() + 1, line), Qt::AlignCenter, yCaption);
        painter.restore();
    }
}

// ---- mouse ------------------------------------------------------------------

void CCWGraph::mousePressEvent(QMouseEvent* event)
{
    const CWGraphMapping map = MakeMapping(GetPlotArea());
    const QPoint position = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !map.Contains(position)) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragStart = m_dragNow = position;
    m_dragMapping = map;
    switch (m_trackMode) {
    case TrackMode::Zoom:
        m_drag = Drag::Zoom;
        break;
    case TrackMode::Pan:
        m_drag = Drag::Pan;
        break;
    case TrackMode::Cursor:
        if (m_cursorVisible) {
            m_drag = Drag::Cursor;
            MoveCursorTo(position, map);
        }
        break;
    case TrackMode::Pointer:
        break;
    }
    update();
}

void CCWGraph::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    switch (m_drag) {
    case Drag::Zoom: {
        const QRect& a = m_dragMapping.area;
        m_dragNow = QPoint(std::clamp(position.x(), a.left(), a.left() + a.width()),
                           std::clamp(position.y(), a.top(), a.top() + a.height()));
        update();
        break;
    }
    case Drag::Pan:
        PanTo(position);
        break;
    case Drag::Cursor:
        MoveCursorTo(position, MakeMapping(GetPlotArea()));
        break;
    case Drag::None:
        break;
    }
    QWidget::mouseMoveEvent(event);
}

void CCWGraph::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_drag == Drag::Zoom)
            FinishZoom();
        m_drag = Drag::None;
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

// The ranges move with the mouse at the scale they had when the drag
// began, so a plot area that changes width on the way does not slip.
void CCWGraph::PanTo(QPoint position)
{
    const CWGraphMapping& from = m_dragMapping;
    const double dx = position.x() - m_dragStart.x();
    const double dy = position.y() - m_dragStart.y();
    const double xShift = dx * (from.xMaximum - from.xMinimum) / from.area.width();
    const double yShift = dy * (from.yMaximum - from.yMinimum) / from.area.height();
    SetAxisRange(Axis::X, from.xMinimum - xShift, from.xMaximum - xShift);
    SetAxisRange(Axis::Y, from.yMinimum + yShift, from.yMaximum + yShift);
}

// The dragged rectangle becomes the view; a click (a rectangle too small
// to mean one) halves both ranges around the clicked point. A view too
// small for the numbers to tell its ends apart is refused by the ranges.
void CCWGraph::FinishZoom()
{
    const CWGraphMapping& from = m_dragMapping;
    const QRect band = QRect(m_dragStart, m_dragNow).normalized();
    if (band.width() >= kMinZoomDrag && band.height() >= kMinZoomDrag) {
        const double left = from.ToValueX(band.left());
        const double right = from.ToValueX(band.left() + band.width());
        const double bottom = from.ToValueY(band.top() + band.height());
        const double top = from.ToValueY(band.top());
        if (left < right && bottom < top) {
            SetAxisRange(Axis::X, left, right);
            SetAxisRange(Axis::Y, bottom, top);
        }
        return;
    }
    const double x = from.ToValueX(m_dragStart.x());
    const double y = from.ToValueY(m_dragStart.y());
    const double halfWidth = (from.xMaximum - from.xMinimum) / (2.0 * kClickZoom);
    const double halfHeight = (from.yMaximum - from.yMinimum) / (2.0 * kClickZoom);
    if (x - halfWidth < x + halfWidth && y - halfHeight < y + halfHeight) {
        SetAxisRange(Axis::X, x - halfWidth, x + halfWidth);
        SetAxisRange(Axis::Y, y - halfHeight, y + halfHeight);
    }
}

// The cursor snaps to the visible point nearest to the mouse; with no
// point in view it follows the mouse itself.
void CCWGraph::MoveCursorTo(QPoint position, const CWGraphMapping& map)
{
    const QPoint clamped(std::clamp(position.x(), map.area.left(), map.area.left() + map.area.width()),
                         std::clamp(position.y(), map.area.top(), map.area.top() + map.area.height()));
    std::optional<QPointF> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const CWGraphPlot& plot : m_plots) {
        for (const QPointF& p : plot.Points()) {
            if (!(p.x() >= map.xMinimum && p.x() <= map.xMaximum && p.y() >= map.yMinimum && p.y() <= map.yMaximum))
                continue;
            const double dx = map.ToPixelX(p.x()) - clamped.x();
            const double dy = map.ToPixelY(p.y()) - clamped.y();
            const double distance = dx * dx + dy * dy;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = p;
            }
        }
    }
    const QPointF target = best ? *best : QPointF(map.ToValueX(clamped.x()), map.ToValueY(clamped.y()));
    if (m_cursor && *m_cursor == target)
        return;
    m_cursor = target;
    update();
    emit cursorChanged(target.x(), target.y());
}
