// Remote assistance in the program on the ECU bench: the role commands
// with their check marks, the button they enable and the settings file
// they rewrite whole; the command bar while the bridge connection stands,
// by role; the window of the role opened by its button, reached by the
// worker's posts and closed with the view's windows only while no bridge
// connection exists.
#include "EcuShell.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "dialogs/CDlgAssRemMaster.h"
#include "dialogs/CDlgAssRemSlave.h"
#include "link/LinkMessages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

std::string Bytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class RemoteShell : public EcuShellBase {
protected:
    void SetUp() override { StartBench({}); }

    // The file as the program's writer would encipher exactly `text`.
    std::string Enciphered(const std::u16string& text)
    {
        const std::string path = m_shell.Folder().File("expected.cfg");
        std::string error;
        EXPECT_TRUE(crypt::WriteCipherText(path, text, error)) << error;
        return Bytes(path);
    }
    std::string RemoteFile() { return Bytes(m_shell.Folder().File("Remote.cfg")); }
    bool Enabled(int action)
    {
        return ui::IsWindowEnabled(m_shell.View().Button(action)) && ui::IsWindowEnabled(m_shell.View().Label(action));
    }
    void RemoteState(std::uintptr_t state)
    {
        ui::SendMessage(&m_shell.View(), ui::WindowMessage{link::WM_REMOTE_STATE, state, 0, nullptr});
    }
};

}  // namespace

TEST_F(RemoteShell, RoleCommandsSetTheRoleTheButtonAndTheFileExactly)
{
    TestApp& app = m_shell.App();
    app.m_szBridgeIp = "192.168.10.7";
    app.m_nBridgePort = 50123;
    app.m_nSocketTimeout = 3;
    EXPECT_TRUE(Checked(ID_REMOTE_MASTER));
    EXPECT_FALSE(Checked(ID_REMOTE_SLAVE));
    EXPECT_TRUE(Enabled(kActionRemote));
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_REMOTE_MASTER));
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_REMOTE_SLAVE));
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_ASS_REM));

    // A slave without its own ECU link has nothing to lend.
    Command(ID_REMOTE_SLAVE);
    EXPECT_EQ(app.m_bRemoteMaster.load(), 0);
    EXPECT_FALSE(Checked(ID_REMOTE_MASTER));
    EXPECT_TRUE(Checked(ID_REMOTE_SLAVE));
    EXPECT_FALSE(Enabled(kActionRemote));
    EXPECT_EQ(RemoteFile(), Enciphered(u"192.168.10.7\t// Indirizzo IP Server Bridge\n"
                                       u"50123\t// Numero porta Server Bridge\n"
                                       u"0\t// 1 = Master, 0 = Slave\n"
                                       u"3\t// Timeout in ricezione sul socket espresso in secondi"));
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    EXPECT_TRUE(Enabled(kActionRemote));
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_FALSE(Enabled(kActionRemote));

    Command(ID_REMOTE_MASTER);
    EXPECT_EQ(app.m_bRemoteMaster.load(), 1);
    EXPECT_TRUE(Checked(ID_REMOTE_MASTER));
    EXPECT_TRUE(Enabled(kActionRemote));
    EXPECT_EQ(RemoteFile(), Enciphered(u"192.168.10.7\t// Indirizzo IP Server Bridge\n"
                                       u"50123\t// Numero porta Server Bridge\n"
                                       u"1\t// 1 = Master, 0 = Slave\n"
                                       u"3\t// Timeout in ricezione sul socket espresso in secondi"));
    // What the program reads back is what it wrote.
    link::CRemoteSettings read;
    read.ReadRemoteSettings();
    EXPECT_EQ(read.m_szBridgeIp, "192.168.10.7");
    EXPECT_EQ(read.m_nBridgePort, 50123);
    EXPECT_EQ(read.m_nSocketTimeout, 3);
}

// The file cannot be replaced: the user is told, the old file stays, the
// role is changed all the same for this run.
TEST_F(RemoteShell, AFailedRewriteIsToldAndKeepsTheOldFile)
{
    const std::string before = RemoteFile();
    const std::string path = m_shell.Folder().File("Remote.cfg");
    for (const char* step : {"create", "write", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"Error to open file " + ToUtf16(path) + u"!");
        Command(ID_REMOTE_SLAVE);
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(m_shell.Dialogs().pending(), 0u) << step;
        EXPECT_EQ(RemoteFile(), before) << step;
        EXPECT_EQ(m_shell.App().m_bRemoteMaster.load(), 0) << step;
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK);
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        Command(ID_REMOTE_MASTER);
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    }
    const auto& shown = m_shell.Dialogs().shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().caption, u"");
    EXPECT_EQ(shown.front().style & ui::MB_ICONMASK, ui::MB_ICONEXCLAMATION);
}

