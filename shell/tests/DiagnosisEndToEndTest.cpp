// The gas diagnosis on the ECU bench: the real worker and the simulated ECU
// on a pseudo-terminal. Error bits that a variable script raises show as
// rows with the ECU's own recovery actions once a poll has read them; an
// action chosen is one write of its element; a reset, the error clearing
// and the chain after a whole-image write reach the ECU as active and idle
// writes in order, each pulse at least its DELAY long.
#include "EcuShell.h"

#include "dialogs/CDlgCancErr.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgTestRes.h"
#include "link/SerialPort.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"
#include "shell/CVEXARApp.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "testing/ecusim/VariableScript.h"

#include <QAbstractItemView>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

constexpr std::uint8_t kWriteBlock = 2;
constexpr std::uint8_t kReadVariableBlock = 5;
constexpr std::uint8_t kMaskedWrite = 6;
constexpr std::uint8_t kUploadList = 11;

// One write the ECU heard: a masked variable byte or a parameter byte.
struct HeardWrite {
    std::uint8_t command = 0;
    std::size_t address = 0;
    std::uint8_t value = 0;
    std::uint8_t keep = 0;  // masked writes: the keep-mask of the first byte
    ecusim::SimClock::time_point at;
    bool operator==(const HeardWrite& other) const
    {
        return command == other.command && address == other.address && value == other.value;
    }
};

std::size_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return (std::size_t{bytes[at]} << 8) | bytes[at + 1];
}

class DiagnosisBench : public EcuShellBase {
protected:
    void SetUp() override
    {
        StartBench({});
        // The ECU's actions for the injector errors: injector 1 cut off,
        // injector 3 back to petrol.
        const std::uint8_t actions[] = {2, 0, 1, 0};
        m_sim->WriteImage(ecusim::Image::Parameters, 53, actions);
        Command(ID_CONNETTI);
        ASSERT_TRUE(WaitLinked(true));
        ASSERT_TRUE(MasterAgreesWithEcu());
        ASSERT_NE(View().m_dlgDiag, nullptr);
    }

    CVEXARView& View() { return m_shell.View(); }
    CDlgDiag& Window() { return *View().m_dlgDiag; }

    // The key of an action: 1 to 12, 13 to 24 with Shift.
    int KeyOf(int action)
    {
        for (std::size_t k = 0; k < View().m_nKeyAction.size(); ++k)
            if (View().m_nKeyAction[k] == action)
                return static_cast<int>(k) + 1;
        return 0;
    }
    void PressKey(int key)
    {
        const bool shift = key > 12;
        const auto code = static_cast<Qt::Key>(Qt::Key_F1 + (shift ? key - 13 : key - 1));
        QTest::keyClick(&View().Button(0), code, shift ? Qt::ShiftModifier : Qt::NoModifier);
    }

    std::vector<std::vector<QString>> Rows()
    {
        std::vector<std::vector<QString>> rows;
        QTreeWidget& list = Window().List();
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            rows.push_back({list.topLevelItem(i)->text(0), list.topLevelItem(i)->text(1),
                            list.topLevelItem(i)->text(2), list.topLevelItem(i)->text(3)});
        return rows;
    }

    // The writes the ECU heard at the reset and action addresses, in order.
    std::vector<HeardWrite> Writes()
    {
        std::vector<HeardWrite> writes;
        for (const ecusim::FrameRecord& record : m_sim->FrameLog()) {
            const std::vector<std::uint8_t>& rq = record.bytes;
            if (record.kind != ecusim::FrameRecord::Kind::Request || !record.crcOk || rq.size() < 5)
                continue;
            if (rq[2] == kMaskedWrite && rq.size() == 15)
                writes.push_back({kMaskedWrite, Word(rq, 3), rq[12], rq[8], record.first});
            else if (rq[2] == kWriteBlock && rq.size() >= 11 && rq[6] == 1)
                writes.push_back({kWriteBlock, Word(rq, 4) + std::size_t{rq[3]} * 256, rq[9], 0, record.first});
        }
        return writes;
    }

    std::size_t Polls() const { return m_sim->CountRequests(kUploadList) + m_sim->CountRequests(kReadVariableBlock); }

    void Switch()
    {
        QTest::mouseClick(&Window().Switch(), Qt::LeftButton);
        QTest::qWait(20);
    }
};

