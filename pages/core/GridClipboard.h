#pragma once

// A map's cells as clipboard text, the way spreadsheets exchange them: the
// rows of a block on lines, the cells of a row separated by TAB.
//
// Copying writes every selected cell, a blank for an empty one, with a TAB
// between the cells of a row and a line feed between rows (none after the
// last). Pasting reads lines at line feeds and cells at TAB, comma and
// line feed, where consecutive separators count as one; blanks and
// carriage returns around a cell are trimmed, and what is left empty is no
// cell. Line k fills grid row top + k and cell m of a line grid column
// left + m. Lines without cells at the end of a text (a final line feed,
// with or without a carriage return) add no row.

#include "pages/core/GridSelection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace CUtility {

// The text of a block: `rows` of cell texts.
std::u16string GridCopyText(const std::vector<std::vector<std::u16string>>& rows);

// The lines of a pasted text, each the list of its cells.
using PASTE_LINES = std::vector<std::vector<std::u16string>>;
PASTE_LINES SplitPasteText(std::u16string_view text);

// The block a pasted text covers from the selection's top-left cell: as
// many rows as it has lines, as many columns as its widest line has cells,
// cut to the grid. No selection (all -1) for a text without cells.
GRID_SELECTION FitSelectionToText(const PASTE_LINES& lines, const GRID_SELECTION& selection, std::int32_t rows,
                                  std::int32_t columns);

}  // namespace CUtility
