#include "pages/CCtrlCombo.h"

#include "common/CCriptFile.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CUtilityCodec.h"
#include "config/CUtilityCtrl.h"
#include "config/CalibLine.h"
#include "link/LinkMessages.h"
#include "pages/DiagAction.h"
#include "pages/FieldColours.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

using namespace vexar;

namespace {

QString ToQ(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool Contains(const std::vector<std::int32_t>& keys, std::int32_t key)
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// A physical value cut toward zero into a 32-bit integer.
std::int32_t TruncatedValue(double physical)
{
    if (!(physical == physical))
        return 0;
    const double cut = std::trunc(physical);
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(cut, lowest, highest));
}

REC_CONTROLLO PlainDefinition()
{
    REC_CONTROLLO definition;
    definition.CATEGORIA = CTRL_COMBO;
    definition.GRAFICA = ComboBlock{};
    return definition;
}

// The items of a block: as many as both lists and the count allow.
std::size_t BlockItems(std::int32_t count, const std::vector<std::u16string>& labels,
                      const std::vector<std::int32_t>& values)
{
    const std::size_t listed = std::min(labels.size(), values.size());
    return count < 0 ? 0 : std::min(listed, static_cast<std::size_t>(count));
}

}  // namespace

CCtrlCombo::CCtrlCombo(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : QComboBox(parent), CCtrlLabelled(*this, app, std::move(definition), hidden)
{
    m_bkColour = ui::FromQColor(palette().color(QPalette::Active, QPalette::Base));
    FillItems();
    connect(this, &QComboBox::activated, this, [this] { OnActivated(); });
}

CCtrlCombo::CCtrlCombo(CVEXARPages& app, QWidget* parent) : CCtrlCombo(app, PlainDefinition(), false, parent)
{
    m_bBound = false;
    m_nRole = kRolePlain;
}

CCtrlCombo::~CCtrlCombo() = default;

void CCtrlCombo::FillItems()
{
    const auto take = [this](const std::vector<std::u16string>& labels, const std::vector<std::int32_t>& values,
                             std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            addItem(ToQ(labels[i]), QVariant(values[i]));
            m_labels.push_back(labels[i]);
            m_values.push_back(values[i]);
        }
    };
    if (const auto* combo = std::get_if<ComboBlock>(&m_definition.GRAFICA); combo && Category() == CTRL_COMBO) {
        take(combo->ETICHETTE_ITEMS, combo->VALORE_ITEMS,
             BlockItems(combo->NUM_ITEMS, combo->ETICHETTE_ITEMS, combo->VALORE_ITEMS));
        m_bHasLists = combo->VISIB_DIP == VIS_SI;
        // PAR_NO is read only with the lists: without them the list is bound.
        m_bBound = !m_bHasLists || combo->PARAM == PAR_SI;
        if (m_bHasLists)
            m_keyLists = combo->VISIBILI_ITEMS;
    } else if (const auto* stato = std::get_if<StatoBlock>(&m_definition.GRAFICA)) {
        take(stato->ETICHETTE_ITEMS, stato->VALORE_ITEMS,
             BlockItems(stato->NUM_ITEMS, stato->ETICHETTE_ITEMS, stato->VALORE_ITEMS));
    } else if (const auto* diag = std::get_if<DiagBlock>(&m_definition.GRAFICA)) {
        take(diag->ETICHETTE_ERRORI, diag->COD_ERRORI,
             BlockItems(diag->NUM_ERRORI, diag->ETICHETTE_ERRORI, diag->COD_ERRORI));
    } else if (const auto* ripr = std::get_if<RiprBlock>(&m_definition.GRAFICA)) {
        take(ripr->ETICHETTE_AZIONI, ripr->COD_AZIONI,
             BlockItems(ripr->NUM_AZIONI, ripr->ETICHETTE_AZIONI, ripr->COD_AZIONI));
    }
    setCurrentIndex(-1);
}

// ---- Items and selection ------------------------------------------------------------------

bool CCtrlCombo::IsLive() const { return CUtility::IsLiveCategory(Category()); }

std::int32_t CCtrlCombo::ItemValue(int position) const
{
    return position >= 0 && position < ItemCount() ? m_values[static_cast<std::size_t>(position)] : -1;
}

double CCtrlCombo::GetValue() const { return m_nCurItem >= 0 ? ItemValue(m_nCurItem) : -1.0; }

