#include "pages/CCtrlGraph.h"

#include "common/CUtilityLang.h"
#include "config/GraphPoint.h"
#include "pages/GraphToolImages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QActionGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QToolBar>

using namespace vexar;

namespace {

constexpr std::int32_t kXCaptionText = 3093;
constexpr int kToolbarLeft = 5;    // the toolbar stands this far left of the chart...
constexpr int kToolbarBelow = 2;   // ...and this far below it
constexpr int kToolbarGap = 4;     // between the chart and the bottom of the owner's area

struct ToolbarButton {
    unsigned id;
    GraphTool image;
    bool tool;  // one of the four exclusive tools
};

// The first seven slots, in their order; six separators follow.
constexpr ToolbarButton kButtons[] = {
    {CCtrlGraph::ID_TOOL_POINTER, GraphTool::Pointer, true},
    {CCtrlGraph::ID_TOOL_ZOOM, GraphTool::Zoom, true},
    {CCtrlGraph::ID_TOOL_PAN, GraphTool::Pan, true},
    {CCtrlGraph::ID_TOOL_CURSOR, GraphTool::Cursor, true},
    {CCtrlGraph::ID_RESTORE_RANGES, GraphTool::Restore, false},
    {CCtrlGraph::ID_GRID, GraphTool::Grid, false},
    {CCtrlGraph::ID_FULL_SCREEN, GraphTool::FullScreen, false},
};

// The windows in separator slots 8, 9, 11 and 12; slots 7 and 10 stay
// separators.
struct Readout {
    unsigned id;
    int width;
    const char* text;
    bool box;  // a bordered value box, else a label
};
constexpr Readout kReadouts[] = {
    {CCtrlGraph::ID_READOUT_X_LABEL, 25, "X:", false},
    {CCtrlGraph::ID_READOUT_X, 150, "", true},
    {CCtrlGraph::ID_READOUT_Y_LABEL, 25, "Y:", false},
    {CCtrlGraph::ID_READOUT_Y, 150, "", true},
};

constexpr ui::COLORREF kSlotColours[] = {
    ui::RGB(255, 255, 0),   ui::RGB(0, 255, 255), ui::RGB(255, 0, 0), ui::RGB(0, 255, 0),
    ui::RGB(255, 0, 255),   ui::RGB(255, 255, 255), ui::RGB(192, 192, 192), ui::RGB(0, 130, 132),
    ui::RGB(0, 0, 255),     ui::RGB(132, 0, 0),
};

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

CCtrlGraph::CCtrlGraph(QWidget* parent)
    : CCWGraph(parent), m_crossCursor(Qt::CrossCursor), m_panCursor(Qt::OpenHandCursor),
      m_grabCursor(Qt::ClosedHandCursor)
{
}

// The toolbar is the owner's child: it goes with the graph unless the
// owner has taken it already.
CCtrlGraph::~CCtrlGraph() { delete m_toolbar.data(); }

// ---- creation and layout ----------------------------------------------------

void CCtrlGraph::CreateToolbar(QWidget& owner)
{
    m_owner = &owner;
    auto* bar = new QToolBar(&owner);
    ui::SetDlgCtrlID(*bar, ID_TOOLBAR);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 15));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto* tools = new QActionGroup(bar);
    tools->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const ToolbarButton& button : kButtons) {
        QAction* action = bar->addAction(GraphToolImage(button.image), QString());
        action->setData(button.id);
        if (button.tool) {
            action->setCheckable(true);
            tools->addAction(action);
        }
        const unsigned id = button.id;
        connect(action, &QAction::triggered, this, [this, id] { ui::SendMessage(m_owner, ui::CommandMessage(id)); });
        if (QWidget* shown = bar->widgetForAction(action))
            ui::SetDlgCtrlID(*shown, static_cast<int>(id));
    }
    m_toolbar = bar;
    CreateReadouts();
    bar->resize(bar->sizeHint());
    bar->show();
    PlaceToolbar();
    SelectToolMode1();
    SetupChart();
}

