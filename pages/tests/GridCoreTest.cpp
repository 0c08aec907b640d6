// The rules of the calibration maps that need no widget: shape and cell
// addresses, the write range of a store pass, the selection under drags,
// Shift+clicks and arrows, the clipboard text both ways, the location of
// the operating point, and a map's size on a page.
#include "pages/core/GridClipboard.h"
#include "pages/core/GridLocate.h"
#include "pages/core/GridMarker.h"
#include "pages/core/GridSelection.h"
#include "pages/core/GridShape.h"

#include "GridFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vexar::gridtest;

namespace {

GRID_SHAPE ShapeOf(std::int32_t rows, std::int32_t columns, bool xCalibrable, bool yCalibrable, bool xFixed = false,
                   bool yFixed = false)
{
    REC_CONTROLLO d = MapDef(1, u"MAP", rows, columns, 0x100);
    if (xCalibrable)
        Calibrable(GridOf(d).PRIMA_RIGA, 2);
    if (yCalibrable)
        Calibrable(GridOf(d).PRIMA_COLONNA, 3);
    if (xFixed)
        Fixed(GridOf(d).PRIMA_RIGA, {u"a", u"b", u"c", u"d"}, u"rpm");
    if (yFixed)
        Fixed(GridOf(d).PRIMA_COLONNA, {u"x", u"y", u"z"}, u"C");
    return GRID_SHAPE::Of(d);
}

// Every cell's address in a pass over the grid, row by row, as a store
// pass visits them; the X vector's points at 0x40, the Y vector's at 0x80.
GRID_WRITE_RANGE StorePass(const GRID_SHAPE& shape, std::int32_t size, std::int32_t imageSize)
{
    GRID_WRITE_RANGE range;
    range.Begin(imageSize);
    for (std::int32_t r = 0; r < shape.Rows(); ++r)
        for (std::int32_t c = 0; c < shape.Columns(); ++c) {
            const GridBlockKind block = shape.BlockOf(r, c);
            const std::int32_t lsb = block == GridBlockKind::XAxis ? 0x40 : block == GridBlockKind::YAxis ? 0x80 : 0x100;
            const std::int32_t address = shape.CellAddress(r, c, lsb, size);
            if (address >= 0)
                range.Widen(address, size);
        }
    return range;
}

}  // namespace

// 3 x 4 values with both headers calibrable: 4 x 5 cells; value (2, 3) at
// LSB + 11 x size, X point 3 at the X vector's LSB + 3 x size, Y point 2
// at the Y vector's LSB + 2 x size; the corner is never stored.
TEST(GridShape, AddressesOfAMapWithBothHeadersCalibrable)
{
    const GRID_SHAPE shape = ShapeOf(3, 4, true, true);
    EXPECT_EQ(shape.Rows(), 4);
    EXPECT_EQ(shape.Columns(), 5);
    const struct {
        std::int32_t row, column;
        GridBlockKind block;
        std::int32_t lsb, size, address;
    } cases[] = {
        {3, 4, GridBlockKind::Values, 0x100, 2, 0x100 + 11 * 2},
        {1, 1, GridBlockKind::Values, 0x100, 4, 0x100},
        {2, 1, GridBlockKind::Values, 0x100, 1, 0x100 + 4},
        {0, 4, GridBlockKind::XAxis, 0x40, 2, 0x40 + 3 * 2},
        {0, 1, GridBlockKind::XAxis, 0x40, 2, 0x40},
        {3, 0, GridBlockKind::YAxis, 0x80, 2, 0x80 + 2 * 2},
        {1, 0, GridBlockKind::YAxis, 0x80, 4, 0x80},
        {0, 0, GridBlockKind::Values, 0x100, 2, -1},
        {4, 1, GridBlockKind::Values, 0x100, 2, -1},
        {1, 5, GridBlockKind::Values, 0x100, 2, -1},
        {-1, 1, GridBlockKind::XAxis, 0x100, 2, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shape.CellAddress(c.row, c.column, c.lsb, c.size), c.address) << c.row << "," << c.column;
        if (c.address >= 0) {
            EXPECT_EQ(shape.BlockOf(c.row, c.column), c.block) << c.row << "," << c.column;
        }
    }
    EXPECT_FALSE(shape.IsCellEditable(0, 0));
    EXPECT_EQ(shape.BlockIndexes(0, 4), (GRID_CELL{0, 3}));
    EXPECT_EQ(shape.BlockIndexes(3, 0), (GRID_CELL{2, 0}));
    EXPECT_EQ(shape.BlockIndexes(3, 4), (GRID_CELL{2, 3}));
}

