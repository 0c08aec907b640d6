#pragma once

// The control factory and the teardown of the control tables. The factory
// picks a control's creator by its category code (0 to 21) and records
// what the creator made in the table; a category whose class has no
// creator yet, code 11 and codes above 21 create nothing and leave no
// entry, so tables, polling and calibration files hold exactly the
// controls that exist.
//
// A table owns its controls: each control is a widget whose parent is its
// page, but it is deleted through its table only, before its page goes.

#include "config/CtrlWnd.h"
#include "pages/CUtilityPages.h"
#include "pages/CtrlCreate.h"

#include <cstdint>

class QWidget;

namespace CUtility {

// Whether the category has a creator.
bool HasCreator(std::int32_t category);
// The category's keyword ("CTRL_CHECK"); "?" for code 11 and codes
// outside 0 to 21.
const char16_t* CategoryName(std::int32_t category);

// Creates the control of `args.definition` at its cell and appends its
// entry to `table`: key, category, access, address, the byte size of its
// TIPO, the hidden flag, not cursor-linked, the control. Nothing is
// created and nothing recorded when the place lies off the grid, the
// category has no creator, or the creator fails; false then.
bool CreateCtrl(const CTRL_CREATE& args, CTRL_TABLE& table);

// The widget of an entry's control; null for an entry without one.
QWidget* CtrlWidget(const CTRL_WND& entry);

// First pass of a table's teardown, while the pages stand: each control
// is disconnected from whatever it signals, taken off the link's sink so
// that nothing posted to it is delivered any more, and destroyed with its
// widget. Its entry keeps its place with no control.
void DestroyCtrls(CTRL_TABLE& table);
// Second pass: deletes what the first pass left (all of it when the first
// did not run) and empties the table.
void DeleteCtrls(CTRL_TABLE& table);
// The same two passes for the free labels of a page.
void DestroyWindows(LABEL_TABLE& labels);
void DeleteWindows(LABEL_TABLE& labels);

}  // namespace CUtility
