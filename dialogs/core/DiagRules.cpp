#include "dialogs/core/DiagRules.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CUtilityCodec.h"

#include <algorithm>
#include <variant>

namespace DiagRules {

namespace {

void TakeItems(DiagControl& control, std::int32_t count, const std::vector<std::u16string>& texts,
               const std::vector<std::int32_t>& codes)
{
    const std::size_t listed = std::min(texts.size(), codes.size());
    const std::size_t n = count < 0 ? 0 : std::min(listed, static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < n; ++i)
        control.items.push_back({static_cast<std::uint32_t>(codes[i]), texts[i]});
}

bool IsDiagnosis(std::int32_t category) { return category == CTRL_DIAG || category == CTRL_DIAG_BIT; }

// The rows of `control` in `list`: their positions, in list order.
std::vector<int> RowsOf(const std::vector<RowRef>& list, int control)
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].control == control)
            rows.push_back(static_cast<int>(i));
    return rows;
}

std::optional<std::uint32_t> ParseDecimal(const std::u16string& text)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    if (value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

}  // namespace

int DiagControl::FindCode(std::uint32_t code) const
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].code == code)
            return static_cast<int>(i);
    return -1;
}

DiagControl ControlOf(const REC_CONTROLLO& definition)
{
    DiagControl control;
    control.key = definition.ID_GUI;
    control.category = definition.CATEGORIA;
    control.access = definition.OPERATORE;
    control.mask = definition.MASCHERA;
    control.byteSize = CUtility::GetDatoSize(definition.TIPO);
    control.label = definition.ETICHETTA;
    control.identifier = definition.IDENTIFICATORE;
    if (const auto* diag = std::get_if<DiagBlock>(&definition.GRAFICA); diag && IsDiagnosis(definition.CATEGORIA)) {
        control.actionKey = diag->ID_AZIONE;
        TakeItems(control, diag->NUM_ERRORI, diag->ETICHETTE_ERRORI, diag->COD_ERRORI);
    } else if (const auto* ripr = std::get_if<RiprBlock>(&definition.GRAFICA)) {
        TakeItems(control, ripr->NUM_AZIONI, ripr->ETICHETTE_AZIONI, ripr->COD_AZIONI);
    }
    return control;
}

// ---- Visibility --------------------------------------------------------------------------

bool IsVisible(std::int32_t profile, std::int32_t access)
{
    switch (profile) {
    case OPR_PRV:
    case OPR_REM:
    case OPR_SVIL:
        return true;
    case OPR_PBL:
        return access == OPR_PBL;
    default:
        return false;
    }
}

std::vector<int> AssignActions(const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions)
{
    std::vector<int> assigned(rows.size(), -1);
    std::vector<bool> taken(actions.size(), false);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].actionKey == 0 || rows[r].items.empty())
            continue;
        for (std::size_t a = 0; a < actions.size(); ++a) {
            if (actions[a].key != rows[r].actionKey)
                continue;
            // Only the first definition with the key counts, taken or not.
            if (!taken[a]) {
                taken[a] = true;
                assigned[r] = static_cast<int>(a);
            }
            break;
        }
    }
    return assigned;
}

Visibility BuildVisibility(const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions,
                           const std::vector<int>& assigned, std::int32_t profile)
{
    Visibility visible;
    visible.rowAction.assign(rows.size(), -1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!IsVisible(profile, rows[r].access))
            continue;
        visible.rows.push_back(static_cast<int>(r));
        const int action = r < assigned.size() ? assigned[r] : -1;
        if (action < 0 || static_cast<std::size_t>(action) >= actions.size() ||
            !IsVisible(profile, actions[static_cast<std::size_t>(action)].access))
            continue;
        visible.actions.push_back(action);
        visible.rowAction[r] = action;
    }
    return visible;
}

bool IsListed(int row, const std::vector<DiagControl>& actions, const std::vector<int>& assigned)
{
    if (row < 0 || static_cast<std::size_t>(row) >= assigned.size())
        return false;
    const int action = assigned[static_cast<std::size_t>(row)];
    return action < 0 || !actions[static_cast<std::size_t>(action)].items.empty();
}

bool EditsAction(std::int32_t profile, std::int32_t actionAccess)
{
    return profile == OPR_PRV || profile == OPR_REM || (profile == OPR_PBL && actionAccess == OPR_PBL);
}

// ---- Codes and bit rows --------------------------------------------------------------------

std::u16string CodeText(std::int32_t category, std::uint32_t code)
{
    return category == CTRL_DIAG_BIT ? vexar::Format(u"0x%08x", code) : vexar::Format(u"%lu", code);
}

