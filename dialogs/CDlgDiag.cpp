#include "dialogs/CDlgDiag.h"

#include "common/CStdioFileEx.h"
#include "config/CUtilityCodec.h"
#include "dialogs/CScrollResizeFunc.h"
#include "dialogs/core/ResetValueWriter.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CCtrlStatic.h"
#include "pages/CUtilityFactory.h"
#include "pages/DiagAction.h"
#include "pages/core/CVEXARPages.h"
#include "pages/core/DesignScreen.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>

using namespace vexar;
using DiagRules::DiagControl;

namespace {

// The template's client area and its children, in pixels of the 1024 x 768
// design screen.
constexpr QSize kDesignClient{1020, 600};
constexpr QRect kListRect{10, 10, 1000, 520};
constexpr QRect kSwitchRect{10, 544, 70, 36};
constexpr QRect kStateRect{90, 551, 200, 22};
constexpr QRect kResetRects[3] = {{300, 546, 185, 32}, {490, 546, 185, 32}, {680, 546, 185, 32}};
constexpr QRect kSplitRect{875, 546, 135, 32};

QString ToQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQ(const QString& text) { return text.toStdU16String(); }

constexpr int kControlRole = Qt::UserRole;

}  // namespace

CDlgDiag::CDlgDiag(CVEXARPages& app, QWidget* parent)
    : CDialogBase(parent),
      m_app(app),
      m_list(new CCtrlList(this)),
      m_switch(new CCtrlLed(app, this)),
      m_state(new CCtrlStatic(this)),
      m_split(new CButtonMfc(QStringLiteral("Split errori"), this)),
      m_scroll(std::make_unique<CScrollResizeFunc>())
{
    setWindowFlag(Qt::Window);
    setModal(false);
    resize(kDesignClient);

    ui::SetDlgCtrlID(*m_list, IDC_LIST);
    m_list->setGeometry(kListRect);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("Controlli diagnosi"), QStringLiteral("Codici errore"),
                             QStringLiteral("Stato"), QStringLiteral("Azioni ripristino")});
    m_list->header()->setStretchLastSection(false);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (item && column >= 0)
            SelectRow(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list->header(), &QHeaderView::sectionResized, this, [this] {
        if (m_nSelRow >= 0)
            PlaceEditors();
    });

    ui::SetDlgCtrlID(*m_switch, IDC_SWITCH);
    m_switch->setGeometry(kSwitchRect);
    connect(m_switch, &CCWButton::clicked, this, [this] { OnSwitch(); });

    ui::SetDlgCtrlID(*m_state, IDC_STATE);
    m_state->setGeometry(kStateRect);

    const QString resetTexts[3] = {QStringLiteral("Reset"), QStringLiteral("Reset 2"), QStringLiteral("Reset 3")};
    for (int i = 0; i < 3; ++i) {
        m_reset[static_cast<std::size_t>(i)] = new CButtonMfc(resetTexts[i], this);
        m_reset[static_cast<std::size_t>(i)]->setGeometry(kResetRects[i]);
        BindCommand(*m_reset[static_cast<std::size_t>(i)], IDC_RESET1 + i);
    }
    m_split->setGeometry(kSplitRect);
    BindCommand(*m_split, IDC_SPLIT);
}

CDlgDiag::~CDlgDiag()
{
    // The pulse's timer goes with the window: its datum goes back to idle.
    m_resets.Finish();
    DestroyRows();
    Close();
}

// ---- A configuration's life -----------------------------------------------------------------

void CDlgDiag::Create()
{
    if (m_bCreated)
        return;
    CUtility::CreateFontPt(m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    ApplyFont();
    SetColumnWidths();
    ui::EnableWindow(*m_switch, false);
    for (CButtonMfc* button : m_reset)
        ui::EnableWindow(*button, false);
    m_nViewMode = kCurrentValues;
    m_switch->SetState(0);
    if (m_app.m_nEdition >= 2 && m_app.m_nEdition <= 4)
        for (CButtonMfc* button : m_reset)
            button->hide();
    LoadCaptions();
    m_clientRect = rect();
    m_bCreated = 1;
}

void CDlgDiag::ApplyFont()
{
    const QColor text = ui::ToQColor(m_layout.textColour);
    m_list->setFont(m_font);
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Text, text);
    m_list->setPalette(palette);
    m_switch->SetControlFont(*this, m_font);
    m_state->setFont(m_font);
    m_state->m_textColour = m_layout.textColour;
    for (CButtonMfc* button : m_reset) {
        button->setFont(m_font);
        button->m_textColour = m_layout.textColour;
    }
    m_split->setFont(m_font);
    m_split->m_textColour = m_layout.textColour;
}

