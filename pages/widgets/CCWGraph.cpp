#include "pages/widgets/CCWGraph.h"

#include "pages/widgets/GraphTicks.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexar::widgets {

namespace {

constexpr int kMargin = 6;       // between the widget's edge and anything drawn
constexpr int kMajorTick = 5;
constexpr int kMinorTick = 3;
constexpr int kGap = 3;          // between ticks, labels and captions
constexpr int kCursorMark = 3;   // half side of the square on the cursor's point
constexpr int kMinZoomDrag = 3;  // a smaller zoom rectangle is a click: zoom in by two
constexpr double kClickZoom = 2.0;

QColor Colour(ui::COLORREF c) { return ui::ToQColor(c); }

// A cosmetic pen: one pixel wide whatever the painter's transformation.
QPen ThinPen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, 0, style);
    pen.setCosmetic(true);
    return pen;
}

int Nearest(double v) { return static_cast<int>(std::lround(v)); }

int WidestLabel(const QFontMetrics& metrics, const GraphTicks& ticks)
{
    int widest = 0;
    for (double v : ticks.major)
        widest = std::max(widest, metrics.horizontalAdvance(FormatGraphTick(v, ticks)));
    return widest;
}

}  // namespace

struct CCWGraph::Layout {
    QRect area;
    GraphTicks xTicks;
    GraphTicks yTicks;
    int lineHeight = 0;
};

CCWGraph::CCWGraph(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);  // the owner's readout follows the mouse in pointer mode
    setFocusPolicy(Qt::ClickFocus);
}

CCWGraph::~CCWGraph() = default;

// ---- plots ----------------------------------------------------------------

GraphPlot* CCWGraph::findPlot(const QString& name)
{
    auto it = std::find_if(m_plots.begin(), m_plots.end(), [&](const GraphPlot& p) { return p.name() == name; });
    return it == m_plots.end() ? nullptr : &*it;
}

const GraphPlot* CCWGraph::findPlot(const QString& name) const
{
    return const_cast<CCWGraph*>(this)->findPlot(name);
}

void CCWGraph::addPlot(const QString& name, ui::COLORREF colour)
{
    m_plots.emplace_back(name, colour);
    update();
}

bool CCWGraph::removePlot(const QString& name)
{
    auto it = std::find_if(m_plots.begin(), m_plots.end(), [&](const GraphPlot& p) { return p.name() == name; });
    if (it == m_plots.end())
        return false;
    m_plots.erase(it);
    update();
    return true;
}

void CCWGraph::removeAllPlots()
{
    m_plots.clear();
    update();
}

QString CCWGraph::plotName(int index) const
{
    if (index < 0 || index >= plotCount())
        return {};
    return m_plots[static_cast<std::size_t>(index)].name();
}

bool CCWGraph::setPlotColour(const QString& name, ui::COLORREF colour)
{
    GraphPlot* plot = findPlot(name);
    if (!plot)
        return false;
    plot->setColour(colour);
    update();
    return true;
}

std::optional<ui::COLORREF> CCWGraph::plotColour(const QString& name) const
{
    const GraphPlot* plot = findPlot(name);
    if (!plot)
        return std::nullopt;
    return plot->colour();
}

bool CCWGraph::appendPoint(const QString& name, double x, double y)
{
    GraphPlot* plot = findPlot(name);
    if (!plot)
        return false;
    plot->append(x, y);
    update();
    return true;
}

std::size_t CCWGraph::pointCount(const QString& name) const
{
    const GraphPlot* plot = findPlot(name);
    return plot ? plot->size() : 0;
}

// ---- axes -----------------------------------------------------------------

void CCWGraph::setAxisCaption(Axis axis, const QString& caption)
{
    state(axis).caption = caption;
    update();
}

void CCWGraph::setAxisColour(Axis axis, ui::COLORREF colour)
{
    state(axis).colour = colour;
    update();
}

bool CCWGraph::setAxisRange(Axis axis, double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !(minimum < maximum) ||
        !std::isfinite(maximum - minimum))
        return false;
    state(axis).minimum = minimum;
    state(axis).maximum = maximum;
    update();
    return true;
}

void CCWGraph::setGridVisible(Axis axis, bool visible)
{
    state(axis).grid = visible;
    update();
}

void CCWGraph::setGridColour(Axis axis, ui::COLORREF colour)
{
    state(axis).gridColour = colour;
    update();
}

// ---- cursor and modes -----------------------------------------------------

void CCWGraph::setCursorVisible(bool visible)
{
    m_cursorVisible = visible;
    if (!visible && m_drag == Drag::Cursor)
        m_drag = Drag::None;
    update();
}

