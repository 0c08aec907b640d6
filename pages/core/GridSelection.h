#pragma once

// The selection of a calibration map and how the mouse and the arrow keys
// move it: a rectangle of cells {left column, top row, right column,
// bottom row} that follows the current cell, the cell last clicked or
// keyed, with the previous cell giving the direction of a change. An
// extended selection never covers a header; the edge that the current
// cell passes moves out to it, and when the current cell moves back inside
// the selection, the edge it comes from follows it.

#include "pages/core/GridShape.h"

#include <cstdint>

struct GRID_SELECTION {
    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
    friend bool operator==(const GRID_SELECTION&, const GRID_SELECTION&) = default;

    // Every bound at least 0 and below the grid's column count (left,
    // right) or row count (top, bottom).
    bool IsValid(std::int32_t rows, std::int32_t columns) const;
    void Clear() { *this = GRID_SELECTION{}; }
    bool Contains(std::int32_t row, std::int32_t column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
};

// The current, previous and mouse cells of a map's editing.
struct GRID_CURSOR {
    GRID_CELL current;
    GRID_CELL previous;
    // The current cell becomes `cell`, the old one the previous.
    void MoveTo(GRID_CELL cell)
    {
        previous = current;
        current = cell;
    }
};

namespace CUtility {

// The selection becomes the current cell alone.
void CollapseSelection(GRID_SELECTION& selection, const GRID_CELL& current);
// Extends the selection towards the current cell (moved off a header
// first, which is why it changes too).
void ExtendSelection(const GRID_SHAPE& shape, GRID_SELECTION& selection, GRID_CURSOR& cursor);

// An arrow key of a map: 0x25 left, 0x26 up, 0x27 right, 0x28 down.
inline constexpr std::int32_t VK_LEFT = 0x25;
inline constexpr std::int32_t VK_UP = 0x26;
inline constexpr std::int32_t VK_RIGHT = 0x27;
inline constexpr std::int32_t VK_DOWN = 0x28;

// Where an arrow key goes: with Shift the current cell moved by one (the
// selection then extends to it), without Shift the cell next to the
// selection on that side (the selection then becomes that cell).
GRID_CELL ArrowTarget(std::int32_t key, bool shift, const GRID_CELL& current, const GRID_SELECTION& selection);
// Applies an arrow key: when its target is editable the cursor moves there
// and the selection extends (Shift) or collapses to it; true when it moved.
bool MoveCursor(const GRID_SHAPE& shape, std::int32_t key, bool shift, GRID_SELECTION& selection,
                GRID_CURSOR& cursor);

}  // namespace CUtility
