// The trace window of the link traffic: opened by a hidden key and closed
// with the view's other windows.
#include "shell/CVEXARView.h"

#include "link/ui/CDlgDebug.h"
#include "shell/CVEXARApp.h"
#include "shell/core/CommandTable.h"

using namespace vexar;
using namespace vexar::shell;

void CVEXARView::RegisterTraceCommands()
{
    VEXAR_ON_COMMAND(commands(), ID_TRACE, CVEXARView::OnShowTraceWindow);
}

// Made the first time; the window itself sets the application's trace
// target while it is open. When open already it is restored and focused.
// A window of its own (no parent): the view alone owns and deletes it.
void CVEXARView::OnShowTraceWindow()
{
    if (!m_dlgTrace)
        m_dlgTrace = std::make_unique<link::CDlgDebug>(m_app.m_pTraceWnd, &m_app.Sink());
    m_dlgTrace->Create();
}

void CVEXARView::CloseTraceWindow()
{
    if (m_dlgTrace && m_dlgTrace->m_bCreated)
        m_dlgTrace->Close();
}
