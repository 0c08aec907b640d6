#include "pages/widgets/CCWGraph.h"

#include <QImage>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Axis = CCWGraph::Axis;
using Mode = CCWGraph::TrackMode;
using vexar::ui::RGB;

constexpr vexar::ui::COLORREF kYellow = RGB(255, 255, 0);
constexpr vexar::ui::COLORREF kCyan = RGB(0, 255, 255);
constexpr vexar::ui::COLORREF kGrid = RGB(156, 170, 184);
constexpr vexar::ui::COLORREF kAxis = RGB(0, 0, 128);

// The owner of the chart: counts the keys that reach it.
class Owner : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

// A chart of 400 x 300 pixels showing X 0..100 and Y 0..50, with plot "A"
// along y = x / 2 at every whole x.
class GraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.resize(420, 320);
        graph = new CCWGraph(&owner);
        graph->setGeometry(0, 0, 400, 300);
        graph->SetAxisRange(Axis::X, 0, 100);
        graph->SetAxisRange(Axis::Y, 0, 50);
        graph->SetAxisColor(Axis::X, kAxis);
        graph->SetAxisColor(Axis::Y, kAxis);
        graph->SetAxisCaption(Axis::X, QStringLiteral("Time (s)"));
        graph->AddPlot(QStringLiteral("A"), kYellow);
        for (int x = 0; x <= 100; ++x)
            graph->AppendPoint(QStringLiteral("A"), x, x / 2.0);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }

    CWGraphMapping map() const
    {
        CWGraphMapping m;
        m.area = graph->GetPlotArea();
        m.xMinimum = graph->GetAxisMinimum(Axis::X);
        m.xMaximum = graph->GetAxisMaximum(Axis::X);
        m.yMinimum = graph->GetAxisMinimum(Axis::Y);
        m.yMaximum = graph->GetAxisMaximum(Axis::Y);
        return m;
    }
    QPoint pixel(double x, double y) const { return map().ToPixel(x, y).toPoint(); }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(graph, Qt::LeftButton, {}, from);
        QTest::mouseMove(graph, (from + to) / 2);
        QTest::mouseMove(graph, to);
        QTest::mouseRelease(graph, Qt::LeftButton, {}, to);
    }

    Owner owner;
    CCWGraph* graph = nullptr;
};

TEST_F(GraphTest, PlotsByNameFirstOfAKindAndRefusedRanges)
{
    graph->AddPlot(QStringLiteral("B"), kCyan);
    graph->AddPlot(QStringLiteral("B"), kYellow);  // a second "B": the first is meant
    EXPECT_TRUE(graph->AppendPoint(QStringLiteral("B"), 1, 1));
    EXPECT_FALSE(graph->AppendPoint(QStringLiteral("b"), 1, 1));  // names match with their case
    EXPECT_EQ(graph->GetPlotColor(QStringLiteral("B")), kCyan);
    EXPECT_TRUE(graph->SetPlotColor(QStringLiteral("B"), kGrid));
    EXPECT_EQ(graph->GetPlotColor(QStringLiteral("B")), kGrid);
    EXPECT_FALSE(graph->GetPlotColor(QStringLiteral("C")).has_value());
    EXPECT_EQ(graph->GetPointCount(QStringLiteral("B")), 1u);

    EXPECT_TRUE(graph->RemovePlot(QStringLiteral("B")));  // the first "B" goes
    ASSERT_EQ(graph->GetPlotCount(), 2);
    EXPECT_EQ(graph->GetPlotName(1), QStringLiteral("B"));
    EXPECT_EQ(graph->GetPointCount(QStringLiteral("B")), 0u);
    EXPECT_EQ(graph->GetPlotColor(QStringLiteral("B")), kYellow);
    EXPECT_FALSE(graph->RemovePlot(QStringLiteral("C")));
    EXPECT_TRUE(graph->GetPlotName(7).isEmpty());

    const double nan = std::nan("");
    const double bad[][2] = {{1, 1}, {2, 1}, {nan, 1}, {0, HUGE_VAL}, {-1e308, 1e308}};
    for (const auto& range : bad) {
        EXPECT_FALSE(graph->SetAxisRange(Axis::X, range[0], range[1])) << range[0] << " " << range[1];
        EXPECT_EQ(graph->GetAxisMinimum(Axis::X), 0.0);
        EXPECT_EQ(graph->GetAxisMaximum(Axis::X), 100.0);
    }

    graph->RemoveAllPlots();
    EXPECT_EQ(graph->GetPlotCount(), 0);
}

struct ModeCase {
    const char* name;
    Mode mode;
    QPointF from, to;                   // in values
    double xMin, xMax, yMin, yMax;      // the view after the gesture
    bool cursorMoves;
};

class GraphModes : public GraphTest, public ::testing::WithParamInterface<ModeCase> {};