void CDlgDiag::SetColumnWidths()
{
    QHeaderView* header = m_list->header();
    for (int c = 0; c < 3; ++c)
        header->resizeSection(c, kColumnWidths[c]);
    // From the list's own width: before the window first shows, its
    // viewport still has the size of an earlier layout.
    const int scrollBar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int last = m_list->width() - 2 * m_list->frameWidth() -
                     (kColumnWidths[0] + kColumnWidths[1] + kColumnWidths[2]) - scrollBar;
    header->resizeSection(3, std::max(last, 20));
}

void CDlgDiag::FitToDpi()
{
    const QSize dpi = m_dpi ? m_dpi()
                            : QSize(static_cast<int>(screen()->logicalDotsPerInchX()),
                                    static_cast<int>(screen()->logicalDotsPerInchY()));
    if (dpi.width() <= 96 && dpi.height() <= 96)
        return;
    for (QWidget* child : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_switch),
                           static_cast<QWidget*>(m_state), static_cast<QWidget*>(m_reset[0]),
                           static_cast<QWidget*>(m_reset[1]), static_cast<QWidget*>(m_reset[2]),
                           static_cast<QWidget*>(m_split)}) {
        QRect place = child->geometry();
        int x = place.x(), y = place.y(), w = place.width(), h = place.height();
        CScrollResizeFunc::ScaleCoord(96, dpi.width(), x);
        CScrollResizeFunc::ScaleCoord(96, dpi.width(), w);
        CScrollResizeFunc::ScaleCoord(96, dpi.height(), y);
        CScrollResizeFunc::ScaleCoord(96, dpi.height(), h);
        child->setGeometry(x, y, w, h);
    }
    SetColumnWidths();
}

void CDlgDiag::FitToScreen(const QRect& rect)
{
    const QSize screenSize = m_screenSize ? m_screenSize() : screen()->size();
    int numX = CScrollResizeFunc::kDesignWidth;
    int numY = CScrollResizeFunc::kDesignHeight;
    if (screenSize != QSize(CScrollResizeFunc::kDesignWidth, CScrollResizeFunc::kDesignHeight)) {
        const PIXEL_SIZE reduced = ReduceToDesignRatio(screenSize.width(), screenSize.height());
        numX = reduced.cx;
        numY = reduced.cy;
        const QRect design[] = {kListRect,        kSwitchRect,      kStateRect, kResetRects[0],
                                kResetRects[1], kResetRects[2], kSplitRect};
        QWidget* children[] = {m_list, m_switch, m_state, m_reset[0], m_reset[1], m_reset[2], m_split};
        for (std::size_t i = 0; i < std::size(children); ++i) {
            int x = design[i].x(), y = design[i].y(), w = design[i].width(), h = design[i].height();
            CScrollResizeFunc::ScaleCoord(numX, CScrollResizeFunc::kDesignWidth, x);
            CScrollResizeFunc::ScaleCoord(numX, CScrollResizeFunc::kDesignWidth, w);
            CScrollResizeFunc::ScaleCoord(numY, CScrollResizeFunc::kDesignHeight, y);
            CScrollResizeFunc::ScaleCoord(numY, CScrollResizeFunc::kDesignHeight, h);
            children[i]->setGeometry(x, y, w, h);
        }
    }
    // The scaled template is the content; a window smaller than it
    // scrolls it.
    int contentWidth = kDesignClient.width();
    int contentHeight = kDesignClient.height();
    CScrollResizeFunc::ScaleCoord(numX, CScrollResizeFunc::kDesignWidth, contentWidth);
    CScrollResizeFunc::ScaleCoord(numY, CScrollResizeFunc::kDesignHeight, contentHeight);
    resize(contentWidth, contentHeight);
    m_scroll->Attach(this);
    if (rect.isValid())
        setGeometry(rect);
    m_scroll->OnSize();
    SetColumnWidths();
    m_clientRect = this->rect();
}

void CDlgDiag::LoadCaptions()
{
    if (m_strLangFile.empty())
        return;
    setWindowTitle(LangText(IDS_TITLE));
    QStringList titles;
    for (int c = 0; c < 4; ++c)
        titles << LangText(IDS_COLUMN0 + c);
    m_list->setHeaderLabels(titles);
    m_state->setText(LangText(m_switch->GetState() ? IDS_POLL_ON : IDS_POLL_OFF));
    m_split->setText(LangText(m_nViewMode == kCurrentValues ? IDS_SPLIT_CURRENT : IDS_SPLIT_CATALOGUE));
}

