#include "pages/widgets/CWGraphPlot.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool IsFinite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// Liang-Barsky: cuts the segment a-b to the rectangle; false when nothing
// of it lies Inside. An end Inside the rectangle is kept exactly.
bool ClipSegment(const QRectF& clip, QPointF& a, QPointF& b)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - clip.left(), clip.right() - a.x(), a.y() - clip.top(), clip.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = a;
    if (t1 < 1.0)
        b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    if (t0 > 0.0)
        a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    return true;
}

// Collects the clipped polylines of a sequence of vertices.
class PolylineBuilder {
public:
    PolylineBuilder(const QRectF& clip, std::vector<QPolygonF>& out) : m_clip(clip), m_out(out) {}
    ~PolylineBuilder() { Flush(); }

    void LineTo(const QPointF& p)
    {
        if (!m_hasPrevious) {
            m_previous = p;
            m_hasPrevious = true;
            if (m_clip.contains(p))
                m_current << p;
            return;
        }
        QPointF a = m_previous;
        QPointF b = p;
        m_previous = p;
        if (!ClipSegment(m_clip, a, b)) {
            Flush();
            return;
        }
        if (m_current.isEmpty() || m_current.back() != a) {
            Flush();
            m_current << a;
        }
        m_current << b;
    }

    void BreakLine()
    {
        Flush();
        m_hasPrevious = false;
    }

private:
    void Flush()
    {
        if (!m_current.isEmpty())
            m_out.push_back(std::exchange(m_current, QPolygonF()));
    }

    QRectF m_clip;
    std::vector<QPolygonF>& m_out;
    QPolygonF m_current;
    QPointF m_previous;
    bool m_hasPrevious = false;
};

// The plot area with one pixel to spare on each side, so that lines on
// the borders are drawn whole.
QRectF ClipRect(const CWGraphMapping& mapping)
{
    const QRect& a = mapping.area;
    return QRectF(a.left() - 1.0, a.top() - 1.0, a.width() + 2.0, a.height() + 2.0);
}

// The points of one pixel column, reduced to four vertices.
struct Column {
    double index = 0.0;
    QPointF first, last;
    double low = 0.0, high = 0.0;
};

}  // namespace

CWGraphPlot::CWGraphPlot(QString name, vexar::ui::COLORREF colour) : m_name(std::move(name)), m_colour(colour) {}

void CWGraphPlot::Append(double x, double y)
{
    if (!m_points.empty() && !(x >= m_points.back().x()))
        m_xAscending = false;
    if (!std::isfinite(x))
        m_xAscending = false;
    m_points.emplace_back(x, y);
}

void CWGraphPlot::BuildPolylines(const CWGraphMapping& mapping, std::vector<QPolygonF>& out) const
{
    out.clear();
    if (m_points.empty())
        return;
    if (!m_xAscending) {
        BuildRaw(0, m_points.size(), mapping, out);
        return;
    }
    std::size_t first = 0;
    std::size_t end = 0;
    VisibleRange(mapping, first, end);
    if (IsDense(mapping, first, end))
        BuildReduced(first, end, mapping, out);
    else
        BuildRaw(first, end, mapping, out);
}

// The visible run, with one point beyond each end so that the lines into
// and out of the view are drawn.
void CWGraphPlot::VisibleRange(const CWGraphMapping& mapping, std::size_t& first, std::size_t& end) const
{
    const auto byX = [](const QPointF& p, double x) { return p.x() < x; };
    const auto beforeX = [](double x, const QPointF& p) { return x < p.x(); };
    first = std::lower_bound(m_points.begin(), m_points.end(), mapping.xMinimum, byX) - m_points.begin();
    end = std::upper_bound(m_points.begin(), m_points.end(), mapping.xMaximum, beforeX) - m_points.begin();
    if (first > 0)
        --first;
    if (end < m_points.size())
        ++end;
}

