// The graph's rules without a widget: how the stored ranges grow as points
// arrive, the trace store, the stepping cursor, the cursor labels and the
// readout texts, the map between values and pixels; and the pickers'
// names, offers and list lines.

#include "TestControls.h"
#include "config/CUtilityCtrl.h"
#include "config/ControlCodes.h"
#include "pages/core/CUtilityPicker.h"
#include "pages/core/GraphRanges.h"
#include "pages/core/GraphTraces.h"
#include "pages/core/GraphView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

void PrintTo(const GraphRanges& r, std::ostream* out)
{
    *out << "X " << r.xMinimum << ".." << r.xMaximum << ", Y " << r.yMinimum << ".." << r.yMaximum;
}

void PrintTo(const REC_PUNTO& p, std::ostream* out) { *out << "{" << p.x << ", " << p.y << "}"; }

namespace {

struct Point {
    double time;
    double value;
    std::int32_t display;
};

GraphRanges After(std::initializer_list<Point> points)
{
    GraphRanges ranges;
    for (const Point& p : points)
        ranges.Grow(p.time, p.value, GraphScale(p.display));
    return ranges;
}

GraphRanges Ranges(double x0, double x1, double y0, double y1) { return GraphRanges{x0, x1, y0, y1}; }

TEST(GraphRangesTest, GrowOutwardByWholeStepsUntilThePointsCellIsInside)
{
    struct Case {
        const char* what;
        std::initializer_list<Point> points;
        GraphRanges expected;
    };
    const Case cases[] = {
        {"a first point at 0.4 s of 0.3: its cell (1, 1) meets the exclusive top", {{0.4, 0.3, 1}},
         Ranges(0, 120, 0, 2)},
        {"inside the initial rectangle", {{5, -0.5, 1}}, Ranges(0, 120, 0, 1)},
        // Once a point is outside, every edge it lies on moves: a cell y of 0
        // sits on the Y minimum.
        {"130 s", {{130, 0.5, 1}}, Ranges(0, 240, 0, 2)},
        {"130 s, then -5 s", {{130, 0.5, 1}, {-5, 0.5, 1}}, Ranges(-120, 240, 0, 2)},
        {"a cell on the minimum moves it", {{130, -0.5, 1}}, Ranges(0, 240, -1, 1)},
        {"a time of exactly 119 s reaches the exclusive right edge", {{119, 0.5, 1}}, Ranges(0, 240, 0, 2)},
        {"3000 at scale 1000 is a cell of 3", {{0, 3000, 1000}}, Ranges(0, 120, 0, 4)},
        {"a negative value grows the bottom", {{0, -2.5, 1}}, Ranges(0, 120, -2, 1)},
        {"scale 0 counts as 1", {{0, 2.5, 0}}, Ranges(0, 120, 0, 4)},
        {"a negative scale counts as 1", {{0, 2.5, -7}}, Ranges(0, 120, 0, 4)},
        {"far ranges only grow", {{1000, 50, 1}, {3, 0.2, 1}}, Ranges(0, 1080, 0, 52)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(After(c.points), c.expected) << c.what;
}

// The closed form against the step-by-step rule, over a sweep of points.
TEST(GraphRangesTest, TheComputedGrowthIsTheGrowthOfTheSteps)
{
    const auto stepwise = [](GraphRanges r, double time, double value, double scale) {
        const double x = std::trunc(time + 1.0);
        const double y = std::trunc((value + 1.0) / scale);
        if (x >= std::trunc(r.xMinimum) && x < std::trunc(r.xMaximum) && y >= std::trunc(r.yMinimum) &&
            y < std::trunc(r.yMaximum))
            return r;
        while (x <= r.xMinimum)
            r.xMinimum -= 120;
        while (x >= r.xMaximum)
            r.xMaximum += 120;
        while (y <= r.yMinimum)
            r.yMinimum -= 1;
        while (y >= r.yMaximum)
            r.yMaximum += 1;
        return r;
    };
    GraphRanges computed;
    GraphRanges reference;
    for (double time = -1000.25; time < 1500; time += 37.75) {
        for (double value = -40.5; value < 60; value += 9.3) {
            for (double scale : {1.0, 3.0, 1000.0}) {
                GraphRanges fresh;
                EXPECT_EQ(fresh.Grow(time, value, scale), !(stepwise(fresh, time, value, scale) == GraphRanges{}));
                EXPECT_EQ(fresh, stepwise(GraphRanges{}, time, value, scale)) << time << ", " << value;
                computed.Grow(time, value, scale);
                reference = stepwise(reference, time, value, scale);
            }
        }
    }
    EXPECT_EQ(computed, reference);
}

// The loops of the steps would run for ages (or for ever: a step no longer
// changes a double of that size) on the user-interface thread.
TEST(GraphRangesTest, FarPointsReturnAtOnceWithThePointInside)
{
    const auto start = std::chrono::steady_clock::now();
    GraphRanges r;
    EXPECT_TRUE(r.Grow(1e12, 0.0, 1.0));
    EXPECT_EQ(r.xMaximum, 1000000000080.0) << "the first multiple of 120 beyond the cell 1e12 + 1";
    EXPECT_EQ(r.xMinimum, 0.0);

    for (double far : {1e300, -1e300, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()}) {
        GraphRanges g;
        g.Grow(far, far, 1.0);
        EXPECT_TRUE(std::isfinite(g.xMinimum) && std::isfinite(g.xMaximum)) << far;
        EXPECT_TRUE(std::isfinite(g.yMinimum) && std::isfinite(g.yMaximum)) << far;
        EXPECT_LT(g.xMinimum, g.xMaximum);
        EXPECT_LE(g.xMinimum, std::trunc(far)) << far;
        EXPECT_GE(g.xMaximum, std::trunc(far)) << far;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST(GraphRangesTest, OnlyFiniteNumbersArePlottable)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(IsPlottable(0.0, -3.5));
    EXPECT_TRUE(IsPlottable(1e12, 1e300));
    EXPECT_FALSE(IsPlottable(nan, 1.0));
    EXPECT_FALSE(IsPlottable(1.0, nan));
    EXPECT_FALSE(IsPlottable(inf, 1.0));
    EXPECT_FALSE(IsPlottable(1.0, -inf));
    EXPECT_EQ(GraphScale(0), 1.0);
    EXPECT_EQ(GraphScale(-1), 1.0);
    EXPECT_EQ(GraphScale(100), 100.0);
}

// ---- traces and the stepping cursor ----------------------------------------

GraphTraces ThreeTraces()
{
    GraphTraces traces;
    traces.Add({u"A", 0, {}}).points = {{1, 10}, {3, 11}, {5, 12}};
    traces.Add({u"B", 4, {}}).points = {{3, 20}, {4, 21}};
    traces.Add({u"C", 9, {}}).points = {{0.5, 30}, {5, 31}};
    return traces;
}

TEST(GraphTracesTest, AddCopiesWithoutPointsAndFindsByExactName)
{
    GraphTraces traces;
    traces.Add({u"Giri_Motore", 3, {{1, 2}}});
    ASSERT_EQ(traces.Count(), 1u);
    EXPECT_TRUE(traces.Traces()[0].points.empty());
    EXPECT_EQ(traces.Find(u"Giri_Motore"), &traces.Traces()[0]);
    EXPECT_EQ(traces.Find(u"giri_motore"), nullptr);
    EXPECT_EQ(traces.Find(u"Giri_Motore "), nullptr);
    EXPECT_TRUE(traces.IsSlotUsed(3));
    EXPECT_FALSE(traces.IsSlotUsed(0));
}

TEST(GraphTracesTest, RemovalReindexesAndAnIndexOutsideChangesNothing)
{
    GraphTraces traces = ThreeTraces();
    EXPECT_FALSE(traces.Remove(3));
    EXPECT_EQ(traces.Count(), 3u);
    EXPECT_TRUE(traces.Remove(0));
    ASSERT_EQ(traces.Count(), 2u);
    EXPECT_EQ(traces.Traces()[0].name, u"B");
    EXPECT_EQ(traces.Traces()[1].name, u"C");
    EXPECT_FALSE(traces.IsSlotUsed(0));
    EXPECT_TRUE(traces.IsSlotUsed(9));

    traces.ClearPoints();
    EXPECT_EQ(traces.Count(), 2u);
    EXPECT_EQ(traces.Traces()[1].slot, 9);
    EXPECT_TRUE(traces.Traces()[1].points.empty());
}

TEST(GraphTracesTest, TheCursorStepsToTheNearestPointOnItsSide)
{
    const GraphTraces traces = ThreeTraces();
    struct Case {
        double from;
        bool left;
        std::optional<REC_PUNTO> expected;
    };
    const Case cases[] = {
        {0.0, false, REC_PUNTO{0.5, 30}},
        {0.5, false, REC_PUNTO{1, 10}},
        {1.0, false, REC_PUNTO{3, 11}},   // A's and B's points at 3 s: the first trace's
        {4.0, true, REC_PUNTO{3, 11}},
        {4.0, false, REC_PUNTO{5, 12}},   // A's and C's points at 5 s
        {5.0, false, std::nullopt},       // at the last point
        {0.5, true, std::nullopt},        // at the first
        {100.0, true, REC_PUNTO{5, 12}},
        {-100.0, false, REC_PUNTO{0.5, 30}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(traces.Step(c.from, c.left), c.expected) << c.from << (c.left ? " left" : " right");
    EXPECT_EQ(GraphTraces{}.Step(0.0, false), std::nullopt);
}

// ---- the view: pixels, labels, texts ---------------------------------------

GraphView View100(double x0 = 0, double x1 = 100, double y0 = 0, double y1 = 10)
{
    return GraphView{20, 10, 100, 50, x0, x1, y0, y1};
}

TEST(GraphViewTest, PointsAndPixelsMapBothWays)
{
    const GraphView view = View100();
    const auto corner = view.PointToPixel(0, 0);
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->x, 20);
    EXPECT_EQ(corner->y, 60);
    const auto top = view.PointToPixel(100, 10);
    EXPECT_EQ(top->x, 120);
    EXPECT_EQ(top->y, 10);
    EXPECT_EQ(view.PointToPixel(0.5, 0)->x, 21) << "a half pixel rounds away from zero";
    EXPECT_EQ(view.PointToPixel(-0.5, 0)->x, 19);
    EXPECT_EQ(view.PointToPixel(0, 0.1)->y, 60 - 1) << "0.5 pixel up";

    const auto point = view.PixelToPoint(25, 10);
    ASSERT_TRUE(point);
    EXPECT_DOUBLE_EQ(point->x, 25.0);
    EXPECT_DOUBLE_EQ(point->y, 8.0);

    EXPECT_TRUE(view.Contains(20, 10));
    EXPECT_TRUE(view.Contains(120, 60)) << "borders included";
    EXPECT_FALSE(view.Contains(121, 60));
    EXPECT_FALSE(view.Contains(20, 9));
}

TEST(GraphViewTest, ARangeOrAnAreaWithoutWidthMapsNothing)
{
    const GraphView views[] = {
        GraphView{0, 0, 0, 50, 0, 100, 0, 10},
        GraphView{0, 0, 100, 0, 0, 100, 0, 10},
        GraphView{0, 0, 100, 50, 5, 5, 0, 10},
        GraphView{0, 0, 100, 50, 0, 100, -3, -3},
        GraphView{0, 0, 100, 50, -std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 0, 1},
    };
    for (const GraphView& view : views) {
        EXPECT_FALSE(view.PointToPixel(1, 1));
        EXPECT_FALSE(view.PixelToPoint(1, 1));
    }
    GraphTraces traces = ThreeTraces();
    for (const auto& label : PlaceCursorLabels(traces, views[2], 3.0))
        EXPECT_FALSE(label);
}

TEST(GraphViewTest, EachTraceIsLabelledAtItsPointOnTheCursor)
{
    GraphTraces traces;
    traces.Add({u"A", 0, {}}).points = {{6, 1.25}, {12, 3.5}};
    traces.Add({u"B", 1, {}}).points = {{12, 7.75}};
    traces.Add({u"C", 2, {}}).points = {{11.999, 5}};
    const GraphView view = View100(0, 24, 0, 10);
    const auto labels = PlaceCursorLabels(traces, view, 12.0);
    ASSERT_TRUE(labels[0]);
    EXPECT_EQ(labels[0]->text, u"[12.000;3.500(12.000)]");
    EXPECT_EQ(labels[0]->x, 70);
    EXPECT_EQ(labels[0]->y, 60 - 18) << "3.5 of 10 over 50 pixels is 17.5, rounded away from zero";
    ASSERT_TRUE(labels[1]);
    EXPECT_EQ(labels[1]->text, u"[12.000;7.750(12.000)]");
    EXPECT_FALSE(labels[2]) << "only a point exactly on the cursor";

    // Zoomed so that A's point lies above the view: no label for it.
    const auto zoomed = PlaceCursorLabels(traces, View100(0, 24, 5, 10), 12.0);
    EXPECT_FALSE(zoomed[0]);
    EXPECT_TRUE(zoomed[1]);
}

TEST(GraphViewTest, TheLastPointOfATraceOnTheCursorWinsAndOnlyTenTracesAreLabelled)
{
    GraphTraces traces;
    traces.Add({u"T0", 0, {}}).points = {{2, 1}, {2, 4}, {2, 99}};  // the last one lies above the view
    for (int i = 1; i < 12; ++i)
        traces.Add({u"T" + std::u16string(1, static_cast<char16_t>(u'a' + i)), i % 10, {}}).points = {{2, 1}};
    const auto labels = PlaceCursorLabels(traces, View100(), 2.0);
    ASSERT_EQ(labels.size(), 10u) << "the traces after the tenth have no label";
    for (const auto& label : labels)
        EXPECT_TRUE(label);
    EXPECT_EQ(labels[0]->text, u"[2.000;4.000(2.000)]") << "the last point in view";
}

// The test program runs under a comma-decimal locale.
TEST(GraphViewTest, TextsUseTheDecimalPoint)
{
    EXPECT_EQ(ReadoutText(1234.5), u"1234.500");
    EXPECT_EQ(ReadoutText(-0.0004), u"-0.000");
    EXPECT_EQ(CursorLabelText({-7.25, 0.0005}), u"[-7.250;0.001(-7.250)]");
}

// ---- pickers -----------------------------------------------------------------

TEST(PickerRulesTest, DisplayNames)
{
    struct Case {
        std::u16string label;
        std::u16string name;
    };
    const Case cases[] = {
        {u"Engine speed", u"Engine speed"},
        {u"Gas:temperature", u"Gas temperature"},
        {u"Battery voltage:", u"Battery voltage"},
        {u"  Lambda : 1 :  ", u"Lambda   1"},
        {u":::", u""},
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::CleanCtrlName(c.label), c.name);
}

TEST(PickerRulesTest, ALineShowsItsNameWithOrWithoutTheDisplayParameter)
{
    struct Case {
        std::u16string line;
        std::u16string name;
        bool shows;
    };
    const Case cases[] = {
        {u"Engine speed", u"Engine speed", true},
        {u"(100)Engine speed", u"Engine speed", true},
        {u"(-3)Engine speed", u"Engine speed", true},
        {u"(1)Engine speed", u"Engine speed 2", false},
        {u"()Engine speed", u"Engine speed", false},
        {u"(x1)Engine speed", u"Engine speed", false},
        {u"X(1)Engine speed", u"Engine speed", false},
        {u"(100)Engine speed", u"speed", false},
        {u"Engine speed", u"(100)Engine speed", false},
        {u"(100)Engine speed", u"(100)Engine speed", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::VarLineShows(c.line, c.name), c.shows)
            << std::string(c.line.begin(), c.line.end()) << " / " << std::string(c.name.begin(), c.name.end());
}

class PickerItemsTest : public ::testing::Test {
protected:
    void Add(std::int32_t id, std::u16string label, std::int32_t access, std::int32_t category = CTRL_NUMERIC)
    {
        REC_CONTROLLO definition = vexar::testing::MakeDefinition(id, u"V" + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)),
                                                                   category, {}, std::move(label));
        definition.OPERATORE = access;
        controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = id;
        entry.category = category;
        entry.access = access;
        entry.wnd = controls.back().get();
        table.push_back(entry);
    }

    std::vector<std::unique_ptr<IDataCtrl>> controls;
    CTRL_TABLE table;
};

TEST_F(PickerItemsTest, OneLinePerNameInTableOrderForWhatTheProfileSees)
{
    Add(1, u"Engine speed", OPR_PBL);
    Add(2, u"Injection time:", OPR_PRV);
    Add(3, u"Engine speed", OPR_PBL);     // the same name again
    Add(4, u"Gas:temperature", OPR_REM);
    Add(5, u" : ", OPR_PBL);               // no name at all
    Add(6, u"Unassigned", OPR_PBL, 11);    // no control class: no definition
    table.push_back(CTRL_WND{});           // an entry without a control
    Add(8, u"Battery voltage", OPR_PBL);

    const auto names = [](const std::vector<CUtility::PickerItem>& items) {
        std::vector<std::pair<std::u16string, std::int32_t>> out;
        for (const auto& item : items)
            out.emplace_back(item.name, item.index);
        return out;
    };
    using Lines = std::vector<std::pair<std::u16string, std::int32_t>>;
    EXPECT_EQ(names(CUtility::PickerItems(OPR_PBL, table)), (Lines{{u"Engine speed", 0}, {u"Battery voltage", 7}}));
    const Lines all{{u"Engine speed", 0}, {u"Injection time", 1}, {u"Gas temperature", 3}, {u"Battery voltage", 7}};
    EXPECT_EQ(names(CUtility::PickerItems(OPR_PRV, table)), all);
    EXPECT_EQ(names(CUtility::PickerItems(OPR_REM, table)), all);
    for (std::int32_t mode : {3, 4, 5, -1})
        EXPECT_TRUE(CUtility::PickerItems(mode, table).empty()) << mode;
}

TEST_F(PickerItemsTest, LineTextsWithAndWithoutTheDisplayParameter)
{
    REC_CONTROLLO rpm = vexar::testing::MakeDefinition(201, u"Giri_Motore", CTRL_RPM, {}, u"Engine speed:");
    std::get<TermBlock>(rpm.GRAFICA).SCALA = 100;
    EXPECT_EQ(CUtility::VarLineText(rpm, true), u"(100)Engine speed");
    EXPECT_EQ(CUtility::VarLineText(rpm, false), u"Engine speed");
    const REC_CONTROLLO check = vexar::testing::MakeDefinition(1, u"Flag", CTRL_CHECK, {}, u"A : flag");
    EXPECT_EQ(CUtility::VarLineText(check, true), u"(1)A   flag");
}

}  // namespace