void CDlgDiag::SetLanguageFile(const std::string& path)
{
    m_strLangFile = path;
    LoadCaptions();
}

void CDlgDiag::CreateRows(std::span<const REC_CONTROLLO> definitions)
{
    // Rows of an earlier configuration go first.
    ClearSelection();
    m_list->clear();
    CUtility::DestroyCtrls(m_allActions);
    CUtility::DestroyCtrls(m_allRows);
    CUtility::DeleteCtrls(m_allActions);
    CUtility::DeleteCtrls(m_allRows);
    m_rowDefs.clear();
    m_actionDefs.clear();
    std::array<REC_CONTROLLO, CResetSequence::kSources> sources{};
    int resets = 0;
    std::vector<const REC_CONTROLLO*> made;
    const auto count = [&](std::int32_t category) {
        return std::count_if(definitions.begin(), definitions.end(),
                             [category](const REC_CONTROLLO& d) { return d.CATEGORIA == category; });
    };
    m_allRows.reserve(static_cast<std::size_t>(count(CTRL_DIAG) + count(CTRL_DIAG_BIT)));
    m_allActions.reserve(static_cast<std::size_t>(count(CTRL_RIPR)));
    for (const REC_CONTROLLO& definition : definitions) {
        if (definition.CATEGORIA == CTRL_RESET) {
            if (resets < CResetSequence::kSources)
                sources[static_cast<std::size_t>(resets)] = definition;
            ++resets;
            continue;
        }
        if (definition.CATEGORIA != CTRL_DIAG && definition.CATEGORIA != CTRL_DIAG_BIT)
            continue;
        CTRL_CREATE args = CreateArgs(definition, m_nDiagBase);
        CCtrlCombo* control = nullptr;
        const bool created = definition.CATEGORIA == CTRL_DIAG ? CUtility::CreateCtrlDiag(args, control)
                                                                 : CUtility::CreateCtrlDiagBit(args, control);
        if (!created || !control)
            continue;
        control->setGeometry(5, 5, 45, control->sizeHint().height());
        control->hide();
        control->SetOwner(this);
        control->SetRole(CCtrlCombo::kRoleDiagnosis);
        m_allRows.push_back(EntryOf(definition, control));
        m_rowDefs.push_back(DiagRules::ControlOf(definition));
        if (control->ItemCount() > 0)
            AddRecoveryActions(definition, definitions, made);
    }
    m_assigned = DiagRules::AssignActions(m_rowDefs, m_actionDefs);

    // The reset buttons by the number of reset definitions; their captions
    // from the definitions that fill the slots.
    m_resets.SetSources(sources, resets);
    for (int n = 1; n <= CResetSequence::kSources; ++n) {
        CButtonMfc& button = ResetButton(n);
        if (n <= resets)
            button.setText(ToQ(sources[static_cast<std::size_t>(n - 1)].ETICHETTA));
        const bool shown = m_resets.IsPresent(n) && !(m_app.m_nEdition >= 2 && m_app.m_nEdition <= 4);
        button.setVisible(shown);
    }
    FillList();
}

// The recovery-action lists a diagnosis definition names: a control for
// each CTRL_RIPR definition with that key, made once. Only the first one
// made for a key serves, and only its first diagnosis list (DiagRules).
void CDlgDiag::AddRecoveryActions(const REC_CONTROLLO& definition, std::span<const REC_CONTROLLO> definitions,
                                  std::vector<const REC_CONTROLLO*>& made)
{
    const auto* block = std::get_if<DiagBlock>(&definition.GRAFICA);
    if (!block || block->ID_AZIONE == 0)
        return;
    for (const REC_CONTROLLO& actions : definitions) {
        if (actions.CATEGORIA != CTRL_RIPR || actions.ID_GUI != block->ID_AZIONE ||
            std::find(made.begin(), made.end(), &actions) != made.end())
            continue;
        made.push_back(&actions);
        CTRL_CREATE args = CreateArgs(actions, m_nActionBase);
        CCtrlCombo* control = nullptr;
        if (!CUtility::CreateCtrlRipr(args, control) || !control)
            continue;
        control->setGeometry(5, 5, 45, control->sizeHint().height());
        control->hide();
        control->SetOwner(this);
        m_allActions.push_back(EntryOf(actions, control));
        m_actionDefs.push_back(DiagRules::ControlOf(actions));
    }
}