// A gesture of each mode changes the current ranges (pan, zoom) or the
// cursor (cursor mode) and nothing else: the points, the plots and their
// colours stay as they were.
TEST_P(GraphModes, GestureChangesOnlyTheViewOrTheCursor)
{
    const ModeCase& c = GetParam();
    graph->SetCursorVisible(true);
    graph->SetTrackMode(c.mode);
    QSignalSpy moves(graph, &CCWGraph::cursorChanged);
    const CWGraphMapping before = map();
    // One pixel in values: how close a mouse gesture can come.
    const double xPixel = 100.0 / before.area.width();
    const double yPixel = 50.0 / before.area.height();

    drag(pixel(c.from.x(), c.from.y()), pixel(c.to.x(), c.to.y()));

    EXPECT_NEAR(graph->GetAxisMinimum(Axis::X), c.xMin, 1.5 * xPixel);
    EXPECT_NEAR(graph->GetAxisMaximum(Axis::X), c.xMax, 1.5 * xPixel);
    EXPECT_NEAR(graph->GetAxisMinimum(Axis::Y), c.yMin, 1.5 * yPixel);
    EXPECT_NEAR(graph->GetAxisMaximum(Axis::Y), c.yMax, 1.5 * yPixel);
    EXPECT_EQ(graph->GetPlotCount(), 1);
    EXPECT_EQ(graph->GetPointCount(QStringLiteral("A")), 101u);
    EXPECT_EQ(graph->GetPlotColor(QStringLiteral("A")), kYellow);
    if (c.cursorMoves) {
        ASSERT_FALSE(moves.isEmpty());
        // The cursor snapped onto the point under the mouse.
        EXPECT_EQ(moves.last().at(0).toDouble(), c.to.x());
        EXPECT_EQ(moves.last().at(1).toDouble(), c.to.y());
        EXPECT_EQ(graph->GetCursorX(), c.to.x());
        EXPECT_EQ(graph->GetCursorY(), c.to.y());
    } else {
        EXPECT_TRUE(moves.isEmpty());
        EXPECT_FALSE(graph->GetCursorX().has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, GraphModes,
    ::testing::Values(ModeCase{"Pointer", Mode::Pointer, {20, 10}, {60, 30}, 0, 100, 0, 50, false},
                      ModeCase{"Cursor", Mode::Cursor, {20, 10}, {60, 30}, 0, 100, 0, 50, true},
                      // the view follows the hand: dragging up and right shows what lay down and left
                      ModeCase{"Pan", Mode::Pan, {20, 10}, {60, 30}, -40, 60, -20, 30, false},
                      ModeCase{"ZoomRectangle", Mode::Zoom, {60, 30}, {20, 10}, 20, 60, 10, 30, false},
                      ModeCase{"ZoomClick", Mode::Zoom, {50, 25}, {50, 25}, 25, 75, 12.5, 37.5, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphTest, ProgramMovesOfTheCursorAreNotReported)
{
    QSignalSpy moves(graph, &CCWGraph::cursorChanged);
    graph->SetCursorVisible(true);
    graph->SetCursorX(12.0);
    EXPECT_EQ(graph->GetCursorX(), 12.0);
    EXPECT_EQ(graph->GetCursorY(), 25.0);  // no position before: the middle of the Y range
    graph->SetCursorX(30.0);
    EXPECT_EQ(graph->GetCursorY(), 25.0);  // Y stays
    graph->SetCursorX(std::nan(""));
    EXPECT_FALSE(graph->GetCursorX().has_value());
    graph->SetCursorX(40.0);
    graph->ClearCursorPosition();
    EXPECT_FALSE(graph->GetCursorY().has_value());
    graph->SetTrackMode(Mode::Cursor);
    graph->SetAxisRange(Axis::X, 10, 20);
    EXPECT_TRUE(moves.isEmpty());
}

TEST_F(GraphTest, CursorSnapsOnlyToPointsInViewAndOnlyWhenShown)
{
    QSignalSpy moves(graph, &CCWGraph::cursorChanged);
    graph->SetTrackMode(Mode::Cursor);
    drag(pixel(20, 10), pixel(30, 15));
    EXPECT_TRUE(moves.isEmpty()) << "a hidden cursor does not move";

    graph->SetCursorVisible(true);
    graph->SetAxisRange(Axis::X, 40, 100);
    // Pressing on the left edge, the nearest visible point is x = 40.
    QTest::mouseClick(graph, Qt::LeftButton, {}, pixel(40, 20) + QPoint(0, 0));
    ASSERT_EQ(moves.size(), 1);
    EXPECT_EQ(graph->GetCursorX(), 40.0);
    EXPECT_EQ(graph->GetCursorY(), 20.0);
    // A second click on the same point is no move.
    QTest::mouseClick(graph, Qt::LeftButton, {}, pixel(40, 20));
    EXPECT_EQ(moves.size(), 1);
}

TEST_F(GraphTest, GesturesOutsideThePlotAreaOrCutByAModeChangeDoNothing)
{
    graph->SetTrackMode(Mode::Pan);
    const QRect area = graph->GetPlotArea();
    drag(QPoint(area.left() - 3, area.center().y()), area.center());
    EXPECT_EQ(graph->GetAxisMinimum(Axis::X), 0.0);

    QTest::mousePress(graph, Qt::LeftButton, {}, area.center());
    graph->SetTrackMode(Mode::Pointer);
    QTest::mouseMove(graph, area.center() + QPoint(40, 20));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, area.center() + QPoint(40, 20));
    EXPECT_EQ(graph->GetAxisMinimum(Axis::X), 0.0);
    EXPECT_EQ(graph->GetAxisMaximum(Axis::Y), 50.0);

    // A right button drag does not pan.
    graph->SetTrackMode(Mode::Pan);
    QTest::mousePress(graph, Qt::RightButton, {}, area.center());
    QTest::mouseMove(graph, area.center() + QPoint(40, 20));
    QTest::mouseRelease(graph, Qt::RightButton, {}, area.center() + QPoint(40, 20));
    EXPECT_EQ(graph->GetAxisMinimum(Axis::X), 0.0);
}

TEST_F(GraphTest, KeysGoToTheOwner)
{
    graph->SetTrackMode(Mode::Cursor);
    graph->SetCursorVisible(true);
    graph->SetCursorX(50.0);
    graph->setFocus();
    QTest::keyClick(graph, Qt::Key_Left);
    QTest::keyClick(graph, Qt::Key_Right);
    EXPECT_EQ(owner.keys, 2);
    EXPECT_EQ(graph->GetCursorX(), 50.0);
    EXPECT_EQ(graph->GetAxisMinimum(Axis::X), 0.0);
}

// True when a pixel of `colour` lies within `reach` pixels of `at`.
bool ColourNear(const QImage& image, QPoint at, vexar::ui::COLORREF colour, int reach = 1)
{
    const QRgb wanted = vexar::ui::ToQColor(colour).rgb();
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.rect().contains(p) && image.pixel(p) == wanted)
                return true;
        }
    return false;
}

TEST_F(GraphTest, DrawsPlotCursorGridAndAxesInTheirColours)
{
    graph->AddPlot(QStringLiteral("B"), kCyan);
    graph->AppendPoint(QStringLiteral("B"), 0, 40);
    graph->AppendPoint(QStringLiteral("B"), 100, 40);
    graph->SetCursorVisible(true);
    graph->SetCursorX(75.0);  // at y = 25, the middle; off the grid lines
    graph->SetGridVisible(Axis::X, true);
    graph->SetGridColor(Axis::X, kGrid);
    const QImage image = graph->grab().toImage();
    const QRect area = graph->GetPlotArea();
    const auto px = [&](double x, double y) { return pixel(x, y); };

    EXPECT_TRUE(ColourNear(image, px(30, 15), kYellow));
    EXPECT_TRUE(ColourNear(image, px(60, 40), kCyan));
    // The cursor's vertical line far from both plots, and its horizontal line.
    EXPECT_TRUE(ColourNear(image, px(75, 5), CCWGraph::kCursorColor, 0));
    EXPECT_TRUE(ColourNear(image, px(10, 25), CCWGraph::kCursorColor, 0));
    // The screen is black where nothing is drawn.
    EXPECT_EQ(image.pixel(px(85, 10)), vexar::ui::ToQColor(CCWGraph::kPlotBackground).rgb());
    // A dotted grid line at X = 0 on the left edge, and the axes beside it.
    EXPECT_TRUE(ColourNear(image, px(0, 45), kGrid));
    EXPECT_EQ(image.pixel(area.left() - 1, area.center().y()), vexar::ui::ToQColor(kAxis).rgb());
    EXPECT_EQ(image.pixel(area.center().x(), area.top() + area.height() + 1), vexar::ui::ToQColor(kAxis).rgb());

    // Hidden, the cursor leaves the screen black there.
    graph->SetCursorVisible(false);
    const QImage hidden = graph->grab().toImage();
    EXPECT_EQ(hidden.pixel(px(75, 5)), vexar::ui::ToQColor(CCWGraph::kPlotBackground).rgb());
}

TEST_F(GraphTest, PlotAreaLeavesRoomForLabelsAndCaptions)
{
    const QRect area = graph->GetPlotArea();
    const QFontMetrics metrics(graph->font());
    EXPECT_GE(area.left(), metrics.horizontalAdvance(QStringLiteral("50")));
    // Below the area: ticks, a line of labels and the X caption.
    EXPECT_GE(graph->height() - (area.top() + area.height()), 2 * metrics.height());
    EXPECT_LT(area.left() + area.width(), graph->width());

    graph->SetAxisCaption(Axis::Y, QStringLiteral("Pressure"));
    EXPECT_GE(graph->GetPlotArea().left(), area.left() + metrics.height());
}

}  // namespace