std::chrono::milliseconds Apart(const HeardWrite& first, const HeardWrite& second)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(second.at - first.at);
}

// A pulse's timer runs from the request of its active value; that write may
// wait on the line behind another exchange (a poll, the image write's last
// blocks) and on a busy machine for the worker, so the two values are heard
// somewhat less than the delay apart.
constexpr std::chrono::milliseconds kPulseHeard = 500ms - 100ms;

}  // namespace

TEST_F(DiagnosisBench, ScriptedErrorsShowWithTheEcusActionsAndAChoiceIsOneWrite)
{
    // F8 shows the window; the switch asks for the poll.
    const int key = KeyOf(kActionDiagGas);
    ASSERT_GT(key, 0);
    PressKey(key);
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    ASSERT_TRUE(WaitUntil([&] { return ui::IsWindowEnabled(Window().Switch()); }));
    Switch();
    ASSERT_EQ(Window().Switch().GetState(), 1);
    ASSERT_TRUE(WaitUntil([&] { return m_shell.App().m_bDiagPolling != 0; }));

    // Injectors 1 and 3 open: the rows come after a poll has read them.
    ecusim::VariableScript script;
    std::string error;
    ASSERT_TRUE(ecusim::ParseVariableScript("at 0 18 00 05\n", script, error)) << error;
    m_sim->ClearFrameLog();
    m_sim->RunVariableScript(script);
    const std::vector<std::vector<QString>> expected{
        {"Injector errors", "0x00000001", "Gas injector 1 open circuit", "Injector cut off"},
        {"Injector errors", "0x00000004", "Gas injector 3 open circuit", "Back to petrol"}};
    const auto bitRows = [&] {
        std::vector<std::vector<QString>> rows;
        for (const auto& row : Rows())
            if (row[0] == "Injector errors")
                rows.push_back(row);
        return rows;
    };
    ASSERT_TRUE(WaitUntil([&] { return bitRows() == expected; })) << "rows never showed the script's bits";
    EXPECT_GE(Polls(), 1u) << "rows shown without a poll in the frame log";

    // Polling off, the row of injector 3 edited: a choice is one write of
    // its element (byte 55).
    Switch();
    ASSERT_TRUE(WaitUntil([&] { return m_shell.App().m_bDiagPolling == 0; }));
    int row = -1;
    for (int i = 0; i < Window().List().topLevelItemCount(); ++i)
        if (Window().List().topLevelItem(i)->text(1) == "0x00000004")
            row = i;
    ASSERT_GE(row, 0);
    Window().SelectRow(row);
    CCtrlCombo* editor = Window().ActionEditor();
    ASSERT_NE(editor, nullptr);
    m_sim->ClearFrameLog();
    editor->showPopup();
    editor->view()->setCurrentIndex(editor->model()->index(0, 0));
    QTest::keyClick(editor->view(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return EcuImage()[55] == 0; }));
    QTest::qWait(100);
    EXPECT_EQ(Writes(), (std::vector<HeardWrite>{{kWriteBlock, 55, 0}}));
    EXPECT_EQ(m_sim->CountRequests(kWriteBlock), 1u);
    EXPECT_EQ(Window().List().topLevelItem(row)->text(3), QString("None"));
}

TEST_F(DiagnosisBench, AResetAndTheErrorClearingArePulsesOfMaskedWrites)
{
    Command(ID_DIAGNOSI);
    ASSERT_TRUE(WaitUntil([&] { return ui::IsWindowEnabled(Window().ResetButton(1)); }));
    m_sim->ClearFrameLog();
    Window().ResetButton(1).click();
    ASSERT_TRUE(WaitUntil([&] { return Writes().size() >= 2; }));
    std::vector<HeardWrite> writes = Writes();
    ASSERT_EQ(writes, (std::vector<HeardWrite>{{kMaskedWrite, 20, 1}, {kMaskedWrite, 20, 0}}));
    EXPECT_GE(Apart(writes[0], writes[1]), kPulseHeard);
    EXPECT_EQ(writes[0].keep, 0x00);

    // The error clearing by its function key: the occasional errors.
    m_sim->ClearFrameLog();
    bool closed = false;
    const auto answer = WhenModal<CDlgCancErr>([&](CDlgCancErr& dialog) {
        EXPECT_TRUE(ui::IsWindowEnabled(dialog.OccasionalButton()));
        dialog.OccasionalButton().click();
        EXPECT_TRUE(WaitUntil([&] { return Writes().size() >= 2; }));
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
        closed = true;
    });
    const int key = KeyOf(kActionClearErrors);
    ASSERT_GT(key, 0);
    PressKey(key);
    ASSERT_TRUE(WaitUntil([&] { return closed; }));
    writes = Writes();
    ASSERT_EQ(writes, (std::vector<HeardWrite>{{kMaskedWrite, 21, 1}, {kMaskedWrite, 21, 0}}));
    EXPECT_GE(Apart(writes[0], writes[1]), kPulseHeard);
}