// The command bar by role while the bridge connection stands and after.
TEST_F(RemoteShell, TheCommandBarFollowsTheBridgeConnectionByRole)
{
    const std::array<int, 1> connect{kActionConnect};
    const std::array<int, 1> reset{kActionResetMemory};
    const std::array<int, 5> slaveOnly{kActionVehicleConfig, kActionAcquisition, kActionDiagGas, kActionSaveCalib,
                                       kActionLoadCalib};
    const std::array<int, 6> common{kActionPrgEcu,  kActionSelectEcu,  kActionTarmix,
                                    kActionPrgPalm, kActionAutoUpdate, kActionChecklist};
    struct Case {
        int master;
        std::uintptr_t state;
        std::optional<bool> connect, reset, slaveOnly, common;
    };
    const Case cases[] = {
        {1, 0, false, true, std::nullopt, false},
        {1, 3, true, false, std::nullopt, true},
        {0, 0, std::nullopt, false, false, false},
        {0, 3, std::nullopt, true, true, true},
    };
    for (const Case& c : cases) {
        m_shell.App().m_bRemoteMaster = c.master;
        RemoteState(c.state);
        const auto check = [&](std::span<const int> group, std::optional<bool> expected, const char* name) {
            if (!expected)
                return;
            for (int action : group)
                EXPECT_EQ(Enabled(action), *expected) << name << " " << action << " master " << c.master << " state "
                                                      << c.state;
        };
        check(connect, c.connect, "connect");
        check(reset, c.reset, "reset");
        check(slaveOnly, c.slaveOnly, "slave-only");
        check(common, c.common, "common");
    }
}

// The master's bridge connection ends its own ECU link.
TEST_F(RemoteShell, TheMastersBridgeConnectionEndsItsOwnLink)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    m_shell.App().ClearPosted();
    RemoteState(0);
    EXPECT_EQ(m_shell.App().Posted(), (std::vector<unsigned>{link::WM_LINK_DISCONNECT}));
    ASSERT_TRUE(WaitLinked(false));
    // Not linked, nothing more to end.
    m_shell.App().ClearPosted();
    RemoteState(0);
    EXPECT_TRUE(m_shell.App().Posted().empty());
    EXPECT_FALSE(Enabled(kActionConnect));
    RemoteState(3);
    EXPECT_TRUE(Enabled(kActionConnect));
}

TEST_F(RemoteShell, TheButtonOpensTheWindowOfTheRoleWhichTheWorkerReaches)
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    Command(static_cast<unsigned>(kCommandButtons[kActionRemote].button));
    auto* master = dynamic_cast<CDlgAssRemMaster*>(view.m_dlgRemMaster.get());
    ASSERT_NE(master, nullptr);
    EXPECT_TRUE(master->isVisible());
    EXPECT_EQ(master->windowTitle(), QString("E3162"));
    EXPECT_EQ(view.m_dlgRemSlave, nullptr);
    // Within the area above the frame's status bar.
    const QStatusBar& bar = *m_shell.Frame().m_wndStatusBar;
    EXPECT_LE(master->frameGeometry().bottom(), bar.mapToGlobal(QPoint(0, 0)).y());

    app.Sink().Post(link::UiWindow::RemoteMaster, nullptr, link::LinkMessage{link::WM_REMOTE_STATUS, 0, 0, nullptr});
    ASSERT_TRUE(WaitUntil([&] { return !master->m_bConnectMode; }));
    EXPECT_EQ(master->ConnectButton().text(), QString("E3203"));

    // While the bridge connection exists the view's close-all keeps it.
    app.m_hSocket = 9;
    view.CloseAllWindows();
    EXPECT_TRUE(master->isVisible());
    app.m_hSocket = -1;
    view.CloseAllWindows();
    EXPECT_FALSE(master->isVisible());
    EXPECT_EQ(master->m_bCreated, 0);

    // The slave's window by the menu item, while linked.
    Command(ID_REMOTE_SLAVE);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    Command(ID_ASS_REM);
    auto* slave = dynamic_cast<CDlgAssRemSlave*>(view.m_dlgRemSlave.get());
    ASSERT_NE(slave, nullptr);
    EXPECT_TRUE(slave->isVisible());
    EXPECT_EQ(slave->windowTitle(), QString("E3179"));
    app.Sink().Post(link::UiWindow::RemoteSlave, nullptr, link::LinkMessage{link::WM_REMOTE_STATUS, 0, 0, nullptr});
    ASSERT_TRUE(WaitUntil([&] { return slave->ConnectButton().text() == QString("E3204"); }));
    // Refused while an external program runs: nothing opens again.
    view.CloseAllWindows();
    view.m_hProgram = 1;
    Command(ID_ASS_REM);
    EXPECT_FALSE(slave->isVisible());
    view.m_hProgram = 0;
}
