#include "dialogs/CDlgGraphFS.h"

#include "pages/CCtrlGraph.h"
#include "platform/ui/DialogRequests.h"

#include <QKeyEvent>

CDlgGraphFS::CDlgGraphFS() : CDialogBase(nullptr), m_graph(new CCtrlGraph(this))
{
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_graph->setObjectName(QStringLiteral("graph1214"));
    commands().On(CCtrlGraph::ID_TOOL_POINTER, [this] { m_graph->SelectToolMode1(); });
    commands().On(CCtrlGraph::ID_TOOL_PAN, [this] { m_graph->SelectToolMode3(); });
    commands().On(CCtrlGraph::ID_TOOL_ZOOM, [this] { m_graph->SelectToolMode6(); });
    commands().On(CCtrlGraph::ID_RESTORE_RANGES, [this] { m_graph->RestoreAxisRanges(); });
    commands().On(CCtrlGraph::ID_GRID, [this] { m_graph->ToggleGrid(); });
    commands().On(CCtrlGraph::ID_TOOL_CURSOR, [this] { m_graph->SelectCursorMode(); });
    commands().On(CCtrlGraph::ID_FULL_SCREEN, [this] { hide(); });
    connect(m_graph, &CCWGraph::cursorChanged, this, [this] { m_graph->ReadCursor(); });
    hide();
}

CDlgGraphFS::~CDlgGraphFS() = default;

void CDlgGraphFS::ToggleShown()
{
    if (isVisible()) {
        hide();
        return;
    }
    showMaximized();
    raise();
}

bool CDlgGraphFS::preTranslateMessage(QWidget& target, QEvent& event)
{
    if (event.type() == QEvent::KeyRelease && m_graph->IsCursorMode()) {
        const int key = static_cast<QKeyEvent&>(event).key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            m_graph->MoveCursor(key == Qt::Key_Left);
            return true;
        }
    }
    return CDialogBase::preTranslateMessage(target, event);
}

// The graph and its toolbar take the whole client area.
void CDlgGraphFS::resizeEvent(QResizeEvent* event)
{
    CDialogBase::resizeEvent(event);
    if (m_graph->Toolbar())
        m_graph->LayoutToolbar(0, 0, width(), height());
}
