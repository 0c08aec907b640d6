// The graph on its owner, driven with QTest: the toolbar and its tools
// with the chart's modes and mouse shapes, zoom, pan and restore against
// the stored ranges, the mouse readout, the stepping cursor with the
// traces' labels, the grid, the layout, the slot colours on screen,
// points arriving live and replayed from the synthetic acquisition, and
// the teardown.

#include "DisplayTestSupport.h"
#include "GraphTestOwner.h"
#include "TempDir.h"
#include "TestControls.h"
#include "DefinitionFixtures.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/CVariabiliAcq.h"
#include "platform/ui/WindowState.h"

#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>

using namespace displaytest;
using vexar::testing::TempDir;
using Axis = CCWGraph::Axis;
using TrackMode = CCWGraph::TrackMode;

namespace {

// The test installation's English texts, as the program finds them:
// UTF-16 with a byte-order mark.
std::string InstallEnglish(const TempDir& home)
{
    std::filesystem::create_directories(home.file("Lang"));
    EXPECT_TRUE(vexar::fixtures::WriteUnicodeTextFile(home.file("Lang/English.lng"),
                                                      vexar::fixtures::FixtureText("Lang/English.lng")));
    return home.file("Lang/English.lng");
}

GRAPH_POINT Point(const std::u16string& name, double time, double value, std::int32_t display = 1)
{
    GRAPH_POINT p;
    p.SetIdentifier(name);
    p.time = time;
    p.value = value;
    p.display = display;
    return p;
}

class GraphOnOwner : public ::testing::Test {
protected:
    GraphOnOwner() : owner(InstallEnglish(home))
    {
        setenv("VEXAR_HOME", home.path().c_str(), 1);
        owner.show();
        (void)QTest::qWaitForWindowExposed(&owner);
    }