void CCtrlGraph::CreateReadouts()
{
    m_toolbar->addSeparator();
    for (std::size_t i = 0; i < std::size(kReadouts); ++i) {
        const Readout& r = kReadouts[i];
        if (i == 2)
            m_toolbar->addSeparator();
        auto* label = new QLabel(QString::fromLatin1(r.text), m_toolbar);
        ui::SetDlgCtrlID(*label, static_cast<int>(r.id));
        label->setFixedWidth(r.width);
        label->setFont(m_font);
        if (r.box) {
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            label->setAlignment(Qt::AlignCenter);
        } else {
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        m_toolbar->addWidget(label);
        m_readouts[i] = label;
    }
}

// Under the chart, a little to its left, at the size the toolbar has.
void CCtrlGraph::PlaceToolbar()
{
    if (!m_toolbar || !m_owner)
        return;
    const QPoint chart = m_owner->isAncestorOf(this) ? mapTo(m_owner, QPoint(0, 0))
                                                     : m_owner->mapFromGlobal(mapToGlobal(QPoint(0, 0)));
    m_toolbar->move(chart.x() - kToolbarLeft, chart.y() + height() + kToolbarBelow);
}

void CCtrlGraph::LayoutToolbar(int left, int top, int right, int bottom)
{
    const int barHeight = m_toolbar ? m_toolbar->height() : 0;
    setGeometry(left, top, right - left, bottom - top - barHeight - kToolbarGap);
    PlaceToolbar();
    // Labels stand on pixels, which a new size moves.
    UpdateCursorLabels();
}

void CCtrlGraph::SetControlFont() { setFont(m_font); }

// The chart empty, in the colours and at the ranges of a new run.
void CCtrlGraph::SetupChart()
{
    SetControlFont();
    for (Axis axis : {Axis::X, Axis::Y}) {
        SetAxisColor(axis, m_axisColour);
        SetGridVisible(axis, false);
        SetGridColor(axis, kGridColour);
    }
    SetAxisCaption(Axis::Y, QString());
    m_ranges.Reset();
    ApplyStoredRanges();
    RemoveAllPlots();
    SetCursorVisible(false);
    m_resync = 1;
    m_cursorMode = 0;
    for (CCtrlTextInfo& label : m_textInfo)
        label.CreateInfo(*this);
}

void CCtrlGraph::SetXAxisCaption(const std::string& languageFile)
{
    m_languageFile = languageFile;
    SetAxisCaption(Axis::X, ToQString(CUtility::LoadLangString(languageFile, kXCaptionText)));
}

// ---- tools -----------------------------------------------------------------

void CCtrlGraph::SelectToolMode1() { SelectTool(ID_TOOL_POINTER, TrackMode::Pointer); }

void CCtrlGraph::SelectToolMode3() { SelectTool(ID_TOOL_PAN, TrackMode::Pan); }

void CCtrlGraph::SelectToolMode6() { SelectTool(ID_TOOL_ZOOM, TrackMode::Zoom); }

void CCtrlGraph::SelectCursorMode()
{
    SelectTool(ID_TOOL_CURSOR, TrackMode::Cursor);
    SetCursorVisible(true);
    m_cursorMode = 1;
    m_resync = 1;
    MoveCursor(true);
    UpdateCursorLabels();
}

void CCtrlGraph::SelectTool(unsigned button, TrackMode mode)
{
    if (button != ID_TOOL_CURSOR)
        LeaveCursorMode();
    SetTrackMode(mode);
    if (QAction* action = ToolAction(button))
        action->setChecked(true);
    m_pointerMode = button == ID_TOOL_POINTER ? 1 : 0;
    OnSetCursor();
}

void CCtrlGraph::LeaveCursorMode()
{
    if (m_cursorMode != 1)
        return;
    SetCursorVisible(false);
    HideCursorLabels();
    m_cursorMode = 0;
}

QAction* CCtrlGraph::ToolAction(unsigned button) const
{
    if (!m_toolbar)
        return nullptr;
    for (QAction* action : m_toolbar->actions())
        if (action->data().toUInt() == button)
            return action;
    return nullptr;
}

bool CCtrlGraph::IsToolPressed(unsigned button) const
{
    const QAction* action = ToolAction(button);
    return action && action->isChecked();
}

void CCtrlGraph::RestoreAxisRanges()
{
    ApplyStoredRanges();
    UpdateCursorLabels();
}

void CCtrlGraph::ToggleGrid()
{
    const bool on = !GetGridVisible(Axis::X);
    SetGridVisible(Axis::X, on);
    SetGridVisible(Axis::Y, on);
}

void CCtrlGraph::ApplyStoredRanges()
{
    SetAxisRange(Axis::X, m_ranges.xMinimum, m_ranges.xMaximum);
    SetAxisRange(Axis::Y, m_ranges.yMinimum, m_ranges.yMaximum);
}

bool CCtrlGraph::AxesShowStoredRanges() const
{
    return GetAxisMinimum(Axis::X) == m_ranges.xMinimum && GetAxisMaximum(Axis::X) == m_ranges.xMaximum &&
           GetAxisMinimum(Axis::Y) == m_ranges.yMinimum && GetAxisMaximum(Axis::Y) == m_ranges.yMaximum;
}

// ---- traces and points -----------------------------------------------------

vexar::ui::COLORREF CCtrlGraph::SlotColour(std::int32_t slot)
{
    if (slot < 0 || slot >= static_cast<std::int32_t>(std::size(kSlotColours)))
        return ui::RGB(255, 255, 255);
    return kSlotColours[slot];
}

void CCtrlGraph::AddTrace(const TRACE_INFO& trace, bool existing)
{
    if (!existing)
        m_traces.Add(trace);
    AddPlot(ToQString(trace.name), SlotColour(trace.slot));
}

// The labels follow the traces' new indices.
void CCtrlGraph::RemoveTrace(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_traces.Count())
        return;
    RemovePlot(ToQString(m_traces.Traces()[static_cast<std::size_t>(index)].name));
    m_traces.Remove(static_cast<std::size_t>(index));
    UpdateCursorLabels();
}

