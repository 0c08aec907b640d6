// The commands that bring a working window forward or show the ECU's
// identification. Each is refused without a word while an external
// program runs, the window commands also during a long operation.
#include "shell/CVEXARView.h"

#include "dialogs/CDlgIdentCentr.h"
#include "link/LinkMessages.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"
#include "shell/CVEXARApp.h"

using namespace vexar;

void CVEXARView::OnBtnEcuIdentification()
{
    if (m_hProgram != 0)
        return;
    CDlgIdentCentr dialog(m_app, this);
    dialog.m_strLangFile = m_strLangFile;
    CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    dialog.m_crText = m_layout.textColour;
    {
        std::lock_guard lock(m_app.m_csIdent);
        dialog.m_strEcuIdent = m_app.m_strEcuIdent;
    }
    dialog.m_strCalibName = m_strCalibName;
    dialog.DoModal();
}

void CVEXARView::OnBtnVehicleConfiguration()
{
    if (m_hProgram != 0 || m_app.m_bBusy)
        return;
    ShowPageWindow(m_wndParams.get());
}

void CVEXARView::OnBtnDataAcquisition()
{
    if (m_hProgram != 0 || m_app.m_bBusy)
        return;
    ShowPageWindow(m_wndVars.get());
}

// A window that the last load built comes forward, restored and focused;
// either way the worker rebuilds its polled lists for what is now shown.
// The window's show keeps the flags the worker reads current before the
// post.
void CVEXARView::ShowPageWindow(CDlgTabSB* host)
{
    if (host && host->IsCreated())
        CUtility::ShowAndFocus(*host, ui::SW_RESTORE);
    m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
}