int CCtrlCombo::FindItem(double physical) const
{
    const auto found = std::find_if(m_values.begin(), m_values.end(),
                                    [physical](std::int32_t value) { return value == physical; });
    return found == m_values.end() ? -1 : static_cast<int>(found - m_values.begin());
}

void CCtrlCombo::SetSelection(int position)
{
    MoveShown([&] { setCurrentIndex(position); });
}

void CCtrlCombo::SelectFromText(const std::u16string& text, std::uintptr_t refresh, std::uintptr_t store)
{
    std::u16string number = text;
    std::int32_t value = 0;
    m_nCurItem = StrToLong(number, value) ? FindItem(value) : -1;
    if (ItemCount() == 0)
        return;
    SetSelection(m_nCurItem);
    RunActions(store, false);
    CUtility::NotifyLinkedCtrls(m_app, m_app.m_bNotifyLinked, LinkedCtrls(), refresh, store);
}

void CCtrlCombo::StartAtDefault()
{
    SelectFromText(m_definition.DEFAULT, 0, 1);
    SetUndoPair(Shown(), Shown());
    if (!IsArray())
        return;
    // The first element holds the default, the others start at 0; the
    // default goes into both images.
    m_elementTexts.assign(static_cast<std::size_t>(ElementCount()), u"0");
    if (!m_elementTexts.empty())
        m_elementTexts.front() = m_definition.DEFAULT;
    WriteElement(0, false, false);
}

void CCtrlCombo::OnActivated()
{
    const ShownValue before = CurrentValue();
    ApplySelection();
    SetUndoPair(before, Shown());
}

void CCtrlCombo::ApplySelection()
{
    switch (m_nRole) {
    case kRoleCategory:
        break;
    case kRolePicker:
        PostToOwner(link::WM_PICKER_SELCHANGE);
        return;
    case kRoleMaintRead:
        PostToOwner(link::WM_MAINT_READ_SELCHANGE);
        return;
    case kRoleMaintWrite:
        PostToOwner(link::WM_MAINT_WRITE_SELCHANGE);
        return;
    case kRoleDiagnosis:
        PostToOwner(link::WM_DIAG_VALUE_CHANGED, static_cast<std::uintptr_t>(m_definition.ID_GUI));
        return;
    default:
        return;
    }
    switch (Category()) {
    case CTRL_COMBO: {
        const int position = currentIndex();
        if (position < 0 || position == m_nCurItem)
            return;
        m_nCurItem = position;
        CommitEdit();
        return;
    }
    case CTRL_RIPR:
        ChooseAction();
        return;
    case CTRL_STATO:
        // The user does not set a state: the list returns to it.
        SetSelection(m_nCurItem);
        return;
    default:
        return;
    }
}

void CCtrlCombo::ChooseAction()
{
    const int position = currentIndex();
    if (position < 0)
        return;
    if (!m_bElementValid) {
        // No element of the array is shown: there is nowhere to write.
        setCurrentIndex(-1);
        return;
    }
    m_nCurItem = position;
    WriteElement(m_nElement, true, false);
    PostAction(-1, 1);
}

void CCtrlCombo::PostToOwner(unsigned id, std::uintptr_t wParam, std::unique_ptr<ui::MessagePayload> payload) const
{
    if (m_owner)
        ui::PostMessage(m_owner, {id, wParam, 0, std::move(payload)});
}

void CCtrlCombo::PostAction(std::int32_t code, std::uint8_t origin) const
{
    auto action = std::make_unique<DIAG_ACTION>();
    action->key = m_definition.ID_GUI;
    action->value = code;
    action->index = currentIndex();
    action->origin = origin;
    PostToOwner(link::WM_DIAG_ACTION, 0, std::move(action));
}

// ---- Contract hooks -------------------------------------------------------------------------

void CCtrlCombo::ShowRaw(std::int32_t raw)
{
    m_nCurItem = FindItem(m_conversion.ToPhysical(raw));
    setCurrentIndex(m_nCurItem);
}

std::int32_t CCtrlCombo::RawFromShown() const { return m_conversion.ToRaw(GetValue()); }

std::u16string CCtrlCombo::ValueText() const { return vexar::Format(u"%d", static_cast<std::int32_t>(GetValue())); }

bool CCtrlCombo::LoadValueText(std::u16string& text)
{
    // Any value is accepted: one that names no item clears the selection.
    TrimInPlace(text);
    std::u16string number = text;
    std::int32_t value = 0;
    m_nCurItem = StrToLong(number, value) ? FindItem(value) : -1;
    SetSelection(m_nCurItem);
    return true;
}

