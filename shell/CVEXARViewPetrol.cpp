// The petrol side of the view: the adapter's connect and disconnect
// commands with the PID selection file, the petrol window (the host of the
// trouble-code page) and the live-values window opened while the adapter
// is linked, the PID choices of the petrol acquisition page, and what the
// link worker's poll reads of these windows.
#include "shell/CVEXARView.h"

#include "dialogs/CDlgAcqBenz.h"
#include "dialogs/CDlgDiagBenz.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"

#include <QEvent>
#include <QStatusBar>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr int kPetrolCaption = 3282;
constexpr int kPortFailedText = 3293;
constexpr int kAdapterSilentText = 3294;

// The screen rectangle of the main frame's status bar.
QRect StatusBarRect(const QStatusBar& bar) { return QRect(bar.mapToGlobal(QPoint(0, 0)), bar.size()); }

}  // namespace

// Calls back when a watched window is shown, hidden, minimised or restored.
class CVEXARView::PetrolWatcher : public QObject {
public:
    explicit PetrolWatcher(CVEXARView& view) : m_view(view) {}

    void Watch(QObject* target)
    {
        if (target)
            target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            if (target == &m_view.m_frame)
                m_view.OnDraw();
            m_view.PublishPetrolWindows();
            break;
        default: break;
        }
        return false;
    }

private:
    CVEXARView& m_view;
};

void CVEXARView::SetUpPetrolSide()
{
    m_petrolWatcher = new PetrolWatcher(*this);
    m_petrolWatcher->Watch(&m_frame);
    m_dlgPetrol = std::make_unique<CDlgDinamSVBenz>(m_app);
    m_app.m_bObdViewExists = true;

    ui::CommandMap& map = commands();
    VEXAR_ON_COMMAND(map, ID_CONNETTI_BENZ, CVEXARView::OnConnectPetrol);
    map.OnUpdate(ID_CONNETTI_BENZ, [this](ui::CmdUI& item) { OnUpdateConnectPetrol(item); });
    VEXAR_ON_COMMAND(map, ID_DISCONNETTI_BENZ, CVEXARView::OnDisconnectPetrol);
    map.OnUpdate(ID_DISCONNETTI_BENZ, [this](ui::CmdUI& item) { OnUpdateDisconnectPetrol(item); });
    VEXAR_ON_COMMAND(map, ID_DIAG_BENZ, CVEXARView::OnPetrolDiagnosis);
    map.OnUpdate(ID_DIAG_BENZ, [this](ui::CmdUI& item) { item.Enable(m_app.m_bObdLinked != 0); });
    VEXAR_ON_COMMAND(map, static_cast<unsigned>(kCommandButtons[kActionDiagPetrol].button),
                     CVEXARView::OnBtnPetrolDiagnosis);
    // DIAG BENZ waits for the adapter's link.
    EnableAction(kActionDiagPetrol, false);
}

// ---- Commands ---------------------------------------------------------------------

// The worker's poll finds no view and no petrol window from here on.
void CVEXARView::TearDownPetrolSide()
{
    delete m_petrolWatcher;
    m_petrolWatcher = nullptr;
    m_app.m_bObdViewExists = false;
    m_app.m_bPetrolWindowCreated = false;
    m_app.m_bPetrolAcqShown = false;
    m_app.m_bPetrolDtcShown = false;
}

void CVEXARView::OnConnectPetrol()
{
    if (m_bConnecting || m_hProgram != 0 || m_app.m_bObdLinked || !m_app.m_hObdLib)
        return;
    m_bConnecting = true;
    SetWaitCursor(true);
    EnumeratePorts();
    ReadPidList();
    if (!m_app.PostLinkRequest(link::WM_LINK_OBD_CONNECT)) {
        // No worker to answer: nothing will end the attempt.
        m_bConnecting = false;
        SetWaitCursor(false);
    }
}

// While the library is bound and the adapter not linked.
void CVEXARView::OnUpdateConnectPetrol(ui::CmdUI& item) const
{
    item.Enable(m_app.m_hObdLib != nullptr && !m_app.m_bObdLinked);
}

void CVEXARView::OnUpdateDisconnectPetrol(ui::CmdUI& item) const { item.Enable(m_app.m_bObdLinked != 0); }

void CVEXARView::OnDisconnectPetrol()
{
    if (!m_app.m_bObdLinked)
        return;
    SetWaitCursor(true);
    m_app.PostLinkRequest(link::WM_LINK_OBD_DISCONNECT);
}

void CVEXARView::ReadPidList() { m_app.ReadPidList(m_strExeFolder + "PID.cfg"); }

void CVEXARView::OnBtnPetrolDiagnosis()
{
    if (m_hProgram != 0)
        return;
    if (m_wndPetrolPages && m_wndPetrolPages->IsCreated())
        CUtility::ShowAndFocus(*m_wndPetrolPages, ui::SW_RESTORE);
}

// ---- Windows ----------------------------------------------------------------------

