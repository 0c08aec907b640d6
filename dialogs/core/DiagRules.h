#pragma once

// The rules of the gas-ECU diagnosis window that need no widget: which rows
// and recovery actions an operator profile sees, which rows a bit list shows
// for a value, the texts of the codes, the catalogue, where a recovery
// action's report belongs and the checklist lines. The window feeds them
// the lists' items and values and mirrors their answers in its list view.
//
// Codes are unsigned 32-bit numbers: a bit list's 0x80000000 is a code like
// any other, and a code column is compared by number, never by text.

#include "config/RecControllo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace DiagRules {

// One entry of a drop-down list: an error (code, text) or an action.
struct DiagItem {
    std::uint32_t code = 0;
    std::u16string text;
};

// A diagnosis list (CTRL_DIAG, CTRL_DIAG_BIT) or a recovery-action list
// (CTRL_RIPR) as the rules see it.
struct DiagControl {
    std::int32_t key = 0;        // ID_GUI
    std::int32_t category = 0;   // CATEGORIA
    std::int32_t access = 0;     // OPERATORE
    std::int32_t actionKey = 0;  // ID_AZIONE of a diagnosis list, 0 for none
    std::uint32_t mask = 0;      // MASCHERA
    int byteSize = 0;            // of TIPO
    std::u16string label;        // ETICHETTA
    std::u16string identifier;   // IDENTIFICATORE
    std::vector<DiagItem> items;

    // The position of the item with `code`, or -1.
    int FindCode(std::uint32_t code) const;
};

// The list's view of a definition: its items as the drop-down list takes
// them (as many as the count and both lists allow).
DiagControl ControlOf(const REC_CONTROLLO& definition);

// ---- Visibility --------------------------------------------------------------------------

// Profiles 1 to 3 see everything, the public profile only what is public,
// the two limited profiles nothing.
bool IsVisible(std::int32_t profile, std::int32_t access);

// The recovery-action list each diagnosis list gets at creation, as an
// index into `actions` (-1 none): the first action definition whose key is
// the list's ID_AZIONE, given to the first diagnosis list with items that
// names it. A later list naming the same actions gets none: one array
// cannot follow two lists' errors.
std::vector<int> AssignActions(const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions);

// The visible tables of a profile, as indexes into the all-rows and the
// all-actions tables, in the order the window publishes them; `rowAction`
// gives, per all-rows index, the visible action list of that row (-1 when
// it has none or the profile may not see it).
struct Visibility {
    std::vector<int> rows;
    std::vector<int> actions;
    std::vector<int> rowAction;
};
Visibility BuildVisibility(const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions,
                           const std::vector<int>& assigned, std::int32_t profile);

// Whether a visible row is listed: not when its own action list is empty.
bool IsListed(int row, const std::vector<DiagControl>& actions, const std::vector<int>& assigned);

// Whether the profile edits a visible row's action: the privileged and
// remote profiles always, the public profile a public action; the
// developer profile sees actions but never edits them.
bool EditsAction(std::int32_t profile, std::int32_t actionAccess);

// ---- Codes and bit rows --------------------------------------------------------------------

// The code column: "%lu" for a diagnosis list, "0x%08x" for a bit list.
std::u16string CodeText(std::int32_t category, std::uint32_t code);
// The code a code column shows, by the same form; nothing for any other text.
std::optional<std::uint32_t> ParseCode(std::int32_t category, const std::u16string& text);

// The codes a bit list shows for `value`: every set bit inside the mask
// that names an item, lowest first; for 0 the code-0 item alone.
std::vector<std::uint32_t> BitCodes(const DiagControl& control, std::uint32_t value);

// One row of the list as the rules need it: the control it belongs to
// (index into the all-rows table) and its code column.
struct RowRef {
    int control = -1;
    std::u16string code;
};

// One change of the list, applied in order to the list as it then stands.
struct BitRowEdit {
    enum Kind { Remove, Insert } kind = Remove;
    int at = 0;               // list position
    std::uint32_t code = 0;   // Insert: the code of the new row
    int item = -1;            // Insert: its item in the control's list
};

// The changes that bring the rows of bit list `control` in line with
// `value`, leaving the other rows alone: its rows whose code shares no bit
// with the value go, each missing code is inserted in code order among the
// list's own rows (after them when it is the largest, at the end of the
// list when the list has none); value 0 appends the code-0 row.
std::vector<BitRowEdit> PlanBitRows(const std::vector<RowRef>& list, int control, const DiagControl& definition,
                                    std::uint32_t value);

// ---- Catalogue and current values -------------------------------------------------------

// The action item a recovery-action list holds for one error (element =
// the error's item index), or -1 when the element names no action.
using ActionItemAt = std::function<int(int element)>;

struct ListRow {
    int control = -1;
    std::u16string columns[4];
};

// Column 3 of error item `item` of a list with actions: the text of the
// action its element holds, empty when it names none or there are no
// actions.
std::u16string ActionText(const DiagControl* actions, const ActionItemAt& actionAt, int item);

// The catalogue rows of one list: one per item, in list order.
std::vector<ListRow> CatalogueRows(int control, const DiagControl& definition, const DiagControl* actions,
                                   const ActionItemAt& actionAt);

// The current-value row of a diagnosis list with raw value `value`: the
// item of that code with its action; none when no item has the code.
std::optional<ListRow> CurrentValueRow(int control, const DiagControl& definition, std::uint32_t value,
                                       const DiagControl* actions, const ActionItemAt& actionAt);

// ---- Action reports -------------------------------------------------------------------------

struct ActionReport {
    std::int32_t key = 0;     // the recovery-action list
    std::int32_t value = -1;  // error code, -1 for a user's pick
    std::int32_t index = -1;  // action item, -1 none
    std::uint8_t origin = 0;  // 1 the user, 0 a request
};

// Where a report goes.
struct ReportTarget {
    enum Kind {
        Drop,   // no visible action list has the key
        Clear,  // empty column 3 of `row` (when >= 0) and hide the editors
        Ask,    // no row shows the error: rewrite control `control`'s rows
        Show,   // column 3 of `row` := item `index` of action list `action`
    } kind = Drop;
    int row = -1;
    int action = -1;   // index into the all-actions table
    int control = -1;  // Ask: index into the all-rows table (-1: nothing to ask)
};

// The edited row and its action editor (all-actions index, -1 none).
struct Editing {
    int row = -1;
    int actionEditor = -1;
};

ReportTarget ResolveActionReport(const ActionReport& report, const std::vector<RowRef>& list,
                                 const std::vector<DiagControl>& rows, const std::vector<DiagControl>& actions,
                                 const Visibility& visibility, const Editing& editing);

// An unmatched report asks its rows again once: the answer to that second
// request, when it finds no row either, is dropped, so a request and an
// answer can never chase each other. A report that finds its row ends the
// wait.
class AskOnce {
public:
    // True when `control` may be asked again now.
    bool Ask(int control);
    void Matched(int control);
    void Clear() { m_waiting.clear(); }

private:
    std::vector<int> m_waiting;
};

// ---- Checklist lines -------------------------------------------------------------------------

// The checklist lines of one visible row, each ending in "\n".
// `selection` is a diagnosis list's current item (-1 none), `value` a bit
// list's raw value; the action of an error is the element of that error.
std::vector<std::u16string> ChecklistLines(const DiagControl& definition, int selection, std::uint32_t value,
                                           const DiagControl* actions, const ActionItemAt& actionAt);

}  // namespace DiagRules
