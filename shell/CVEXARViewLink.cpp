// The commands that act on the ECU link: connect and disconnect, the
// K-line or serial interface, the baud rate of the second protocol, and
// the ECU test with its result window.
#include "shell/CVEXARView.h"

#include "common/Text.h"
#include "dialogs/CDlgTestRes.h"
#include "link/CEnumSerialPorts.h"
#include "link/LinkMessages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"

#include <QLabel>

#include <algorithm>
#include <numeric>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr unsigned kMaxPort = 256;

bool HasDuplicates(std::vector<unsigned> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    return std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end();
}

}  // namespace

bool CVEXARView::ConfirmInterruption()
{
    return ui::MessageBox(this, LangText(3094), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;
}

void CVEXARView::EnumeratePorts()
{
    auto enumerate = [this] {
        std::vector<std::u16string> names;
        m_app.m_comPorts.clear();
        if (!link::CEnumSerialPorts().EnumPorts(m_app.m_comPorts, names)) {
            m_app.m_comPorts.resize(kMaxPort);
            std::iota(m_app.m_comPorts.begin(), m_app.m_comPorts.end(), 1u);
            return false;
        }
        return true;
    };
    if (!enumerate() || !HasDuplicates(m_app.m_comPorts))
        return;
    if (ui::MessageBox(this, LangText(3265), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES)
        enumerate();
}

void CVEXARView::OnConnect()
{
    if (m_bConnecting || m_hProgram != 0 || m_app.m_bLinked || ConnectWithWorker())
        return;
    m_bConnecting = true;
    // The newest installed revision of the selected configuration's model
    // is loaded first, when there is one; the connect goes on whatever the
    // choice finds.
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    SelectConfigurationForEcu(m_app.m_nProtocol, configName);
    RequestConnect();
}

void CVEXARView::RequestConnect()
{
    EnumeratePorts();
    {
        std::lock_guard lock(m_app.m_csAutoSelect);
        m_app.m_bAutoSelect = 1;
    }
    SetWaitCursor(true);
    if (m_app.PostLinkRequest(link::WM_LINK_CONNECT))
        ++m_nConnectsPosted;
}

void CVEXARView::OnDisconnect()
{
    if (m_app.m_bLinked)
        m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
}

void CVEXARView::OnKLine()
{
    m_app.m_bKLine = 1;
    WriteSettings();
    ShowLineStatus();
}

void CVEXARView::OnSerialLine()
{
    m_app.m_bKLine = 0;
    WriteSettings();
    ShowLineStatus();
}

void CVEXARView::ShowLineStatus()
{
    std::u16string text = LangText(m_app.m_bKLine ? 3148 : 3150);
    std::erase(text, u'&');
    m_frame.SetPaneText(*m_frame.m_paneLine, u" " + text);
}

void CVEXARView::OnBaud(std::int32_t rate)
{
    if (!m_app.m_bListUpload)
        return;
    {
        std::lock_guard lock(m_app.m_csBaud);
        m_app.m_nBaudRequested = rate;
    }
    if (m_app.m_bLinked)
        m_app.PostLinkRequest(link::WM_LINK_SET_BAUD);
}

void CVEXARView::OnBtnExit()
{
    if (m_hProgram == 0)
        ui::PostMessage(&m_frame, ui::WindowMessage{ui::WM_CLOSE, 0, 0, nullptr});
}

// ---- The ECU test -------------------------------------------------------------------

void CVEXARView::OnTest()
{
    if (m_hProgram != 0)
        return;
    RunTest();
}

void CVEXARView::RunTest()
{
    // Without images (no configuration loaded) there is nothing to compare.
    if (!m_app.m_pParMaster || !m_app.m_pParWork)
        return;
    EnableAction(kActionTest, false);
    EnableAction(kActionExit, false);
    if (m_app.m_bLinked) {
        m_bTestPending = false;
        ShowTestResult();
        EndTest();
        return;
    }
    m_bTestPending = true;
    OnConnect();
}

void CVEXARView::ShowTestResult()
{
    bool passed = false;
    {
        std::lock_guard lock(m_app.m_csParImage);
        const auto size = static_cast<std::size_t>(m_app.m_nParSize);
        if (m_app.m_pParMaster && m_app.m_pParWork)
            passed = m_testList.CompareTestParameters({m_app.m_pParMaster.get(), size}, {m_app.m_pParWork.get(), size});
    }
    CDlgTestRes dialog(&m_app, this);
    dialog.m_strLangFile = m_strLangFile;
    CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    dialog.m_crText = m_layout.textColour;
    dialog.m_bPassed = passed ? 1 : 0;
    dialog.m_nDtrSeconds = m_nDtrSeconds;
    m_pDlgTestRes = &dialog;
    m_app.Sink().RegisterWindow(link::UiWindow::TestResult, &dialog);
    dialog.DoModal();
    m_app.Sink().UnregisterWindow(link::UiWindow::TestResult, &dialog);
    m_pDlgTestRes = nullptr;
}

void CVEXARView::EndTest()
{
    EnableAction(kActionTest, true);
    EnableAction(kActionExit, true);
    SetWaitCursor(false);
    if (m_bTestPending) {
        m_bTestPending = false;
        if (m_app.m_bLinked)
            m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
    }
}

void CVEXARView::OnConnectAborted()
{
    if (!ui::IsWindowEnabled(Button(kActionTest)))
        EndTest();
}

// ---- The worker's answers -----------------------------------------------------------

void CVEXARView::OnLinkState(std::uintptr_t linked, std::intptr_t)
{
    if (linked) {
        EnableAction(kActionConnect, false);
        EnableAction(kActionChecklist, true);
        if (!m_app.m_bRemoteMaster)
            EnableAction(kActionRemote, true);
        m_bConnecting = false;
        if (m_bTestPending) {
            ShowTestResult();
            EndTest();
        }
        return;
    }
    if (m_bReloadPending) {
        m_bReloadPending = false;
        LoadConfiguration();
        WriteSession();
        UpdateMenusForProfile();
        m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
        m_app.m_bBusy = false;
    }
    EnableAction(kActionConnect, true);
    EnableAction(kActionChecklist, false);
    if (!m_app.m_bRemoteMaster)
        EnableAction(kActionRemote, false);
    m_bConnecting = false;
    if (m_bTarmixPending)
        OnBtnRunTarmix();
    RunDeferredLoad();
}

// Every connect the worker takes ends with this notice, after its
// mismatch report and its session notice.
void CVEXARView::OnLinkIdle()
{
    m_nConnectsPosted = std::max(m_nConnectsPosted - 1, 0);
    SetWaitCursor(false);
    RunDeferredLoad();
}