// Without a header row the values start in grid row 0 and nothing is an X
// point; fixed headers take their row or column but are never edited or
// stored.
TEST(GridShape, MissingAndFixedHeaders)
{
    const GRID_SHAPE table = ShapeOf(1, 4, false, false);
    EXPECT_EQ(table.Rows(), 1);
    EXPECT_EQ(table.Columns(), 4);
    EXPECT_EQ(table.CellAddress(0, 0, 0x100, 2), 0x100);
    EXPECT_EQ(table.CellAddress(0, 3, 0x100, 2), 0x106);
    EXPECT_EQ(table.BlockOf(0, 2), GridBlockKind::Values);
    EXPECT_FALSE(table.RowCalibrable());

    const GRID_SHAPE fixed = ShapeOf(3, 4, false, false, true, true);
    EXPECT_EQ(fixed.Rows(), 4);
    EXPECT_EQ(fixed.Columns(), 5);
    for (std::int32_t c = 0; c < 5; ++c)
        EXPECT_FALSE(fixed.IsCellEditable(0, c)) << c;
    for (std::int32_t r = 0; r < 4; ++r)
        EXPECT_FALSE(fixed.IsCellEditable(r, 0)) << r;
    EXPECT_EQ(fixed.CellAddress(0, 2, 0x40, 2), -1);
    EXPECT_EQ(fixed.CellAddress(1, 1, 0x100, 2), 0x100);
    EXPECT_TRUE(fixed.IsHeaderCell(0, 3));
    EXPECT_TRUE(fixed.IsHeaderCell(2, 0));
    EXPECT_FALSE(fixed.IsHeaderCell(1, 1));
}

// 12 values of 2 bytes at 0x100 to 0x117 and an X vector of 4 points at
// 0x40 to 0x47: one request from 0x40, 0xD8 bytes. A pass that stores
// nothing gives 0 and 0.
TEST(GridShape, OneWriteRangeCoversAPass)
{
    const GRID_WRITE_RANGE map = StorePass(ShapeOf(3, 4, true, false), 2, 0x200);
    EXPECT_EQ(map.Offset(0x200), 0x40);
    EXPECT_EQ(map.Length(0x200), 0xD8);

    const GRID_WRITE_RANGE both = StorePass(ShapeOf(3, 4, true, true), 2, 0x200);
    EXPECT_EQ(both.Offset(0x200), 0x40);
    EXPECT_EQ(both.Length(0x200), 0xD8);

    GRID_WRITE_RANGE none;
    none.Begin(0x200);
    EXPECT_EQ(none.Offset(0x200), 0);
    EXPECT_EQ(none.Length(0x200), 0);

    // One cell alone: its own bytes.
    GRID_WRITE_RANGE one;
    one.Begin(0x200);
    one.Widen(0x110, 4);
    EXPECT_EQ(one.Offset(0x200), 0x110);
    EXPECT_EQ(one.Length(0x200), 4);
}

TEST(GridShape, ToolTipKindsAndTheDialogsFirstMode)
{
    const GRID_SHAPE both = ShapeOf(3, 4, true, true);
    EXPECT_EQ(both.ToolTipKind(0, 0), 0);
    EXPECT_EQ(both.ToolTipKind(0, 2), 1);
    EXPECT_EQ(both.ToolTipKind(2, 0), 2);
    EXPECT_EQ(both.ToolTipKind(2, 2), 3);
    // A fixed header shows the map's comment.
    const GRID_SHAPE fixed = ShapeOf(3, 4, false, false, true, true);
    EXPECT_EQ(fixed.ToolTipKind(0, 2), 3);
    EXPECT_EQ(fixed.ToolTipKind(2, 0), 3);

    EXPECT_EQ(ShapeOf(4, 6, false, false).InitialMode(), 1);
    EXPECT_EQ(ShapeOf(1, 6, false, false).InitialMode(), 0);
    EXPECT_EQ(ShapeOf(6, 1, false, false).InitialMode(), 0);
}

