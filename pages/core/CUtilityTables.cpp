#include "pages/core/CUtilityTables.h"

#include "config/ControlCodes.h"
#include "link/LinkMessages.h"
#include "pages/core/CCtrlCore.h"
#include "pages/core/CVEXARPages.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <vector>

using namespace vexar::link;

namespace CUtility {

namespace {

// Every entry of `key` in `table`, in table order.
template <class Visit>
void ForEachOfKey(CTRL_TABLE* table, std::int32_t key, Visit visit)
{
    if (!table)
        return;
    for (CTRL_WND& entry : *table)
        if (entry.key == key)
            visit(entry);
}

CTRL_WND* FirstOfKey(CTRL_TABLE* table, std::int32_t key)
{
    if (!table)
        return nullptr;
    const auto found = std::find_if(table->begin(), table->end(), [key](const CTRL_WND& e) { return e.key == key; });
    return found == table->end() ? nullptr : &*found;
}

}  // namespace

CCtrlCore* CtrlOf(const CTRL_WND& entry)
{
    if (!IsControlCategory(entry.category))
        return nullptr;
    return dynamic_cast<CCtrlCore*>(entry.wnd);
}

bool IsEditableCategory(std::int32_t category)
{
    switch (category) {
    case CTRL_CHECK:
    case CTRL_BUTTON:
    case CTRL_BUTTON_CMD:
    case CTRL_COMBO:
    case CTRL_EDIT:
    case CTRL_GRID:
    case CTRL_KNOB:
    case CTRL_NUMCALC:
    case CTRL_NUMEDIT:
    case CTRL_RIPR:
    case CTRL_SLIDE:
    case CTRL_RESET:
        return true;
    default:
        return false;
    }
}

void ShowCtrlByCategory(std::int32_t profile, const CTRL_WND& entry)
{
    CCtrlCore* control = CtrlOf(entry);
    if (!control)
        return;
    const bool visible = profile == OPR_PRV || profile == OPR_REM || (profile == OPR_PBL && entry.access == OPR_PBL);
    control->ShowCtrl(visible);
    control->EnableForLevel(profile);
}

void GetCtrlName(const CTRL_WND& entry, std::u16string& name)
{
    const CCtrlCore* control = CtrlOf(entry);
    name = control ? control->GetDefinition().ETICHETTA : std::u16string();
}

std::int32_t GetCtrlRawValue(const CTRL_WND& entry)
{
    CCtrlCore* control = HasRawValue(entry.category) ? CtrlOf(entry) : nullptr;
    return control ? control->ReadRawValue() : 0;
}

std::int32_t ValueToRaw(const CTRL_WND& entry, double physical)
{
    const CCtrlCore* control = IsLiveCategory(entry.category) ? CtrlOf(entry) : nullptr;
    return control ? control->ValueToRaw(physical) : 0;
}

bool IsCtrlEnabled(const CTRL_WND& entry)
{
    const CCtrlCore* control = CtrlOf(entry);
    return control && control->GetDefinition().FIXDEF == FIX_ON;
}

// ---- Operands and linked controls --------------------------------------------------------------

namespace {

// The six-operand formula of a conversion; null for other conversions.
const ConvFormExt* ExtFormula(const CConversione& conversion)
{
    const PARAM_CONVERSIONE* params = nullptr;
    return conversion.GetExtFormula(params) ? std::get_if<ConvFormExt>(params) : nullptr;
}

// Notes the operand a failed resolution stopped at: resolution goes in
// slot order and leaves the slot whose key it cannot find without a
// control.
void NoteUnresolved(const CTRL_WND& entry, const CCtrlCore& control, const FormulaOperands* operands,
                    std::vector<OPERAND_FAULT>* faults)
{
    if (!faults || !operands)
        return;
    for (std::size_t k = 0; k < operands->ID.size(); ++k) {
        if (operands->ID[k] != 0 && !operands->ADDR_ID[k]) {
            faults->push_back({entry.key, control.GetDefinition().IDENTIFICATORE, static_cast<std::int32_t>(k) + 1,
                               operands->ID[k]});
            return;
        }
    }
}

}  // namespace

bool ValidateAllCtrls(CTRL_TABLE& table, std::vector<OPERAND_FAULT>* faults)
{
    bool resolved = true;
    for (const CTRL_WND& entry : table) {
        CCtrlCore* control = CtrlOf(entry);
        if (!control)
            continue;
        for (CConversione* conversion : control->Conversions()) {
            if (!conversion->ResolveOperands()) {
                resolved = false;
                NoteUnresolved(entry, *control, ExtFormula(*conversion), faults);
            }
        }
    }
    return resolved;
}

bool RecalcNumCalcCtrls(CTRL_TABLE& table, std::vector<OPERAND_FAULT>* faults)
{
    bool resolved = true;
    for (const CTRL_WND& entry : table) {
        if (entry.category != CTRL_NUMCALC)
            continue;
        if (CCtrlCore* control = CtrlOf(entry); control && !control->ResolveFormula()) {
            resolved = false;
            NoteUnresolved(entry, *control, control->OwnFormula(), faults);
        }
    }
    return resolved;
}

void AddDependency(const CTRL_WND& entry, CTRL_TABLE& list)
{
    const bool listed =
        std::any_of(list.begin(), list.end(), [&entry](const CTRL_WND& e) { return e.key == entry.key; });
    if (!listed)
        list.push_back(entry);
}

namespace {

// Adds `entry` to the linked-control list of every operand control of
// `operands`, but the slot holding the control's own value (1-based
// `ownSlot`, 0 for none).
void LinkToOperands(const CTRL_WND& entry, const FormulaOperands& operands, std::int32_t ownSlot)
{
    for (std::size_t k = 0; k < operands.ID.size(); ++k) {
        if (operands.ID[k] == 0 || static_cast<std::int32_t>(k) + 1 == ownSlot)
            continue;
        CTRL_WND operand;
        operand.category = operands.TIPO_ID[k];
        operand.wnd = operands.ADDR_ID[k];
        if (CCtrlCore* control = CtrlOf(operand))
            AddDependency(entry, control->LinkedCtrls());
    }
}

}  // namespace

void LinkDependentCtrls(CTRL_TABLE& table)
{
    for (const CTRL_WND& entry : table) {
        CCtrlCore* control = CtrlOf(entry);
        if (!control)
            continue;
        for (const CConversione* conversion : control->Conversions())
            if (const ConvFormExt* formula = ExtFormula(*conversion))
                LinkToOperands(entry, *formula, formula->IDX);
        if (const FormulaOperands* own = control->OwnFormula())
            LinkToOperands(entry, *own, 0);
    }
}

std::vector<OPERAND_FAULT> ResolveAndLinkCtrls(CTRL_TABLE& table)
{
    std::vector<OPERAND_FAULT> faults;
    ValidateAllCtrls(table, &faults);
    RecalcNumCalcCtrls(table, &faults);
    LinkDependentCtrls(table);
    return faults;
}

void NotifyLinkedCtrls(const CVEXARPages& app, bool propagate, const CTRL_TABLE& list, std::uintptr_t refreshWParam,
                       std::uintptr_t storeWParam)
{
    if (!propagate)
        return;
    for (const CTRL_WND& entry : list) {
        if (!entry.wnd)
            continue;
        if (refreshWParam != 0)
            app.PostToControl(entry.wnd, WM_CTRL_REFRESH, refreshWParam);
        else
            app.PostToControl(entry.wnd, WM_CTRL_STORE_WRITE, storeWParam);
    }
}

void RefreshAllCtrls(CTRL_TABLE& table)
{
    for (const CTRL_WND& entry : table) {
        CCtrlCore* control = CtrlOf(entry);
        if (control && control->GetDefinition().FIXDEF == FIX_OFF)
            control->StoreAtLoad();
    }
    for (const CTRL_WND& entry : table)
        if (entry.category == CTRL_NUMCALC)
            if (CCtrlCore* control = CtrlOf(entry))
                control->RecalcAndStore();
}

void UpdateSwitchCtrls(CTRL_TABLE& table)
{
    const auto isSwitch = [](const CTRL_WND& entry) {
        return entry.category == CTRL_CHECK || entry.category == CTRL_BUTTON || entry.category == CTRL_COMBO;
    };
    for (const CTRL_WND& entry : table)
        if (CCtrlCore* control = isSwitch(entry) ? CtrlOf(entry) : nullptr)
            control->ApplyLinks();
    for (const CTRL_WND& entry : table)
        if (CCtrlCore* control = isSwitch(entry) ? CtrlOf(entry) : nullptr)
            control->RunActions(1, false);
}

// ---- Visibility ---------------------------------------------------------------------------------

void AddVisibilityLink(CTRL_TABLE* table, std::int32_t key, std::int32_t controllingKey)
{
    ForEachOfKey(table, key, [&](CTRL_WND& entry) {
        if (CCtrlCore* control = CtrlOf(entry))
            control->AddVisKey(controllingKey);
    });
}

bool SetCtrlValue(CTRL_TABLE* table, std::int32_t key, bool show, std::int32_t controllingKey)
{
    bool changed = false;
    ForEachOfKey(table, key, [&](CTRL_WND& entry) {
        CCtrlCore* control = CtrlOf(entry);
        if (!control)
            return;
        control->SetVisKey(controllingKey, !show);
        const std::int32_t hidden = control->IsCondHidden() ? 1 : 0;
        changed |= entry.hidden != hidden;
        entry.hidden = hidden;
    });
    return changed;
}

void PostCtrlRefresh(const CVEXARPages& app, CTRL_TABLE* table, std::int32_t key, bool show, bool refresh,
                     std::uintptr_t storeWParam)
{
    CTRL_WND* entry = FirstOfKey(table, key);
    if (!entry || !show || !IsCtrlEnabled(*entry))
        return;
    if (refresh)
        app.PostToControl(entry->wnd, WM_CTRL_REFRESH, 0);
    else
        PostSetValue(app, table, key, storeWParam);
}

void PostSetValue(const CVEXARPages& app, CTRL_TABLE* table, std::int32_t key, std::uintptr_t wParam)
{
    CTRL_WND* entry = FirstOfKey(table, key);
    if (entry && IsEditableCategory(entry->category))
        app.PostToControl(entry->wnd, WM_CTRL_STORE_WRITE, wParam);
}

// ---- One control per datum --------------------------------------------------------------------------

namespace {

// Whether two controls of one address show the same datum: always, unless
// both are flags whose masks share no bit.
bool SameDatum(const CCtrlCore& a, const CCtrlCore& b)
{
    const REC_CONTROLLO& da = a.GetDefinition();
    const REC_CONTROLLO& db = b.GetDefinition();
    if (da.TIPO == DATO_FLAG && db.TIPO == DATO_FLAG)
        return (da.MASCHERA & db.MASCHERA & 0xFFu) != 0;
    return true;
}

// Splits one run of equal addresses into its datums: the groups of
// controls joined, directly or through others, by SameDatum.
std::vector<std::vector<CCtrlCore*>> DatumGroups(const std::vector<CCtrlCore*>& run)
{
    std::vector<std::size_t> root(run.size());
    std::iota(root.begin(), root.end(), std::size_t{0});
    const auto find = [&root](std::size_t i) {
        while (root[i] != i)
            i = root[i] = root[root[i]];
        return i;
    };
    for (std::size_t i = 0; i < run.size(); ++i)
        for (std::size_t j = i + 1; j < run.size(); ++j)
            if (SameDatum(*run[i], *run[j]))
                root[find(j)] = find(i);
    std::vector<std::vector<CCtrlCore*>> groups;
    std::vector<std::size_t> groupOfRoot(run.size(), SIZE_MAX);
    for (std::size_t i = 0; i < run.size(); ++i) {
        std::size_t& group = groupOfRoot[find(i)];
        if (group == SIZE_MAX) {
            group = groups.size();
            groups.emplace_back();
        }
        groups[group].push_back(run[i]);
    }
    return groups;
}

void ServeDatum(const CVEXARPages& app, const std::vector<CCtrlCore*>& group, unsigned message)
{
    bool anyFixed = false;
    bool anyShown = false;
    for (CCtrlCore* control : group) {
        if (control->GetDefinition().FIXDEF != FIX_ON)
            continue;
        anyFixed = true;
        if (control->IsShown()) {
            anyShown = true;
            app.PostToControl(control, message);
        }
    }
    if (!anyFixed || anyShown)
        return;
    // All hidden: the control with the most conditions met takes the
    // value, on a tie the lower key.
    CCtrlCore* chosen = group.front();
    for (CCtrlCore* control : group) {
        const int met = control->MetConditions();
        const int best = chosen->MetConditions();
        const auto key = static_cast<std::uint32_t>(control->GetDefinition().ID_GUI);
        const auto bestKey = static_cast<std::uint32_t>(chosen->GetDefinition().ID_GUI);
        if (met > best || (met == best && key < bestKey))
            chosen = control;
    }
    app.PostToControl(chosen, message);
}

}  // namespace

bool ShowOneCtrlPerGroup(const CVEXARPages& app, const CTRL_TABLE& table, bool force)
{
    std::vector<CTRL_WND> entries;
    try {
        entries = table;
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The exchange sort by address: each place takes the smallest address
    // of the places after it.
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t j = i + 1; j < entries.size(); ++j)
            if (entries[j].address < entries[i].address)
                std::swap(entries[i], entries[j]);

    const unsigned message = force ? WM_CTRL_FORCE_REFRESH : WM_CTRL_STORE;
    for (std::size_t begin = 0; begin < entries.size();) {
        std::size_t end = begin;
        std::vector<CCtrlCore*> run;
        while (end < entries.size() && entries[end].address == entries[begin].address) {
            if (CCtrlCore* control = CtrlOf(entries[end]))
                run.push_back(control);
            ++end;
        }
        for (const std::vector<CCtrlCore*>& group : DatumGroups(run))
            ServeDatum(app, group, message);
        begin = end;
    }
    return true;
}

void SaveCtrlValue(const CTRL_WND& entry, CStdioFileEx& file)
{
    if (const CCtrlCore* control = CtrlOf(entry))
        control->ExportText(file);
}

}  // namespace CUtility
