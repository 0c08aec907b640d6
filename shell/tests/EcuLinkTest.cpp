// The view's link commands against the simulated ECU on a pseudo-terminal:
// connect and disconnect by menu command and by key, the K-line interface
// written to VEXAR.cfg and its echo read, the baud rate switched or falling
// back, duplicate port numbers, and the ECU test offline and while linked,
// passing, failing and ending when its connect fails.
#include "EcuShell.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "dialogs/CDlgTestRes.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "shell/core/ShellMessages.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
using namespace std::chrono_literals;

namespace {

constexpr std::uint8_t kWriteMain = 2;
constexpr std::uint8_t kSetBaud = 10;

// The demonstration's bench: KD02_ECU/VXG4_R01070, which the simulator's
// identification matches.
class EcuShell : public EcuShellBase {
protected:
    void SetUp() override { StartBench({}); }
};

}  // namespace

TEST_F(EcuShell, ConnectAndDisconnectByCommandAndByKey)
{
    CVEXARView& view = m_shell.View();
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    EXPECT_EQ(m_shell.Frame().m_paneStatus->text(), QStringLiteral("E3065"));
    EXPECT_EQ(m_shell.Frame().m_paneFirmware->text(), QStringLiteral(" Frmw ECU: VXG4_R01070"));
    EXPECT_FALSE(ui::IsWindowEnabled(view.Button(kActionConnect)));
    EXPECT_TRUE(MasterAgreesWithEcu());
    // The ECU answered on COM3, not on the last port (COM1): the session
    // file now names COM3.
    EXPECT_TRUE(WaitUntil([&] { return m_shell.App().m_nComPort == 3; }));

    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_EQ(m_shell.Frame().m_paneStatus->text(), QStringLiteral("E3064"));
    EXPECT_TRUE(ui::IsWindowEnabled(view.Button(kActionConnect)));

    // CONN is the third shown button: F3.
    QTest::keyClick(&view.Button(0), Qt::Key_F3);
    ASSERT_TRUE(WaitLinked(true));
}

// The K-line command rewrites VEXAR.cfg and the protocols read their own
// echo from then on; the serial command turns it off again.
TEST_F(EcuShell, TheKLineIsWrittenToTheSettingsAndItsEchoIsRead)
{
    Command(ID_LINEA_K);
    EXPECT_EQ(m_shell.App().m_bKLine, 1);
    EXPECT_TRUE(Checked(ID_LINEA_K));
    EXPECT_EQ(m_shell.Frame().m_paneLine->text(), QStringLiteral(" E3148"));
    std::u16string settings;
    std::string error;
    ASSERT_TRUE(crypt::ReadCipherText(m_shell.Folder().File("VEXAR.cfg"), settings, error)) << error;
    EXPECT_NE(settings.find(u"// Presenza linea K\n1\n"), std::u16string::npos);

    m_sim->SetKLineEcho(true);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    std::size_t echoes = 0;
    for (const ecusim::FrameRecord& record : m_sim->FrameLog())
        echoes += record.kind == ecusim::FrameRecord::Kind::Echo;
    EXPECT_GT(echoes, 0u);
    EXPECT_TRUE(MasterAgreesWithEcu());

    Command(ID_SERIALE);
    EXPECT_EQ(m_shell.App().m_bKLine, 0);
    ASSERT_TRUE(crypt::ReadCipherText(m_shell.Folder().File("VEXAR.cfg"), settings, error)) << error;
    EXPECT_NE(settings.find(u"// Presenza linea K\n0\n"), std::u16string::npos);
}

// 38400 baud asked for while linked: the ECU switches and the link goes on
// at that speed; refused by the ECU, the menu falls back to the speed in
// use.
TEST_F(EcuShell, ABaudRateIsSwitchedOrFallsBack)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    EXPECT_TRUE(Checked(ID_BAUD_19200));
    Command(ID_BAUD_38400);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(m_shell.App().m_csBaud);
        return m_shell.App().m_nBaudCurrent == 38400;
    }));
    EXPECT_EQ(m_sim->ListeningBaud(), 38400);
    EXPECT_TRUE(Checked(ID_BAUD_38400));
    // The link still works at the new speed: the whole image is written.
    const std::size_t writes = m_sim->CountRequests(kWriteMain);
    ui::SendMessage(&m_shell.View(), ui::WindowMessage{WM_WRITE_ALL_REQUEST, 0, 0, nullptr});
    EXPECT_TRUE(WaitUntil([&] { return m_sim->CountRequests(kWriteMain) > writes; }));
    QTest::qWait(100);
    EXPECT_TRUE(m_shell.App().m_bLinked);

    m_sim->InjectFault(kSetBaud, ecusim::Fault{ecusim::FaultKind::Nak, 1, 0ms}, ecusim::Repeat::Always);
    Command(ID_BAUD_115200);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(m_shell.App().m_csBaud);
        return m_shell.App().m_nBaudRequested == 38400;
    }));
    EXPECT_TRUE(Checked(ID_BAUD_38400));
    EXPECT_FALSE(Checked(ID_BAUD_115200));
}

