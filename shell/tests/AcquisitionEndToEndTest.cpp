// Recording and replay end to end: the program on the ECU bench, the
// simulated ECU running a variable script (an engine-speed ramp, a
// stepping byte, a flag); three variables picked on the acquisition page,
// about two seconds recorded at 100 ms, a comment and Save-As; the saved
// file replayed on the graph page and its twin. A second recording loses
// the ECU half-way and still ends with the comment and Save-As.

#include "EcuShell.h"

#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/CVariabiliAcq.h"
#include "config/IDataCtrl.h"
#include "dialogs/CDlgAcq.h"
#include "dialogs/CDlgGraph.h"
#include "dialogs/CDlgGraphFS.h"
#include "dialogs/CDlgInsComm.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlGraph.h"
#include "pages/CCtrlLed.h"
#include "pages/CDlgTabSB.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "testing/ecusim/VariableScript.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <set>

using namespace std::chrono_literals;
using vexar::shell::ID_ACQUISIZIONE;
using vexar::shell::ID_CONNETTI;

namespace vexar::shelltest {
namespace {

// Engine speed (a word at 0) climbs by 0x0101 every 100 ms, the ECU state
// (a byte at 8) steps every 300 ms, the gas valves' flag (bit 0 at 7)
// flips every 500 ms; all over again every two seconds.
std::string Script()
{
    std::string text = "loop 2000\n";
    for (int k = 0; k < 20; ++k) {
        char step[64];
        std::snprintf(step, sizeof step, "at %d 0 %02X %02X\n", k * 100, k + 1, k + 1);
        text += step;
    }
    for (int k = 0; k < 7; ++k)
        text += "at " + std::to_string(k * 300) + " 8 0" + std::to_string(k + 1) + "\n";
    for (int k = 0; k < 4; ++k)
        text += "at " + std::to_string(k * 500) + " 7 0" + std::to_string(k % 2) + "\n";
    return text;
}

const std::vector<std::u16string> kPicked = {u"Giri_Motore", u"Stato_Centralina", u"Elettrovalvole_Gas"};

class AcquisitionEndToEnd : public EcuShellBase {
protected:
    void SetUp() override
    {
        StartBench({});
        ecusim::VariableScript script;
        std::string error;
        ASSERT_TRUE(ecusim::ParseVariableScript(Script(), script, error)) << error;
        m_sim->RunVariableScript(script);
        Command(ID_CONNETTI);
        ASSERT_TRUE(WaitLinked(true));
        Command(ID_ACQUISIZIONE);
        ASSERT_NE(View().m_pDlgAcq, nullptr);
        ASSERT_TRUE(View().m_pDlgAcq->IsCreated());
    }

    CVEXARView& View() { return m_shell.View(); }
    CDlgAcq& Acq() { return *View().m_pDlgAcq; }
    CDlgGraph& Graph() { return *View().m_pDlgGraph; }

    void ShowPage(QWidget* page)
    {
        CDlgTabSB& host = *View().m_wndVars;
        for (std::size_t tab = 0; tab < host.m_tabMap.size(); ++tab)
            if (host.m_pages[static_cast<std::size_t>(host.m_tabMap[tab])].window == page) {
                host.ShowPage(static_cast<int>(tab));
                QCoreApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no tab shows the page";
    }

    // The user picks the variable of `identifier` from the picker.
    void Pick(CCtrlCombo& picker, const CTRL_TABLE& table, const std::u16string& identifier)
    {
        int at = -1;
        for (int i = 0; i < picker.count() && at < 0; ++i) {
            const auto& entry = table[static_cast<std::size_t>(picker.itemData(i).toInt())];
            if (entry.wnd && entry.wnd->GetDefinition().IDENTIFICATORE == identifier)
                at = i;
        }
        ASSERT_GE(at, 0) << ToUtf8(identifier);
        picker.showPopup();
        picker.view()->setCurrentIndex(picker.model()->index(at, 0));
        QTest::keyClick(picker.view(), Qt::Key_Return);
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }

    void TypePeriod(const char* text)
    {
        CCWNumEdit& field = Acq().PeriodField();
        QTest::mouseDClick(&field, Qt::LeftButton);
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClicks(&field, text);
        QTest::keyClick(&field, Qt::Key_Return);
    }

    // Answers the comment box with `comment` while the handle lives.
    [[nodiscard]] std::unique_ptr<QTimer> AnswerComment(const QString& comment)
    {
        return WhenModal<CDlgInsComm>([comment](CDlgInsComm& box) {
            box.CommentField().findChild<QPlainTextEdit*>()->setPlainText(comment);
            QTest::mouseClick(&box.OkButton(), Qt::LeftButton);
        });
    }

    static std::vector<std::u16string> Lines(const std::string& path)
    {
        std::vector<std::u16string> lines;
        CStdioFileEx file;
        if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText))
            return lines;
        std::u16string line;
        while (file.ReadString(line))
            lines.push_back(line);
        return lines;
    }

