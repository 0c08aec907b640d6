#include "pages/core/GridSelection.h"

bool GRID_SELECTION::IsValid(std::int32_t rows, std::int32_t columns) const
{
    const auto within = [](std::int32_t value, std::int32_t count) { return value >= 0 && value < count; };
    return within(left, columns) && within(right, columns) && within(top, rows) && within(bottom, rows);
}

namespace CUtility {

namespace {

// One direction of ExtendSelection: the low and high edge, the current and
// the previous index along it.
void ExtendEdges(std::int32_t& low, std::int32_t& high, std::int32_t current, std::int32_t previous)
{
    if (low == current) {
        if (previous != current)
            high = low;
        return;
    }
    if (previous < current) {
        if (high < current)
            high = current;
        else
            low = current;
    } else {
        if (low > current)
            low = current;
        else
            high = current;
    }
}

}  // namespace

void CollapseSelection(GRID_SELECTION& selection, const GRID_CELL& current)
{
    selection.left = selection.right = current.column;
    selection.top = selection.bottom = current.row;
}

void ExtendSelection(const GRID_SHAPE& shape, GRID_SELECTION& selection, GRID_CURSOR& cursor)
{
    if (shape.hasHeaderRow) {
        if (cursor.current.row == 0)
            cursor.current.row = 1;
        if (selection.top == 0)
            selection.top = 1;
    }
    if (shape.hasHeaderColumn) {
        if (cursor.current.column == 0)
            cursor.current.column = 1;
        if (selection.left == 0)
            selection.left = 1;
    }
    ExtendEdges(selection.left, selection.right, cursor.current.column, cursor.previous.column);
    ExtendEdges(selection.top, selection.bottom, cursor.current.row, cursor.previous.row);
}

GRID_CELL ArrowTarget(std::int32_t key, bool shift, const GRID_CELL& current, const GRID_SELECTION& selection)
{
    if (shift) {
        switch (key) {
        case VK_LEFT: return {current.row, current.column - 1};
        case VK_UP: return {current.row - 1, current.column};
        case VK_RIGHT: return {current.row, current.column + 1};
        case VK_DOWN: return {current.row + 1, current.column};
        default: return current;
        }
    }
    switch (key) {
    case VK_LEFT: return {selection.top, selection.left - 1};
    case VK_UP: return {selection.top - 1, selection.left};
    case VK_RIGHT: return {selection.top, selection.right + 1};
    case VK_DOWN: return {selection.bottom + 1, selection.left};
    default: return current;
    }
}

bool MoveCursor(const GRID_SHAPE& shape, std::int32_t key, bool shift, GRID_SELECTION& selection,
                GRID_CURSOR& cursor)
{
    const GRID_CELL target = ArrowTarget(key, shift, cursor.current, selection);
    if (!shape.IsCellEditable(target.row, target.column))
        return false;
    cursor.MoveTo(target);
    if (shift)
        ExtendSelection(shape, selection, cursor);
    else
        CollapseSelection(selection, cursor.current);
    return true;
}

}  // namespace CUtility
