// The gas-ECU diagnosis window of the loaded configuration and the error
// clearing: the window is made at every load after the page windows, its
// tables go to the application for the worker and the calibration file,
// and it goes before the next load and at exit, its tables first.
#include "shell/CVEXARView.h"

#include "dialogs/CDlgCancErr.h"
#include "dialogs/CDlgDiag.h"
#include "link/LinkMessages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"

#include <QStatusBar>

using namespace vexar;

bool CVEXARView::CreateDiagnosisWindow(std::span<const REC_CONTROLLO> records)
{
    if (m_dlgDiag && m_dlgDiag->m_bCreated)
        return true;
    if (!m_dlgDiag)
        m_dlgDiag = std::make_unique<CDlgDiag>(m_app);
    CDlgDiag& window = *m_dlgDiag;
    window.m_strLangFile = m_strLangFile;
    window.m_layout = m_layout;
    window.m_nDiagBase = 7100;
    window.m_nActionBase = 5900;
    window.m_nOperator = m_app.m_nOperator;
    window.Create();
    m_app.Sink().RegisterWindow(link::UiWindow::DiagWindow, &window);
    window.FitToDpi();
    const QStatusBar& bar = *m_frame.m_wndStatusBar;
    const QPoint corner = bar.mapToGlobal(QPoint(bar.width(), 0));
    window.FitToScreen(QRect(QPoint(0, 0), QPoint(corner.x() - 1, corner.y() - 1)));
    window.CreateRows(records);
    window.SetLanguageFile(m_strLangFile);
    window.SetOperatorType(m_app.m_nOperator);
    PublishDiagTables();
    return true;
}

// The worker polls the visible rows; the calibration file, the memory
// reset and the refresh after a whole read take every recovery-action
// list, whatever the profile shows, as the parameter table holds every
// control.
void CVEXARView::PublishDiagTables()
{
    const bool open = m_dlgDiag && m_dlgDiag->m_bCreated;
    m_app.m_pDiagTable = open ? &m_dlgDiag->m_allRows : nullptr;
    m_app.m_pDiagTable2 = open ? &m_dlgDiag->m_visibleRows : nullptr;
    m_app.m_pDiagTable3 = open ? &m_dlgDiag->m_allActions : nullptr;
    m_app.PublishCtrlTables();
}

void CVEXARView::CloseDiagnosisWindow()
{
    if (!m_dlgDiag || !m_dlgDiag->m_bCreated)
        return;
    // The worker and the maintenance page let go of the rows before they
    // go.
    ForgetMaintenanceVariables();
    m_app.m_pDiagTable = nullptr;
    m_app.m_pDiagTable2 = nullptr;
    m_app.m_pDiagTable3 = nullptr;
    m_app.PublishCtrlTables();
    m_dlgDiag->DestroyRows();
    m_dlgDiag->Close();
    m_app.Sink().UnregisterWindow(link::UiWindow::DiagWindow, m_dlgDiag.get());
}

void CVEXARView::OnBtnDiagnosis()
{
    if (m_hProgram != 0 || m_app.m_bBusy)
        return;
    if (m_dlgDiag && m_dlgDiag->m_bCreated)
        CUtility::ShowAndFocus(*m_dlgDiag, ui::SW_RESTORE);
    m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
}

void CVEXARView::OnBtnClearErrors()
{
    if (m_hProgram != 0)
        return;
    CDlgCancErr dialog(m_app, this);
    dialog.m_strLangFile = m_strLangFile;
    CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    dialog.m_crText = m_layout.textColour;
    if (m_dlgDiag && m_dlgDiag->m_bCreated) {
        dialog.m_sources = m_dlgDiag->Resets().Sources();
        dialog.m_present = m_dlgDiag->Resets().Presence();
    }
    dialog.DoModal();
}