// 5 x 8 values with both headers, a font of 195 twips (13 pixels at 96
// DPI) and columns of 40 pixels: 6 x 295 twips = 118 pixels, 9 x 40 = 360;
// each cut to its maximum.
TEST(GridShape, PixelSizeOnAPage)
{
    const GRID_SHAPE shape = ShapeOf(5, 8, true, true);
    const GRID_PIXELS size = GridPixelSize(shape, 195, 96, 40, 600, 300);
    EXPECT_EQ(size.height, 118);
    EXPECT_EQ(size.width, 360);
    const GRID_PIXELS cut = GridPixelSize(shape, 195, 96, 40, 300, 100);
    EXPECT_EQ(cut.width, 300);
    EXPECT_EQ(cut.height, 100);
    EXPECT_EQ(GridPixelSize(shape, 195, 120, 40, 600, 300).height, 148);  // 147.5 rounds up
}

// ---- Selection ----------------------------------------------------------------------------------

namespace {

struct Drag {
    GRID_SELECTION selection;
    GRID_CURSOR cursor;
    void Press(const GRID_SHAPE& shape, GRID_CELL cell, bool shift = false)
    {
        cursor.MoveTo(cell);
        if (shift)
            CUtility::ExtendSelection(shape, selection, cursor);
        else if (shape.IsCellEditable(cell.row, cell.column))
            CUtility::CollapseSelection(selection, cursor.current);
    }
    void Move(const GRID_SHAPE& shape, GRID_CELL cell)
    {
        if (cell == cursor.current)
            return;
        cursor.MoveTo(cell);
        CUtility::ExtendSelection(shape, selection, cursor);
    }
};

}  // namespace

// From (3, 4) to (1, 2): columns 2 to 4, rows 1 to 3; back to (2, 3):
// columns 3 to 4, rows 2 to 3. Out past the other side and back.
TEST(GridSelection, DragsMoveTheEdgeTheCurrentCellPasses)
{
    const GRID_SHAPE shape = ShapeOf(5, 6, false, false, true, true);
    Drag drag;
    drag.Press(shape, {3, 4});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{4, 3, 4, 3}));
    drag.Move(shape, {1, 2});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{2, 1, 4, 3}));
    drag.Move(shape, {2, 3});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{3, 2, 4, 3}));
    drag.Move(shape, {5, 6});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{3, 2, 6, 5}));
    drag.Move(shape, {4, 5});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{3, 2, 5, 4}));
    // Into the headers: the selection stops at the first value row and
    // column.
    drag.Move(shape, {0, 0});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{1, 1, 5, 4}));
    EXPECT_EQ(drag.cursor.current, (GRID_CELL{1, 1}));
}

// A Shift+click into the header row selects from row 1; a plain click on a
// fixed header makes it the current cell and leaves the selection.
TEST(GridSelection, ShiftClickOnTheHeaderAndClicksOnFixedCells)
{
    const GRID_SHAPE shape = ShapeOf(4, 5, false, false, true, true);
    Drag drag;
    drag.Press(shape, {3, 2});
    drag.Press(shape, {0, 4}, true);
    EXPECT_EQ(drag.selection, (GRID_SELECTION{2, 1, 4, 3}));
    drag.Press(shape, {0, 3});
    EXPECT_EQ(drag.selection, (GRID_SELECTION{2, 1, 4, 3}));
    EXPECT_EQ(drag.cursor.current, (GRID_CELL{0, 3}));
}

