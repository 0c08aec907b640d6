#pragma once

// The grid of one page area, from which every control's rectangle
// follows: the area in client pixels of its window, the cell size from the
// layout (a row's height, a column's width), the size of the whole content,
// and the number of rows and columns that fit it.

#include <cstdint>

struct PAGE_RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const PAGE_RECT&, const PAGE_RECT&) = default;
};

struct PAGE_GRID {
    bool present = true;
    PAGE_RECT area;
    std::int32_t rows = -1;
    std::int32_t cols = -1;
    std::int32_t cellHeight = 0;
    std::int32_t cellWidth = 0;
    std::int32_t pageHeight = 0;
    std::int32_t pageWidth = 0;
    bool showDesignGrid = false;
};

namespace CUtility {

// rows = pageHeight / cellHeight and cols = pageWidth / cellWidth
// (integer division); one row or column when the cell size is not
// positive.
void CalcRowsCols(PAGE_GRID& grid);

// The top-left pixel of the cell at `row`, `column`.
inline PAGE_RECT CellOrigin(const PAGE_GRID& grid, std::int32_t row, std::int32_t column)
{
    const std::int32_t left = grid.area.left + column * grid.cellWidth;
    const std::int32_t top = grid.area.top + row * grid.cellHeight;
    return {left, top, left, top};
}

// Whether a place lies on the grid.
inline bool OnGrid(const PAGE_GRID& grid, std::int32_t row, std::int32_t column)
{
    return row >= 0 && row <= grid.rows - 1 && column >= 0 && column <= grid.cols - 1;
}

}  // namespace CUtility
