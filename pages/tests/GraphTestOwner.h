#pragma once

// A test window that does with one graph what the graph page does with
// its own: it sets the graph's font and axis colour, builds its toolbar and
// gives it the X-axis caption, routes the toolbar's seven commands, steps
// the cursor on Left and Right key-ups in cursor mode, re-reads the cursor
// when the user moves it, lays the graph out over its whole area on every
// resize, and puts the points of a replay on the graph with the scale of
// their variable. Test code, not the graph page.

#include "config/CUtilityCtrl.h"
#include "config/CtrlWnd.h"
#include "config/GraphPoint.h"
#include "pages/CCtrlGraph.h"
#include "platform/ui/WindowBase.h"

#include <QKeyEvent>
#include <QWidget>

#include <string>

class GraphTestOwner : public QWidget, public vexar::ui::WindowBase, public IGraphPointSink {
public:
    static constexpr vexar::ui::COLORREF kAxisColour = vexar::ui::RGB(0, 0, 160);

    explicit GraphTestOwner(const std::string& languageFile, QSize size = {640, 420}) : WindowBase(this)
    {
        resize(size);
        graph.m_font = font();
        graph.m_axisColour = kAxisColour;
        graph.CreateToolbar(*this);
        graph.SetXAxisCaption(languageFile);
        graph.LayoutToolbar(0, 0, width(), height());
        RouteCommands();
        connect(&graph, &CCWGraph::cursorChanged, this, [this] { graph.ReadCursor(); });
    }

    bool preTranslateMessage(QWidget&, QEvent& event) override
    {
        if (event.type() != QEvent::KeyRelease || !graph.IsCursorMode())
            return false;
        const int key = static_cast<QKeyEvent&>(event).key();
        if (key != Qt::Key_Left && key != Qt::Key_Right)
            return false;
        graph.MoveCursor(key == Qt::Key_Left);
        return true;
    }

    // A replayed point takes the display parameter of the variable of its
    // column (1 when no variable has that identifier).
    void OnGraphPoint(const GRAPH_POINT& point) override
    {
        GRAPH_POINT scaled = point;
        scaled.display = 1;
        for (const CTRL_WND& entry : variables) {
            REC_CONTROLLO definition;
            if (CUtility::GetCtrlDefinition(entry, definition) && definition.IDENTIFICATORE == point.Identifier()) {
                scaled.display = CUtility::GetDisplayParam(definition);
                break;
            }
        }
        graph.PlotPoints(scaled);
    }
    void OnGraphPointsEnd() override { ++replayEnds; }

    CCtrlGraph graph{this};
    CTRL_TABLE variables;
    int fullScreenCommands = 0;
    int replayEnds = 0;

protected:
    // Where the graph and its toolbar go: the whole window here.
    virtual QRect GraphArea() const { return rect(); }

    void resizeEvent(QResizeEvent* event) override
    {
        const QRect area = GraphArea();
        graph.LayoutToolbar(area.left(), area.top(), area.left() + area.width(), area.top() + area.height());
        QWidget::resizeEvent(event);
    }

private:
    void RouteCommands()
    {
        commands().On(CCtrlGraph::ID_TOOL_POINTER, [this] { graph.SelectToolMode1(); });
        commands().On(CCtrlGraph::ID_TOOL_PAN, [this] { graph.SelectToolMode3(); });
        commands().On(CCtrlGraph::ID_TOOL_ZOOM, [this] { graph.SelectToolMode6(); });
        commands().On(CCtrlGraph::ID_RESTORE_RANGES, [this] { graph.RestoreAxisRanges(); });
        commands().On(CCtrlGraph::ID_GRID, [this] { graph.ToggleGrid(); });
        commands().On(CCtrlGraph::ID_TOOL_CURSOR, [this] { graph.SelectCursorMode(); });
        commands().On(CCtrlGraph::ID_FULL_SCREEN, [this] { ++fullScreenCommands; });
    }
};
