#pragma once

// The shape of a calibration map and the rules that follow from it alone:
// which grid rows and columns its headers take, which cells the user may
// edit, which block (the values, the X breakpoints above the columns, the
// Y breakpoints beside the rows) a cell belongs to, the index of a cell
// inside its block, and the byte address of a cell in the parameter image.
//
// Cells are addressed in grid coordinates from 0. Row 0 is the header row
// and column 0 the header column when they exist; with both, cell (0, 0)
// is the corner, which holds nothing. The values lie row after row, value
// (i, j) at LSB + (i x value columns + j) x element size; X point j at the
// X vector's LSB + j x its size, Y point i at the Y vector's LSB + i x its
// size.

#include "config/RecControllo.h"

#include <cstdint>

struct GRID_CELL {
    std::int32_t row = -1;
    std::int32_t column = -1;
    friend bool operator==(const GRID_CELL&, const GRID_CELL&) = default;
};

// The three blocks of a map, each with its own definition, data type,
// display mask, conversion and limits.
enum class GridBlockKind { Values, XAxis, YAxis };

struct GRID_SHAPE {
    std::int32_t valueRows = 0;     // NUM_RIGHE
    std::int32_t valueColumns = 0;  // NUM_COLONNE
    // The four header flags: all set until the map's definition clears
    // them. A missing header keeps its fixed flag set, so only an existing
    // calibrable header is ever stored.
    bool headerRowFixed = true;
    bool headerColumnFixed = true;
    bool hasHeaderRow = true;
    bool hasHeaderColumn = true;

    // The flags of a definition's grid block (its PRIMA_RIGA and
    // PRIMA_COLONNA); a shape without headers when the block is missing.
    static GRID_SHAPE Of(const REC_CONTROLLO& definition);

    std::int32_t Rows() const { return valueRows + (hasHeaderRow ? 1 : 0); }
    std::int32_t Columns() const { return valueColumns + (hasHeaderColumn ? 1 : 0); }
    std::int32_t FirstValueRow() const { return hasHeaderRow ? 1 : 0; }
    std::int32_t FirstValueColumn() const { return hasHeaderColumn ? 1 : 0; }
    bool RowCalibrable() const { return hasHeaderRow && !headerRowFixed; }
    bool ColumnCalibrable() const { return hasHeaderColumn && !headerColumnFixed; }

    bool Inside(std::int32_t row, std::int32_t column) const;
    // Every value cell and every point of a calibrable header.
    bool IsCellEditable(std::int32_t row, std::int32_t column) const;
    bool IsValueCell(std::int32_t row, std::int32_t column) const;
    // A header cell (fixed, calibrable or the corner), as it is painted.
    bool IsHeaderCell(std::int32_t row, std::int32_t column) const;
    // The block whose descriptor serves the cell.
    GridBlockKind BlockOf(std::int32_t row, std::int32_t column) const;
    // The cell's row and column inside its block: (i, j) of a value,
    // (0, j) of an X point, (i, 0) of a Y point.
    GRID_CELL BlockIndexes(std::int32_t row, std::int32_t column) const;
    // The byte address of an editable cell in the image, from its block's
    // LSB and element size; -1 for a cell of a fixed header or outside.
    std::int32_t CellAddress(std::int32_t row, std::int32_t column, std::int32_t lsb,
                             std::int32_t elementSize) const;
    // What the tooltip shows over a cell: 0 nothing (the corner), 1 the X
    // vector's comment, 2 the Y vector's, 3 the map's.
    std::int32_t ToolTipKind(std::int32_t row, std::int32_t column) const;
    // The change dialog's first mode: absolute (0) for a table of one value
    // row or one value column, else linear (1).
    std::int32_t InitialMode() const { return valueRows <= 1 || valueColumns <= 1 ? 0 : 1; }
};

// The byte range one store pass changed, for its single write request.
struct GRID_WRITE_RANGE {
    std::int32_t lowest = 0;       // the image size while nothing was stored
    std::int32_t highest = -1;     // -1 while nothing was stored
    std::int32_t highestSize = 0;  // the element size at the highest address

    void Begin(std::int32_t imageSize);
    void Widen(std::int32_t address, std::int32_t size);
    bool IsEmpty() const { return highest < 0; }
    // From the lowest changed byte to the end of the highest stored
    // element, every byte between included: 0 and 0 after a pass that
    // stored nothing.
    std::int32_t Offset(std::int32_t imageSize) const { return lowest == imageSize ? 0 : lowest; }
    std::int32_t Length(std::int32_t imageSize) const;
};

// The pixel size of a map: rows of the page font's height in twips + 100,
// columns of the settings' column width, each cut to its maximum.
struct GRID_PIXELS {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
GRID_PIXELS GridPixelSize(const GRID_SHAPE& shape, std::int32_t fontHeightTwips, std::int32_t dpiY,
                          std::int32_t columnWidth, std::int32_t maxWidth, std::int32_t maxHeight);
