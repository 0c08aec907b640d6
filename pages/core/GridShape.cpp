#include "pages/core/GridShape.h"

#include "common/CUtilityToolbox.h"

#include <algorithm>
#include <cstdint>

GRID_SHAPE GRID_SHAPE::Of(const REC_CONTROLLO& definition)
{
    GRID_SHAPE shape;
    const GridBlock* block = std::get_if<GridBlock>(&definition.GRAFICA);
    if (!block) {
        shape.hasHeaderRow = false;
        shape.hasHeaderColumn = false;
        return shape;
    }
    shape.valueRows = std::max(block->NUM_RIGHE, 0);
    shape.valueColumns = std::max(block->NUM_COLONNE, 0);
    shape.hasHeaderRow = block->PRIMA_RIGA.PRESENTE == PRES_SI;
    shape.hasHeaderColumn = block->PRIMA_COLONNA.PRESENTE == PRES_SI;
    shape.headerRowFixed = !(shape.hasHeaderRow && block->PRIMA_RIGA.TIPO_INT == INTST_CAL);
    shape.headerColumnFixed = !(shape.hasHeaderColumn && block->PRIMA_COLONNA.TIPO_INT == INTST_CAL);
    return shape;
}

bool GRID_SHAPE::Inside(std::int32_t row, std::int32_t column) const
{
    return row >= 0 && column >= 0 && row < Rows() && column < Columns();
}

bool GRID_SHAPE::IsCellEditable(std::int32_t row, std::int32_t column) const
{
    if (!Inside(row, column))
        return false;
    if (hasHeaderRow && hasHeaderColumn && row == 0 && column == 0)
        return false;
    if (hasHeaderRow && headerRowFixed && row == 0)
        return false;
    if (hasHeaderColumn && headerColumnFixed && column == 0)
        return false;
    return true;
}

bool GRID_SHAPE::IsValueCell(std::int32_t row, std::int32_t column) const
{
    return Inside(row, column) && row >= FirstValueRow() && column >= FirstValueColumn();
}

bool GRID_SHAPE::IsHeaderCell(std::int32_t row, std::int32_t column) const
{
    return (hasHeaderRow && row == 0) || (hasHeaderColumn && column == 0);
}

GridBlockKind GRID_SHAPE::BlockOf(std::int32_t row, std::int32_t column) const
{
    if (!headerRowFixed && row == 0)
        return GridBlockKind::XAxis;
    if (headerColumnFixed || column != 0)
        return GridBlockKind::Values;
    return GridBlockKind::YAxis;
}

GRID_CELL GRID_SHAPE::BlockIndexes(std::int32_t row, std::int32_t column) const
{
    // A point of a calibrable header row is in row 0 of its vector, one of
    // a calibrable header column in column 0 of its own.
    const bool xPoint = RowCalibrable() && row == 0;
    const bool yPoint = ColumnCalibrable() && column == 0;
    const std::int32_t r = xPoint ? 0 : row - FirstValueRow();
    const std::int32_t c = yPoint ? 0 : column - FirstValueColumn();
    return {r, c};
}

std::int32_t GRID_SHAPE::CellAddress(std::int32_t row, std::int32_t column, std::int32_t lsb,
                                     std::int32_t elementSize) const
{
    if (!IsCellEditable(row, column))
        return -1;
    const GRID_CELL index = BlockIndexes(row, column);
    std::int64_t stride = valueColumns;
    switch (BlockOf(row, column)) {
    case GridBlockKind::XAxis: stride = 0; break;
    case GridBlockKind::YAxis: stride = 1; break;
    case GridBlockKind::Values: break;
    }
    const std::int64_t address = lsb + (index.row * stride + index.column) * std::int64_t{elementSize};
    return address < 0 || address > INT32_MAX ? -1 : static_cast<std::int32_t>(address);
}

std::int32_t GRID_SHAPE::ToolTipKind(std::int32_t row, std::int32_t column) const
{
    if (hasHeaderRow && hasHeaderColumn && row == 0 && column == 0)
        return 0;
    if (RowCalibrable() && row == 0)
        return 1;
    if (ColumnCalibrable() && column == 0)
        return 2;
    return 3;
}

void GRID_WRITE_RANGE::Begin(std::int32_t imageSize)
{
    lowest = imageSize;
    highest = -1;
    highestSize = 0;
}

void GRID_WRITE_RANGE::Widen(std::int32_t address, std::int32_t size)
{
    if (address < lowest)
        lowest = address;
    if (address > highest) {
        highest = address;
        highestSize = size;
    }
}

std::int32_t GRID_WRITE_RANGE::Length(std::int32_t imageSize) const
{
    return highest < 0 ? 0 : highest - Offset(imageSize) + highestSize;
}

GRID_PIXELS GridPixelSize(const GRID_SHAPE& shape, std::int32_t fontHeightTwips, std::int32_t dpiY,
                          std::int32_t columnWidth, std::int32_t maxWidth, std::int32_t maxHeight)
{
    const std::int32_t height =
        CUtility::TwipsToPixelsAt((fontHeightTwips + 100) * shape.Rows(), dpiY);
    const std::int32_t width = columnWidth * shape.Columns();
    return {std::min(width, maxWidth), std::min(height, maxHeight)};
}