    QToolBar* Bar() { return graph().Toolbar(); }
    QToolButton* Button(unsigned id) { return qobject_cast<QToolButton*>(vexar::ui::GetDlgItem(*Bar(), static_cast<int>(id))); }
    QLabel* Readout(unsigned id) { return qobject_cast<QLabel*>(vexar::ui::GetDlgItem(*Bar(), static_cast<int>(id))); }
    void Click(unsigned id)
    {
        QToolButton* button = Button(id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    CCtrlGraph& graph() { return owner.graph; }
    QRect Area() { return graph().GetPlotArea(); }
    // The pixel of a value on the chart as it shows now.
    QPoint PixelOf(double x, double y)
    {
        const QRect a = Area();
        const double xs = graph().GetAxisMaximum(Axis::X) - graph().GetAxisMinimum(Axis::X);
        const double ys = graph().GetAxisMaximum(Axis::Y) - graph().GetAxisMinimum(Axis::Y);
        return {a.left() + static_cast<int>(std::lround(a.width() / xs * (x - graph().GetAxisMinimum(Axis::X)))),
                a.top() + a.height() -
                    static_cast<int>(std::lround(a.height() / ys * (y - graph().GetAxisMinimum(Axis::Y))))};
    }
    void AddTrace(const std::u16string& name, std::int32_t slot) { graph().AddTrace({name, slot, {}}, false); }
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&graph(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&graph(), (from + to) / 2);
        QTest::mouseMove(&graph(), to);
        QTest::mouseRelease(&graph(), Qt::LeftButton, {}, to);
    }
    void KeyUp(Qt::Key key)
    {
        graph().setFocus();
        QTest::keyRelease(&graph(), key);
    }
    QString LabelText(int index)
    {
        auto* label = qobject_cast<QLabel*>(graph().CursorLabel(index));
        return label && label->isVisible() ? label->text() : QString();
    }
    int ShownLabels()
    {
        int shown = 0;
        for (int i = 0; i < 10; ++i)
            shown += graph().CursorLabel(i) && graph().CursorLabel(i)->isVisible() ? 1 : 0;
        return shown;
    }

    TempDir home;
    GraphTestOwner owner;
};

TEST_F(GraphOnOwner, TheToolbarHoldsItsThirteenSlotsAndTheChartStartsEmptyInPointerMode)
{
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->parentWidget(), &owner);
    EXPECT_EQ(vexar::ui::GetDlgCtrlID(*Bar()), 0xE800);
    const QList<QAction*> bar = Bar()->actions();
    ASSERT_EQ(bar.size(), 13);
    const unsigned ids[] = {101, 103, 102, 32853, 104, 32828, 32835};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(bar[i]->data().toUInt(), ids[i]) << "slot " << i;
        EXPECT_FALSE(bar[i]->icon().isNull());
        EXPECT_EQ(Button(ids[i])->defaultAction(), bar[i]);
    }
    EXPECT_TRUE(bar[6]->isSeparator() == false && bar[7]->isSeparator() && bar[10]->isSeparator());
    const struct {
        unsigned id;
        int width;
        const char* text;
        bool box;
    } readouts[] = {{105, 25, "X:", false}, {106, 150, "", true}, {107, 25, "Y:", false}, {108, 150, "", true}};
    const int readoutSlots[] = {8, 9, 11, 12};  // counted from 0
    for (int i = 0; i < 4; ++i) {
        QLabel* label = Readout(readouts[i].id);
        ASSERT_NE(label, nullptr) << readouts[i].id;
        EXPECT_EQ(Bar()->widgetForAction(bar[readoutSlots[i]]), label) << "slot " << readoutSlots[i];
        EXPECT_EQ(label->width(), readouts[i].width);
        EXPECT_EQ(label->text(), readouts[i].text);
        EXPECT_EQ(label->font(), owner.font());
        EXPECT_EQ(label->frameShape() != QFrame::NoFrame, readouts[i].box);
        EXPECT_EQ(label->alignment(), readouts[i].box ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    }

    EXPECT_TRUE(Button(101)->isChecked());
    EXPECT_TRUE(graph().IsPointerMode());
    EXPECT_EQ(graph().GetTrackMode(), TrackMode::Pointer);
    EXPECT_EQ(graph().cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(graph().font(), owner.font());
    EXPECT_EQ(graph().GetAxisCaption(Axis::X), "Time [s]");
    EXPECT_EQ(graph().GetAxisCaption(Axis::Y), "");
    for (Axis axis : {Axis::X, Axis::Y}) {
        EXPECT_EQ(graph().GetAxisColor(axis), GraphTestOwner::kAxisColour);
        EXPECT_FALSE(graph().GetGridVisible(axis));
        EXPECT_EQ(graph().GetGridColor(axis), vexar::ui::RGB(156, 170, 184));
    }
    EXPECT_EQ(graph().GetAxisMinimum(Axis::X), 0.0);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::X), 120.0);
    EXPECT_EQ(graph().GetAxisMinimum(Axis::Y), 0.0);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::Y), 1.0);
    EXPECT_EQ(graph().GetPlotCount(), 0);
    EXPECT_FALSE(graph().GetCursorVisible());
    for (int i = 0; i < 10; ++i) {
        ASSERT_NE(graph().CursorLabel(i), nullptr);
        EXPECT_EQ(graph().CursorLabel(i)->parentWidget(), &graph());
        EXPECT_TRUE(graph().CursorLabel(i)->isHidden());
    }
}