bool CWGraphPlot::IsDense(const CWGraphMapping& mapping, std::size_t first, std::size_t end) const
{
    return end - first > 2 * static_cast<std::size_t>(std::max(mapping.area.width(), 1));
}

bool CWGraphPlot::BuildColumnRuns(const CWGraphMapping& mapping, std::vector<QRect>& runs,
                                  std::vector<QLineF>& joins) const
{
    runs.clear();
    joins.clear();
    if (m_points.empty() || !m_xAscending)
        return false;
    std::size_t first = 0;
    std::size_t end = 0;
    VisibleRange(mapping, first, end);
    if (!IsDense(mapping, first, end))
        return false;

    // The column being gathered: its pixel column, its rows from top to
    // bottom, and its last point, where the line to the next one starts.
    bool open = false;
    long column = 0;
    long top = 0;
    long bottom = 0;
    QPointF last;
    const auto flush = [&] {
        if (open)
            runs.emplace_back(static_cast<int>(column), static_cast<int>(top), 1, static_cast<int>(bottom - top + 1));
    };
    for (std::size_t i = first; i < end; ++i) {
        if (!IsFinite(m_points[i])) {
            flush();
            open = false;
            continue;
        }
        const QPointF p = mapping.ToPixel(m_points[i].x(), m_points[i].y());
        // Far outside the plot (a point beyond the view's ends) only its
        // line in or out is drawn.
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || std::abs(p.x()) > 1e6 || std::abs(p.y()) > 1e6) {
            flush();
            if (open)
                joins.emplace_back(last, p);
            open = false;
            continue;
        }
        const long x = std::lround(std::floor(p.x()));
        const long y = std::lround(p.y());
        if (open && x == column) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            last = p;
            continue;
        }
        flush();
        long from = y;
        if (open && x == column + 1) {
            // The line in from the column before rises or falls within
            // this column, up to the last row of that one.
            from = std::lround(last.y());
        } else if (open) {
            joins.emplace_back(last, p);
        }
        column = x;
        top = std::min(from, y);
        bottom = std::max(from, y);
        last = p;
        open = true;
    }
    flush();
    return true;
}

void CWGraphPlot::BuildRaw(std::size_t first, std::size_t end, const CWGraphMapping& mapping,
                         std::vector<QPolygonF>& out) const
{
    PolylineBuilder builder(ClipRect(mapping), out);
    for (std::size_t i = first; i < end; ++i) {
        if (IsFinite(m_points[i]))
            builder.LineTo(mapping.ToPixel(m_points[i].x(), m_points[i].y()));
        else
            builder.BreakLine();
    }
}

void CWGraphPlot::BuildReduced(std::size_t first, std::size_t end, const CWGraphMapping& mapping,
                             std::vector<QPolygonF>& out) const
{
    PolylineBuilder builder(ClipRect(mapping), out);
    Column column;
    bool open = false;
    const auto flushColumn = [&]() {
        if (!open)
            return;
        builder.LineTo(column.first);
        if (column.low != column.high) {
            const bool downward = column.first.y() <= column.last.y();
            builder.LineTo(QPointF(column.first.x(), downward ? column.low : column.high));
            builder.LineTo(QPointF(column.first.x(), downward ? column.high : column.low));
        }
        builder.LineTo(column.last);
        open = false;
    };
    for (std::size_t i = first; i < end; ++i) {
        if (!IsFinite(m_points[i])) {
            flushColumn();
            builder.BreakLine();
            continue;
        }
        const QPointF p = mapping.ToPixel(m_points[i].x(), m_points[i].y());
        const double index = std::floor(p.x());
        if (open && index == column.index) {
            column.last = p;
            column.low = std::min(column.low, p.y());
            column.high = std::max(column.high, p.y());
            continue;
        }
        flushColumn();
        column = Column{index, p, p, p.y(), p.y()};
        open = true;
    }
    flushColumn();
}