CTRL_CREATE CDlgDiag::CreateArgs(const REC_CONTROLLO& definition, int baseId) const
{
    CTRL_CREATE args;
    args.app = &m_app;
    args.languageFile = m_strLangFile;
    args.font = m_font;
    args.parent = m_list->viewport();
    args.definition = &definition;
    args.visible = false;
    args.development = m_app.m_bOprSvil;
    args.limited = m_app.m_bOprLimit;
    args.settings = m_layout;
    args.baseId = baseId;
    args.imageFamily = definition.CATEGORIA == CTRL_RIPR ? 0 : 1;
    args.profile = m_nOperator;
    // No caption beside an editor: it would start left of the grid.
    args.grid.cellWidth = 1;
    args.grid.cellHeight = 1;
    return args;
}

CTRL_WND CDlgDiag::EntryOf(const REC_CONTROLLO& definition, CCtrlCombo* control)
{
    CTRL_WND entry;
    entry.key = definition.ID_GUI;
    entry.category = definition.CATEGORIA;
    entry.access = definition.OPERATORE;
    entry.address = definition.LSB;
    entry.size = CUtility::GetDatoSize(definition.TIPO);
    entry.wnd = control;
    return entry;
}

void CDlgDiag::SetOperatorType(int profile)
{
    m_nOperator = profile;
    FillList();
}

void CDlgDiag::RebuildVisibleTables()
{
    m_visible = DiagRules::BuildVisibility(m_rowDefs, m_actionDefs, m_assigned, m_nOperator);
    m_visibleRows.clear();
    m_visibleActions.clear();
    for (const int row : m_visible.rows)
        m_visibleRows.push_back(m_allRows[static_cast<std::size_t>(row)]);
    for (const int action : m_visible.actions)
        m_visibleActions.push_back(m_allActions[static_cast<std::size_t>(action)]);
}

void CDlgDiag::FillList()
{
    RebuildVisibleTables();
    ClearSelection();
    m_list->clear();
    m_asks.Clear();
    if (m_nViewMode == kCatalogue) {
        m_nViewMode = kCurrentValues;
        if (!m_strLangFile.empty())
            m_split->setText(LangText(IDS_SPLIT_CURRENT));
    }
    for (const int row : m_visible.rows) {
        if (!DiagRules::IsListed(row, m_actionDefs, m_assigned))
            continue;
        AddRow(row);
    }
}

void CDlgDiag::AddRow(int control)
{
    CCtrlCombo* combo = RowControl(control);
    const DiagControl& definition = m_rowDefs[static_cast<std::size_t>(control)];
    if (!combo)
        return;
    if (definition.category == CTRL_DIAG_BIT) {
        UpdateControlRows(control);
        return;
    }
    std::u16string columns[4];
    columns[0] = definition.label;
    const int selected = combo->CurrentItem();
    if (selected >= 0) {
        columns[1] = DiagRules::CodeText(CTRL_DIAG, static_cast<std::uint32_t>(combo->ItemValue(selected)));
        columns[2] = FromQ(combo->itemText(selected));
    }
    if (CCtrlCombo* actions = ActionControl(RowAction(control)); actions && actions->currentIndex() >= 0)
        columns[3] = FromQ(actions->currentText());
    InsertRow(m_list->topLevelItemCount(), control, columns);
}

QTreeWidgetItem* CDlgDiag::InsertRow(int at, int control, const std::u16string (&columns)[4])
{
    auto* item = new QTreeWidgetItem();
    item->setData(0, kControlRole, control);
    for (int c = 0; c < 4; ++c)
        item->setText(c, ToQ(columns[c]));
    m_list->insertTopLevelItem(at, item);
    return item;
}

void CDlgDiag::FormatChecklistLine(CStdioFileEx& file, int index, const REC_CONTROLLO& definition)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_visible.rows.size())
        return;
    const int control = m_visible.rows[static_cast<std::size_t>(index)];
    CCtrlCombo* combo = RowControl(control);
    if (!combo)
        return;
    DiagControl rules = m_rowDefs[static_cast<std::size_t>(control)];
    rules.identifier = definition.IDENTIFICATORE;
    rules.label = definition.ETICHETTA;
    const int action = RowAction(control);
    const DiagControl* actions = action >= 0 ? &m_actionDefs[static_cast<std::size_t>(action)] : nullptr;
    const auto value = static_cast<std::uint32_t>(combo->ReadRawValue());
    for (const std::u16string& line :
         DiagRules::ChecklistLines(rules, combo->CurrentItem(), value, actions, ActionLookup(action)))
        file.WriteString(line);
}