TEST_F(GraphOnOwner, OneToolIsPressedAtATimeWithItsModeAndItsMouseShape)
{
    const struct {
        unsigned id;
        TrackMode mode;
        Qt::CursorShape shape;
    } tools[] = {
        {103, TrackMode::Zoom, Qt::CrossCursor},
        {102, TrackMode::Pan, Qt::OpenHandCursor},
        {32853, TrackMode::Cursor, Qt::ArrowCursor},
        {101, TrackMode::Pointer, Qt::CrossCursor},
        {101, TrackMode::Pointer, Qt::CrossCursor},  // pressed again: stays pressed
    };
    for (const auto& tool : tools) {
        Click(tool.id);
        for (unsigned other : {101u, 102u, 103u, 32853u})
            EXPECT_EQ(Button(other)->isChecked(), other == tool.id) << tool.id << " / " << other;
        EXPECT_EQ(graph().GetTrackMode(), tool.mode) << tool.id;
        EXPECT_EQ(graph().cursor().shape(), tool.shape) << tool.id;
        EXPECT_EQ(graph().IsPointerMode(), tool.id == 101);
        EXPECT_EQ(graph().IsCursorMode(), tool.id == 32853);
        EXPECT_EQ(graph().GetCursorVisible(), tool.id == 32853);
    }

    // A press in pan mode closes the hand; it opens again once the button
    // is let go and the mouse moves.
    Click(102);
    const QPoint middle = Area().center();
    QTest::mousePress(&graph(), Qt::LeftButton, {}, middle);
    EXPECT_EQ(graph().cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseRelease(&graph(), Qt::LeftButton, {}, middle);
    QTest::mouseMove(&graph(), middle + QPoint(3, 3));
    EXPECT_EQ(graph().cursor().shape(), Qt::OpenHandCursor);

    Click(32835);
    Click(104);
    EXPECT_EQ(owner.fullScreenCommands, 1);
    EXPECT_TRUE(Button(102)->isChecked()) << "restore and full screen are no tools";
}

TEST_F(GraphOnOwner, ZoomAndPanMoveOnlyTheViewAndRestoreBringsBackTheStoredRanges)
{
    AddTrace(u"A", 0);
    for (int t = 0; t <= 100; t += 10)
        graph().PlotPoints(Point(u"A", t, 0.5));
    const GraphRanges stored = graph().StoredRanges();
    ASSERT_EQ(stored, (GraphRanges{0, 120, 0, 2}));

    Click(103);
    Drag(PixelOf(20, 1.5), PixelOf(60, 0.5));
    EXPECT_NEAR(graph().GetAxisMinimum(Axis::X), 20, 1.0);
    EXPECT_NEAR(graph().GetAxisMaximum(Axis::X), 60, 1.0);
    EXPECT_NEAR(graph().GetAxisMinimum(Axis::Y), 0.5, 0.05);
    EXPECT_NEAR(graph().GetAxisMaximum(Axis::Y), 1.5, 0.05);
    EXPECT_EQ(graph().StoredRanges(), stored);

    // Points beyond the stored ranges grow them, the zoomed view stays.
    const double zoomedLeft = graph().GetAxisMinimum(Axis::X);
    graph().PlotPoints(Point(u"A", 130, 2.5));
    EXPECT_EQ(graph().StoredRanges(), (GraphRanges{0, 240, 0, 4}));
    EXPECT_EQ(graph().GetAxisMinimum(Axis::X), zoomedLeft);

    Click(104);
    EXPECT_EQ(graph().GetAxisMinimum(Axis::X), 0.0);
    EXPECT_EQ(graph().GetAxisMinimum(Axis::Y), 0.0);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::X), 240.0);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::Y), 4.0);

    Click(102);
    Drag(Area().center(), Area().center() + QPoint(Area().width() / 4, 0));
    EXPECT_NEAR(graph().GetAxisMinimum(Axis::X), -60.0, 2.0);
    EXPECT_NEAR(graph().GetAxisMaximum(Axis::X), 180.0, 2.0);
    EXPECT_EQ(graph().StoredRanges(), (GraphRanges{0, 240, 0, 4}));
    EXPECT_EQ(graph().GetPointCount("A"), 12u) << "no tool edits a point";

    // While the view is off the stored ranges, growth does not move it.
    graph().PlotPoints(Point(u"A", 250, 0));
    EXPECT_NEAR(graph().GetAxisMaximum(Axis::X), 180.0, 2.0);
    Click(104);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::X), 360.0);
}

