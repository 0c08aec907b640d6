#include "dialogs/CDlgGraph.h"

#include "common/CUtilityLang.h"
#include "common/CUtilityToolbox.h"
#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "config/CVariabiliAcq.h"
#include "dialogs/CDlgGraphFS.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/PageBitmaps.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlGraph.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/CUtilityPickers.h"
#include "pages/core/CUtilityPicker.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>

namespace ui = vexar::ui;
namespace vlink = vexar::link;

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

// Where each control stands on the page as designed.
const QRect kGraphPlace(10, 10, 760, 620);
const QRect kPickerPlace(785, 10, 205, 26);
const QRect kListPlace(785, 45, 205, 290);
const QRect kLoadPlace(785, 345, 110, 28);
const QRect kLivePlace(905, 345, 30, 28);
const QRect kClearPlace(945, 345, 30, 28);
const QRect kPathPlace(785, 385, 205, 22);
const QRect kCommentPlace(785, 412, 205, 110);
const QRect kRunPlace(785, 535, 80, 36);
const QRect kStatePlace(875, 543, 115, 22);

const CTRL_TABLE kNoTable;

}  // namespace

CDlgGraph::CDlgGraph(CVEXARPages& app) : WindowBase(this), m_app(app) { hide(); }

CDlgGraph::~CDlgGraph()
{
    if (m_bCreated)
        Close();
    if (m_app.m_bLiveSampleTarget)
        m_app.m_bLiveSampleTarget = false;
}

void CDlgGraph::SetLanguageFile(const std::string& path)
{
    m_strLangFile = path;
    if (!m_bCreated)
        return;
    LoadCaptions();
    if (m_twin)
        m_twin->Graph().SetXAxisCaption(path);
}

void CDlgGraph::SetColours(ui::COLORREF text, ui::COLORREF value)
{
    m_crText = text;
    m_crValue = value;
}

QString CDlgGraph::Text(int id) const { return ToQ(CUtility::LoadLangString(m_strLangFile, id)); }

void CDlgGraph::ForEachGraph(const std::function<void(CCtrlGraph&)>& act)
{
    act(*m_graph);
    if (m_twin)
        act(m_twin->Graph());
}

// ---- Creation and closing ----------------------------------------------------------------------

bool CDlgGraph::Create(QWidget& strip)
{
    if (m_bCreated)
        return true;
    setParent(&strip);
    hide();
    resize(kDesignWidth, kDesignHeight);
    BuildControls();
    m_bCreated = true;
    LoadCaptions();
    CreateTwin();
    return true;
}