    static std::vector<double> Fields(const std::u16string& line)
    {
        std::vector<double> values;
        std::size_t start = 0;
        while (start < line.size()) {
            const std::size_t tab = line.find(u'\t', start);
            const std::u16string field = Trim(line.substr(start, tab == std::u16string::npos ? tab : tab - start));
            if (!field.empty())
                values.push_back(std::stod(ToUtf8(field)));
            if (tab == std::u16string::npos)
                break;
            start = tab + 1;
        }
        return values;
    }

    // Records with the three variables for `duration`; `during` runs half
    // way through.
    void Record(std::chrono::milliseconds duration, const std::function<void()>& during = {})
    {
        ShowPage(&Acq());
        for (const std::u16string& identifier : kPicked)
            Pick(Acq().Picker(), *m_shell.App().m_pVarTable, identifier);
        TypePeriod("100");
        QTest::mouseClick(&Acq().Switch(), Qt::LeftButton);
        ASSERT_TRUE(m_shell.App().m_bRecording);
        QTest::qWait(static_cast<int>(duration.count() / 2));
        if (during)
            during();
        QTest::qWait(static_cast<int>(duration.count() / 2));
    }
};

TEST_F(AcquisitionEndToEnd, ARecordingIsSavedWithItsCommentAndReplaysItsValues)
{
    const std::string saved = m_shell.Folder().File("Prova su strada.acq");
    m_shell.Dialogs().ExpectFileDialog(true, saved);
    auto comment = AnswerComment(QStringLiteral("Prova su strada"));
    // While it records, the graph page runs the chosen variables live.
    Record(2000ms, [&] {
        ShowPage(&Graph());
        QTest::mouseClick(&Graph().RunSwitch(), Qt::LeftButton);
    });
    ASSERT_EQ(Graph().Graph().Traces().Count(), 3u);
    for (const TRACE_INFO& trace : Graph().Graph().Traces().Traces())
        EXPECT_GE(trace.points.size(), 5u) << ToUtf8(trace.name);
    EXPECT_EQ(Graph().Twin()->Graph().Traces().Traces()[0].points, Graph().Graph().Traces().Traces()[0].points);
    ShowPage(&Acq());
    QTest::mouseClick(&Acq().Switch(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !m_shell.App().m_bRecording && m_shell.Dialogs().pending() == 0; }));

    // The header, date and time aside.
    const std::vector<std::u16string> lines = Lines(saved);
    ASSERT_GT(lines.size(), 20u);
    std::vector<std::u16string> expected = {u"<CODICE_ECU>\t\tKD02_ECU\t\t</CODICE_ECU>",
                                            u"<ID_FIRMWARE>\t\tVXG4_R01070\t\t</ID_FIRMWARE>"};
    EXPECT_EQ(std::vector<std::u16string>(lines.begin(), lines.begin() + 2), expected);
    std::size_t at = 4;  // after the date and the time
    expected = {u"<VARIABILI>", u"<NUM_VAR>\t 3 \t</NUM_VAR>"};
    for (std::size_t c = 0; c < kPicked.size(); ++c) {
        const IDataCtrl* control = Acq().Selection()[c].wnd;
        expected.push_back(Format(u"<INDEX_COL>\t %d \t</INDEX_COL>", static_cast<int>(c)));
        expected.push_back(u"<ETICHETTA>\t" + control->GetDefinition().ETICHETTA + u"\t</ETICHETTA>");
        expected.push_back(u"<IDENTIFICATORE>\t" + kPicked[c] + u"\t</IDENTIFICATORE>");
    }
    expected.push_back(u"</VARIABILI>");
    expected.push_back(u"<ACQ_FREQ>\t\t100\t\t</ACQ_FREQ>");
    ASSERT_GE(lines.size(), at + expected.size() + 1);
    EXPECT_EQ(std::vector<std::u16string>(lines.begin() + static_cast<std::ptrdiff_t>(at),
                                          lines.begin() + static_cast<std::ptrdiff_t>(at + expected.size())),
              expected);
    at += expected.size() + 1;  // and the column line

