#pragma once

// The grid window of a calibration map: the store of its cell texts and
// the geometry of its cells. It holds the row and column counts, how many
// leading rows and columns are fixed (headers), a text per cell, each
// column's width and each row's height in twips, and finds the cell under
// a point. The map paints every pixel and handles mouse and keys itself,
// so this window paints nothing of its own.
//
// Pixels are the twips at the window's logical resolution, rounded to the
// nearest pixel per row and per column (halves away from zero); row r
// spans from the sum of the heights of the rows above it, and so on.

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

// A cell by row and column; -1 where the point lies beyond the cells.
struct GridCell {
    int row = -1;
    int column = -1;
    bool operator==(const GridCell&) const = default;
};

class CCellGrid : public QWidget {
public:
    // The size of a row or column that the counts add.
    static constexpr int kDefaultRowHeightTwips = 300;
    static constexpr int kDefaultColumnWidthTwips = 960;
    // Far beyond any map; keeps a bad count from exhausting memory.
    static constexpr long kMaxCells = 1L << 20;

    explicit CCellGrid(QWidget* parent = nullptr);

    // Changing a count keeps the texts and sizes of the cells that remain
    // and gives new cells empty texts and the default sizes. A negative
    // count, or one that would make more than kMaxCells cells, is refused.
    bool SetRowCount(int rows);
    bool SetColumnCount(int columns);
    int GetRowCount() const { return m_rows; }
    int GetColumnCount() const { return m_columns; }

    // Fixed rows and columns lead the grid (the map's headers); at most the
    // count. Fewer rows or columns lower them.
    bool SetFixedRowCount(int rows);
    bool SetFixedColumnCount(int columns);
    int GetFixedRowCount() const { return m_fixedRows; }
    int GetFixedColumnCount() const { return m_fixedColumns; }

    // A cell outside the grid has no text: reading it gives an empty text,
    // writing it is refused.
    bool SetCellText(int row, int column, const QString& text);
    QString GetCellText(int row, int column) const;

    // Sizes in twips; a negative size or a missing row or column is refused,
    // and reading one gives -1.
    bool SetColumnWidth(int column, int twips);
    bool SetRowHeight(int row, int twips);
    int GetColumnWidth(int column) const;
    int GetRowHeight(int row) const;

    // The same in pixels at this window's resolution (0 when missing).
    int GetColumnWidthPixels(int column) const;
    int GetRowHeightPixels(int row) const;
    int GetColumnLeft(int column) const;
    int GetRowTop(int row) const;
    QRect GetCellRect(int row, int column) const;
    QSize GetCellsSize() const;

    // The cell that contains a point of the window; row and column each
    // -1 when the point lies outside the cells in that direction.
    GridCell CellAt(QPoint point) const;
    // The cell under the mouse at the last mouse event the window received
    // (before its own handlers run); -1 until there was one.
    int GetMouseRow() const { return m_mouseCell.row; }
    int GetMouseColumn() const { return m_mouseCell.column; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;

private:
    bool Inside(int row, int column) const;
    bool Reshape(int rows, int columns);

    int m_rows = 0;
    int m_columns = 0;
    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    std::vector<QString> m_texts;  // row after row
    std::vector<int> m_rowHeights;
    std::vector<int> m_columnWidths;
    GridCell m_mouseCell;
};