bool CCtrlGraph::IsSlotUsed(std::int32_t slot) const { return m_traces.IsSlotUsed(slot); }

// A new run: the traces kept keep their names and colours, but no point of
// the run before, which the cursor would otherwise step to and label where
// the plots show nothing.
void CCtrlGraph::InitAxes(bool keepTraces)
{
    if (keepTraces)
        m_traces.ClearPoints();
    else
        m_traces.Clear();
    HideCursorLabels();
    RemoveAllPlots();
    m_ranges.Reset();
    ApplyStoredRanges();
    if (keepTraces)
        for (const TRACE_INFO& trace : m_traces.Traces())
            AddTrace(trace, true);
    ClearCursorPosition();
    m_resync = 1;
}

void CCtrlGraph::PlotPoints(const GRAPH_POINT& point)
{
    TRACE_INFO* trace = m_traces.Find(point.Identifier());
    if (!trace || !IsPlottable(point.time, point.value))
        return;
    const double scale = GraphScale(point.display);
    const bool unmoved = AxesShowStoredRanges();
    if (m_ranges.Grow(point.time, point.value, scale) && unmoved) {
        ApplyStoredRanges();
        UpdateCursorLabels();
    }
    AppendPoint(*trace, point.time, point.value / scale);
}

void CCtrlGraph::AppendPoint(TRACE_INFO& trace, double x, double y)
{
    CCWGraph::AppendPoint(ToQString(trace.name), x, y);
    trace.points.push_back({x, y});
}