// The host takes the area from the screen's top-left corner to the status
// bar's right edge and top, and shows the trouble-code page alone.
void CVEXARView::OpenPetrolWindow()
{
    if (!m_wndPetrolPages) {
        m_wndPetrolPages = std::make_unique<CDlgTabSB>(m_app);
        auto page = std::make_unique<CDlgDiagBenz>(m_app);
        m_pDlgDiagBenz = page.get();
        m_app.Sink().RegisterWindow(link::UiWindow::PetrolDtcPage, m_pDlgDiagBenz);
        WatchPetrolWindow(m_wndPetrolPages.get());
        WatchPetrolWindow(m_pDlgDiagBenz);
        FIXED_PAGES pages;
        pages.diagBenz = std::move(page);
        m_wndPetrolPages->SetFixedPages(std::move(pages));
    }
    CDlgTabSB& host = *m_wndPetrolPages;
    const QStatusBar& bar = *m_frame.m_wndStatusBar;
    const QPoint corner = bar.mapToGlobal(QPoint(bar.width(), 0));
    host.m_rcWindow = QRect(QPoint(0, 0), QPoint(corner.x() - 1, corner.y() - 1));
    host.m_strLangFile = m_strLangFile;
    host.m_settings = m_layout;
    if (host.IsCreated())
        return;
    if (!host.Create())
        return;
    host.setWindowTitle(QString::fromStdU16String(LangText(kPetrolCaption)));
    host.CreatePetrolPage();
    host.show();
}

void CVEXARView::OpenLiveValuesWindow()
{
    if (m_dlgPetrol->IsCreated())
        return;
    m_dlgPetrol->m_strLangFile = m_strLangFile;
    m_dlgPetrol->m_settings = m_layout;
    m_dlgPetrol->m_statusBarRect = StatusBarRect(*m_frame.m_wndStatusBar);
    m_app.Sink().RegisterWindow(link::UiWindow::PetrolWindow, m_dlgPetrol.get());
    m_dlgPetrol->Create(&m_frame);
}

void CVEXARView::ClosePetrolPages()
{
    if (m_wndPetrolPages && m_wndPetrolPages->IsCreated()) {
        m_wndPetrolPages->ClosePages();
        m_wndPetrolPages->FreePages();
    }
    PublishPetrolWindows();
}

void CVEXARView::CloseLiveValuesWindow()
{
    if (m_dlgPetrol && m_dlgPetrol->IsCreated())
        m_dlgPetrol->Close();
    PublishPetrolWindows();
}

// The live-values window stands and goes with the view: hidden while the
// main window is hidden or minimised, shown again when it comes back.
void CVEXARView::OnDraw()
{
    if (!m_dlgPetrol || !m_dlgPetrol->IsCreated())
        return;
    const bool viewShown = isVisible() && !m_frame.isMinimized();
    if (viewShown && m_dlgPetrol->isHidden())
        m_dlgPetrol->show();
    else if (!viewShown && m_dlgPetrol->isVisible())
        m_dlgPetrol->hide();
}

void CVEXARView::WatchPetrolWindow(QObject* window)
{
    if (m_petrolWatcher)
        m_petrolWatcher->Watch(window);
}

void CVEXARView::PublishPetrolWindows()
{
    auto shown = [](QWidget* page, const QWidget* host) {
        return page && page->isVisible() && host && !host->isMinimized();
    };
    m_app.m_bPetrolWindowCreated = m_dlgPetrol && m_dlgPetrol->IsCreated();
    m_app.m_bPetrolAcqShown = m_pDlgAcqBenz && m_pDlgAcqBenz->IsCreated() && shown(m_pDlgAcqBenz, m_wndVars.get());
    m_app.m_bPetrolDtcShown =
        m_pDlgDiagBenz && m_pDlgDiagBenz->IsCreated() && shown(m_pDlgDiagBenz, m_wndPetrolPages.get());
}

// ---- The worker's answers -----------------------------------------------------------

void CVEXARView::OnObdLinkState(std::uintptr_t linked, std::intptr_t code)
{
    if (linked) {
        EnableAction(kActionDiagPetrol, true);
        OpenPetrolWindow();
        OpenLiveValuesWindow();
    } else {
        EnableAction(kActionDiagPetrol, false);
        ClosePetrolPages();
        if (code == -1 || code == -2)
            ui::MessageBox(this, LangText(code == -1 ? kPortFailedText : kAdapterSilentText), std::u16string(),
                           ui::MB_OK | ui::MB_ICONEXCLAMATION);
        CloseLiveValuesWindow();
    }
    if (m_pDlgAcqBenz)
        m_pDlgAcqBenz->SetConnected(linked != 0);
    m_bConnecting = false;
    PublishPetrolWindows();
    if (!linked)
        RunPendingUpdate();
}

// The petrol acquisition page changed the requested table: the live-values
// window adds or removes the row, and the worker polls the new choice.
void CVEXARView::OnObdPidSelection(std::uintptr_t pid, std::intptr_t requested)
{
    if (m_dlgPetrol && m_dlgPetrol->IsCreated())
        m_dlgPetrol->ShowPid(static_cast<int>(pid), requested != 0);
    m_app.PostLinkRequest(link::WM_LINK_OBD_ROUND_ROBIN);
}