void CDlgDiag::DestroyRows()
{
    m_resets.Finish();
    ClearSelection();
    m_list->clear();
    CUtility::DestroyCtrls(m_allActions);
    CUtility::DestroyCtrls(m_allRows);
    m_visibleRows.clear();
    m_visibleActions.clear();
    hide();
    m_bCreated = 0;
}

void CDlgDiag::Close()
{
    CUtility::DeleteCtrls(m_allRows);
    CUtility::DeleteCtrls(m_allActions);
    m_visibleRows.clear();
    m_visibleActions.clear();
    m_rowDefs.clear();
    m_actionDefs.clear();
    m_assigned.clear();
    m_visible = {};
    m_resets.Clear();
    m_font = QFont();
}

// ---- Lookups -------------------------------------------------------------------------------

CCtrlCombo* CDlgDiag::RowControl(int control) const
{
    if (control < 0 || static_cast<std::size_t>(control) >= m_allRows.size())
        return nullptr;
    return dynamic_cast<CCtrlCombo*>(m_allRows[static_cast<std::size_t>(control)].wnd);
}

CCtrlCombo* CDlgDiag::ActionControl(int action) const
{
    if (action < 0 || static_cast<std::size_t>(action) >= m_allActions.size())
        return nullptr;
    return dynamic_cast<CCtrlCombo*>(m_allActions[static_cast<std::size_t>(action)].wnd);
}

int CDlgDiag::RowAction(int control) const
{
    if (control < 0 || static_cast<std::size_t>(control) >= m_visible.rowAction.size())
        return -1;
    return m_visible.rowAction[static_cast<std::size_t>(control)];
}

DiagRules::ActionItemAt CDlgDiag::ActionLookup(int action) const
{
    CCtrlCombo* actions = ActionControl(action);
    if (!actions)
        return {};
    return [actions](int element) {
        int position = -1;
        return actions->GetElementIndex(element, position) ? position : -1;
    };
}

int CDlgDiag::ControlOfKey(std::int32_t key) const
{
    for (std::size_t i = 0; i < m_rowDefs.size(); ++i)
        if (m_rowDefs[i].key == key)
            return static_cast<int>(i);
    return -1;
}

int CDlgDiag::VisibleRowOf(std::int32_t key) const
{
    for (const int row : m_visible.rows)
        if (m_rowDefs[static_cast<std::size_t>(row)].key == key)
            return row;
    return -1;
}

std::vector<DiagRules::RowRef> CDlgDiag::ListRefs() const
{
    std::vector<DiagRules::RowRef> refs;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        refs.push_back({item->data(0, kControlRole).toInt(), FromQ(item->text(1))});
    }
    return refs;
}

void CDlgDiag::PostToCombo(CCtrlCombo* combo, unsigned id, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (combo)
        ui::PostMessage(combo, {id, wParam, lParam, nullptr});
}

// Queued only while a worker runs (the link's own rule).
void CDlgDiag::PostLink(unsigned id) { m_app.PostLinkRequest(id); }

// ---- Rows of the two views ------------------------------------------------------------------

void CDlgDiag::UpdateControlRows(int control)
{
    CCtrlCombo* combo = RowControl(control);
    if (!combo)
        return;
    const DiagControl& definition = m_rowDefs[static_cast<std::size_t>(control)];
    const auto value = static_cast<std::uint32_t>(combo->ReadRawValue());
    CCtrlCombo* actions = ActionControl(RowAction(control));
    for (const DiagRules::BitRowEdit& edit : DiagRules::PlanBitRows(ListRefs(), control, definition, value)) {
        if (edit.kind == DiagRules::BitRowEdit::Remove) {
            if (edit.at == m_nSelRow)
                ClearSelection();
            else if (m_nSelRow > edit.at)
                --m_nSelRow;
            delete m_list->takeTopLevelItem(edit.at);
            continue;
        }
        if (m_nSelRow >= edit.at)
            ++m_nSelRow;
        const std::u16string columns[4] = {definition.label, DiagRules::CodeText(CTRL_DIAG_BIT, edit.code),
                                           definition.items[static_cast<std::size_t>(edit.item)].text, {}};
        InsertRow(edit.at, control, columns);
        PostToCombo(actions, link::WM_COMBO_SELECT_ELEMENT, static_cast<std::uintptr_t>(edit.item),
                    static_cast<std::intptr_t>(edit.code));
    }
    if (m_nSelRow >= 0)
        PlaceEditors();
}