TEST_F(GraphOnOwner, TheReadoutFollowsTheMouseInPointerModeOnly)
{
    const QRect a = Area();
    const QPoint at(a.left() + a.width() / 4, a.top() + a.height() / 5);
    QTest::mouseMove(&graph(), at);
    const double x = 120.0 / a.width() * (at.x() - a.left());
    const double y = 1.0 - 1.0 / a.height() * (at.y() - a.top());
    EXPECT_EQ(Readout(106)->text().toStdString(), vexar::ToUtf8(vexar::Format(u"%.3f", x)));
    EXPECT_EQ(Readout(108)->text().toStdString(), vexar::ToUtf8(vexar::Format(u"%.3f", y)));
    EXPECT_TRUE(Readout(106)->text().contains('.')) << "the decimal point whatever the locale";

    QTest::mouseMove(&graph(), QPoint(a.left() + a.width(), a.top()));
    EXPECT_EQ(Readout(106)->text(), "120.000") << "the right border belongs to the area";
    EXPECT_EQ(Readout(108)->text(), "1.000");
    QTest::mouseMove(&graph(), QPoint(a.left() - 2, a.top() + 3));
    EXPECT_EQ(Readout(106)->text(), "120.000") << "outside the area the readout stays";

    for (unsigned tool : {103u, 102u, 32853u}) {
        Click(tool);
        QTest::mouseMove(&graph(), a.center());
        EXPECT_EQ(Readout(106)->text(), "120.000") << tool;
    }
    Click(101);
    QTest::mouseMove(&graph(), QPoint(a.left(), a.top() + a.height()));
    EXPECT_EQ(Readout(106)->text(), "0.000");
    EXPECT_EQ(Readout(108)->text(), "0.000");
}

class GraphCursor : public GraphOnOwner {
protected:
    void SetUp() override
    {
        AddTrace(u"A", 0);
        AddTrace(u"B", 3);
        for (auto [t, a, b] : {std::tuple{6.0, 1.25, 0.5}, {12.0, 3.5, 2.0}, {18.0, 2.0, 4.0}}) {
            graph().PlotPoints(Point(u"A", t, a));
            graph().PlotPoints(Point(u"B", t, b * 100, 100));
        }
        ASSERT_EQ(graph().StoredRanges(), (GraphRanges{0, 120, 0, 5}));
    }

    // The label stands with its top-left corner on the point's pixel.
    void ExpectLabelAt(int index, double x, double y, const char* text)
    {
        QWidget* label = graph().CursorLabel(index);
        ASSERT_TRUE(label && label->isVisible()) << text;
        EXPECT_EQ(LabelText(index), text);
        EXPECT_EQ(label->pos(), PixelOf(x, y)) << text;
    }
};

TEST_F(GraphCursor, LeftAndRightKeyUpsStepTheCursorAndLabelEveryTrace)
{
    Click(32853);
    EXPECT_TRUE(graph().GetCursorVisible());
    EXPECT_EQ(ShownLabels(), 0) << "nothing to the left of the empty cursor (0.0)";

    KeyUp(Qt::Key_Right);
    EXPECT_EQ(graph().GetCursorX(), 6.0);
    ExpectLabelAt(0, 6, 1.25, "[6.000;1.250(6.000)]");
    ExpectLabelAt(1, 6, 0.5, "[6.000;0.500(6.000)]");

    KeyUp(Qt::Key_Right);
    EXPECT_EQ(graph().GetCursorX(), 12.0);
    ExpectLabelAt(0, 12, 3.5, "[12.000;3.500(12.000)]");
    ExpectLabelAt(1, 12, 2.0, "[12.000;2.000(12.000)]");
    EXPECT_EQ(graph().CursorPoint(), (REC_PUNTO{12, 3.5})) << "the first trace's point on a tie";

    KeyUp(Qt::Key_Right);
    KeyUp(Qt::Key_Right);  // at the last point
    EXPECT_EQ(graph().GetCursorX(), 18.0);
    ExpectLabelAt(0, 18, 2.0, "[18.000;2.000(18.000)]");
    ExpectLabelAt(1, 18, 4.0, "[18.000;4.000(18.000)]");

    KeyUp(Qt::Key_Left);
    EXPECT_EQ(graph().GetCursorX(), 12.0);
    EXPECT_EQ(ShownLabels(), 2);

    // Keys go to the cursor only in cursor mode; leaving it hides all.
    Click(101);
    EXPECT_FALSE(graph().GetCursorVisible());
    EXPECT_EQ(ShownLabels(), 0);
    KeyUp(Qt::Key_Left);
    EXPECT_EQ(graph().GetCursorX(), 12.0);
    Click(104);
    EXPECT_EQ(ShownLabels(), 0) << "no label without the cursor";
}

