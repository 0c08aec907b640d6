// Remote assistance at the view: the role commands (Master, Slave) with
// the settings file they rewrite, the remote-assistance command that opens
// the window of the role, and the command bar while the bridge connection
// stands.
#include "shell/CVEXARView.h"

#include "common/Text.h"
#include "dialogs/CDlgAssRemMaster.h"
#include "dialogs/CDlgAssRemSlave.h"
#include "link/LinkMessages.h"
#include "platform/ui/CmdUI.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/core/CipherTextFile.h"

#include <QStatusBar>

using namespace vexar;
using namespace vexar::shell;

namespace {

// The command-bar groups the remote state switches.
constexpr int kConnectGroup[] = {kActionConnect};
constexpr int kResetGroup[] = {kActionResetMemory};
constexpr int kSlaveOnlyGroup[] = {kActionVehicleConfig, kActionAcquisition, kActionDiagGas,
                                   kActionSaveCalib,     kActionLoadCalib,   kActionResetMemory};
constexpr int kCommonGroup[] = {kActionPrgEcu,  kActionSelectEcu,   kActionTarmix,
                                kActionPrgPalm, kActionAutoUpdate, kActionChecklist};

}  // namespace

void CVEXARView::RegisterRemoteCommands()
{
    ui::CommandMap& map = commands();
    VEXAR_ON_COMMAND(map, ID_REMOTE_MASTER, CVEXARView::OnMaster);
    map.OnUpdate(ID_REMOTE_MASTER, [this](ui::CmdUI& item) { OnUpdateMaster(item); });
    VEXAR_ON_COMMAND(map, ID_REMOTE_SLAVE, CVEXARView::OnSlave);
    map.OnUpdate(ID_REMOTE_SLAVE, [this](ui::CmdUI& item) { OnUpdateSlave(item); });
    VEXAR_ON_COMMAND(map, ID_ASS_REM, CVEXARView::OnRemoteAssistance);
    VEXAR_ON_COMMAND(map, static_cast<unsigned>(kCommandButtons[kActionRemote].button),
                     CVEXARView::OnBtnRemoteAssistance);
}

void CVEXARView::OnMaster()
{
    m_app.m_bRemoteMaster = 1;
    EnableAction(kActionRemote, true);
    WriteRemoteSettings();
}

// The slave lends its own ECU link: its window is of use only while that
// link is up.
void CVEXARView::OnSlave()
{
    m_app.m_bRemoteMaster = 0;
    EnableAction(kActionRemote, m_app.m_bLinked != 0);
    WriteRemoteSettings();
}

void CVEXARView::OnUpdateMaster(ui::CmdUI& item)
{
    item.Enable(true);
    item.SetCheck(m_app.m_bRemoteMaster == 1);
}

void CVEXARView::OnUpdateSlave(ui::CmdUI& item)
{
    item.Enable(true);
    item.SetCheck(m_app.m_bRemoteMaster == 0);
}

std::u16string RemoteSettingsText(const std::string& address, std::uint16_t port, int master, int timeout)
{
    return Format(u"%s\t// Indirizzo IP Server Bridge\n"
                  u"%u\t// Numero porta Server Bridge\n"
                  u"%d\t// 1 = Master, 0 = Slave\n"
                  u"%d\t// Timeout in ricezione sul socket espresso in secondi",
                  address, static_cast<unsigned>(port), master, timeout);
}

// The file is replaced whole or not at all; whatever step fails, the user
// reads the one message this file has.
bool CVEXARView::WriteRemoteSettings()
{
    return WriteCipherTextFile(m_strExeFolder + "Remote.cfg",
                               RemoteSettingsText(m_app.m_szBridgeIp, m_app.m_nBridgePort, m_app.m_bRemoteMaster,
                                                  m_app.m_nSocketTimeout),
                               u"Error to open file %s!");
}

void CVEXARView::OnBtnRemoteAssistance()
{
    if (m_hProgram != 0)
        return;
    const bool master = m_app.m_bRemoteMaster != 0;
    std::unique_ptr<CDlgAssRem>& slot = master ? m_dlgRemMaster : m_dlgRemSlave;
    if (!slot) {
        if (master)
            slot = std::make_unique<CDlgAssRemMaster>(m_app);
        else
            slot = std::make_unique<CDlgAssRemSlave>(m_app);
        m_app.Sink().RegisterWindow(master ? link::UiWindow::RemoteMaster : link::UiWindow::RemoteSlave, slot.get());
    }
    CDlgAssRem& window = *slot;
    if (!window.m_bCreated) {
        window.m_strLangFile = m_strLangFile;
        window.m_crText = m_layout.textColour;
        window.m_crValue = m_layout.valueColour;
        window.m_layout = m_layout;
        // Above the frame's status bar, from the screen's top-left corner.
        const QStatusBar& bar = *m_frame.m_wndStatusBar;
        const QPoint corner = bar.mapToGlobal(QPoint(bar.width(), 0));
        window.m_rcArea = QRect(QPoint(0, 0), QPoint(corner.x() - 1, corner.y() - 1));
    }
    window.Create();
}

void CVEXARView::OnRemoteState(std::uintptr_t state)
{
    const bool connected = state == 0;
    const auto enable = [this](std::span<const int> group, bool on) {
        for (int action : group)
            EnableAction(action, on);
    };
    if (m_app.m_bRemoteMaster) {
        if (connected && m_app.m_bLinked)
            m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
        enable(kConnectGroup, !connected);
        enable(kResetGroup, connected);
        enable(kCommonGroup, !connected);
        return;
    }
    enable(kSlaveOnlyGroup, !connected);
    enable(kCommonGroup, !connected);
}

void CVEXARView::CloseRemoteWindows()
{
    for (CDlgAssRem* window : {m_dlgRemMaster.get(), m_dlgRemSlave.get()})
        if (window && window->m_bCreated)
            window->CloseIfDisconnected();
}