void CDlgDiag::ShowCatalogue()
{
    for (const int control : m_visible.rows) {
        if (!DiagRules::IsListed(control, m_actionDefs, m_assigned))
            continue;
        const int action = RowAction(control);
        const DiagControl* actions = action >= 0 ? &m_actionDefs[static_cast<std::size_t>(action)] : nullptr;
        for (const DiagRules::ListRow& row : DiagRules::CatalogueRows(
                 control, m_rowDefs[static_cast<std::size_t>(control)], actions, ActionLookup(action)))
            InsertRow(m_list->topLevelItemCount(), control, row.columns);
    }
}

void CDlgDiag::ShowCurrentValues()
{
    for (const int control : m_visible.rows) {
        if (!DiagRules::IsListed(control, m_actionDefs, m_assigned))
            continue;
        const DiagControl& definition = m_rowDefs[static_cast<std::size_t>(control)];
        CCtrlCombo* combo = RowControl(control);
        if (!combo)
            continue;
        if (definition.category == CTRL_DIAG_BIT) {
            UpdateControlRows(control);
            continue;
        }
        const int action = RowAction(control);
        const DiagControl* actions = action >= 0 ? &m_actionDefs[static_cast<std::size_t>(action)] : nullptr;
        const auto row = DiagRules::CurrentValueRow(control, definition, static_cast<std::uint32_t>(combo->ReadRawValue()),
                                                    actions, ActionLookup(action));
        if (row)
            InsertRow(m_list->topLevelItemCount(), control, row->columns);
    }
}

void CDlgDiag::ToggleSplit()
{
    m_list->setUpdatesEnabled(false);
    ClearSelection();
    m_list->clear();
    m_asks.Clear();
    m_nViewMode = m_nViewMode == kCurrentValues ? kCatalogue : kCurrentValues;
    if (m_nViewMode == kCatalogue)
        ShowCatalogue();
    else
        ShowCurrentValues();
    if (!m_strLangFile.empty())
        m_split->setText(LangText(m_nViewMode == kCurrentValues ? IDS_SPLIT_CURRENT : IDS_SPLIT_CATALOGUE));
    m_list->setUpdatesEnabled(true);
    m_list->viewport()->update();
}

// ---- Editing --------------------------------------------------------------------------------

QRect CDlgDiag::CellRect(int row, int column) const
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return {};
    const QRect line = m_list->visualItemRect(item);
    const QHeaderView* header = m_list->header();
    return {header->sectionViewportPosition(column), line.top(), header->sectionSize(column), line.height()};
}

void CDlgDiag::HideEditors()
{
    if (m_pSelDiag)
        m_pSelDiag->hide();
    if (m_pSelAction)
        m_pSelAction->hide();
}

void CDlgDiag::ClearSelection()
{
    HideEditors();
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_nSelRow = -1;
    m_pSelDiag = nullptr;
    m_pSelAction = nullptr;
}

void CDlgDiag::PlaceEditors()
{
    const auto place = [this](CCtrlCombo* editor, int column) {
        if (!editor)
            return;
        const QRect cell = CellRect(m_nSelRow, column);
        editor->setGeometry(cell.x(), cell.y() - kEditorRaise, cell.width(), editor->sizeHint().height());
        editor->show();
        editor->raise();
    };
    place(m_pSelDiag, 2);
    place(m_pSelAction, 3);
}

void CDlgDiag::SelectRow(int row)
{
    if (m_switch->GetState())
        return;
    HideEditors();
    m_pSelDiag = nullptr;
    m_pSelAction = nullptr;
    m_nSelRow = -1;
    QTreeWidgetItem* item = row >= 0 ? m_list->topLevelItem(row) : nullptr;
    if (!item)
        return;
    const int control = item->data(0, kControlRole).toInt();
    CCtrlCombo* combo = RowControl(control);
    if (!combo)
        return;
    m_nSelRow = row;
    if (m_list->currentItem() != item)
        m_list->setCurrentItem(item);
    if (m_nViewMode == kCurrentValues) {
        m_pSelDiag = combo;
        combo->SetSelection(combo->findText(item->text(2)));
    }
    const int action = RowAction(control);
    CCtrlCombo* actions = ActionControl(action);
    if (actions && DiagRules::EditsAction(m_nOperator, m_actionDefs[static_cast<std::size_t>(action)].access)) {
        m_pSelAction = actions;
        // The element of the row's own error, in either view: a choice
        // writes the action of the error the row shows.
        const DiagControl& definition = m_rowDefs[static_cast<std::size_t>(control)];
        const auto code = DiagRules::ParseCode(definition.category, FromQ(item->text(1)));
        const int error = code ? definition.FindCode(*code) : -1;
        ui::SendMessage(actions, {link::WM_COMBO_SET_ELEMENT, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(error)),
                                  0, nullptr});
        actions->SetSelection(actions->findText(item->text(3)));
    }
    PlaceEditors();
}