std::optional<std::uint32_t> ParseCode(std::int32_t category, const std::u16string& text)
{
    if (category != CTRL_DIAG_BIT)
        return ParseDecimal(text);
    std::uint32_t code = 0;
    if (!HexStrToDword(text, code))
        return std::nullopt;
    return code;
}

std::vector<std::uint32_t> BitCodes(const DiagControl& control, std::uint32_t value)
{
    std::vector<std::uint32_t> codes;
    if (value == 0) {
        if (control.FindCode(0) >= 0)
            codes.push_back(0);
        return codes;
    }
    const int bits = std::clamp(control.byteSize * 8, 0, 32);
    for (int b = 0; b < bits; ++b) {
        const std::uint32_t m = (std::uint32_t{1} << b) & value & control.mask;
        if (m != 0 && control.FindCode(m) >= 0)
            codes.push_back(m);
    }
    return codes;
}

std::vector<BitRowEdit> PlanBitRows(const std::vector<RowRef>& list, int control, const DiagControl& definition,
                                    std::uint32_t value)
{
    std::vector<BitRowEdit> edits;
    std::vector<RowRef> rows = list;
    // From the last row to the first, so that the earlier positions hold.
    const std::vector<int> own = RowsOf(rows, control);
    for (auto it = own.rbegin(); it != own.rend(); ++it) {
        const auto code = ParseCode(CTRL_DIAG_BIT, rows[static_cast<std::size_t>(*it)].code);
        if (code && (*code & value) != 0)
            continue;
        edits.push_back({BitRowEdit::Remove, *it, 0, -1});
        rows.erase(rows.begin() + *it);
    }
    const auto insert = [&](int at, std::uint32_t code) {
        edits.push_back({BitRowEdit::Insert, at, code, definition.FindCode(code)});
        rows.insert(rows.begin() + at, RowRef{control, CodeText(CTRL_DIAG_BIT, code)});
    };
    if (value == 0) {
        if (definition.FindCode(0) >= 0)
            insert(static_cast<int>(rows.size()), 0);
        return edits;
    }
    for (const std::uint32_t m : BitCodes(definition, value)) {
        const std::vector<int> current = RowsOf(rows, control);
        if (current.empty()) {
            insert(static_cast<int>(rows.size()), m);
            continue;
        }
        int at = current.back() + 1;
        bool present = false;
        for (const int row : current) {
            const std::uint32_t code = ParseCode(CTRL_DIAG_BIT, rows[static_cast<std::size_t>(row)].code).value_or(0);
            if (code >= m) {
                present = code == m;
                at = row;
                break;
            }
        }
        if (!present)
            insert(at, m);
    }
    return edits;
}

// ---- Catalogue and current values -------------------------------------------------------

std::u16string ActionText(const DiagControl* actions, const ActionItemAt& actionAt, int item)
{
    if (!actions || !actionAt || item < 0)
        return {};
    const int action = actionAt(item);
    if (action < 0 || static_cast<std::size_t>(action) >= actions->items.size())
        return {};
    return actions->items[static_cast<std::size_t>(action)].text;
}

namespace {

ListRow RowOfItem(int control, const DiagControl& definition, int item, const DiagControl* actions,
                  const ActionItemAt& actionAt)
{
    const DiagItem& error = definition.items[static_cast<std::size_t>(item)];
    ListRow row;
    row.control = control;
    row.columns[0] = definition.label;
    row.columns[1] = CodeText(definition.category, error.code);
    row.columns[2] = error.text;
    row.columns[3] = ActionText(actions, actionAt, item);
    return row;
}

}  // namespace

std::vector<ListRow> CatalogueRows(int control, const DiagControl& definition, const DiagControl* actions,
                                   const ActionItemAt& actionAt)
{
    std::vector<ListRow> rows;
    for (std::size_t i = 0; i < definition.items.size(); ++i)
        rows.push_back(RowOfItem(control, definition, static_cast<int>(i), actions, actionAt));
    return rows;
}

std::optional<ListRow> CurrentValueRow(int control, const DiagControl& definition, std::uint32_t value,
                                       const DiagControl* actions, const ActionItemAt& actionAt)
{
    const int item = definition.FindCode(value);
    if (item < 0)
        return std::nullopt;
    return RowOfItem(control, definition, item, actions, actionAt);
}

// ---- Action reports -------------------------------------------------------------------------