// Arrows without Shift go next to the selection; with Shift they extend
// from the current cell; nothing moves onto a cell that cannot be edited.
TEST(GridSelection, ArrowKeys)
{
    const GRID_SHAPE shape = ShapeOf(3, 4, false, false, true, true);  // value cells 1..3 x 1..4
    const struct {
        const char* name;
        GRID_SELECTION before;
        GRID_CELL current;
        std::int32_t key;
        bool shift;
        GRID_SELECTION after;
        bool moved;
    } cases[] = {
        {"right of columns 2 to 3", {2, 1, 3, 2}, {2, 3}, CUtility::VK_RIGHT, false, {4, 1, 4, 1}, true},
        {"right at the last column", {4, 1, 4, 1}, {1, 4}, CUtility::VK_RIGHT, false, {4, 1, 4, 1}, false},
        {"left into a fixed header", {1, 2, 1, 2}, {2, 1}, CUtility::VK_LEFT, false, {1, 2, 1, 2}, false},
        {"down from a block", {1, 1, 3, 2}, {1, 3}, CUtility::VK_DOWN, false, {1, 3, 1, 3}, true},
        {"up from a block", {2, 2, 3, 3}, {2, 3}, CUtility::VK_UP, false, {2, 1, 2, 1}, true},
        {"shift right", {2, 2, 2, 2}, {2, 2}, CUtility::VK_RIGHT, true, {2, 2, 3, 2}, true},
        {"shift down", {2, 2, 3, 2}, {2, 3}, CUtility::VK_DOWN, true, {2, 2, 3, 3}, true},
        {"shift up into the header", {2, 1, 2, 1}, {1, 2}, CUtility::VK_UP, true, {2, 1, 2, 1}, false},
    };
    for (const auto& c : cases) {
        GRID_SELECTION selection = c.before;
        GRID_CURSOR cursor;
        cursor.current = c.current;
        EXPECT_EQ(CUtility::MoveCursor(shape, c.key, c.shift, selection, cursor), c.moved) << c.name;
        EXPECT_EQ(selection, c.after) << c.name;
    }
}

TEST(GridSelection, ValidityNeedsEveryBoundInsideTheGrid)
{
    EXPECT_FALSE(GRID_SELECTION{}.IsValid(4, 5));
    EXPECT_TRUE((GRID_SELECTION{0, 0, 4, 3}.IsValid(4, 5)));
    EXPECT_FALSE((GRID_SELECTION{0, 0, 5, 3}.IsValid(4, 5)));
    EXPECT_FALSE((GRID_SELECTION{0, 0, 4, 4}.IsValid(4, 5)));
    EXPECT_FALSE((GRID_SELECTION{-1, 0, 4, 3}.IsValid(4, 5)));
}

// ---- Clipboard text -------------------------------------------------------------------------------

TEST(GridClipboard, CopiedRowsAreTabbedLinesWithoutAFinalLineFeed)
{
    EXPECT_EQ(CUtility::GridCopyText({{u"a", u"b", u"c"}, {u"d", u"e", u"f"}}), u"a\tb\tc\nd\te\tf");
    EXPECT_EQ(CUtility::GridCopyText({{u"1,5", u"", u"2"}}), u"1,5\t \t2");
    EXPECT_EQ(CUtility::GridCopyText({{u"7"}}), u"7");
}

// The lines and cells of pasted texts, and the block each covers from
// cell (2, 2) of a grid of 6 x 5.
TEST(GridClipboard, PastedTextsAndTheBlocksTheyCover)
{
    using Lines = CUtility::PASTE_LINES;
    const struct {
        const char* name;
        std::u16string text;
        Lines lines;
        GRID_SELECTION block;
    } cases[] = {
        {"two by two", u"1.5\t2.5\n3\t4", {{u"1.5", u"2.5"}, {u"3", u"4"}}, {2, 2, 3, 3}},
        {"CRLF", u"1.5\t2.5\r\n3\t4\r\n", {{u"1.5", u"2.5"}, {u"3", u"4"}}, {2, 2, 3, 3}},
        {"a final line feed", u"1\t2\t3\n", {{u"1", u"2", u"3"}}, {2, 2, 4, 2}},
        {"a decimal comma splits", u"1,5", {{u"1", u"5"}}, {2, 2, 3, 2}},
        {"ragged: the widest line", u"1\n2\t3\t4\n5", {{u"1"}, {u"2", u"3", u"4"}, {u"5"}}, {2, 2, 4, 4}},
        {"separators in a row", u"\t1\t\t2 ,, 3", {{u"1", u"2", u"3"}}, {2, 2, 4, 2}},
        {"an empty line inside", u"1\n\n2", {{u"1"}, {}, {u"2"}}, {2, 2, 2, 4}},
        {"not numbers are cells", u"x\t 1e \r", {{u"x", u"1e"}}, {2, 2, 3, 2}},
        {"cut to the grid", u"1\t2\t3\t4\n5\n6\n7\n8", {{u"1", u"2", u"3", u"4"}, {u"5"}, {u"6"}, {u"7"}, {u"8"}},
         {2, 2, 4, 5}},
        {"nothing", u"\r\n\t\n", {}, {}},
        {"empty", u"", {}, {}},
    };
    const GRID_SELECTION from{2, 2, 2, 2};
    for (const auto& c : cases) {
        const Lines lines = CUtility::SplitPasteText(c.text);
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(CUtility::FitSelectionToText(lines, from, 6, 5), c.block) << c.name;
    }
}

