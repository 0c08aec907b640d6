#include "pages/widgets/CCellGrid.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Twips to pixels at `dpi`, halves away from zero.
int Pixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

// A map of 5 value rows and 8 value columns with both headers: 6 x 9 grid
// cells, rows of 195 + 100 twips (a 13-pixel font) and columns of 600
// twips (40 pixels at 96 per inch).
class CellGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(grid.SetRowCount(6));
        ASSERT_TRUE(grid.SetColumnCount(9));
        ASSERT_TRUE(grid.SetFixedRowCount(1));
        ASSERT_TRUE(grid.SetFixedColumnCount(1));
        for (int r = 0; r < 6; ++r)
            ASSERT_TRUE(grid.SetRowHeight(r, 295));
        for (int c = 0; c < 9; ++c)
            ASSERT_TRUE(grid.SetColumnWidth(c, 600));
        rowPixels = Pixels(295, grid.logicalDpiY());
        columnPixels = Pixels(600, grid.logicalDpiX());
    }

    CCellGrid grid;
    int rowPixels = 0;
    int columnPixels = 0;
};

TEST_F(CellGridTest, GeometryInPixelsAtTheWindowsResolution)
{
    if (grid.logicalDpiY() == 96) {
        EXPECT_EQ(rowPixels, 20);  // 19.67 rounded
        EXPECT_EQ(columnPixels, 40);
    }
    EXPECT_EQ(grid.GetRowHeight(2), 295);
    EXPECT_EQ(grid.GetColumnWidth(8), 600);
    EXPECT_EQ(grid.GetRowHeightPixels(2), rowPixels);
    EXPECT_EQ(grid.GetRowTop(3), 3 * rowPixels);
    EXPECT_EQ(grid.GetColumnLeft(8), 8 * columnPixels);
    EXPECT_EQ(grid.GetCellRect(5, 8), QRect(8 * columnPixels, 5 * rowPixels, columnPixels, rowPixels));
    EXPECT_EQ(grid.GetCellsSize(), QSize(9 * columnPixels, 6 * rowPixels));
    EXPECT_EQ(grid.GetCellRect(6, 0), QRect());

    // A wider header column moves every value cell right.
    ASSERT_TRUE(grid.SetColumnWidth(0, 900));
    EXPECT_EQ(grid.GetColumnLeft(1), Pixels(900, grid.logicalDpiX()));
}

TEST_F(CellGridTest, CellUnderAPointAtTheBorders)
{
    const int w = columnPixels;
    const int h = rowPixels;
    struct Case {
        QPoint point;
        GridCell cell;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}},
        {{w - 1, h - 1}, {0, 0}},
        {{w, h}, {1, 1}},
        {{3 * w + 5, 2 * h}, {2, 3}},
        {{9 * w - 1, 6 * h - 1}, {5, 8}},
        {{9 * w, 6 * h - 1}, {5, -1}},   // right of the last column
        {{9 * w - 1, 6 * h}, {-1, 8}},   // below the last row
        {{-1, -1}, {-1, -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grid.CellAt(c.point), c.cell) << c.point.x() << "," << c.point.y();

    // A column of no width is never under the mouse.
    ASSERT_TRUE(grid.SetColumnWidth(1, 0));
    EXPECT_EQ(grid.CellAt(QPoint(w, 0)).column, 2);
}

TEST_F(CellGridTest, CountsKeepTheCellsThatRemain)
{
    ASSERT_TRUE(grid.SetCellText(5, 8, QStringLiteral("12.5")));
    ASSERT_TRUE(grid.SetCellText(1, 1, QStringLiteral("3,75")));
    ASSERT_TRUE(grid.SetRowHeight(1, 400));

    ASSERT_TRUE(grid.SetColumnCount(4));
    EXPECT_EQ(grid.GetCellText(1, 1), QStringLiteral("3,75"));
    EXPECT_TRUE(grid.GetCellText(5, 8).isEmpty());
    ASSERT_TRUE(grid.SetColumnCount(9));
    EXPECT_TRUE(grid.GetCellText(5, 8).isEmpty()) << "a cell that went comes back empty";
    EXPECT_EQ(grid.GetColumnWidth(8), CCellGrid::kDefaultColumnWidthTwips);
    EXPECT_EQ(grid.GetRowHeight(1), 400);

    ASSERT_TRUE(grid.SetRowCount(0));
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    EXPECT_TRUE(grid.GetCellText(0, 0).isEmpty());
    EXPECT_EQ(grid.CellAt(QPoint(1, 1)).row, -1);
}

TEST_F(CellGridTest, RefusedValuesChangeNothing)
{
    EXPECT_FALSE(grid.SetRowCount(-1));
    EXPECT_FALSE(grid.SetColumnCount(static_cast<int>(CCellGrid::kMaxCells)));
    EXPECT_FALSE(grid.SetFixedRowCount(7));
    EXPECT_FALSE(grid.SetFixedColumnCount(-1));
    EXPECT_FALSE(grid.SetCellText(6, 0, QStringLiteral("x")));
    EXPECT_FALSE(grid.SetCellText(0, -1, QStringLiteral("x")));
    EXPECT_FALSE(grid.SetColumnWidth(9, 100));
    EXPECT_FALSE(grid.SetRowHeight(0, -5));
    EXPECT_EQ(grid.GetRowCount(), 6);
    EXPECT_EQ(grid.GetColumnCount(), 9);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    EXPECT_EQ(grid.GetRowHeight(0), 295);
    EXPECT_EQ(grid.GetColumnWidth(9), -1);
    EXPECT_EQ(grid.GetRowHeightPixels(-1), 0);
}

// A map that reads the mouse cell in its own handlers, as the map does.
class ReadingGrid : public CCellGrid {
public:
    std::vector<GridCell> seen;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        seen.push_back({GetMouseRow(), GetMouseColumn()});
        CCellGrid::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        seen.push_back({GetMouseRow(), GetMouseColumn()});
        CCellGrid::mouseMoveEvent(event);
    }
};

TEST(CellGridMouse, HandlersSeeTheCellOfTheirOwnEvent)
{
    ReadingGrid grid;
    grid.SetRowCount(3);
    grid.SetColumnCount(4);
    grid.resize(grid.GetCellsSize() + QSize(20, 20));
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.GetMouseRow(), -1);

    const QRect cell = grid.GetCellRect(2, 3);
    QTest::mousePress(&grid, Qt::LeftButton, {}, cell.center());
    QTest::mouseMove(&grid, grid.GetCellRect(1, 0).center());
    QTest::mouseMove(&grid, QPoint(grid.GetCellsSize().width() + 5, cell.center().y()));
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, QPoint(grid.GetCellsSize().width() + 5, cell.center().y()));

    const std::vector<GridCell> expected = {{2, 3}, {1, 0}, {2, -1}};
    EXPECT_EQ(grid.seen, expected);
    EXPECT_EQ(grid.GetMouseRow(), 2);
    EXPECT_EQ(grid.GetMouseColumn(), -1);
}

}  // namespace