void CCtrlGraph::ClearTraces()
{
    m_traces.Clear();
    for (CCtrlTextInfo& label : m_textInfo)
        label.DestroyInfo();
    delete m_toolbar.data();
}

// ---- cursor ----------------------------------------------------------------

void CCtrlGraph::MoveCursor(bool toTheLeft)
{
    if (m_resync == 1) {
        m_cursorPoint = {GetCursorX().value_or(0.0), GetCursorY().value_or(0.0)};
        m_resync = 0;
    }
    if (const auto next = m_traces.Step(m_cursorPoint.x, toTheLeft)) {
        SetCursorX(next->x);
        m_cursorPoint = *next;
    }
    UpdateCursorLabels();
}

void CCtrlGraph::ReadCursor()
{
    m_cursorPoint = {GetCursorX().value_or(0.0), GetCursorY().value_or(0.0)};
    UpdateCursorLabels();
}

// The labels belong to the cursor: none while it is not shown.
void CCtrlGraph::UpdateCursorLabels()
{
    HideCursorLabels();
    if (m_cursorMode != 1)
        return;
    const auto labels = PlaceCursorLabels(m_traces, View(), m_cursorPoint.x);
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i])
            m_textInfo[i].ShowInfo(labels[i]->text, labels[i]->x, labels[i]->y);
}

void CCtrlGraph::HideCursorLabels()
{
    for (CCtrlTextInfo& label : m_textInfo)
        label.HideInfo();
}

QToolBar* CCtrlGraph::Toolbar() const { return m_toolbar.data(); }

QWidget* CCtrlGraph::CursorLabel(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_textInfo.size())
        return nullptr;
    return m_textInfo[static_cast<std::size_t>(index)].Window();
}

GraphView CCtrlGraph::View() const
{
    const QRect area = GetPlotArea();
    return GraphView{area.left(),
                     area.top(),
                     area.width(),
                     area.height(),
                     GetAxisMinimum(Axis::X),
                     GetAxisMaximum(Axis::X),
                     GetAxisMinimum(Axis::Y),
                     GetAxisMaximum(Axis::Y)};
}

// ---- mouse -----------------------------------------------------------------

// The shape of the pressed tool; the default shape for the others.
bool CCtrlGraph::OnSetCursor()
{
    if (IsToolPressed(ID_TOOL_POINTER) || IsToolPressed(ID_TOOL_ZOOM)) {
        setCursor(m_crossCursor);
        return true;
    }
    if (IsToolPressed(ID_TOOL_PAN)) {
        setCursor(m_panCursor);
        return true;
    }
    unsetCursor();
    return false;
}

void CCtrlGraph::OnLButtonDown()
{
    if (IsToolPressed(ID_TOOL_PAN))
        setCursor(m_grabCursor);
}

void CCtrlGraph::OnMouseMove(QPoint position)
{
    if (m_pointerMode != 1)
        return;
    const GraphView view = View();
    if (!view.Contains(position.x(), position.y()))
        return;
    if (const auto point = view.PixelToPoint(position.x() - view.left, position.y() - view.top))
        ShowReadout(*point);
}

void CCtrlGraph::ShowReadout(const REC_PUNTO& point)
{
    if (m_readouts[1])
        m_readouts[1]->setText(ToQString(ReadoutText(point.x)));
    if (m_readouts[3])
        m_readouts[3]->setText(ToQString(ReadoutText(point.y)));
}

void CCtrlGraph::enterEvent(QEnterEvent* event)
{
    OnSetCursor();
    CCWGraph::enterEvent(event);
}

void CCtrlGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown();
    CCWGraph::mousePressEvent(event);
}

// Without a button held the pointer takes the tool's shape again (the
// closed hand of a pan ends with its drag).
void CCtrlGraph::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(event->position().toPoint());
    if (event->buttons() == Qt::NoButton)
        OnSetCursor();
    CCWGraph::mouseMoveEvent(event);
}
