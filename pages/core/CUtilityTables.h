#pragma once

// The toolbox members over whole control tables: visibility conditions,
// the choice of one control per datum, the linked-control lists through
// which a change reaches the controls that depend on it, and the members
// that reach a control of a table entry by its category. Category 11 and
// codes above 21 select no control: they are skipped or give the neutral
// result. User-interface thread only.

#include "config/CUtilityCtrl.h"
#include "config/CtrlWnd.h"

#include <cstdint>
#include <string>
#include <vector>

class CCtrlCore;
class CStdioFileEx;
class CVEXARPages;

namespace CUtility {

// The contract of an entry's control; null for category 11, codes above
// 21 and an entry without one.
CCtrlCore* CtrlOf(const CTRL_WND& entry);

// The categories whose controls the user edits and that store values.
bool IsEditableCategory(std::int32_t category);

// Shows the control when the profile is 1 or 2, or 0 and the entry is
// public; then enables it for the profile.
void ShowCtrlByCategory(std::int32_t profile, const CTRL_WND& entry);
void GetCtrlName(const CTRL_WND& entry, std::u16string& name);
// The raw value of a live control, read from the variable image; 0 for
// other categories. The worker decodes its own copy instead (LinkCtrlTables).
std::int32_t GetCtrlRawValue(const CTRL_WND& entry);
std::int32_t ValueToRaw(const CTRL_WND& entry, double physical);
// True when the control's FIXDEF is FIX_ON.
bool IsCtrlEnabled(const CTRL_WND& entry);

// A formula operand whose key names no control of the table it is looked
// up in: that operand and the later ones of its formula count as 1.
struct OPERAND_FAULT {
    std::int32_t key = 0;         // ID_GUI of the control whose formula names it
    std::u16string identifier;    // that control's IDENTIFICATORE
    std::int32_t slot = 0;        // the operand's place in the formula, 1 to 6
    std::int32_t operandKey = 0;  // the key that names no control
};

// Resolves the six-operand conversions of every control against the
// parameter table; false when a key names no control. One failure does
// not stop the others: every control resolves what it can, and each
// failure is appended to `faults` when given.
bool ValidateAllCtrls(CTRL_TABLE& table, std::vector<OPERAND_FAULT>* faults = nullptr);
// Every computed control resolves its formula against its family's
// table; false when one fails, each failure appended as above.
bool RecalcNumCalcCtrls(CTRL_TABLE& table, std::vector<OPERAND_FAULT>* faults = nullptr);
// Adds every control whose value depends on an operand control to that
// operand's linked-control list.
void LinkDependentCtrls(CTRL_TABLE& table);
// The three above in turn, as a configuration load prepares a table: the
// controls are linked to every operand that resolved, whatever failed
// elsewhere. The operands that did not resolve, in table order.
std::vector<OPERAND_FAULT> ResolveAndLinkCtrls(CTRL_TABLE& table);
// Appends a copy of `entry` unless an entry with its key is there.
void AddDependency(const CTRL_WND& entry, CTRL_TABLE& list);
// While `propagate`, posts WM_CTRL_REFRESH (refreshWParam) to every control
// of `list`, or WM_CTRL_STORE_WRITE (storeWParam) when refreshWParam is 0.
void NotifyLinkedCtrls(const CVEXARPages& app, bool propagate, const CTRL_TABLE& list,
                       std::uintptr_t refreshWParam, std::uintptr_t storeWParam);
// Stores the shown value of every FIX_OFF control (no write), then lets
// every computed control recalculate and store.
void RefreshAllCtrls(CTRL_TABLE& table);
// Registers the visibility conditions of every switch (check box, toggle,
// list) and runs their actions once.
void UpdateSwitchCtrls(CTRL_TABLE& table);

// The visibility operations on the entries of `key` in `table` (none when
// the table is null).
void AddVisibilityLink(CTRL_TABLE* table, std::int32_t key, std::int32_t controllingKey);
// Returns whether an entry's hidden byte changed.
bool SetCtrlValue(CTRL_TABLE* table, std::int32_t key, bool show, std::int32_t controllingKey);
void PostCtrlRefresh(const CVEXARPages& app, CTRL_TABLE* table, std::int32_t key, bool show, bool refresh,
                     std::uintptr_t storeWParam);
void PostSetValue(const CVEXARPages& app, CTRL_TABLE* table, std::int32_t key, std::uintptr_t wParam);

// Makes sure every datum's value reaches the image or its controls after a
// reset, a calibration load (force false: WM_CTRL_STORE) or a whole-image
// read (force true: WM_CTRL_FORCE_REFRESH). A datum is one address and,
// for flags, overlapping mask bits. Every shown FIX_ON control of a datum
// receives the message; when all of them are hidden, the one with the most
// conditions met (on a tie the lower key, unsigned) receives it alone.
// False only when the working copy cannot be made.
bool ShowOneCtrlPerGroup(const CVEXARPages& app, const CTRL_TABLE& table, bool force);

// The control's export line (the checklist file).
void SaveCtrlValue(const CTRL_WND& entry, CStdioFileEx& file);

}  // namespace CUtility