void CDlgGraph::BuildControls()
{
    m_graph = new CCtrlGraph(this);
    m_picker = new CCtrlCombo(m_app, this);
    m_list = new CCtrlList(this);
    m_load = new CButtonMfc(this);
    m_live = new QPushButton(this);
    m_clear = new QPushButton(this);
    m_path = new CCtrlStatic(this);
    m_comment = new CCtrlEdit(m_app, this);
    m_run = new CCtrlLed(m_app, this);
    m_state = new CCtrlStatic(this);

    m_live->setIcon(LiveModeBitmap());
    m_clear->setIcon(ClearChoiceBitmap());
    for (QPushButton* button : {m_live, m_clear})
        button->setIconSize({16, 16});
    m_load->setFont(m_font);
    m_load->m_textColour = m_crText;
    m_path->setFont(m_font);
    m_path->m_textColour = m_crValue;
    m_comment->SetMultiLine(true);
    m_comment->SetReadOnly(true);
    m_comment->setFont(m_font);
    m_comment->m_textColour = m_crText;
    m_picker->setFont(m_font);
    QPalette pickerColours = m_picker->palette();
    pickerColours.setColor(QPalette::Text, ui::ToQColor(m_crValue));
    pickerColours.setColor(QPalette::ButtonText, ui::ToQColor(m_crValue));
    m_picker->setPalette(pickerColours);
    m_picker->SetRole(CCtrlCombo::kRolePicker);
    m_picker->SetOwner(this);
    m_list->setFont(m_font);
    QPalette listColours = m_list->palette();
    listColours.setColor(QPalette::Text, ui::ToQColor(m_crText));
    m_list->setPalette(listColours);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Nome")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    CUtility::SetListImages(*m_list, TraceSlotImages());
    m_state->setFont(m_font);
    m_state->m_textColour = m_crText;
    m_run->SetControlFont(*this, m_font);

    const std::pair<QWidget*, QRect> places[] = {
        {m_picker, kPickerPlace}, {m_list, kListPlace},       {m_load, kLoadPlace}, {m_live, kLivePlace},   {m_clear, kClearPlace},
        {m_path, kPathPlace},     {m_comment, kCommentPlace}, {m_run, kRunPlace},   {m_state, kStatePlace}};
    for (const auto& [control, place] : places) {
        control->setGeometry(place);
        control->show();
    }
    m_scroll = std::make_unique<CScrollResizeFunc>();
    m_scroll->Attach(this);
    const bool scaled = m_scroll->CheckLargeFonts() || m_scroll->FitToScreen();
    if (scaled)
        for (const auto& [control, place] : places)
            m_scroll->ScaleControl(*control, false, control == m_picker);
    m_list->setColumnWidth(0, m_list->width() - 2 * m_list->frameWidth());

    m_graph->m_font = m_font;
    m_graph->m_axisColour = m_crText;
    m_graph->CreateToolbar(*this);
    QRect graphArea = kGraphPlace;
    if (scaled) {
        // The graph and its toolbar scale as one.
        QWidget probe(this);
        probe.setGeometry(kGraphPlace);
        m_scroll->ScaleControl(probe, false, false);
        graphArea = probe.geometry();
    }
    m_graph->LayoutToolbar(graphArea.left(), graphArea.top(), graphArea.right() + 1, graphArea.bottom() + 1);
    m_graph->show();

    RouteCommands();
    connect(m_graph, &CCWGraph::cursorChanged, this, [this] { m_graph->ReadCursor(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (item && column >= 0)
            OnRemoveTrace(m_list->indexOfTopLevelItem(item));
    });
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(m_live, &QPushButton::clicked, this, [this] { OnBackToLive(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { RemoveAllTraces(); });
    connect(m_run, &CCWButton::clicked, this, [this] { OnRunClick(); });
    connect(m_run, &CCWButton::valueChanged, this, [this](bool on) { ShowState(on); });
}

void CDlgGraph::RouteCommands()
{
    commands().On(CCtrlGraph::ID_TOOL_POINTER, [this] { m_graph->SelectToolMode1(); });
    commands().On(CCtrlGraph::ID_TOOL_PAN, [this] { m_graph->SelectToolMode3(); });
    commands().On(CCtrlGraph::ID_TOOL_ZOOM, [this] { m_graph->SelectToolMode6(); });
    commands().On(CCtrlGraph::ID_RESTORE_RANGES, [this] { m_graph->RestoreAxisRanges(); });
    commands().On(CCtrlGraph::ID_GRID, [this] { m_graph->ToggleGrid(); });
    commands().On(CCtrlGraph::ID_TOOL_CURSOR, [this] { m_graph->SelectCursorMode(); });
    commands().On(CCtrlGraph::ID_FULL_SCREEN, [this] {
        if (m_twin)
            m_twin->ToggleShown();
    });
}

// The twin starts hidden with the page's font, colour and X-axis caption.
void CDlgGraph::CreateTwin()
{
    m_twin = std::make_unique<CDlgGraphFS>();
    CCtrlGraph& graph = m_twin->Graph();
    graph.m_font = m_font;
    graph.m_axisColour = m_crText;
    graph.CreateToolbar(*m_twin);
    graph.SetXAxisCaption(m_strLangFile);
    m_twin->resize(1024, 768);
    graph.LayoutToolbar(0, 0, m_twin->width(), m_twin->height());
    m_twin->hide();
}

void CDlgGraph::Close()
{
    if (!m_bCreated)
        return;
    if (m_twin) {
        m_twin->Graph().ClearTraces();
        m_twin.reset();
    }
    m_varTable.clear();
    m_graph->ClearTraces();
    m_scroll.reset();
    for (QWidget* control : std::initializer_list<QWidget*>{m_graph, m_picker, m_list, m_load, m_live, m_clear, m_path,
                                                            m_comment, m_run, m_state})
        delete control;
    m_graph = nullptr;
    m_picker = nullptr;
    m_list = nullptr;
    m_load = nullptr;
    m_live = m_clear = nullptr;
    m_path = m_state = nullptr;
    m_comment = nullptr;
    m_run = nullptr;
    hide();
    m_bCreated = false;
}

void CDlgGraph::LoadCaptions()
{
    if (!m_bCreated)
        return;
    m_load->setText(Text(IDS_LOAD));
    const QString name = Text(IDS_NAME);
    m_list->setHeaderLabels({name.isEmpty() ? QStringLiteral("Nome") : name});
    ShowState(m_run->GetState() != 0);
    m_graph->SetXAxisCaption(m_strLangFile);
}

void CDlgGraph::ShowState(bool on) { m_state->setText(Text(on ? IDS_ON : IDS_OFF)); }

// ---- Variables and traces -----------------------------------------------------------------------

void CDlgGraph::ReloadVariables()
{
    if (!m_bCreated)
        return;
    if (m_app.m_pVarTable && !m_app.m_pVarTable->empty())
        m_varTable = *m_app.m_pVarTable;
    if (m_nMode != kLive)
        return;
    FillLivePicker();
    if (m_run->GetState() == 0)
        AddFirstTraces();
}

// Live, the picker offers the variables chosen on the acquisition page.
void CDlgGraph::FillLivePicker()
{
    CUtility::FillVarCombo(m_app.m_nOperator, m_app.m_pAcqVarTable ? *m_app.m_pAcqVarTable : kNoTable, *m_picker);
    m_picker->SetSelection(-1);
}

const CTRL_TABLE& CDlgGraph::ModeTable() const
{
    if (m_nMode == kReplay)
        return m_varTable;
    return m_app.m_pAcqVarTable ? *m_app.m_pAcqVarTable : kNoTable;
}

int CDlgGraph::FindFreeSlot() const
{
    for (int i = 0; i < kSlots; ++i) {
        const int slot = (m_nFreeStart + i) % kSlots;
        if (!m_graph->IsSlotUsed(slot))
            return slot;
    }
    return -1;
}

void CDlgGraph::OnAddTrace()
{
    if (m_list->topLevelItemCount() >= kSlots) {
        m_picker->SetSelection(-1);
        return;
    }
    const int slot = FindFreeSlot();
    if (slot < 0)
        return;
    REC_CONTROLLO definition;
    if (CUtility::AddVarToList(ModeTable(), *m_picker, *m_list, true, slot, &definition, nullptr) < 0)
        return;
    const TRACE_INFO trace{definition.IDENTIFICATORE, slot, {}};
    ForEachGraph([&trace](CCtrlGraph& graph) { graph.AddTrace(trace, false); });
    m_nFreeStart = slot + 1 < kSlots ? slot + 1 : 0;
}

void CDlgGraph::AddFirstTraces()
{
    RemoveAllTraces();
    for (int item = 0; item < m_picker->count() && item < kSlots; ++item) {
        m_picker->SetSelection(item);
        OnAddTrace();
    }
}

void CDlgGraph::OnRemoveTrace(int row)
{
    if (CUtility::RemoveVarFromList(row, *m_picker, *m_list))
        ForEachGraph([row](CCtrlGraph& graph) { graph.RemoveTrace(row); });
}

void CDlgGraph::RemoveAllTraces()
{
    CUtility::ClearVarList(*m_picker, *m_list);
    m_nFreeStart = 0;
    ForEachGraph([](CCtrlGraph& graph) { graph.InitAxes(false); });
}

// ---- Points ------------------------------------------------------------------------------------

void CDlgGraph::AddSample(const GRAPH_POINT& point)
{
    if (!m_bCreated || m_nMode != kLive || m_run->GetState() == 0)
        return;
    ForEachGraph([&point](CCtrlGraph& graph) { graph.PlotPoints(point); });
}

void CDlgGraph::OnGraphPoint(const GRAPH_POINT& point)
{
    if (!m_bCreated || m_nMode != kReplay)
        return;
    GRAPH_POINT scaled = point;
    scaled.display = 1;
    for (const CTRL_WND& entry : m_varTable) {
        REC_CONTROLLO definition;
        if (CUtility::GetCtrlDefinition(entry, definition) && definition.IDENTIFICATORE == point.Identifier()) {
            scaled.display = CUtility::GetDisplayParam(definition);
            break;
        }
    }
    if (m_run->GetState() != 0)
        ForEachGraph([&scaled](CCtrlGraph& graph) { graph.PlotPoints(scaled); });
}

void CDlgGraph::OnGraphPointsEnd()
{
    if (m_bCreated)
        m_run->SetState(0);
}

// ---- Replay -------------------------------------------------------------------------------------

void CDlgGraph::OnLoad()
{
    std::string folder;
    CUtility::GetExePath(folder);
    folder += "Acquisition/" + vexar::ToUtf8(m_strEcuFamily) + "/";
    CUtility::CreateFullPath(folder);
    ui::FileDialogRequest request;
    request.owner = this;
    request.folder = folder;
    request.filter = u"Acq Files (*.acq)|*.acq|";
    request.defaultExtension = u".acq";
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;

    CVariabiliAcq reader("", u"InfoFileAcquisizioniOL");
    std::vector<std::u16string> labels;
    std::vector<std::u16string> identifiers;
    std::u16string comment;
    std::u16string firmware;
    bool hasIdentifiers = false;
    std::int32_t headerLines = 0;
    if (reader.ReadHeader(m_strConfigName, *chosen, labels, identifiers, comment, hasIdentifiers, headerLines,
                          firmware) != 0) {
        ui::MessageBox(this, CUtility::LoadLangString(m_strLangFile, IDS_LOAD_ERROR), u"",
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    }
    if (!firmware.empty()) {
        const std::u16string question =
            vexar::Format(CUtility::LoadLangString(m_strLangFile, IDS_OTHER_FIRMWARE), firmware, m_strConfigName);
        if (ui::MessageBox(this, question, u"", ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
            return;
    }

    // Each column is matched by its identifier when the file names them,
    // else by its label; the first variable of the table wins.
    m_matchedIds.clear();
    m_unmatched.clear();
    std::vector<std::pair<std::u16string, std::int32_t>> matched;  // label, table index
    for (std::size_t column = 0; column < labels.size(); ++column) {
        bool found = false;
        for (std::size_t i = 0; i < m_varTable.size() && !found; ++i) {
            REC_CONTROLLO definition;
            if (!CUtility::GetCtrlDefinition(m_varTable[i], definition))
                continue;
            const bool same = hasIdentifiers
                                  ? column < identifiers.size() && definition.IDENTIFICATORE == identifiers[column]
                                  : definition.ETICHETTA == labels[column];
            if (same) {
                m_matchedIds.push_back(definition.IDENTIFICATORE);
                matched.emplace_back(definition.ETICHETTA, static_cast<std::int32_t>(i));
                found = true;
            }
        }
        if (!found)
            m_unmatched.push_back(static_cast<std::int32_t>(column));
    }
    m_nHeaderLines = headerLines;
    m_strReplayPath = *chosen;

    m_nMode = kReplay;
    m_path->setText(QString::fromStdString(*chosen));
    m_comment->SetWindowText(comment);
    RemoveAllTraces();
    m_picker->clear();
    for (const auto& [label, index] : matched)
        m_picker->addItem(ToQ(CUtility::CleanCtrlName(label)), index);
    m_picker->SetSelection(-1);
    m_run->SetState(0);
    ShowState(false);
    AddFirstTraces();
}

void CDlgGraph::OnRunClick()
{
    if (m_nMode != kReplay || m_run->GetState() == 0)
        return;
    ForEachGraph([](CCtrlGraph& graph) { graph.InitAxes(true); });
    CVariabiliAcq reader("", u"InfoFileAcquisizioniOL");
    if (reader.ReadSamples(m_strReplayPath, *this, m_matchedIds, m_nHeaderLines, m_unmatched) != 0)
        m_run->SetState(0);
}

void CDlgGraph::OnBackToLive()
{
    m_path->setText(QString());
    m_comment->SetWindowText(std::u16string());
    m_strReplayPath.clear();
    m_nMode = kLive;
    RemoveAllTraces();
    ReloadVariables();
}

// ---- Messages and keys ---------------------------------------------------------------------------

std::intptr_t CDlgGraph::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::unique_ptr<ui::MessagePayload>& payload)
{
    if (m_bCreated) {
        switch (id) {
        case vlink::WM_PICKER_SELCHANGE:
            OnAddTrace();
            return 0;
        case vlink::WM_ACQ_STARTED:
            if (m_nMode == kLive)
                ForEachGraph([](CCtrlGraph& graph) { graph.InitAxes(true); });
            return 0;
        default:
            break;
        }
    }
    return WindowBase::onMessage(id, wParam, lParam, payload);
}

bool CDlgGraph::preTranslateMessage(QWidget&, QEvent& event)
{
    if (event.type() == QEvent::KeyRelease && m_bCreated && m_graph->IsCursorMode()) {
        const int key = static_cast<QKeyEvent&>(event).key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            m_graph->MoveCursor(key == Qt::Key_Left);
            return true;
        }
    }
    if (event.type() != QEvent::KeyPress)
        return false;
    if (CUtility::PostPageSelectKey(*this, event))
        return true;
    return false;
}

void CDlgGraph::keyPressEvent(QKeyEvent* event)
{
    if (!CUtility::TakePageKey(*this, *event))
        QWidget::keyPressEvent(event);
}

void CDlgGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_scroll)
        m_scroll->OnSize();
}