void CCtrlCombo::ShowDefault()
{
    std::u16string number = m_definition.DEFAULT;
    std::int32_t value = 0;
    m_nCurItem = StrToLong(number, value) ? FindItem(value) : -1;
    setCurrentIndex(m_nCurItem);
}

bool CCtrlCombo::KeepsHistory() const { return Category() == CTRL_COMBO && m_bBound; }

std::int32_t CCtrlCombo::Abilitato() const
{
    const auto* block = std::get_if<ComboBlock>(&m_definition.GRAFICA);
    return block ? block->ABILITATO : ABIL_SI;
}

bool CCtrlCombo::HasExportLine() const
{
    return (Category() == CTRL_COMBO && m_bBound) || Category() == CTRL_STATO;
}

std::u16string CCtrlCombo::ExportValueText() const
{
    const int position = currentIndex();
    return position >= 0 && position < ItemCount() ? vexar::Format(u"%d", ItemValue(position)) : std::u16string();
}

// The dependency actions of the current value: every item's keys are shown
// while it is current and hidden otherwise, but an item that is not current
// leaves alone the keys a current item before it has shown.
std::vector<DependencyState> CCtrlCombo::DependencyStates() const
{
    if (Category() != CTRL_COMBO || !m_bHasLists)
        return {};
    const std::size_t items = std::min(m_keyLists.size(), m_values.size());
    m_actionLists.assign(items, LISTA_VISIBILI{});
    std::vector<std::int32_t> shownPar;
    std::vector<std::int32_t> shownVar;
    std::vector<DependencyState> states;
    for (std::size_t i = 0; i < items; ++i) {
        const LISTA_VISIBILI& keys = m_keyLists[i];
        const bool match = m_nCurItem >= 0 && m_values[i] == GetValue();
        if (match) {
            shownPar.insert(shownPar.end(), keys.ID_PAR.begin(), keys.ID_PAR.end());
            shownVar.insert(shownVar.end(), keys.ID_VAR.begin(), keys.ID_VAR.end());
        }
        LISTA_VISIBILI& acted = m_actionLists[i];
        for (const std::int32_t key : keys.ID_PAR)
            if (match || !Contains(shownPar, key))
                acted.ID_PAR.push_back(key);
        for (const std::int32_t key : keys.ID_VAR)
            if (match || !Contains(shownVar, key))
                acted.ID_VAR.push_back(key);
        acted.N_ID_PAR = static_cast<std::int32_t>(acted.ID_PAR.size());
        acted.N_ID_VAR = static_cast<std::int32_t>(acted.ID_VAR.size());
        states.push_back({&acted, match});
    }
    return states;
}

int CCtrlCombo::EncodeValue(std::span<std::uint8_t> work, bool force)
{
    if (!m_bBound || m_nCurItem < 0)
        return 0;
    if (m_definition.FIXDEF == FIX_ON && IsCondHidden() && !force)
        return 0;
    const std::int64_t address = m_definition.LSB + (IsArray() ? ElementOffset() : 0);
    int bytes = 0;
    if (address < 0 || address > std::numeric_limits<std::int32_t>::max() ||
        !CUtility::WriteDatoValue(work, static_cast<std::int32_t>(address), RawFromShown(), bytes, m_definition.TIPO,
                                  m_definition.MASCHERA, m_app.m_bLittleEndian != 0))
        return 0;
    return bytes;
}

void CCtrlCombo::WriteValue(bool post, bool force)
{
    if (Category() == CTRL_COMBO)
        CCtrlLabelled::WriteValue(post, force);
    else if (IsArray() && m_bElementValid)
        WriteElement(m_nElement, post, force);
}

void CCtrlCombo::StoreAtLoad()
{
    if (IsArray())
        WriteArray();
    else
        CCtrlLabelled::StoreAtLoad();
}

bool CCtrlCombo::SaveParam(CCriptFile& file, CModifica& history)
{
    if (IsArray())
        return SaveElements(file, history);
    if (Category() == CTRL_COMBO)
        return CCtrlLabelled::SaveParam(file, history);
    return true;
}

bool CCtrlCombo::LoadParam(std::u16string line)
{
    return Category() == CTRL_COMBO ? CCtrlLabelled::LoadParam(std::move(line)) : true;
}

bool CCtrlCombo::LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read)
{
    if (IsArray())
        return ReadElementLines(file, line, read);
    return CCtrlLabelled::LoadParam(file, std::move(line), read);
}