TEST_F(GraphCursor, ALabelShowsOnlyInsideThePlotArea)
{
    Click(103);
    Drag(PixelOf(2, 3.0), PixelOf(20, 0.2));  // trace A's 3.5 at 12 s lies above
    Click(32853);
    KeyUp(Qt::Key_Right);
    KeyUp(Qt::Key_Right);
    ASSERT_EQ(graph().GetCursorX(), 12.0);
    EXPECT_EQ(LabelText(0), "");
    ExpectLabelAt(1, 12, 2.0, "[12.000;2.000(12.000)]");
    const QRect a = Area();
    const QRect label = graph().CursorLabel(1)->geometry();
    EXPECT_TRUE(a.contains(label.topLeft()));
}

// Dragging the cursor: the chart reports, the owner re-reads it.
TEST_F(GraphCursor, TheUserMovesTheCursorAndTheLabelsFollow)
{
    Click(32853);
    QTest::mousePress(&graph(), Qt::LeftButton, {}, PixelOf(18, 4.0) + QPoint(1, -1));
    QTest::mouseRelease(&graph(), Qt::LeftButton, {}, PixelOf(18, 4.0) + QPoint(1, -1));
    EXPECT_EQ(graph().CursorPoint(), (REC_PUNTO{18, 4.0}));
    ExpectLabelAt(0, 18, 2.0, "[18.000;2.000(18.000)]");
    ExpectLabelAt(1, 18, 4.0, "[18.000;4.000(18.000)]");
    KeyUp(Qt::Key_Left);
    EXPECT_EQ(graph().GetCursorX(), 12.0);
}

TEST_F(GraphCursor, RemovingATraceReindexesTheRestAndTheirLabels)
{
    AddTrace(u"C", 9);
    graph().PlotPoints(Point(u"C", 12, 1));
    Click(32853);
    KeyUp(Qt::Key_Right);
    KeyUp(Qt::Key_Right);
    ASSERT_EQ(ShownLabels(), 3);

    graph().RemoveTrace(3);
    graph().RemoveTrace(-1);
    EXPECT_EQ(graph().Traces().Count(), 3u);
    graph().RemoveTrace(0);
    ASSERT_EQ(graph().Traces().Count(), 2u);
    EXPECT_EQ(graph().GetPlotCount(), 2);
    EXPECT_EQ(graph().GetPlotName(0), "B");
    EXPECT_EQ(graph().GetPlotName(1), "C");
    EXPECT_EQ(graph().GetPlotColor("B"), CCtrlGraph::SlotColour(3));
    EXPECT_EQ(graph().GetPlotColor("C"), CCtrlGraph::SlotColour(9));
    EXPECT_FALSE(graph().IsSlotUsed(0));
    ExpectLabelAt(0, 12, 2.0, "[12.000;2.000(12.000)]");
    ExpectLabelAt(1, 12, 1.0, "[12.000;1.000(12.000)]");
    EXPECT_EQ(LabelText(2), "");
}

