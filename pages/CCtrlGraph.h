#pragma once

// The graph of the graph page and of its full-screen copy: up to ten
// traces of acquisition values against time on the chart, live or
// replayed, with a toolbar under the chart (pointer with an X/Y readout of
// the mouse, zoom, pan, a cursor that steps from point to point and labels
// every trace's value there, restore of the axis ranges, grid, full
// screen). The owner declares it as a member, hands it the traces and the
// points, and routes the toolbar's commands (sent to the owner as
// WM_COMMAND) and the Left and Right key-ups of cursor mode back to it.
//
// The stored ranges are where the axes return to: they grow outward as
// points arrive (pages/core/GraphRanges.h) and the axes follow them while
// the user has not zoomed or panned. Zoom, pan and dragging the cursor are
// the chart's own and change only what it shows.

#include "pages/CCtrlTextInfo.h"
#include "pages/core/GraphRanges.h"
#include "pages/core/GraphTraces.h"
#include "pages/core/GraphView.h"
#include "pages/widgets/CCWGraph.h"
#include "platform/ui/ColorRef.h"

#include <QCursor>
#include <QFont>
#include <QPointer>

#include <array>
#include <cstdint>
#include <string>

struct GRAPH_POINT;
class QAction;
class QLabel;
class QToolBar;

class CCtrlGraph : public CCWGraph {
public:
    // The toolbar's commands and windows, and the toolbar's own id.
    enum : unsigned {
        ID_TOOL_POINTER = 101,
        ID_TOOL_PAN = 102,
        ID_TOOL_ZOOM = 103,
        ID_RESTORE_RANGES = 104,
        ID_READOUT_X_LABEL = 105,
        ID_READOUT_X = 106,
        ID_READOUT_Y_LABEL = 107,
        ID_READOUT_Y = 108,
        ID_GRID = 32828,
        ID_FULL_SCREEN = 32835,
        ID_TOOL_CURSOR = 32853,
        ID_TOOLBAR = 0xE800,
    };
    static constexpr vexar::ui::COLORREF kGridColour = vexar::ui::RGB(156, 170, 184);

    explicit CCtrlGraph(QWidget* parent = nullptr);
    ~CCtrlGraph() override;

    // Set by the owner before CreateToolbar.
    QFont m_font;                                            // the chart's and the readouts' font
    vexar::ui::COLORREF m_axisColour = vexar::ui::RGB(0, 0, 0);  // both axes, ticks and labels

    void CreateToolbar(QWidget& owner);
    void SetXAxisCaption(const std::string& languageFile);
    // Fits the chart and the toolbar into the owner's client rectangle.
    void LayoutToolbar(int left, int top, int right, int bottom);

    void SelectToolMode1();
    void SelectToolMode3();
    void SelectToolMode6();
    void SelectCursorMode();
    void RestoreAxisRanges();
    void ToggleGrid();

    void InitAxes(bool keepTraces);
    void AddTrace(const TRACE_INFO& trace, bool existing);
    void RemoveTrace(int index);
    bool IsSlotUsed(std::int32_t slot) const;
    void PlotPoints(const GRAPH_POINT& point);

    void MoveCursor(bool toTheLeft);
    void ReadCursor();
    void ClearTraces();

    static vexar::ui::COLORREF SlotColour(std::int32_t slot);

    // What the owner and the tests read.
    bool IsCursorMode() const { return m_cursorMode == 1; }
    bool IsPointerMode() const { return m_pointerMode == 1; }
    const GraphRanges& StoredRanges() const { return m_ranges; }
    const GraphTraces& Traces() const { return m_traces; }
    REC_PUNTO CursorPoint() const { return m_cursorPoint; }
    QToolBar* Toolbar() const;
    QWidget* CursorLabel(int index) const;

protected:
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetupChart();
    void CreateReadouts();
    void PlaceToolbar();
    void SetControlFont();
    void AppendPoint(TRACE_INFO& trace, double x, double y);
    void UpdateCursorLabels();
    void HideCursorLabels();
    GraphView View() const;
    void ShowReadout(const REC_PUNTO& point);

    bool OnSetCursor();
    void OnLButtonDown();
    void OnMouseMove(QPoint position);

    void SelectTool(unsigned button, TrackMode mode);
    void LeaveCursorMode();
    bool IsToolPressed(unsigned button) const;
    QAction* ToolAction(unsigned button) const;
    void ApplyStoredRanges();
    bool AxesShowStoredRanges() const;
    void RefreshLabelsInCursorMode();

    std::uint8_t m_cursorMode = 0;
    QPointer<QWidget> m_owner;
    std::string m_languageFile;
    QPointer<QToolBar> m_toolbar;  // a child of the owner, deleted by ClearTraces
    std::array<QPointer<QLabel>, 4> m_readouts;  // "X:", X value, "Y:", Y value; children of the toolbar
    GraphRanges m_ranges;
    GraphTraces m_traces;
    QCursor m_crossCursor;
    QCursor m_panCursor;
    QCursor m_grabCursor;
    REC_PUNTO m_cursorPoint;
    std::uint8_t m_resync = 1;
    std::array<CCtrlTextInfo, kCursorLabels> m_textInfo;  // one per trace index, children of the chart
    std::uint8_t m_pointerMode = 0;
};