void CCtrlCombo::paintEvent(QPaintEvent* event)
{
    CUtility::ApplyFieldColours(*this, m_textColour, m_bkColour);
    CUtility::ApplyFieldColours(*view(), m_textColour, m_bkColour);
    QComboBox::paintEvent(event);
}

// The closed list would step to the next item and report it as chosen:
// the turn is the page's, to scroll it. The open list is a window of its
// own and scrolls its items.
void CCtrlCombo::wheelEvent(QWheelEvent* event) { event->ignore(); }

// ---- The elements of a recovery-action list ------------------------------------------------------

int CCtrlCombo::ElementCount() const
{
    const auto* block = std::get_if<RiprBlock>(&m_definition.GRAFICA);
    return IsArray() && block ? std::max(block->NUM_ERRORI, 0) : 0;
}

bool CCtrlCombo::HasImages() const { return m_app.m_pParMaster && m_app.m_pParWork; }

std::int64_t CCtrlCombo::ElementAddress(int element) const
{
    return std::int64_t{m_definition.LSB} + std::int64_t{element} * DatumSize();
}

bool CCtrlCombo::ElementInside(int element) const
{
    const std::int64_t address = ElementAddress(element);
    return element >= 0 && element < ElementCount() && address >= 0 && DatumSize() > 0 &&
           address + DatumSize() <= m_app.m_nParSize;
}

void CCtrlCombo::CopyElement(int element)
{
    if (!HasImages() || !ElementInside(element))
        return;
    const auto address = static_cast<std::size_t>(ElementAddress(element));
    std::lock_guard lock(m_app.m_csParImage);
    std::copy_n(m_app.m_pParMaster.get() + address, DatumSize(), m_app.m_pParWork.get() + address);
}

int CCtrlCombo::EncodeElement(int element, bool force)
{
    const int shown = m_nElement;
    m_nElement = element;
    const int bytes = EncodeValue(std::span<std::uint8_t>(m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize)),
                                  force);
    m_nElement = shown;
    return bytes;
}

void CCtrlCombo::WriteElement(int element, bool post, bool force)
{
    if (!HasImages() || !ElementInside(element))
        return;
    // Over the element as the master image holds it, as every control
    // encodes.
    CopyElement(element);
    const int bytes = EncodeElement(element, force);
    const std::int64_t address = ElementAddress(element);
    if (bytes <= 0 || address + bytes > m_app.m_nParSize)
        return;
    {
        std::lock_guard lock(m_app.m_csParImage);
        std::copy_n(m_app.m_pParWork.get() + address, bytes, m_app.m_pParMaster.get() + address);
    }
    if (post && m_app.m_bLinked)
        m_app.PostLinkRequest(link::WM_LINK_WRITE_RANGE, static_cast<std::uintptr_t>(address), bytes);
}

void CCtrlCombo::ShowElement(int element, std::uintptr_t refresh, bool force)
{
    if (!m_bBound || !ElementInside(element))
        return;
    if (m_definition.FIXDEF == FIX_ON && IsCondHidden() && !force)
        return;
    std::int32_t raw = 0;
    int bytes = 0;
    CUtility::ReadDatoValue(std::span<const std::uint8_t>(m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize)),
                            static_cast<std::int32_t>(ElementAddress(element)), raw, bytes, m_definition.TIPO,
                            m_definition.MASCHERA, m_app.m_bLittleEndian != 0);
    MoveShown([&] { ShowRaw(raw); });
    CUtility::NotifyLinkedCtrls(m_app, m_app.m_bNotifyLinked, LinkedCtrls(), refresh, 1);
}

void CCtrlCombo::RefreshElement(std::uintptr_t refresh, std::int32_t code)
{
    if (!HasImages())
        return;
    if (m_bElementValid) {
        CopyElement(m_nElement);
        ShowElement(m_nElement, refresh, false);
    } else {
        m_nCurItem = -1;
        SetSelection(-1);
    }
    PostAction(code, 0);
}

void CCtrlCombo::SetElement(std::intptr_t element)
{
    m_bElementValid = element >= 0 && element < ElementCount();
    if (m_bElementValid) {
        m_nElement = static_cast<int>(element);
        return;
    }
    m_nCurItem = -1;
    SetSelection(-1);
}

void CCtrlCombo::WriteArray()
{
    for (int element = 0; element < ElementCount(); ++element)
        WriteElement(element, true, false);
}

void CCtrlCombo::StoreEveryElement()
{
    for (int element = 0; element < ElementCount(); ++element)
        WriteElement(element, false, true);
}