TEST_F(GraphOnOwner, TheGridSwitchesOnBothAxesInItsColour)
{
    const QRect a = Area();
    const QRect inside = a.adjusted(2, 2, -2, -2);
    const QColor grid(156, 170, 184);
    EXPECT_EQ(CountNear(Shot(graph()), inside, grid, 12), 0);
    Click(32828);
    EXPECT_TRUE(graph().GetGridVisible(Axis::X));
    EXPECT_TRUE(graph().GetGridVisible(Axis::Y));
    const QImage shot = Shot(graph());
    EXPECT_GT(CountNear(shot, QRect(inside.left(), a.center().y(), inside.width(), 1), grid, 12), 0)
        << "vertical lines cross the middle row";
    EXPECT_GT(CountNear(shot, QRect(a.center().x() + 1, inside.top(), 1, inside.height()), grid, 12), 0)
        << "horizontal lines cross a column";
    Click(32828);
    EXPECT_FALSE(graph().GetGridVisible(Axis::X));
    EXPECT_FALSE(graph().GetGridVisible(Axis::Y));
    EXPECT_EQ(CountNear(Shot(graph()), inside, grid, 12), 0);
}

TEST_F(GraphOnOwner, TheToolbarSitsUnderTheChartAfterEachLayout)
{
    const QSize barSize = Bar()->size();
    for (QSize size : {QSize(640, 420), QSize(900, 600), QSize(500, 330)}) {
        owner.resize(size);
        EXPECT_TRUE(QTest::qWaitFor([&] { return owner.size() == size; }, 1000));
        graph().LayoutToolbar(0, 0, size.width(), size.height());
        EXPECT_EQ(graph().geometry(), QRect(0, 0, size.width(), size.height() - Bar()->height() - 4));
        EXPECT_EQ(Bar()->pos(), QPoint(graph().x() - 5, graph().y() + graph().height() + 2));
        EXPECT_EQ(Bar()->size(), barSize);
    }
    graph().LayoutToolbar(30, 20, 530, 400);
    EXPECT_EQ(Bar()->pos(), QPoint(25, 20 + graph().height() + 2));
}

TEST_F(GraphOnOwner, EachTraceDrawsInItsSlotColour)
{
    const std::int32_t colourSlots[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 42};
    for (std::int32_t slot : colourSlots) {
        const std::u16string name = u"S" + vexar::Format(u"%d", slot);
        AddTrace(name, slot);
        const double level = slot == 42 ? 10.5 : slot + 0.5;
        for (int t = 0; t <= 100; t += 25)
            graph().PlotPoints(Point(name, t, level));
    }
    EXPECT_EQ(CCtrlGraph::SlotColour(5), CCtrlGraph::SlotColour(42));
    EXPECT_EQ(CCtrlGraph::SlotColour(-1), vexar::ui::RGB(255, 255, 255));
    const QImage shot = Shot(graph());
    for (std::int32_t slot : colourSlots) {
        const double level = slot == 42 ? 10.5 : slot + 0.5;
        const QPoint at = PixelOf(50, level);
        const QColor colour = vexar::ui::ToQColor(CCtrlGraph::SlotColour(slot));
        EXPECT_GT(CountNear(shot, QRect(at.x() - 10, at.y() - 1, 20, 3), colour, 6), 10) << "slot " << slot;
    }
    const QColor red = vexar::ui::ToQColor(vexar::ui::RGB(255, 0, 0));
    EXPECT_EQ(CountNear(shot, QRect(PixelOf(50, 0.5).x() - 10, PixelOf(50, 0.5).y() - 1, 20, 3), red, 6), 0);

    if (const char* folder = std::getenv("VEXAR_SCREENSHOTS")) {
        Click(32828);
        Click(32853);
        KeyUp(Qt::Key_Right);
        KeyUp(Qt::Key_Right);
        owner.grab().save(QString::fromUtf8(folder) + "/graph.png");
        const QPixmap bar = Bar()->grab();
        bar.scaled(bar.size() * 3).save(QString::fromUtf8(folder) + "/graph-toolbar.png");
    }
}