// ---- Messages --------------------------------------------------------------------------------

void CDlgDiag::OnDiagValue(std::int32_t key)
{
    // A value read in the catalogue (a checklist's read) changes no row.
    if (m_nViewMode != kCurrentValues)
        return;
    const int control = VisibleRowOf(key);
    if (control < 0)
        return;
    CCtrlCombo* combo = RowControl(control);
    if (!combo)
        return;
    QTreeWidgetItem* target = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount() && !target; ++i)
        if (m_list->topLevelItem(i)->data(0, kControlRole).toInt() == control)
            target = m_list->topLevelItem(i);
    const int selected = combo->CurrentItem();
    const std::int32_t category = m_rowDefs[static_cast<std::size_t>(control)].category;
    if (target) {
        if (selected < 0) {
            // No error shown: no action either (the action list's answer to
            // "no element" finds no row to clear).
            target->setText(1, QString());
            target->setText(2, QString());
            target->setText(3, QString());
        } else {
            target->setText(1, ToQ(DiagRules::CodeText(category, static_cast<std::uint32_t>(combo->ItemValue(selected)))));
            target->setText(2, combo->itemText(selected));
        }
    }
    PostToCombo(ActionControl(RowAction(control)), link::WM_COMBO_SELECT_ELEMENT,
                static_cast<std::uintptr_t>(static_cast<std::intptr_t>(selected)),
                selected < 0 ? 0 : static_cast<std::intptr_t>(combo->ItemValue(selected)));
}

void CDlgDiag::OnSelectControl(std::int32_t key)
{
    if (m_nViewMode != kCurrentValues)
        return;
    const int control = VisibleRowOf(key);
    if (control >= 0)
        UpdateControlRows(control);
}

void CDlgDiag::OnRecoveryAction(const DiagRules::ActionReport& report)
{
    DiagRules::Editing editing;
    if (QTreeWidgetItem* edited = m_nSelRow >= 0 ? m_list->topLevelItem(m_nSelRow) : nullptr) {
        editing.row = m_nSelRow;
        if (m_pSelAction)
            editing.actionEditor = RowAction(edited->data(0, kControlRole).toInt());
    }
    const DiagRules::ReportTarget target =
        DiagRules::ResolveActionReport(report, ListRefs(), m_rowDefs, m_actionDefs, m_visible, editing);
    switch (target.kind) {
    case DiagRules::ReportTarget::Drop:
        return;
    case DiagRules::ReportTarget::Clear:
        if (QTreeWidgetItem* item = m_list->topLevelItem(target.row))
            item->setText(3, QString());
        HideEditors();
        return;
    case DiagRules::ReportTarget::Ask:
        if (target.control >= 0 && m_asks.Ask(target.control)) {
            const DiagControl& control = m_rowDefs[static_cast<std::size_t>(target.control)];
            ui::PostMessage(this, {control.category == CTRL_DIAG_BIT ? link::WM_DIAG_BIT_CHANGED
                                                                      : link::WM_DIAG_VALUE_CHANGED,
                                   static_cast<std::uintptr_t>(control.key), 0, nullptr});
        }
        return;
    case DiagRules::ReportTarget::Show:
        if (QTreeWidgetItem* item = m_list->topLevelItem(target.row)) {
            const DiagControl& actions = m_actionDefs[static_cast<std::size_t>(target.action)];
            if (report.index >= 0 && static_cast<std::size_t>(report.index) < actions.items.size())
                item->setText(3, ToQ(actions.items[static_cast<std::size_t>(report.index)].text));
            m_asks.Matched(item->data(0, kControlRole).toInt());
        }
        return;
    }
}

