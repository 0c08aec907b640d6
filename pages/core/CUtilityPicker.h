#pragma once

// The rules of the variable pickers that need no window: a control's
// display name, which variables a picker offers, and the text of a line of
// the list of chosen variables. The acquisition and graph pages pick their
// variables with them (pages/CUtilityPickers.h puts them on the widgets).

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace CUtility {

// The label with every ':' made a blank, trimmed at both ends.
std::u16string CleanCtrlName(std::u16string_view label);

struct PickerItem {
    std::u16string name;     // the display name
    std::int32_t index = 0;  // the entry's index in the table
};

// What a picker offers, in table order: every entry whose definition can
// be read, for mode 0 (the public profile) only the public ones, for modes
// 1 and 2 all, for any other mode none; an empty display name or one met
// before is left out, so a name appears once, with its first entry.
std::vector<PickerItem> PickerItems(std::int32_t mode, const CTRL_TABLE& table);

// A line of the chosen list: "(%ld)%s" with the display parameter and the
// display name, or the display name alone.
std::u16string VarLineText(const REC_CONTROLLO& definition, bool withDisplayParam);

// Whether a line of the chosen list shows the variable of `name`: the line
// is the name, or the name after a display parameter in brackets.
bool VarLineShows(std::u16string_view line, std::u16string_view name);

}  // namespace CUtility