void CCWGraph::setCursorX(double x)
{
    if (!std::isfinite(x)) {
        clearCursorPosition();
        return;
    }
    const double y = m_cursor ? m_cursor->y() : (axisMinimum(Axis::Y) + axisMaximum(Axis::Y)) / 2.0;
    m_cursor = QPointF(x, y);
    update();
}

void CCWGraph::clearCursorPosition()
{
    m_cursor.reset();
    update();
}

std::optional<double> CCWGraph::cursorX() const
{
    if (!m_cursor)
        return std::nullopt;
    return m_cursor->x();
}

std::optional<double> CCWGraph::cursorY() const
{
    if (!m_cursor)
        return std::nullopt;
    return m_cursor->y();
}

void CCWGraph::setTrackMode(TrackMode mode)
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
CCWGraph::Layout CCWGraph::layout() const
{
    const QFontMetrics metrics(font());
    Layout result;
    result.lineHeight = metrics.height();
    const int line = result.lineHeight;
    const int charWidth = std::max(1, metrics.averageCharWidth());
    const AxisState& x = state(Axis::X);
    const AxisState& y = state(Axis::Y);

    const int bottom = kMargin + kMajorTick + kGap + line + (x.caption.isEmpty() ? 0 : kGap + line) + 1;
    const int top = kMargin + line / 2;
    const int roughHeight = height() - top - bottom;
    result.yTicks = MakeGraphTicks(y.minimum, y.maximum, std::max(2, roughHeight / (2 * line)));
    const int yLabels = std::max(WidestLabel(metrics, result.yTicks), metrics.horizontalAdvance(QLatin1Char('0')));
    const int left = kMargin + (y.caption.isEmpty() ? 0 : line + kGap) + yLabels + kGap + kMajorTick + 1;

    const GraphTicks rough = MakeGraphTicks(x.minimum, x.maximum, std::max(2, (width() - left) / (8 * charWidth)));
    const int right = kMargin + metrics.horizontalAdvance(FormatGraphTick(x.maximum, rough)) / 2;

    const int areaWidth = std::max(1, width() - left - right - 1);
    const int areaHeight = std::max(1, height() - top - bottom - 1);
    result.area = QRect(left, top, areaWidth, areaHeight);
    const int xLabel = std::max(WidestLabel(metrics, rough), charWidth) + 3 * charWidth;
    result.xTicks = MakeGraphTicks(x.minimum, x.maximum, std::max(2, areaWidth / xLabel));
    return result;
}

GraphMapping CCWGraph::mapping(const QRect& area) const
{
    GraphMapping map;
    map.area = area;
    map.xMinimum = axisMinimum(Axis::X);
    map.xMaximum = axisMaximum(Axis::X);
    map.yMinimum = axisMinimum(Axis::Y);
    map.yMaximum = axisMaximum(Axis::Y);
    return map;
}

QRect CCWGraph::plotArea() const { return layout().area; }

QSize CCWGraph::sizeHint() const { return {480, 300}; }

QSize CCWGraph::minimumSizeHint() const { return {160, 100}; }

// ---- painting -------------------------------------------------------------

void CCWGraph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Layout frame = layout();
    const GraphMapping map = mapping(frame.area);
    painter.fillRect(rect(), palette().window());
    drawFrame(painter, frame);
    painter.save();
    const QRect& a = frame.area;
    painter.setClipRect(QRect(a.left(), a.top(), a.width() + 1, a.height() + 1));
    drawGrid(painter, frame, map);
    drawPlots(painter, map);
    drawCursor(painter, map);
    if (m_drag == Drag::Zoom) {
        painter.setPen(ThinPen(Qt::white, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_dragStart, m_dragNow).normalized());
    }
    painter.restore();
    drawXScale(painter, frame, map);
    drawYScale(painter, frame, map);
    drawCaptions(painter, frame);
}

// The black screen, with the axes as its left and bottom edges and a
// shaded edge on the other two sides.
void CCWGraph::drawFrame(QPainter& painter, const Layout& layout) const
{
    const QRect& a = layout.area;
    const int right = a.left() + a.width();
    const int bottom = a.top() + a.height();
    painter.fillRect(QRect(a.left(), a.top(), a.width() + 1, a.height() + 1), Colour(kPlotBackground));
    painter.setPen(ThinPen(palette().color(QPalette::Mid)));
    painter.drawLine(a.left() - 1, a.top() - 1, right + 1, a.top() - 1);
    painter.drawLine(right + 1, a.top() - 1, right + 1, bottom + 1);
    painter.setPen(ThinPen(Colour(axisColour(Axis::X))));
    painter.drawLine(a.left() - 1, bottom + 1, right + 1, bottom + 1);
    painter.setPen(ThinPen(Colour(axisColour(Axis::Y))));
    painter.drawLine(a.left() - 1, a.top() - 1, a.left() - 1, bottom + 1);
}

