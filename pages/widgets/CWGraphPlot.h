#pragma once

// One named plot of the chart: its colour and its points in the order
// they were appended. Drawing turns the points into polylines in pixels,
// clipped to the plot area; a long plot whose X values never decrease (a
// trace against time) is first reduced to what each pixel column shows
// (first, lowest, highest and last value), so ten live traces of many
// thousand points redraw in a few milliseconds. A point that is not a
// finite number breaks the line.

#include "pages/widgets/CWGraphMapping.h"
#include "platform/ui/ColorRef.h"

#include <QPointF>
#include <QLineF>
#include <QPolygonF>
#include <QRect>
#include <QString>

#include <cstddef>
#include <vector>

class CWGraphPlot {
public:
    CWGraphPlot(QString name, vexar::ui::COLORREF colour);

    const QString& Name() const { return m_name; }
    vexar::ui::COLORREF Color() const { return m_colour; }
    void SetColor(vexar::ui::COLORREF colour) { m_colour = colour; }

    void Append(double x, double y);
    std::size_t Size() const { return m_points.size(); }
    const std::vector<QPointF>& Points() const { return m_points; }

    // The visible parts of the plot as polylines in pixels; a polyline of
    // one vertex is a lone point.
    void BuildPolylines(const CWGraphMapping& mapping, std::vector<QPolygonF>& out) const;
    // A trace with more points in view than two per pixel column, drawn as
    // what each column shows: one vertical run of pixels per column (its
    // points and the line in from the column before), and a line across
    // every gap of more than a column. False, nothing built, for any other
    // plot, which BuildPolylines draws.
    bool BuildColumnRuns(const CWGraphMapping& mapping, std::vector<QRect>& runs, std::vector<QLineF>& joins) const;

private:
    // The visible run of an ascending plot, a point beyond each end.
    void VisibleRange(const CWGraphMapping& mapping, std::size_t& first, std::size_t& end) const;
    bool IsDense(const CWGraphMapping& mapping, std::size_t first, std::size_t end) const;
    void BuildRaw(std::size_t first, std::size_t end, const CWGraphMapping& mapping,
                  std::vector<QPolygonF>& out) const;
    void BuildReduced(std::size_t first, std::size_t end, const CWGraphMapping& mapping,
                      std::vector<QPolygonF>& out) const;

    QString m_name;
    vexar::ui::COLORREF m_colour;
    std::vector<QPointF> m_points;
    bool m_xAscending = true;  // no X value is below the one before it
};
