#include "pages/widgets/CWGraphPlot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

// One value unit per pixel: X 0..100 on columns 10..110, Y 0..50 on rows
// 60 (bottom) up to 10 (top).
CWGraphMapping UnitMapping()
{
    CWGraphMapping map;
    map.area = QRect(10, 10, 100, 50);
    map.xMinimum = 0.0;
    map.xMaximum = 100.0;
    map.yMinimum = 0.0;
    map.yMaximum = 50.0;
    return map;
}

std::vector<QPolygonF> Lines(const std::vector<QPointF>& points, const CWGraphMapping& map = UnitMapping())
{
    CWGraphPlot plot(QStringLiteral("p"), 0);
    for (const QPointF& p : points)
        plot.Append(p.x(), p.y());
    std::vector<QPolygonF> lines;
    plot.BuildPolylines(map, lines);
    return lines;
}

const double kNaN = std::nan("");

// The lowest and highest row that each pixel column of a polyline reaches.
std::map<int, std::pair<double, double>> ColumnExtents(const QPolygonF& line)
{
    std::map<int, std::pair<double, double>> columns;
    for (const QPointF& v : line) {
        auto [it, added] = columns.try_emplace(static_cast<int>(std::floor(v.x())), v.y(), v.y());
        it->second.first = std::min(it->second.first, v.y());
        it->second.second = std::max(it->second.second, v.y());
    }
    return columns;
}

// A dense trace is reduced per pixel column, but every column still
// reaches the lowest and the highest value that fell into it.
TEST(CWGraphPlot, DenseTraceKeepsEachColumnsExtremesWithFewVertices)
{
    std::vector<QPointF> sawtooth;
    std::vector<QPointF> spike;
    for (int i = 0; i <= 1000; ++i) {
        sawtooth.emplace_back(i * 0.1, i % 2 ? 50.0 : 0.0);
        spike.emplace_back(i * 0.1, i == 505 ? 40.0 : 0.0);
    }
    const auto sawLines = Lines(sawtooth);
    ASSERT_EQ(sawLines.size(), 1u);
    EXPECT_LE(sawLines.front().size(), 4 * 102);
    auto columns = ColumnExtents(sawLines.front());
    for (int column = 10; column < 110; ++column) {
        ASSERT_TRUE(columns.count(column)) << column;
        EXPECT_DOUBLE_EQ(columns[column].first, 10.0) << column;
        EXPECT_DOUBLE_EQ(columns[column].second, 60.0) << column;
    }

    const auto spikeLines = Lines(spike);
    ASSERT_EQ(spikeLines.size(), 1u);
    columns = ColumnExtents(spikeLines.front());
    for (int column = 10; column < 110; ++column) {
        ASSERT_TRUE(columns.count(column)) << column;
        EXPECT_DOUBLE_EQ(columns[column].first, column == 60 ? 20.0 : 60.0) << column;
    }
}

TEST(CWGraphPlot, LinesFromFarOutsideAreCutAtTheEdgesWithTheirSlope)
{
    for (double far : {200.0, 1e15}) {
        const auto lines = Lines({{-far, -far / 2}, {far, far / 2}});
        ASSERT_EQ(lines.size(), 1u) << far;
        ASSERT_EQ(lines.front().size(), 2) << far;
        // y = x / 2 leaves the clip rectangle (one pixel round the area)
        // through its left and right edges.
        EXPECT_NEAR(lines.front()[0].x(), 9.0, 0.01) << far;
        EXPECT_NEAR(lines.front()[0].y(), 60.5, 0.3) << far;
        EXPECT_NEAR(lines.front()[1].x(), 111.0, 0.01) << far;
        EXPECT_NEAR(lines.front()[1].y(), 9.5, 0.3) << far;
    }
}

struct BreakCase {
    const char* what;
    std::vector<QPointF> points;
    std::vector<int> vertices;  // per polyline
};

class GraphPlotBreaks : public ::testing::TestWithParam<BreakCase> {};