void CCWGraph::drawGrid(QPainter& painter, const Layout& layout, const GraphMapping& map) const
{
    const QRect& a = layout.area;
    if (gridVisible(Axis::X)) {
        painter.setPen(ThinPen(Colour(gridColour(Axis::X)), Qt::DotLine));
        for (double v : layout.xTicks.major) {
            const int px = Nearest(map.toPixelX(v));
            painter.drawLine(px, a.top(), px, a.top() + a.height());
        }
    }
    if (gridVisible(Axis::Y)) {
        painter.setPen(ThinPen(Colour(gridColour(Axis::Y)), Qt::DotLine));
        for (double v : layout.yTicks.major) {
            const int py = Nearest(map.toPixelY(v));
            painter.drawLine(a.left(), py, a.left() + a.width(), py);
        }
    }
}

void CCWGraph::drawPlots(QPainter& painter, const GraphMapping& map) const
{
    std::vector<QPolygonF> lines;
    for (const GraphPlot& plot : m_plots) {
        plot.buildPolylines(map, lines);
        painter.setPen(ThinPen(Colour(plot.colour())));
        for (const QPolygonF& line : lines) {
            if (line.size() == 1)
                painter.drawPoint(line.front());
            else
                painter.drawPolyline(line);
        }
    }
}

// A crosshair over the whole plot area, with a square on the point.
void CCWGraph::drawCursor(QPainter& painter, const GraphMapping& map) const
{
    if (!m_cursorVisible || !m_cursor)
        return;
    const QRect& a = map.area;
    const int px = Nearest(map.toPixelX(m_cursor->x()));
    const int py = Nearest(map.toPixelY(m_cursor->y()));
    painter.setPen(ThinPen(Colour(kCursorColour)));
    painter.setBrush(Qt::NoBrush);
    if (px >= a.left() && px <= a.left() + a.width())
        painter.drawLine(px, a.top(), px, a.top() + a.height());
    if (py >= a.top() && py <= a.top() + a.height())
        painter.drawLine(a.left(), py, a.left() + a.width(), py);
    painter.drawRect(px - kCursorMark, py - kCursorMark, 2 * kCursorMark, 2 * kCursorMark);
}

void CCWGraph::drawXScale(QPainter& painter, const Layout& layout, const GraphMapping& map) const
{
    const QRect& a = layout.area;
    const int axisY = a.top() + a.height() + 1;
    const QColor colour = Colour(axisColour(Axis::X));
    painter.setPen(ThinPen(colour));
    for (double v : layout.xTicks.minor) {
        const int px = Nearest(map.toPixelX(v));
        painter.drawLine(px, axisY + 1, px, axisY + kMinorTick);
    }
    const QFontMetrics metrics(font());
    const int labelTop = axisY + kMajorTick + kGap;
    for (double v : layout.xTicks.major) {
        const int px = Nearest(map.toPixelX(v));
        painter.drawLine(px, axisY + 1, px, axisY + kMajorTick);
        const QString text = FormatGraphTick(v, layout.xTicks);
        const int textWidth = metrics.horizontalAdvance(text);
        const int left = std::clamp(px - textWidth / 2, 0, std::max(0, width() - textWidth));
        painter.drawText(QRect(left, labelTop, textWidth, layout.lineHeight), Qt::AlignCenter, text);
    }
}