void CDlgDiag::OnSwitch()
{
    ClearSelection();
    const bool on = m_switch->GetState() != 0;
    if (m_app.m_bLinked) {
        if (on) {
            if (m_nViewMode == kCatalogue)
                ToggleSplit();
            ui::EnableWindow(*m_split, false);
            PostLink(link::WM_LINK_DIAG_POLL_ON);
        } else {
            ui::EnableWindow(*m_split, true);
            PostLink(link::WM_LINK_DIAG_POLL_OFF);
        }
    }
    if (!m_strLangFile.empty())
        m_state->setText(LangText(on ? IDS_POLL_ON : IDS_POLL_OFF));
}

void CDlgDiag::OnLinkState(bool linked)
{
    if (!linked) {
        ClearSelection();
        if (m_switch->GetState()) {
            m_switch->SetState(0);
            if (!m_strLangFile.empty())
                m_state->setText(LangText(IDS_POLL_OFF));
        }
        // The worker ended the polling with the link: the catalogue is
        // free again.
        ui::EnableWindow(*m_split, true);
    }
    ui::EnableWindow(*m_switch, linked);
    for (CButtonMfc* button : m_reset)
        ui::EnableWindow(*button, linked);
}

void CDlgDiag::OnReleaseReset(int source) { m_resets.Reload(source); }

void CDlgDiag::OnResetAll() { m_resets.StartChain(); }

std::intptr_t CDlgDiag::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_CTRL_ENABLE:
        OnLinkState(wParam != 0);
        return 0;
    case link::WM_LIST_SCROLL_END:
        if (m_nSelRow >= 0)
            PlaceEditors();
        return 0;
    case link::WM_DIAG_VALUE_CHANGED:
        OnDiagValue(static_cast<std::int32_t>(wParam));
        return 0;
    case link::WM_DIAG_BIT_CHANGED:
        OnSelectControl(static_cast<std::int32_t>(wParam));
        return 0;
    case link::WM_DIAG_ACTION:
        if (const auto* action = dynamic_cast<const DIAG_ACTION*>(payload.get())) {
            const DiagRules::ActionReport report{action->key, action->value, action->index, action->origin};
            payload.reset();
            OnRecoveryAction(report);
        }
        return 0;
    case link::WM_DIAG_RESET1_RELOAD:
        OnReleaseReset(1);
        return 0;
    case link::WM_DIAG_RESET2_RELOAD:
        OnReleaseReset(2);
        return 0;
    case link::WM_DIAG_RESET3_RELOAD:
        OnReleaseReset(3);
        return 0;
    case link::WM_DIAG_START_RESET:
        OnResetAll();
        return 0;
    case link::WM_DIAG_REFRESH_SPLIT:
        if (m_nViewMode == kCatalogue)
            ToggleSplit();
        return 0;
    case ui::WM_TIMER:
        if (wParam == kPulseTimer)
            m_resets.OnTimer();
        return 0;
    case ui::WM_CLOSE:
        hide();
        return 0;
    default:
        return CDialogBase::onMessage(id, wParam, lParam, payload);
    }
}

bool CDlgDiag::onCommand(unsigned id)
{
    switch (id) {
    case IDC_RESET1:
    case IDC_RESET2:
    case IDC_RESET3:
        m_resets.Pulse(static_cast<int>(id) - IDC_RESET1 + 1);
        return true;
    case IDC_SPLIT:
        ToggleSplit();
        return true;
    default:
        return CDialogBase::onCommand(id);
    }
}

void CDlgDiag::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void CDlgDiag::showEvent(QShowEvent* event)
{
    CDialogBase::showEvent(event);
    m_app.m_bDiagWindowShown = true;
    m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
}

void CDlgDiag::hideEvent(QHideEvent* event)
{
    CDialogBase::hideEvent(event);
    if (!m_app.m_bDiagWindowShown)
        return;
    m_app.m_bDiagWindowShown = false;
    m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
}

void CDlgDiag::resizeEvent(QResizeEvent* event)
{
    CDialogBase::resizeEvent(event);
    m_scroll->OnSize();
    m_clientRect = rect();
}

bool CDlgDiag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
            SelectRow(selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.front()));
        }
    }
    return CDialogBase::eventFilter(watched, event);
}

// ---- The reset port ---------------------------------------------------------------------------

bool CDlgDiag::IsLinked() const { return m_app.m_bLinked != 0; }

void CDlgDiag::WriteResetValue(const REC_CONTROLLO& source, bool active) { ResetValue::Write(m_app, source, active); }

void CDlgDiag::StartPulseTimer(std::int32_t milliseconds)
{
    SetTimer(kPulseTimer, static_cast<unsigned>(std::max(milliseconds, 0)));
}

void CDlgDiag::StopPulseTimer() { KillTimer(kPulseTimer); }
