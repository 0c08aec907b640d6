#pragma once

// The variable pickers of the acquisition and graph pages: a drop-down
// list (CCtrlCombo in the picker role) of the variables a table offers,
// one line per display name with the entry's table index as item data,
// and a list view of the chosen variables that holds each one once. A line
// of the list is the display name or "(%ld)%s" with the display parameter;
// either form counts as the variable's, so a variable is never chosen
// twice and the picker's selection is cleared with its line.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "pages/core/CUtilityPicker.h"

#include <QIcon>

#include <cstdint>
#include <vector>

class CCtrlCombo;
class CCtrlList;

namespace CUtility {

// Empties the picker and adds the variables `table` offers to the profile
// `mode` (pages/core/CUtilityPicker.h), in table order.
void FillVarCombo(std::int32_t mode, const CTRL_TABLE& table, CCtrlCombo& picker);

// Adds the picker's selected variable at the end of the list, with the
// list's image `image` (-1 none), and hands out its definition and table
// index where asked; the new line's index. -1, nothing added, without a
// selection, for an item whose index lies outside the table or whose
// control has no definition, and when the variable is listed already: that
// line is then selected, focused and scrolled into view, with the focus on
// the list.
int AddVarToList(const CTRL_TABLE& table, CCtrlCombo& picker, CCtrlList& list, bool withDisplayParam,
                 int image, REC_CONTROLLO* definition, std::int32_t* index);

// Removes the line; the picker's selection is cleared when it is that
// line's variable. False, nothing changed, for a line outside the list.
bool RemoveVarFromList(int line, CCtrlCombo& picker, CCtrlList& list);

// Empties the list and clears the picker's selection.
bool ClearVarList(CCtrlCombo& picker, CCtrlList& list);

// The images that the list's lines pick by index.
void SetListImages(CCtrlList& list, const std::vector<QIcon>& images);
// The image index of a line; -1 for none or a line outside the list.
int GetListImage(const CCtrlList& list, int line);

}  // namespace CUtility