void CCWGraph::drawYScale(QPainter& painter, const Layout& layout, const GraphMapping& map) const
{
    const QRect& a = layout.area;
    const int axisX = a.left() - 1;
    painter.setPen(ThinPen(Colour(axisColour(Axis::Y))));
    for (double v : layout.yTicks.minor) {
        const int py = Nearest(map.toPixelY(v));
        painter.drawLine(axisX - kMinorTick, py, axisX - 1, py);
    }
    const int labelRight = axisX - kMajorTick - kGap;
    for (double v : layout.yTicks.major) {
        const int py = Nearest(map.toPixelY(v));
        painter.drawLine(axisX - kMajorTick, py, axisX - 1, py);
        painter.drawText(QRect(0, py - layout.lineHeight / 2, labelRight, layout.lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter, FormatGraphTick(v, layout.yTicks));
    }
}

// The X caption centred under the plot area, the Y caption turned to read
// upwards along the left edge.
void CCWGraph::drawCaptions(QPainter& painter, const Layout& layout) const
{
    const QRect& a = layout.area;
    const int line = layout.lineHeight;
    const QString& xCaption = axisCaption(Axis::X);
    if (!xCaption.isEmpty()) {
        painter.setPen(Colour(axisColour(Axis::X)));
        const int top = height() - kMargin - line;
        painter.drawText(QRect(a.left(), top, a.width() + 1, line), Qt::AlignCenter, xCaption);
    }
    const QString& yCaption = axisCaption(Axis::Y);
    if (!yCaption.isEmpty()) {
        painter.save();
        painter.setPen(Colour(axisColour(Axis::Y)));
        painter.translate(kMargin, a.top() + a.height());
        painter.rotate(-90.0);
        painter.drawText(QRect(0, 0, a.height() + 1, line), Qt::AlignCenter, yCaption);
        painter.restore();
    }
}

// ---- mouse ------------------------------------------------------------------

void CCWGraph::mousePressEvent(QMouseEvent* event)
{
    const GraphMapping map = mapping(plotArea());
    const QPoint position = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !map.contains(position)) {
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
            moveCursorTo(position, map);
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
        panTo(position);
        break;
    case Drag::Cursor:
        moveCursorTo(position, mapping(plotArea()));
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
            finishZoom();
        m_drag = Drag::None;
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

// The ranges move with the mouse at the scale they had when the drag
// began, so a plot area that changes width on the way does not slip.
void CCWGraph::panTo(QPoint position)
{
    const GraphMapping& from = m_dragMapping;
    const double dx = position.x() - m_dragStart.x();
    const double dy = position.y() - m_dragStart.y();
    const double xShift = dx * (from.xMaximum - from.xMinimum) / from.area.width();
    const double yShift = dy * (from.yMaximum - from.yMinimum) / from.area.height();
    setAxisRange(Axis::X, from.xMinimum - xShift, from.xMaximum - xShift);
    setAxisRange(Axis::Y, from.yMinimum + yShift, from.yMaximum + yShift);
}

// The dragged rectangle becomes the view; a click (a rectangle too small
// to mean one) halves both ranges around the clicked point. A view too
// small for the numbers to tell its ends apart is refused by the ranges.
void CCWGraph::finishZoom()
{
    const GraphMapping& from = m_dragMapping;
    const QRect band = QRect(m_dragStart, m_dragNow).normalized();
    if (band.width() >= kMinZoomDrag && band.height() >= kMinZoomDrag) {
        const double left = from.toValueX(band.left());
        const double right = from.toValueX(band.left() + band.width());
        const double bottom = from.toValueY(band.top() + band.height());
        const double top = from.toValueY(band.top());
        if (left < right && bottom < top) {
            setAxisRange(Axis::X, left, right);
            setAxisRange(Axis::Y, bottom, top);
        }
        return;
    }
    const double x = from.toValueX(m_dragStart.x());
    const double y = from.toValueY(m_dragStart.y());
    const double halfWidth = (from.xMaximum - from.xMinimum) / (2.0 * kClickZoom);
    const double halfHeight = (from.yMaximum - from.yMinimum) / (2.0 * kClickZoom);
    if (x - halfWidth < x + halfWidth && y - halfHeight < y + halfHeight) {
        setAxisRange(Axis::X, x - halfWidth, x + halfWidth);
        setAxisRange(Axis::Y, y - halfHeight, y + halfHeight);
    }
}

// The cursor snaps to the visible point nearest to the mouse; with no
// point in view it follows the mouse itself.
void CCWGraph::moveCursorTo(QPoint position, const GraphMapping& map)
{
    const QPoint clamped(std::clamp(position.x(), map.area.left(), map.area.left() + map.area.width()),
                         std::clamp(position.y(), map.area.top(), map.area.top() + map.area.height()));
    std::optional<QPointF> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const GraphPlot& plot : m_plots) {
        for (const QPointF& p : plot.points()) {
            if (!(p.x() >= map.xMinimum && p.x() <= map.xMaximum && p.y() >= map.yMinimum && p.y() <= map.yMaximum))
                continue;
            const double dx = map.toPixelX(p.x()) - clamped.x();
            const double dy = map.toPixelY(p.y()) - clamped.y();
            const double distance = dx * dx + dy * dy;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = p;
            }
        }
    }
    const QPointF target = best ? *best : QPointF(map.toValueX(clamped.x()), map.toValueY(clamped.y()));
    if (m_cursor && *m_cursor == target)
        return;
    m_cursor = target;
    update();
    emit cursorChanged(target.x(), target.y());
}

}  // namespace vexar::widgets