    // One line a tick, each value one the script wrote, in script order.
    std::vector<std::vector<double>> samples;
    for (; at < lines.size() && lines[at] != u"<COMMENTO>"; ++at)
        samples.push_back(Fields(lines[at]));
    EXPECT_GE(samples.size(), 15u);
    EXPECT_LE(samples.size(), 25u);
    int wraps = 0;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        ASSERT_EQ(samples[k].size(), 3u) << "line " << k;
        const double speed = samples[k][0];
        EXPECT_EQ(std::fmod(speed, 257.0), 0.0) << speed;
        EXPECT_GE(speed, 257.0);
        EXPECT_LE(speed, 20 * 257.0);
        EXPECT_GE(samples[k][1], 1.0);
        EXPECT_LE(samples[k][1], 7.0);
        EXPECT_TRUE(samples[k][2] == 0.0 || samples[k][2] == 1.0);
        if (k > 0 && speed < samples[k - 1][0])
            ++wraps;
    }
    EXPECT_LE(wraps, 2);
    EXPECT_NE(std::find(lines.begin(), lines.end(), u"Prova su strada"), lines.end());

    // Replayed on the graph page: each trace holds at (k + 1) x 0.1 s the
    // file's value over its display parameter, and so does the twin.
    ShowPage(&Graph());
    m_shell.Dialogs().ExpectFileDialog(false, saved);
    QTest::mouseClick(&Graph().LoadButton(), Qt::LeftButton);
    ASSERT_EQ(Graph().GetMode(), CDlgGraph::kReplay);
    QTest::mouseClick(&Graph().RunSwitch(), Qt::LeftButton);
    EXPECT_EQ(Graph().RunSwitch().GetState(), 0);
    const double scales[] = {100.0, 1.0, 1.0};
    for (CCtrlGraph* graph : {&Graph().Graph(), &Graph().Twin()->Graph()}) {
        ASSERT_EQ(graph->Traces().Count(), 3u);
        for (std::size_t c = 0; c < 3; ++c) {
            const TRACE_INFO& trace = graph->Traces().Traces()[c];
            EXPECT_EQ(trace.name, kPicked[c]);
            ASSERT_EQ(trace.points.size(), samples.size());
            for (std::size_t k = 0; k < samples.size(); ++k) {
                EXPECT_NEAR(trace.points[k].x, (k + 1) * 0.1, 1e-9);
                EXPECT_DOUBLE_EQ(trace.points[k].y, samples[k][c] / scales[c]) << "trace " << c << " point " << k;
            }
        }
    }
}

TEST_F(AcquisitionEndToEnd, AnEcuLostHalfWayStillEndsWithCommentAndSaveAs)
{
    const std::string saved = m_shell.Folder().File("Interrotta.acq");
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3202");  // the link is lost
    m_shell.Dialogs().ExpectFileDialog(true, saved);
    auto comment = AnswerComment(QStringLiteral("Interrotta"));
    Record(1000ms, [&] { m_sim->Unplug(); });
    ASSERT_TRUE(WaitUntil([&] { return !m_shell.App().m_bRecording && m_shell.Dialogs().pending() == 0; }));
    EXPECT_EQ(Acq().Switch().GetState(), 0);

    CVariabiliAcq reader("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels, identifiers;
    std::u16string text, firmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    ASSERT_EQ(reader.ReadHeader(u"VXG4_R01070", saved, labels, identifiers, text, hasIdentifiers, headerLines, firmware),
              0);
    EXPECT_EQ(identifiers, kPicked);
    EXPECT_NE(text.find(u"Interrotta"), std::u16string::npos);
    struct Count : IGraphPointSink {
        void OnGraphPoint(const GRAPH_POINT&) override { ++points; }
        void OnGraphPointsEnd() override {}
        int points = 0;
    } count;
    EXPECT_EQ(reader.ReadSamples(saved, count, identifiers, headerLines, {}), 0);
    EXPECT_GE(count.points, 3 * 2);  // the ticks before the ECU went
}

}  // namespace
}  // namespace vexar::shelltest