// After a whole-image write: the three idle writes, then the pulses of
// sources 1, 2 and 3 in turn.
TEST_F(DiagnosisBench, AWholeImageWriteIsFollowedByTheChainedResets)
{
    m_sim->ClearFrameLog();
    m_shell.App().PostLinkRequest(link::WM_LINK_WRITE_ALL);
    const std::vector<HeardWrite> expected{{kMaskedWrite, 20, 0}, {kMaskedWrite, 21, 0}, {kWriteBlock, 57, 0},
                                           {kMaskedWrite, 20, 1}, {kMaskedWrite, 20, 0}, {kMaskedWrite, 21, 1},
                                           {kMaskedWrite, 21, 0}, {kWriteBlock, 57, 255}, {kWriteBlock, 57, 0}};
    ASSERT_TRUE(WaitUntil([&] { return Writes().size() >= expected.size(); }));
    QTest::qWait(100);
    const std::vector<HeardWrite> writes = Writes();
    ASSERT_EQ(writes, expected);
    EXPECT_GE(Apart(writes[3], writes[4]), kPulseHeard);
    EXPECT_GE(Apart(writes[5], writes[6]), kPulseHeard);
    EXPECT_GE(Apart(writes[7], writes[8]), kPulseHeard);
    EXPECT_EQ(Window().Resets().ChainStep(), 0);
}

// A passed test raises DTR on the auxiliary port (COM1, a pseudo-terminal
// of its own: the serial layer records the line a pty does not have) for
// the second Calib.cfg names; OK stays disabled until the line is down.
TEST_F(DiagnosisBench, APassedTestPulsesDtrOnTheAuxiliaryPort)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string com1 = m_shell.Folder().ComFolder() + "/COM1";
    ASSERT_EQ(::symlink(::ptsname(master), com1.c_str()), 0);
    EXPECT_EQ(m_shell.App().m_nAuxPort, 1);
    WorkingImageAsTheEcus();

    bool okAtFirst = true;
    bool sawUp = false;
    bool okWhileUp = false;
    bool closedAfter = false;
    std::chrono::milliseconds up{0};
    QString text;
    const auto answer = WhenModal<CDlgTestRes>([&](CDlgTestRes& dialog) {
        text = dialog.ResultLabel().text();
        okAtFirst = dialog.OkButton().isEnabled();
        ecusim::SimClock::time_point raised;
        EXPECT_TRUE(WaitUntil([&] {
            link::PORT_LINE_STATE lines;
            if (!sawUp && link::PortGetLineState(1, lines) == link::PORT_OK && lines.dtr) {
                sawUp = true;
                raised = ecusim::SimClock::now();
            }
            if (sawUp && !dialog.OkButton().isEnabled())
                return false;
            okWhileUp = okWhileUp || (sawUp && dialog.OkButton().isEnabled() &&
                                      ecusim::SimClock::now() - raised < 900ms);
            return dialog.OkButton().isEnabled();
        }));
        up = std::chrono::duration_cast<std::chrono::milliseconds>(ecusim::SimClock::now() - raised);
        link::PORT_LINE_STATE lines;
        closedAfter = link::PortGetLineState(1, lines) == link::PORT_NOT_OPEN;
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
    Command(ID_TEST);
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(text, QStringLiteral("E3254"));
    EXPECT_FALSE(okAtFirst);
    EXPECT_TRUE(sawUp) << "DTR never went up on COM1";
    EXPECT_FALSE(okWhileUp);
    // One second of 10 ms ticks, less a tick for when the first one falls
    // and the poll that saw the line go up.
    EXPECT_GE(up, 950ms);
    EXPECT_TRUE(closedAfter) << "the port stays open after the pulse";
    ::unlink(com1.c_str());
    ::close(master);
}
