#pragma once

// Where the engine works on a calibration map: an axis value located
// between the breakpoints shown in the map's header, as a pixel position
// and the operating row or column.
//
// Rows all have one height H; the row position moves linearly from the
// centre of one row to the centre of the next. Columns may differ in
// width; between two breakpoints the position moves linearly from the
// centre of one column to their common edge at the half-way value and on
// to the centre of the next. A value exactly half-way belongs to the
// earlier row or column. Values beyond the first breakpoint stay at the
// leading edge of the first cell, values beyond the last at the trailing
// edge of the last cell. Positions are truncated toward zero.

#include <cstdint>
#include <span>

struct LOCATED_POINT {
    std::int32_t position = 0;  // y of a row, x of a column, in pixels
    std::int32_t index = 0;     // the operating row or column
    std::int32_t edge = 0;      // a column's left edge
    std::int32_t size = 0;      // a column's width
};

namespace CUtility {

// `breakpoints` holds the header value of every grid row (column), indexed
// by grid row (column); rows from `first` to `count` - 1 take part.
LOCATED_POINT LocateRowAscending(std::span<const double> breakpoints, std::int32_t first, std::int32_t count,
                                 std::int32_t rowHeight, double value);
LOCATED_POINT LocateRowDescending(std::span<const double> breakpoints, std::int32_t first, std::int32_t count,
                                  std::int32_t rowHeight, double value);
// `widths` holds every grid column's width; `left` is the left edge of
// column `first`.
LOCATED_POINT LocateColumnAscending(std::span<const double> breakpoints, std::span<const std::int32_t> widths,
                                    std::int32_t first, std::int32_t count, std::int32_t left, double value);
LOCATED_POINT LocateColumnDescending(std::span<const double> breakpoints, std::span<const std::int32_t> widths,
                                     std::int32_t first, std::int32_t count, std::int32_t left, double value);

// The dot stays put while the point moves less than 3 pixels on an axis.
std::int32_t MarkerDeadBand(std::int32_t position, std::int32_t previous);

}  // namespace CUtility
