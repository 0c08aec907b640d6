#include "pages/core/PageGrid.h"

namespace CUtility {

void CalcRowsCols(PAGE_GRID& grid)
{
    grid.rows = grid.cellHeight > 0 ? grid.pageHeight / grid.cellHeight : 1;
    grid.cols = grid.cellWidth > 0 ? grid.pageWidth / grid.cellWidth : 1;
}

}  // namespace CUtility
