#pragma once

// One named plot of the chart: its colour and its points in the order
// they were appended. Drawing turns the points into polylines in pixels,
// clipped to the plot area; a long plot whose X values never decrease (a
// trace against time) is first reduced to what each pixel column shows
// (first, lowest, highest and last value), so ten live traces of many
// thousand points redraw in a few milliseconds. A point that is not a
// finite number breaks the line.

#include "pages/widgets/GraphMapping.h"
#include "platform/ui/ColorRef.h"

#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <cstddef>
#include <vector>

namespace vexar::widgets {

class GraphPlot {
public:
    GraphPlot(QString name, ui::COLORREF colour);

    const QString& name() const { return m_name; }
    ui::COLORREF colour() const { return m_colour; }
    void setColour(ui::COLORREF colour) { m_colour = colour; }

    void append(double x, double y);
    std::size_t size() const { return m_points.size(); }
    const std::vector<QPointF>& points() const { return m_points; }

    // The visible parts of the plot as polylines in pixels; a polyline of
    // one vertex is a lone point.
    void buildPolylines(const GraphMapping& mapping, std::vector<QPolygonF>& out) const;

private:
    void buildRaw(std::size_t first, std::size_t end, const GraphMapping& mapping,
                  std::vector<QPolygonF>& out) const;
    void buildReduced(std::size_t first, std::size_t end, const GraphMapping& mapping,
                      std::vector<QPolygonF>& out) const;

    QString m_name;
    ui::COLORREF m_colour;
    std::vector<QPointF> m_points;
    bool m_xAscending = true;  // no X value is below the one before it
};

}  // namespace vexar::widgets