// Two links give COM3 twice: the program asks, and connects whatever the
// answer.
TEST_F(EcuShell, DuplicatePortNumbersAskAndStillConnect)
{
    std::filesystem::create_symlink(m_sim->SlavePath(), m_shell.Folder().File("COM/COM03"));
    for (const int answer : {ui::IDNO, ui::IDYES}) {
        m_shell.Dialogs().ExpectMessageBox(answer, u"E3265");
        Command(ID_CONNETTI);
        ASSERT_TRUE(WaitLinked(true)) << answer;
        Command(ID_DISCONNETTI);
        ASSERT_TRUE(WaitLinked(false)) << answer;
    }
}

// An offline test connects, shows the pass on green, can be closed only
// after the DTR pulse, and leaves the link closed as it found it.
TEST_F(EcuShell, AnOfflineTestConnectsPassesAndDisconnects)
{
    CVEXARView& view = m_shell.View();
    WorkingImageAsTheEcus();
    bool okDisabledAtFirst = false;
    QString text;
    const auto answer = WhenModal<CDlgTestRes>([&](CDlgTestRes& dialog) {
        okDisabledAtFirst = !dialog.OkButton().isEnabled();
        text = dialog.ResultLabel().text();
        EXPECT_FALSE(ui::IsWindowEnabled(view.Button(kActionTest)));
        EXPECT_FALSE(ui::IsWindowEnabled(view.Button(kActionExit)));
        EXPECT_TRUE(WaitUntil([&] { return dialog.OkButton().isEnabled(); }));
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
    Command(ID_TEST);
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty(); }));
    EXPECT_TRUE(okDisabledAtFirst);
    EXPECT_EQ(text, QStringLiteral("E3254"));
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_TRUE(ui::IsWindowEnabled(view.Button(kActionTest)));
    EXPECT_TRUE(ui::IsWindowEnabled(view.Button(kActionExit)));
}

// One working byte that differs from the ECU's (a calibration that the
// pages hold but the ECU does not) fails the test, on red, closable at once;
// a test run while linked leaves the link up.
TEST_F(EcuShell, ATestFailsWhenOneWorkingByteDiffers)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    {
        std::lock_guard lock(m_shell.App().m_csParImage);
        m_shell.App().m_pParWork[48] ^= 0x01;  // Tempo_Inj_Minimo
    }
    QString text;
    bool closable = false;
    const auto answer = WhenModal<CDlgTestRes>([&](CDlgTestRes& dialog) {
        text = dialog.ResultLabel().text();
        closable = dialog.OkButton().isEnabled();
        WaitUntil([&] { return dialog.OkButton().isEnabled(); });
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
    Command(ID_TEST);
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty(); }));
    EXPECT_EQ(text, QStringLiteral("E3255"));
    EXPECT_TRUE(closable);
    QTest::qWait(200);
    EXPECT_TRUE(m_shell.App().m_bLinked);
}

TEST_F(EcuShell, ATestWhileLinkedStaysLinked)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    WorkingImageAsTheEcus();
    QString text;
    const auto answer = WhenModal<CDlgTestRes>([&](CDlgTestRes& dialog) {
        text = dialog.ResultLabel().text();
        QTest::keyClick(&dialog, Qt::Key_Escape);  // refused while the pulse runs
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(WaitUntil([&] { return dialog.OkButton().isEnabled(); }));
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
    Command(ID_TEST);
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty(); }));
    EXPECT_EQ(text, QStringLiteral("E3254"));
    QTest::qWait(200);
    EXPECT_TRUE(m_shell.App().m_bLinked);
}

// A test whose connect fails ends with the failure's message: TEST and
// USCITA are enabled again.
TEST_F(EcuShell, AFailedConnectDuringATestEnablesTestAndExitAgain)
{
    m_sim->Stop();
    std::filesystem::remove(m_shell.Folder().File("COM/COM3"));
    m_shell.Dialogs().ExpectMessageBox(1, u"E3202");
    Command(ID_TEST);
    EXPECT_FALSE(ui::IsWindowEnabled(m_shell.View().Button(kActionTest)));
    ASSERT_TRUE(WaitUntil([&] { return ui::IsWindowEnabled(m_shell.View().Button(kActionTest)); }));
    EXPECT_TRUE(ui::IsWindowEnabled(m_shell.View().Button(kActionExit)));
    EXPECT_FALSE(m_shell.View().m_bTestPending);
    EXPECT_FALSE(m_shell.App().m_bLinked);
}