TEST_P(GraphPlotBreaks, PolylinesAndTheirVertices)
{
    const auto lines = Lines(GetParam().points);
    std::vector<int> vertices;
    for (const QPolygonF& line : lines)
        vertices.push_back(static_cast<int>(line.size()));
    EXPECT_EQ(vertices, GetParam().vertices);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphPlotBreaks,
    ::testing::Values(
        BreakCase{"lone point", {{50, 25}}, {1}},
        BreakCase{"missing value in time order", {{0, 10}, {20, 10}, {30, kNaN}, {40, 20}, {60, 20}}, {2, 2}},
        BreakCase{"missing time", {{0, 10}, {20, 10}, {kNaN, 5}, {40, 20}, {60, 20}}, {2, 2}},
        BreakCase{"all beyond the view", {{200, 10}, {300, 20}}, {}},
        BreakCase{"across the view from both sides", {{-10, 10}, {200, 10}}, {2}},
        BreakCase{"leaving and coming back", {{10, 10}, {50, 200}, {90, 10}}, {2, 2}},
        BreakCase{"x going back and forth", {{10, 10}, {30, 20}, {20, 30}, {40, 40}, {5, 5}}, {5}}),
    [](const auto& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(CWGraphPlot, ColourAndPointsAsGiven)
{
    CWGraphPlot plot(QStringLiteral("RPM"), 0x00FFFF);
    plot.Append(1.0, 2.0);
    plot.Append(0.5, 3.0);
    plot.SetColor(0xFF00FF);
    EXPECT_EQ(plot.Name(), QStringLiteral("RPM"));
    EXPECT_EQ(plot.Color(), 0xFF00FFu);
    ASSERT_EQ(plot.Size(), 2u);
    EXPECT_EQ(plot.Points()[1], QPointF(0.5, 3.0));
}

}  // namespace

namespace {

// The column runs of a dense trace: each column covers the rows its points
// reach and the line in from the column before; a gap of more than one
// column is crossed by a line; sparse or unordered plots have none.
TEST(CWGraphPlotRuns, ADenseTraceIsOneRunPerColumnWithItsExtremesAndTheLineIn)
{
    CWGraphPlot dense(QStringLiteral("d"), 0);
    for (int i = 0; i <= 1000; ++i)
        dense.Append(i * 0.1, i == 505 ? 40.0 : (i / 10) % 2 ? 20.0 : 10.0);
    std::vector<QRect> runs;
    std::vector<QLineF> joins;
    ASSERT_TRUE(dense.BuildColumnRuns(UnitMapping(), runs, joins));
    EXPECT_TRUE(joins.empty());
    std::map<int, QRect> byColumn;
    for (const QRect& run : runs) {
        EXPECT_EQ(run.width(), 1);
        EXPECT_TRUE(byColumn.emplace(run.left(), run).second) << "column " << run.left() << " twice";
    }
    EXPECT_EQ(byColumn.size(), 101u);  // columns 10 to 110
    // Column 60 (x 50..51) holds the spike at 40: row 60 - 40 = 20, down to
    // the level at 10 (row 50); the next steps up to 20 (row 40) and the
    // one after back down, each with the line in from the level before.
    EXPECT_EQ(byColumn.at(60).top(), 20);
    EXPECT_EQ(byColumn.at(60).bottom(), 50);
    EXPECT_EQ(byColumn.at(61).top(), 40);
    EXPECT_EQ(byColumn.at(61).bottom(), 50);  // the line in from the column before
    EXPECT_EQ(byColumn.at(62).top(), 40);
    EXPECT_EQ(byColumn.at(62).bottom(), 50);
    // The first column has no line in: one row.
    EXPECT_EQ(byColumn.at(10).height(), 1);

    // A gap of ten columns in a dense trace is crossed by one line.
    CWGraphPlot gap(QStringLiteral("g"), 0);
    for (int i = 0; i <= 1000; ++i)
        if (i < 400 || i > 500)
            gap.Append(i * 0.1, 5.0);
    ASSERT_TRUE(gap.BuildColumnRuns(UnitMapping(), runs, joins));
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_NEAR(joins[0].x2() - joins[0].x1(), 10.2, 1e-9);

    // Few points, or X going back: drawn as polylines.
    CWGraphPlot sparse(QStringLiteral("s"), 0);
    for (int i = 0; i < 150; ++i)
        sparse.Append(i * 0.5, 1.0);
    EXPECT_FALSE(sparse.BuildColumnRuns(UnitMapping(), runs, joins));
    CWGraphPlot back(QStringLiteral("b"), 0);
    for (int i = 0; i <= 1000; ++i)
        back.Append(i % 500 * 0.1, 1.0);
    EXPECT_FALSE(back.BuildColumnRuns(UnitMapping(), runs, joins));
}

}  // namespace