TEST_F(GraphOnOwner, PointsGrowTheStoredRangesAndTheAxesFollowUntilTheUserMovesThem)
{
    AddTrace(u"Giri_Motore", 2);
    graph().PlotPoints(Point(u"Other", 500, 9));
    EXPECT_EQ(graph().StoredRanges(), GraphRanges{}) << "a point of no trace is dropped";

    graph().PlotPoints(Point(u"Giri_Motore", 0.4, 0.3));
    EXPECT_EQ(graph().StoredRanges(), (GraphRanges{0, 120, 0, 2}));
    EXPECT_EQ(graph().GetAxisMaximum(Axis::Y), 2.0);

    graph().PlotPoints(Point(u"Giri_Motore", 1.0, 3000, 1000));
    EXPECT_EQ(graph().Traces().Traces()[0].points.back(), (REC_PUNTO{1.0, 3.0}));
    EXPECT_EQ(graph().GetAxisMaximum(Axis::Y), 4.0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    graph().PlotPoints(Point(u"Giri_Motore", nan, 1));
    graph().PlotPoints(Point(u"Giri_Motore", 2, std::numeric_limits<double>::infinity()));
    graph().PlotPoints(Point(u"Giri_Motore", 2, 7, 0));  // scale 0 counts as 1
    EXPECT_EQ(graph().Traces().Traces()[0].points.size(), 3u);
    EXPECT_EQ(graph().GetPointCount("Giri_Motore"), 3u);
    EXPECT_EQ(graph().Traces().Traces()[0].points.back(), (REC_PUNTO{2, 7}));

    graph().PlotPoints(Point(u"Giri_Motore", 1e12, 1));
    EXPECT_EQ(graph().GetAxisMaximum(Axis::X), 1000000000080.0);
}

TEST_F(GraphOnOwner, InitAxesKeepsTheTracesWithEmptyPlotsOrDropsThem)
{
    AddTrace(u"A", 4);
    AddTrace(u"B", 7);
    for (int t = 0; t < 300; t += 50) {
        graph().PlotPoints(Point(u"A", t, 3));
        graph().PlotPoints(Point(u"B", t, 1));
    }
    Click(32853);
    KeyUp(Qt::Key_Right);
    ASSERT_EQ(ShownLabels(), 2);

    graph().InitAxes(true);
    ASSERT_EQ(graph().Traces().Count(), 2u);
    EXPECT_EQ(graph().Traces().Traces()[1].slot, 7);
    EXPECT_EQ(graph().GetPlotCount(), 2);
    EXPECT_EQ(graph().GetPlotColor("A"), CCtrlGraph::SlotColour(4));
    EXPECT_EQ(graph().GetPointCount("A"), 0u);
    EXPECT_EQ(graph().StoredRanges(), GraphRanges{});
    EXPECT_EQ(graph().GetAxisMaximum(Axis::X), 120.0);
    EXPECT_EQ(graph().GetAxisMaximum(Axis::Y), 1.0);
    EXPECT_FALSE(graph().GetCursorX());
    EXPECT_EQ(ShownLabels(), 0);
    KeyUp(Qt::Key_Right);
    EXPECT_FALSE(graph().GetCursorX()) << "no point of the run before to step to";

    graph().PlotPoints(Point(u"A", 5, 0.25));
    KeyUp(Qt::Key_Right);
    EXPECT_EQ(graph().GetCursorX(), 5.0);
    EXPECT_EQ(LabelText(0), "[5.000;0.250(5.000)]");

    graph().InitAxes(false);
    EXPECT_EQ(graph().Traces().Count(), 0u);
    EXPECT_EQ(graph().GetPlotCount(), 0);
    EXPECT_FALSE(graph().IsSlotUsed(4));
    EXPECT_EQ(ShownLabels(), 0);
}

TEST_F(GraphOnOwner, ClearTracesLeavesNoLabelAndNoToolbar)
{
    AddTrace(u"A", 0);
    graph().PlotPoints(Point(u"A", 3, 0.5));
    Click(32853);
    KeyUp(Qt::Key_Right);
    ASSERT_EQ(ShownLabels(), 1);
    graph().ClearTraces();
    EXPECT_EQ(graph().Traces().Count(), 0u);
    EXPECT_EQ(graph().Toolbar(), nullptr);
    EXPECT_TRUE(owner.findChildren<QToolBar*>().isEmpty());
    EXPECT_TRUE(owner.findChildren<QLabel*>().isEmpty());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(graph().CursorLabel(i), nullptr);
    // The owner may still call the tools; nothing is left for them.
    graph().SelectToolMode1();
    graph().MoveCursor(true);
    QTest::mouseMove(&graph(), Area().center());
}

// The synthetic acquisition, replayed through the owner: each point on the
// trace of its column, divided by its variable's display parameter.
TEST_F(GraphOnOwner, AReplayPutsEveryPointOnItsTraceAtItsVariablesScale)
{
    vexar::fixtures::SyntheticConfiguration config;
    std::string error;
    ASSERT_TRUE(vexar::fixtures::InstallSyntheticConfiguration(home.path(), config, error)) << error;
    std::filesystem::create_directories(home.file("Log"));
    CControlliConfigurati var(config.var, u"InfoControlliVS");
    std::u16string language = u"English";
    ASSERT_EQ(var.Load(language, {u"English", u"Italiano"}), 0);
    std::vector<std::unique_ptr<IDataCtrl>> controls;
    for (const REC_CONTROLLO& definition : var.Controls()) {
        controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = definition.ID_GUI;
        entry.category = definition.CATEGORIA;
        entry.wnd = controls.back().get();
        owner.variables.push_back(entry);
    }

    const std::string path = home.file("Prova.ACQ");
    ASSERT_TRUE(vexar::fixtures::WriteUnicodeTextFile(
        path, vexar::fixtures::FixtureText("acquisition/VXG4_R0107_Prova.ACQ.txt")));
    CVariabiliAcq replay("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string comment, firmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    ASSERT_EQ(replay.ReadHeader(u"VXG4_R0107", path, labels, identifiers, comment, hasIdentifiers, headerLines, firmware),
              0);

    AddTrace(u"Giri_Motore", 0);      // SCALA 100
    AddTrace(u"Temperatura_Gas", 1);  // SCALA 1; the other two columns have no trace
    graph().InitAxes(true);
    ASSERT_EQ(replay.ReadSamples(path, owner, identifiers, headerLines, {}), 0);
    EXPECT_EQ(owner.replayEnds, 1);

    // Sample lines every 50 ms; the blank third line sends nothing.
    const std::vector<REC_PUNTO> rpm{{0.05, 8.5}, {0.1, 12.0}, {0.2, 18.5}, {0.25, 22.5}, {0.3, 24.0}};
    const std::vector<REC_PUNTO> temperature{{0.05, 18.5}, {0.1, 24.0}, {0.2, 31.5}, {0.25, 40.5}, {0.3, 41.0}};
    ASSERT_EQ(graph().Traces().Count(), 2u);
    const auto expect = [](const std::vector<REC_PUNTO>& got, const std::vector<REC_PUNTO>& want, const char* what) {
        ASSERT_EQ(got.size(), want.size()) << what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_DOUBLE_EQ(got[i].x, want[i].x) << what << " " << i;
            EXPECT_DOUBLE_EQ(got[i].y, want[i].y) << what << " " << i;
        }
    };
    expect(graph().Traces().Traces()[0].points, rpm, "engine speed");
    expect(graph().Traces().Traces()[1].points, temperature, "gas temperature");
    EXPECT_EQ(graph().GetPointCount("Giri_Motore"), rpm.size());
    EXPECT_EQ(graph().GetPlotCount(), 2) << "a column without a trace adds nothing";
    EXPECT_EQ(graph().StoredRanges(), (GraphRanges{0, 120, 0, 43}));
}

}  // namespace