void CCtrlCombo::ForceRefreshEveryElement()
{
    if (!HasImages())
        return;
    // The list then shows the last element until the next refresh; the
    // element written stays the one the window chose.
    for (int element = 0; element < ElementCount(); ++element) {
        CopyElement(element);
        ShowElement(element, 1, true);
    }
}

double CCtrlCombo::GetElementValue(int element)
{
    if (!HasImages() || !ElementInside(element))
        return 0.0;
    CopyElement(element);
    std::int32_t raw = 0;
    int bytes = 0;
    CUtility::ReadDatoValue(std::span<const std::uint8_t>(m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize)),
                            static_cast<std::int32_t>(ElementAddress(element)), raw, bytes, m_definition.TIPO,
                            m_definition.MASCHERA, m_app.m_bLittleEndian != 0);
    return m_conversion.ToPhysical(raw);
}

bool CCtrlCombo::GetElementIndex(int element, int& position)
{
    if (!HasImages() || !ElementInside(element))
        return false;
    const int found = FindItem(GetElementValue(element));
    if (found < 0)
        return false;
    position = found;
    return true;
}

bool CCtrlCombo::SaveElements(CCriptFile& file, CModifica& history)
{
    for (int element = 0; element < ElementCount() && m_app.m_pParWork; ++element) {
        if (!ElementInside(element))
            break;
        std::int32_t raw = 0;
        int bytes = 0;
        CUtility::ReadDatoValue(
            std::span<const std::uint8_t>(m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize)),
            static_cast<std::int32_t>(ElementAddress(element)), raw, bytes, m_definition.TIPO, m_definition.MASCHERA,
            m_app.m_bLittleEndian != 0);
        const std::u16string name = CalibLine::ElementName(m_definition.IDENTIFICATORE, element);
        const std::u16string value = vexar::Format(u"%d", TruncatedValue(m_conversion.ToPhysical(raw)));
        file.Write(CalibLine::Format(name, value, m_definition.COMMENTO));
        if (static_cast<std::size_t>(element) >= m_elementTexts.size())
            continue;
        std::u16string& saved = m_elementTexts[static_cast<std::size_t>(element)];
        const std::u16string before = vexar::Trim(saved);
        if (!before.empty() && before != value) {
            history.AddModification(MODIFICA{name, before, value, m_app.m_clock()});
            saved = value;
        }
    }
    RefreshElement(0, -1);
    return true;
}

bool CCtrlCombo::ReadElementLines(CCriptFile& file, const std::u16string& first, CalibGroupRead& read)
{
    m_elementTexts.clear();
    CalibLine::ReadElementLines(file, m_definition.IDENTIFICATORE, ElementCount(), first,
                                [this](std::int32_t element, const std::u16string& value) {
                                    SelectFromText(value, 1, 1);
                                    WriteElement(element, false, false);
                                    m_elementTexts.push_back(vexar::Trim(value));
                                },
                                read);
    RefreshElement(0, -1);
    return true;
}

// ---- Messages ---------------------------------------------------------------------------------

std::intptr_t CCtrlCombo::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_CTRL_REFRESH:
        if (IsArray()) {
            RefreshElement(wParam, -1);
            return 0;
        }
        if (Category() == CTRL_DIAG || Category() == CTRL_DIAG_BIT) {
            const std::intptr_t result = CCtrlLabelled::onMessage(id, wParam, lParam, payload);
            if (m_app.m_pVarMaster && m_app.m_pVarWork)
                PostToOwner(Category() == CTRL_DIAG_BIT ? link::WM_DIAG_BIT_CHANGED : link::WM_DIAG_VALUE_CHANGED,
                            static_cast<std::uintptr_t>(m_definition.ID_GUI));
            return result;
        }
        break;
    case link::WM_CTRL_FORCE_REFRESH:
    case link::WM_CTRL_STORE:
    case link::WM_CTRL_SET_DEFAULT:
        // The live lists show variables and hold no value of their own.
        if (IsLive())
            return 0;
        if (!IsArray())
            break;
        if (id == link::WM_CTRL_FORCE_REFRESH) {
            ForceRefreshEveryElement();
        } else if (id == link::WM_CTRL_STORE) {
            StoreEveryElement();
        } else {
            SelectFromText(m_definition.DEFAULT, 0, 0);
            StoreEveryElement();
            PostAction(-1, 0);
        }
        return 0;
    case link::WM_COMBO_SELECT_ELEMENT:
        if (IsArray()) {
            SetElement(static_cast<std::intptr_t>(wParam));
            RefreshElement(0, static_cast<std::int32_t>(lParam));
        }
        return 0;
    case link::WM_COMBO_SET_ELEMENT:
        if (IsArray())
            SetElement(static_cast<std::intptr_t>(wParam));
        return 0;
    case link::WM_COMBO_REFRESH_ARRAY:
        if (IsArray() && HasImages()) {
            for (int element = 0; element < ElementCount(); ++element)
                CopyElement(element);
            RefreshElement(0, -1);
        }
        return 0;
    default:
        break;
    }
    return CCtrlLabelled::onMessage(id, wParam, lParam, payload);
}