ReportTarget ResolveActionReport(const ActionReport& report, const std::vector<RowRef>& list,
                                 const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions,
                                 const Visibility& visibility, const Editing& editing)
{
    ReportTarget target;
    const bool editedInside = editing.row >= 0 && static_cast<std::size_t>(editing.row) < list.size();
    if (report.origin == 1 && editedInside && editing.actionEditor >= 0) {
        target.row = editing.row;
        target.action = editing.actionEditor;
    } else {
        for (const int a : visibility.actions)
            if (actions[static_cast<std::size_t>(a)].key == report.key) {
                target.action = a;
                break;
            }
        if (target.action < 0)
            return target;  // Drop
        // The row of the list that owns these actions and shows the error.
        for (std::size_t i = 0; i < list.size() && target.row < 0; ++i) {
            const int control = list[i].control;
            if (control < 0 || static_cast<std::size_t>(control) >= rows.size() ||
                visibility.rowAction[static_cast<std::size_t>(control)] != target.action)
                continue;
            const auto code = ParseCode(rows[static_cast<std::size_t>(control)].category, list[i].code);
            if (code && report.value >= 0 && *code == static_cast<std::uint32_t>(report.value))
                target.row = static_cast<int>(i);
        }
    }
    if (report.index < 0) {
        target.kind = ReportTarget::Clear;
        return target;
    }
    if (target.row < 0) {
        target.kind = ReportTarget::Ask;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const int control = list[i].control;
            if (control >= 0 && static_cast<std::size_t>(control) < rows.size() &&
                visibility.rowAction[static_cast<std::size_t>(control)] == target.action) {
                target.control = control;
                break;
            }
        }
        return target;
    }
    target.kind = ReportTarget::Show;
    return target;
}

bool AskOnce::Ask(int control)
{
    const auto found = std::find(m_waiting.begin(), m_waiting.end(), control);
    if (found != m_waiting.end()) {
        m_waiting.erase(found);
        return false;
    }
    m_waiting.push_back(control);
    return true;
}

void AskOnce::Matched(int control) { std::erase(m_waiting, control); }

// ---- Checklist lines -------------------------------------------------------------------------

namespace {

// "code\ttext" of the action that error item `item` holds, or empty.
std::u16string ActionField(const DiagControl* actions, const ActionItemAt& actionAt, int item)
{
    if (!actions || !actionAt || item < 0)
        return {};
    const int action = actionAt(item);
    if (action < 0 || static_cast<std::size_t>(action) >= actions->items.size())
        return {};
    const DiagItem& chosen = actions->items[static_cast<std::size_t>(action)];
    return vexar::Format(u"%lu\t%s", chosen.code, chosen.text);
}

std::u16string BitText(const DiagControl& definition, std::uint32_t code, const DiagControl* actions,
                       const ActionItemAt& actionAt)
{
    const int item = definition.FindCode(code);
    if (item < 0)
        return {};
    const std::u16string& text = definition.items[static_cast<std::size_t>(item)].text;
    return vexar::Format(u"0x%08x\t%s\t%s", code, text, ActionField(actions, actionAt, item));
}

}  // namespace

std::vector<std::u16string> ChecklistLines(const DiagControl& definition, int selection, std::uint32_t value,
                                           const DiagControl* actions, const ActionItemAt& actionAt)
{
    std::vector<std::u16string> lines;
    if (definition.category != CTRL_DIAG_BIT) {
        std::u16string error;
        std::u16string action;
        if (selection >= 0 && static_cast<std::size_t>(selection) < definition.items.size()) {
            const DiagItem& item = definition.items[static_cast<std::size_t>(selection)];
            error = vexar::Format(u"%lu\t%s", item.code, item.text);
            action = ActionField(actions, actionAt, selection);
        }
        lines.push_back(vexar::Format(u"%s\t%s\t%s\t%s\n", definition.identifier, definition.label, error, action));
        return lines;
    }
    if (value == 0) {
        lines.push_back(vexar::Format(u"%s\t%s\t%s\n", definition.identifier, definition.label,
                                      BitText(definition, 0, actions, actionAt)));
        return lines;
    }
    const int bits = std::clamp(definition.byteSize * 8, 0, 32);
    for (int b = 0; b < bits; ++b) {
        const std::uint32_t m = (std::uint32_t{1} << b) & value & definition.mask;
        if (m == 0)
            continue;
        const std::u16string text = BitText(definition, m, actions, actionAt);
        if (!text.empty())
            lines.push_back(vexar::Format(u"%s\t%s\t%s\n", definition.identifier, definition.label, text));
    }
    return lines;
}

}  // namespace DiagRules