// ---- Operating point -----------------------------------------------------------------------------

// X breakpoints 1000, 2000, 3000 in columns 1 to 3 of 60 pixels after a
// header column of 50; decreasing ones locate the same values in mirrored
// columns.
TEST(GridLocate, ColumnsBetweenTheirBreakpoints)
{
    const std::vector<std::int32_t> widths{50, 60, 60, 60};
    const std::vector<double> up{0, 1000, 2000, 3000};
    const std::vector<double> down{0, 3000, 2000, 1000};
    const struct {
        double x;
        std::int32_t position, column, edge;
        std::int32_t mirroredColumn;
    } cases[] = {
        {2000, 140, 2, 110, 2}, {1500, 110, 1, 50, 2}, {1750, 125, 2, 110, 2},
        {500, 50, 1, 50, 3},    {4000, 230, 3, 170, 1}, {1000, 80, 1, 50, 3},
    };
    for (const auto& c : cases) {
        const LOCATED_POINT a = CUtility::LocateColumnAscending(up, widths, 1, 4, 50, c.x);
        EXPECT_EQ(a.position, c.position) << c.x;
        EXPECT_EQ(a.index, c.column) << c.x;
        EXPECT_EQ(a.edge, c.edge) << c.x;
        EXPECT_EQ(a.size, 60) << c.x;
        const LOCATED_POINT d = CUtility::LocateColumnDescending(down, widths, 1, 4, 50, c.x);
        EXPECT_EQ(d.index, c.mirroredColumn) << c.x;
    }
    // Descending, exactly: the mirrored positions of the ascending cases.
    EXPECT_EQ(CUtility::LocateColumnDescending(down, widths, 1, 4, 50, 2000).position, 140);
    EXPECT_EQ(CUtility::LocateColumnDescending(down, widths, 1, 4, 50, 2500).position, 110);
    EXPECT_EQ(CUtility::LocateColumnDescending(down, widths, 1, 4, 50, 2250).position, 125);
    EXPECT_EQ(CUtility::LocateColumnDescending(down, widths, 1, 4, 50, 4000).position, 50);
    EXPECT_EQ(CUtility::LocateColumnDescending(down, widths, 1, 4, 50, 500).position, 230);
}

// Y breakpoints 10, 20, 30 in rows 1 to 3 of 20 pixels; half-way goes to
// the earlier row in both directions.
TEST(GridLocate, RowsBetweenTheirBreakpoints)
{
    const std::vector<double> up{0, 10, 20, 30};
    const std::vector<double> down{0, 30, 20, 10};
    const struct {
        double y;
        std::int32_t position, row;
        std::int32_t downPosition, downRow;
    } cases[] = {
        {20, 50, 2, 50, 2}, {15, 40, 1, 60, 2}, {5, 20, 1, 80, 3}, {40, 80, 3, 20, 1},
        {25, 60, 2, 40, 1}, {17, 44, 2, 56, 2}, {10, 30, 1, 70, 3},
    };
    for (const auto& c : cases) {
        const LOCATED_POINT a = CUtility::LocateRowAscending(up, 1, 4, 20, c.y);
        EXPECT_EQ(a.position, c.position) << c.y;
        EXPECT_EQ(a.index, c.row) << c.y;
        const LOCATED_POINT d = CUtility::LocateRowDescending(down, 1, 4, 20, c.y);
        EXPECT_EQ(d.position, c.downPosition) << c.y;
        EXPECT_EQ(d.index, c.downRow) << c.y;
    }
}

TEST(GridLocate, DeadBandAndColour)
{
    EXPECT_EQ(CUtility::MarkerDeadBand(102, 100), 100);
    EXPECT_EQ(CUtility::MarkerDeadBand(98, 100), 100);
    EXPECT_EQ(CUtility::MarkerDeadBand(103, 100), 103);
    EXPECT_EQ(CUtility::MarkerDeadBand(97, 100), 97);
    EXPECT_EQ(CUtility::MarkerColour(7.0), 0xFF0000u);
    EXPECT_EQ(CUtility::MarkerColour(7.5), 0x0000FFu);
    EXPECT_EQ(CUtility::MarkerColour(6.9), 0x0000FFu);
}