bool CCtrlCombo::onCommand(unsigned id)
{
    if (id != link::ID_EDIT_UNDO)
        return CCtrlLabelled::onCommand(id);
    // The position before the last change, applied as a choice; the undo
    // pair stays, so a second undo chooses the same position again.
    if (Category() == CTRL_COMBO || IsArray()) {
        const ShownValue previous = PreviousValue();
        setCurrentIndex(static_cast<int>(previous.number));
        ApplySelection();
        SetUndoPair(previous, Shown());
    }
    return true;
}

// ---- Creators -----------------------------------------------------------------------------------

namespace CUtility {

namespace {

// The list at its cell, as wide as its widest item + 5 with 30 pixels for
// the arrow, its opened list as wide; the page font, the value colour and
// the window id; visible when the place and its conditions let it.
CCtrlCombo* MakeList(const CTRL_CREATE& args)
{
    const REC_CONTROLLO& definition = *args.definition;
    CCtrlCombo* list = new (std::nothrow) CCtrlCombo(*args.app, definition, args.hidden, args.parent);
    if (!list)
        return nullptr;
    list->setFont(args.font);
    const QFontMetrics metrics(args.font);
    int widest = 0;
    for (int i = 0; i < list->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)) + 5);
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    list->setGeometry(origin.left, origin.top, widest + 30, list->sizeHint().height());
    list->view()->setMinimumWidth(widest + 30);
    ui::SetDlgCtrlID(*list, args.baseId + definition.ID_GUI);
    list->m_textColour = args.settings.valueColour;
    list->setFocusPolicy(definition.CATEGORIA == CTRL_STATO ? Qt::NoFocus : Qt::StrongFocus);
    list->setVisible(args.visible && !args.hidden);
    // A caption only; greyed for the lists the user does not set.
    const std::int32_t category = definition.CATEGORIA;
    list->MakeLabels(args, false, category == CTRL_DIAG || category == CTRL_DIAG_BIT || category == CTRL_STATO);
    return list;
}

bool Finish(CCtrlCombo* list, CCtrlCombo*& control)
{
    list->StartAtDefault();
    list->AttachToolTip();
    control = list;
    return true;
}

bool Usable(const CTRL_CREATE& args) { return args.app && args.definition && args.parent; }

}  // namespace

bool CreateCtrlCombo(const CTRL_CREATE& args, CCtrlCombo*& control)
{
    control = nullptr;
    CCtrlCombo* list = Usable(args) ? MakeList(args) : nullptr;
    if (!list)
        return false;
    const auto* block = std::get_if<ComboBlock>(&args.definition->GRAFICA);
    const bool closed = (block && block->ABILITATO == ABIL_NO) || args.limited;
    const std::int32_t profile = args.profile;
    list->SetProfileEnabled(profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL || !closed);
    return Finish(list, control);
}

bool CreateCtrlDiag(const CTRL_CREATE& args, CCtrlCombo*& control)
{
    control = nullptr;
    CCtrlCombo* list = Usable(args) ? MakeList(args) : nullptr;
    return list && Finish(list, control);
}

bool CreateCtrlDiagBit(const CTRL_CREATE& args, CCtrlCombo*& control) { return CreateCtrlDiag(args, control); }

bool CreateCtrlStato(const CTRL_CREATE& args, CCtrlCombo*& control)
{
    control = nullptr;
    CCtrlCombo* list = Usable(args) ? MakeList(args) : nullptr;
    if (!list)
        return false;
    list->StartDisabled();
    return Finish(list, control);
}

bool CreateCtrlRipr(const CTRL_CREATE& args, CCtrlCombo*& control)
{
    control = nullptr;
    CCtrlCombo* list = Usable(args) ? MakeList(args) : nullptr;
    if (!list)
        return false;
    list->SetProfileEnabled(!args.limited);
    return Finish(list, control);
}

}  // namespace CUtility
