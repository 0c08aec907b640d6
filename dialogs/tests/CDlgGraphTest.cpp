// The graph page and its full-screen twin offscreen: ten traces at most
// in rotating colour slots, the same traces and points on both graphs;
// live points only in live mode with the run switch on, never kept; a
// recording written by the real recorder loaded and played with its
// columns matched by identifier, by label or not at all; a broken file and
// one of another firmware changing nothing; the tools on their own graph,
// the cursor keys, the twin shown and hidden.

#include "dialogs/CDlgGraph.h"

#include "DialogTestSupport.h"
#include "ScriptedResponder.h"
#include "TestControls.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/AcqSample.h"
#include "config/CVariabiliAcq.h"
#include "config/ControlCodes.h"
#include "dialogs/CDlgGraphFS.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlGraph.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPickers.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItem>

#include <cmath>
#include <filesystem>

using namespace vexar;
using dialogtest::ProgramHome;
using uitest::ScriptedResponder;

namespace {

const dialogtest::Texts kTexts = {
    {3044, u"Fermo"},           {3045, u"In corsa"}, {3047, u"Nome"}, {3077, u"Carica"}, {3093, u"Tempo [s]"},
    {3111, u"File non valido"}, {3125, u"Il file è del firmware %s, non di %s: caricarlo?"},
};

// A variable of the bar category with its display parameter.
REC_CONTROLLO Variable(std::int32_t id, std::u16string identifier, std::u16string label, std::int32_t scale)
{
    REC_CONTROLLO d = vexar::testing::MakeDefinition(id, std::move(identifier), CTRL_BAR, u"", std::move(label));
    d.OPERATORE = OPR_PBL;
    if (auto* block = std::get_if<BarBlock>(&d.GRAFICA))
        block->SCALA = scale;
    return d;
}

class Controls {
public:
    void Add(const REC_CONTROLLO& definition)
    {
        m_controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = definition.ID_GUI;
        entry.category = definition.CATEGORIA;
        entry.access = definition.OPERATORE;
        entry.wnd = m_controls.back().get();
        table.push_back(entry);
    }
    CTRL_TABLE table;

private:
    std::vector<std::unique_ptr<vexar::testing::DefinitionOnlyCtrl>> m_controls;
};

std::vector<std::u16string> TraceNames(const CCtrlGraph& graph)
{
    std::vector<std::u16string> names;
    for (const TRACE_INFO& trace : graph.Traces().Traces())
        names.push_back(trace.name + u"@" + ToUtf16(std::to_string(trace.slot)));
    return names;
}

std::vector<REC_PUNTO> PointsOf(const CCtrlGraph& graph, std::u16string_view name)
{
    for (const TRACE_INFO& trace : graph.Traces().Traces())
        if (trace.name == name)
            return trace.points;
    return {};
}

GRAPH_POINT Point(double time, const char16_t* identifier, double value, std::int32_t display)
{
    GRAPH_POINT point;
    point.time = time;
    point.SetIdentifier(identifier);
    point.value = value;
    point.display = display;
    return point;
}

class GraphPage : public ::testing::Test {
protected:
    GraphPage() : home(kTexts), page(app)
    {
        // The configuration: twelve variables, two with one label.
        for (int i = 0; i < 9; ++i)
            variables.Add(Variable(i + 1, u"Var_" + ToUtf16(std::to_string(i)), u"Variabile " + ToUtf16(std::to_string(i)),
                                   i == 0 ? 100 : 1));
        variables.Add(Variable(10, u"Giri_Motore", u"Giri", 100));
        variables.Add(Variable(11, u"Giri_Filtrati", u"Giri", 10));
        variables.Add(Variable(12, u"Lambda", u"Sonda", 1));
        // The acquisition page's choice: all twelve, eleven names.
        app.m_pVarTable = &variables.table;
        app.m_pAcqVarTable = &variables.table;
        app.m_nOperator = OPR_PRV;
        strip.resize(1100, 720);
        page.m_strEcuFamily = u"VXG4";
        page.m_strConfigName = u"VXG4_R0107";
        page.SetLanguageFile(home.LangFile());
        page.SetPageFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        page.SetColours(ui::RGB(0, 0, 128), ui::RGB(128, 0, 0));
        EXPECT_TRUE(page.Create(strip));
        page.setGeometry(0, 0, 1100, 720);
        page.ReloadVariables();
        strip.show();
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&strip));
    }
    ~GraphPage() override { page.Close(); }

    void Settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }

    void Pick(int item)
    {
        CCtrlCombo& picker = page.Picker();
        picker.showPopup();
        picker.view()->setCurrentIndex(picker.model()->index(item, 0));
        QTest::keyClick(picker.view(), Qt::Key_Return);
        Settle();
    }

    void DoubleClick(int row)
    {
        QTreeWidgetItem* item = page.List().topLevelItem(row);
        ASSERT_NE(item, nullptr);
        const QPoint at = page.List().visualItemRect(item).center();
        QTest::mouseClick(page.List().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(page.List().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(page.List().viewport(), Qt::LeftButton, {}, at);
        Settle();
    }

    void SetRun(bool on)
    {
        if ((page.RunSwitch().GetState() != 0) != on)
            QTest::mouseClick(&page.RunSwitch(), Qt::LeftButton);
        Settle();
    }

    // Both graphs hold the same traces.
    void ExpectTwinsAgree()
    {
        ASSERT_NE(page.Twin(), nullptr);
        EXPECT_EQ(TraceNames(page.Graph()), TraceNames(page.Twin()->Graph()));
        for (const TRACE_INFO& trace : page.Graph().Traces().Traces())
            EXPECT_EQ(trace.points, PointsOf(page.Twin()->Graph(), trace.name));
    }

    // A recording of `columns` by the real recorder: `samples` lines at
    // 100 ms, column c of line k holding (k + 1) * (c + 1) * 10.
    std::string Record(const std::vector<REC_CONTROLLO>& columns, int samples, const std::u16string& firmware,
                       bool withIdentifiers = true)
    {
        Controls recorded;
        for (const REC_CONTROLLO& definition : columns)
            recorded.Add(definition);
        const std::string path = home.path() + "/Prova.acq";
        CVariabiliAcq recorder("", u"InfoFileAcquisizioni");
        recorder.SetVariables(static_cast<std::int32_t>(recorded.table.size()), recorded.table.data());
        EXPECT_EQ(recorder.WriteHeader(u"VXG4", firmware, u"100", path), 0);
        for (int k = 0; k < samples; ++k)
            for (std::size_t c = 0; c < columns.size(); ++c) {
                ACQ_SAMPLE sample{(k + 1) * 0.1, static_cast<std::int32_t>((k + 1) * (c + 1) * 10),
                                  c + 1 == columns.size() ? 2 : 1};
                CUtility::RecordAcqSample(recorder, sample, 0.0, columns[c], nullptr);
            }
        recorder.m_commenti.AddComment({u"Giro di prova", 1765440000});
        EXPECT_EQ(recorder.WriteComments(), 0);
        if (!withIdentifiers)
            RewriteWithout(path, u"<IDENTIFICATORE>");
        return path;
    }

    static void RewriteWithout(const std::string& path, std::u16string_view start)
    {
        std::u16string text;
        {
            CStdioFileEx file;
            ASSERT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
            std::u16string line;
            while (file.ReadString(line))
                if (line.rfind(start, 0) != 0)
                    text += line + u"\n";
        }
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
        ASSERT_TRUE(file.WriteString(text));
        ASSERT_TRUE(file.Close());
    }

    void Load(ScriptedResponder& dialogs, const std::string& path)
    {
        dialogs.ExpectFileDialog(false, path);
        QTest::mouseClick(&page.LoadButton(), Qt::LeftButton);
        Settle();
    }

    std::vector<std::u16string> PickerItems() const
    {
        std::vector<std::u16string> items;
        for (int i = 0; i < page.Picker().count(); ++i)
            items.push_back(page.Picker().itemText(i).toStdU16String());
        return items;
    }

    ProgramHome home;
    CVEXARPages app;
    Controls variables;
    QWidget strip;
    CDlgGraph page;
};

TEST_F(GraphPage, TenTracesAtMostInRotatingSlotsOnBothGraphs)
{
    // The reload put the first ten in, slots 0 to 9.
    ASSERT_EQ(page.List().topLevelItemCount(), 10);
    EXPECT_EQ(page.List().topLevelItem(0)->text(0), QStringLiteral("(100)Variabile 0"));
    EXPECT_EQ(page.Graph().Traces().Count(), 10u);
    ExpectTwinsAgree();

    // The eleventh is refused and the picker cleared.
    ASSERT_EQ(page.Picker().itemText(10), QStringLiteral("Sonda"));
    Pick(10);
    EXPECT_EQ(page.List().topLevelItemCount(), 10);
    EXPECT_EQ(page.Picker().currentIndex(), -1);

    // Three traces; the first removed; the next pick takes the slot after
    // the last one added, and its row shows that slot's image.
    QTest::mouseClick(&page.ClearButton(), Qt::LeftButton);
    EXPECT_EQ(page.Graph().Traces().Count(), 0u);
    EXPECT_EQ(page.FreeSlotStart(), 0);
    Pick(0);
    Pick(1);
    Pick(2);
    DoubleClick(0);
    EXPECT_EQ(TraceNames(page.Graph()), (std::vector<std::u16string>{u"Var_1@1", u"Var_2@2"}));
    Pick(5);
    EXPECT_EQ(TraceNames(page.Graph()), (std::vector<std::u16string>{u"Var_1@1", u"Var_2@2", u"Var_5@3"}));
    EXPECT_EQ(CUtility::GetListImage(page.List(), 2), 3);
    ExpectTwinsAgree();
}

TEST_F(GraphPage, LivePointsOnlyInLiveModeWithTheRunSwitchOnNeverKept)
{
    ui::SendMessage(&page, {link::WM_ACQ_STARTED, 0, 0, {}});
    page.AddSample(Point(0.1, u"Var_0", 500, 100));  // switch off: dropped
    SetRun(true);
    EXPECT_EQ(page.StateLabel().text(), QStringLiteral("In corsa"));
    page.AddSample(Point(0.2, u"Var_0", 700, 100));
    page.AddSample(Point(0.2, u"Var_1", 3, 1));
    EXPECT_EQ(PointsOf(page.Graph(), u"Var_0"), (std::vector<REC_PUNTO>{{0.2, 7.0}}));
    EXPECT_EQ(PointsOf(page.Graph(), u"Var_1"), (std::vector<REC_PUNTO>{{0.2, 3.0}}));
    ExpectTwinsAgree();
    SetRun(false);
    EXPECT_EQ(page.StateLabel().text(), QStringLiteral("Fermo"));
    page.AddSample(Point(0.3, u"Var_0", 900, 100));
    SetRun(true);
    EXPECT_EQ(PointsOf(page.Graph(), u"Var_0").size(), 1u);
}

TEST_F(GraphPage, ARecordingReplaysWithItsValuesByIdentifier)
{
    const std::string path = Record({Variable(1, u"Giri_Motore", u"Giri", 100), Variable(2, u"Var_3", u"Variabile 3", 1),
                                     Variable(3, u"Sconosciuta", u"Nessuna", 1)},
                                    20, u"VXG4_R0107");
    ScriptedResponder dialogs;
    Load(dialogs, path);
    EXPECT_EQ(dialogs.shown()[0].filter, u"Acq Files (*.acq)|*.acq|");
    EXPECT_EQ(dialogs.shown()[0].folder, home.path() + "/Acquisition/VXG4/");
    EXPECT_EQ(page.GetMode(), CDlgGraph::kReplay);
    EXPECT_EQ(page.PathLabel().text().toStdString(), path);
    EXPECT_NE(page.CommentField().GetWindowText().find(u"Giro di prova"), std::u16string::npos);
    EXPECT_EQ(PickerItems(), (std::vector<std::u16string>{u"Giri", u"Variabile 3"}));
    EXPECT_EQ(TraceNames(page.Graph()), (std::vector<std::u16string>{u"Giri_Motore@0", u"Var_3@1"}));
    EXPECT_TRUE(PointsOf(page.Graph(), u"Giri_Motore").empty());

    // A live point while replaying is not plotted.
    SetRun(true);
    ASSERT_EQ(page.RunSwitch().GetState(), 0) << "the end of the file turns the switch off";
    EXPECT_EQ(page.StateLabel().text(), QStringLiteral("Fermo"));
    const std::vector<REC_PUNTO> speed = PointsOf(page.Graph(), u"Giri_Motore");
    const std::vector<REC_PUNTO> third = PointsOf(page.Graph(), u"Var_3");
    ASSERT_EQ(speed.size(), 20u);
    ASSERT_EQ(third.size(), 20u);
    for (int k = 0; k < 20; ++k) {
        EXPECT_NEAR(speed[k].x, (k + 1) * 0.1, 1e-9);
        EXPECT_DOUBLE_EQ(speed[k].y, (k + 1) * 10 / 100.0);  // engine speed by its display parameter
        EXPECT_DOUBLE_EQ(third[k].y, (k + 1) * 20.0);
    }
    ExpectTwinsAgree();
    page.AddSample(Point(5, u"Var_3", 1, 1));
    EXPECT_EQ(PointsOf(page.Graph(), u"Var_3").size(), 20u);

    // The cursor steps through the played points; its labels read them.
    ui::SendMessage(&page, ui::CommandMessage(CCtrlGraph::ID_TOOL_CURSOR));
    page.Graph().setFocus();
    QTest::keyClick(&page.Graph(), Qt::Key_Right);
    QTest::keyClick(&page.Graph(), Qt::Key_Right);
    const auto label = [&](int index) {
        auto* shown = qobject_cast<QLabel*>(page.Graph().CursorLabel(index));
        return shown && shown->isVisible() ? shown->text() : QString();
    };
    EXPECT_EQ(label(0), QStringLiteral("[0.200;0.200(0.200)]"));
    EXPECT_EQ(label(1), QStringLiteral("[0.200;40.000(0.200)]"));

    // Back to live: the live picker and the first traces again.
    QTest::mouseClick(&page.LiveButton(), Qt::LeftButton);
    EXPECT_EQ(page.GetMode(), CDlgGraph::kLive);
    EXPECT_TRUE(page.PathLabel().text().isEmpty());
    EXPECT_EQ(page.Picker().count(), 11);  // "Giri" once
    EXPECT_EQ(page.Graph().Traces().Count(), 10u);
}

TEST_F(GraphPage, ColumnsWithoutIdentifiersMatchByLabelTheFirstWins)
{
    const std::string path =
        Record({Variable(1, u"X", u"Giri", 10), Variable(2, u"Y", u"Variabile 4", 1)}, 3, u"VXG4_R0107", false);
    ScriptedResponder dialogs;
    Load(dialogs, path);
    EXPECT_EQ(TraceNames(page.Graph()), (std::vector<std::u16string>{u"Giri_Motore@0", u"Var_4@1"}));
    SetRun(true);
    // The first of the two "Giri" variables, with its display parameter.
    const std::vector<REC_PUNTO> speed = PointsOf(page.Graph(), u"Giri_Motore");
    ASSERT_EQ(speed.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(speed[k].x, (k + 1) * 0.1, 1e-9);
        EXPECT_NEAR(speed[k].y, (k + 1) * 0.1, 1e-9);
    }
}

TEST_F(GraphPage, AFileWithoutKnownColumnsReplaysNothing)
{
    const std::string path = Record({Variable(1, u"Altro", u"Altro", 1)}, 3, u"VXG4_R0107");
    ScriptedResponder dialogs;
    Load(dialogs, path);
    EXPECT_EQ(page.GetMode(), CDlgGraph::kReplay);
    EXPECT_EQ(page.Picker().count(), 0);
    EXPECT_EQ(page.Graph().Traces().Count(), 0u);
    SetRun(true);
    EXPECT_EQ(page.RunSwitch().GetState(), 0);
    EXPECT_EQ(page.Graph().Traces().Count(), 0u);
}

TEST_F(GraphPage, ABrokenFileOrAnotherFirmwareAnsweredNoChangesNothing)
{
    const std::vector<std::u16string> before = TraceNames(page.Graph());
    const std::string broken = home.path() + "/Rotto.acq";
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(broken, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
        ASSERT_TRUE(file.WriteString(u"<CODICE_ECU>\t\tVXG4\t\t</CODICE_ECU>\nnulla\n"));
        ASSERT_TRUE(file.Close());
    }
    {
        ScriptedResponder dialogs;
        dialogs.ExpectFileDialog(false, broken);
        dialogs.ExpectMessageBox(ui::IDOK, u"File non valido");
        QTest::mouseClick(&page.LoadButton(), Qt::LeftButton);
        EXPECT_EQ(dialogs.pending(), 0u);
    }
    EXPECT_EQ(page.GetMode(), CDlgGraph::kLive);
    EXPECT_EQ(TraceNames(page.Graph()), before);

    const std::string other = Record({Variable(1, u"Giri_Motore", u"Giri", 100)}, 2, u"VXG4_R0200");
    ScriptedResponder dialogs;
    dialogs.ExpectFileDialog(false, other);
    dialogs.ExpectMessageBox(ui::IDNO, u"Il file è del firmware VXG4_R0200, non di VXG4_R0107: caricarlo?");
    QTest::mouseClick(&page.LoadButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.pending(), 0u);
    EXPECT_EQ(page.GetMode(), CDlgGraph::kLive);
    EXPECT_EQ(TraceNames(page.Graph()), before);
}

TEST_F(GraphPage, ToolsActOnTheirOwnGraphAndTheCursorKeysStepThePageGraph)
{
    SetRun(true);
    for (int k = 1; k <= 5; ++k)
        page.AddSample(Point(k * 0.1, u"Var_1", k * 2.0, 1));
    ui::SendMessage(&page, ui::CommandMessage(CCtrlGraph::ID_TOOL_CURSOR));
    EXPECT_TRUE(page.Graph().IsCursorMode());
    EXPECT_FALSE(page.Twin()->Graph().IsCursorMode());
    page.Graph().setFocus();
    QTest::keyClick(&page.Graph(), Qt::Key_Right);
    QTest::keyClick(&page.Graph(), Qt::Key_Right);
    const REC_PUNTO second = page.Graph().CursorPoint();
    QTest::keyClick(&page.Graph(), Qt::Key_Left);
    const REC_PUNTO first = page.Graph().CursorPoint();
    EXPECT_LT(first.x, second.x);
    EXPECT_DOUBLE_EQ(first.y, std::round(first.x * 10) * 2.0);  // the value sampled there

    ui::SendMessage(page.Twin(), ui::CommandMessage(CCtrlGraph::ID_TOOL_CURSOR));
    EXPECT_TRUE(page.Twin()->Graph().IsCursorMode());
    // The twin's keys step its own cursor; the page's stays.
    page.Twin()->show();
    page.Twin()->Graph().setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&page.Twin()->Graph(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(page.Twin()->Graph().CursorPoint().x, 0.4);
    EXPECT_EQ(page.Graph().CursorPoint(), first);
    page.Twin()->hide();
    ui::SendMessage(page.Twin(), ui::CommandMessage(CCtrlGraph::ID_TOOL_POINTER));
    EXPECT_FALSE(page.Twin()->Graph().IsCursorMode());
    EXPECT_TRUE(page.Graph().IsCursorMode());
}

TEST_F(GraphPage, TheFullScreenCommandShowsAndHidesTheMaximisedTwin)
{
    SetRun(true);
    for (int k = 1; k <= 20; ++k) {
        page.AddSample(Point(k * 0.1, u"Var_1", k, 1));
        page.AddSample(Point(k * 0.1, u"Var_2", 30 - k, 1));
    }
    CDlgGraphFS& twin = *page.Twin();
    EXPECT_FALSE(twin.isVisible());
    EXPECT_EQ(twin.parentWidget(), nullptr);
    ui::SendMessage(&page, ui::CommandMessage(CCtrlGraph::ID_FULL_SCREEN));
    Settle();
    EXPECT_TRUE(twin.isVisible());
    EXPECT_TRUE(twin.windowState() & Qt::WindowMaximized);
    const QImage shot = dialogtest::Shot(twin.Graph());
    for (int slot : {1, 2})
        EXPECT_GT(dialogtest::CountColour(shot, shot.rect(), ui::ToQColor(CCtrlGraph::SlotColour(slot)).rgb()), 20)
            << "slot " << slot;
    // OK does nothing; the command and Cancel hide it.
    ui::SendMessage(&twin, ui::CommandMessage(ui::IDOK));
    EXPECT_TRUE(twin.isVisible());
    ui::SendMessage(&twin, ui::CommandMessage(CCtrlGraph::ID_FULL_SCREEN));
    EXPECT_FALSE(twin.isVisible());
    ui::SendMessage(&page, ui::CommandMessage(CCtrlGraph::ID_FULL_SCREEN));
    EXPECT_TRUE(twin.isVisible());
    QTest::keyClick(&twin, Qt::Key_Escape);
    EXPECT_FALSE(twin.isVisible());
}

TEST_F(GraphPage, ALoadDuringALiveRecordingStopsLivePlottingUntilBackToLive)
{
    SetRun(true);
    page.AddSample(Point(0.1, u"Var_0", 100, 100));
    const std::string path = Record({Variable(1, u"Var_0", u"Variabile 0", 100)}, 2, u"VXG4_R0107");
    ScriptedResponder dialogs;
    Load(dialogs, path);
    SetRun(false);
    page.AddSample(Point(0.2, u"Var_0", 100, 100));
    EXPECT_TRUE(PointsOf(page.Graph(), u"Var_0").empty());
    QTest::mouseClick(&page.LiveButton(), Qt::LeftButton);
    SetRun(true);
    page.AddSample(Point(0.3, u"Var_0", 300, 100));
    EXPECT_EQ(PointsOf(page.Graph(), u"Var_0"), (std::vector<REC_PUNTO>{{0.3, 3.0}}));
}

}  // namespace
