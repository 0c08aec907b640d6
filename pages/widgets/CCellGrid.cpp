#include "pages/widgets/CCellGrid.h"

#include <QMouseEvent>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace vexar::widgets {

namespace {

constexpr int kTwipsPerInch = 1440;

// value × numerator / denominator in 64 bits, rounded to the nearest whole
// number with halves away from zero.
int MulDiv(int value, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

// The index of the run of sizes that contains the offset, or -1.
int Locate(int offset, int count, auto sizeOf)
{
    if (offset < 0)
        return -1;
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int end = start + sizeOf(i);
        if (offset < end)
            return i;
        start = end;
    }
    return -1;
}

}  // namespace

CCellGrid::CCellGrid(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

bool CCellGrid::setRowCount(int rows) { return reshape(rows, m_columns); }

bool CCellGrid::setColumnCount(int columns) { return reshape(m_rows, columns); }

bool CCellGrid::reshape(int rows, int columns)
{
    if (rows < 0 || columns < 0 || static_cast<long>(rows) * columns > kMaxCells)
        return false;
    std::vector<QString> texts(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(columns, m_columns); ++c)
            texts[static_cast<std::size_t>(r) * columns + c] = std::move(m_texts[static_cast<std::size_t>(r) * m_columns + c]);
    m_texts = std::move(texts);
    m_rowHeights.resize(static_cast<std::size_t>(rows), kDefaultRowHeightTwips);
    m_columnWidths.resize(static_cast<std::size_t>(columns), kDefaultColumnWidthTwips);
    m_rows = rows;
    m_columns = columns;
    m_fixedRows = std::min(m_fixedRows, rows);
    m_fixedColumns = std::min(m_fixedColumns, columns);
    updateGeometry();
    update();
    return true;
}

bool CCellGrid::setFixedRowCount(int rows)
{
    if (rows < 0 || rows > m_rows)
        return false;
    m_fixedRows = rows;
    update();
    return true;
}

bool CCellGrid::setFixedColumnCount(int columns)
{
    if (columns < 0 || columns > m_columns)
        return false;
    m_fixedColumns = columns;
    update();
    return true;
}

bool CCellGrid::inside(int row, int column) const
{
    return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
}

bool CCellGrid::setCellText(int row, int column, const QString& text)
{
    if (!inside(row, column))
        return false;
    m_texts[static_cast<std::size_t>(row) * m_columns + column] = text;
    update();
    return true;
}

QString CCellGrid::cellText(int row, int column) const
{
    if (!inside(row, column))
        return {};
    return m_texts[static_cast<std::size_t>(row) * m_columns + column];
}

bool CCellGrid::setColumnWidth(int column, int twips)
{
    if (column < 0 || column >= m_columns || twips < 0)
        return false;
    m_columnWidths[static_cast<std::size_t>(column)] = twips;
    updateGeometry();
    update();
    return true;
}

bool CCellGrid::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= m_rows || twips < 0)
        return false;
    m_rowHeights[static_cast<std::size_t>(row)] = twips;
    updateGeometry();
    update();
    return true;
}

int CCellGrid::columnWidth(int column) const
{
    return column >= 0 && column < m_columns ? m_columnWidths[static_cast<std::size_t>(column)] : -1;
}

int CCellGrid::rowHeight(int row) const
{
    return row >= 0 && row < m_rows ? m_rowHeights[static_cast<std::size_t>(row)] : -1;
}

int CCellGrid::toPixels(int twips, int dotsPerInch) const
{
    return twips < 0 ? 0 : MulDiv(twips, dotsPerInch, kTwipsPerInch);
}

int CCellGrid::columnWidthPixels(int column) const { return toPixels(columnWidth(column), logicalDpiX()); }

int CCellGrid::rowHeightPixels(int row) const { return toPixels(rowHeight(row), logicalDpiY()); }

int CCellGrid::columnLeft(int column) const
{
    int left = 0;
    for (int c = 0; c < column && c < m_columns; ++c)
        left += columnWidthPixels(c);
    return left;
}

int CCellGrid::rowTop(int row) const
{
    int top = 0;
    for (int r = 0; r < row && r < m_rows; ++r)
        top += rowHeightPixels(r);
    return top;
}

QRect CCellGrid::cellRect(int row, int column) const
{
    if (!inside(row, column))
        return {};
    return QRect(columnLeft(column), rowTop(row), columnWidthPixels(column), rowHeightPixels(row));
}

QSize CCellGrid::cellsSize() const { return {columnLeft(m_columns), rowTop(m_rows)}; }

GridCell CCellGrid::cellAt(QPoint point) const
{
    return {Locate(point.y(), m_rows, [this](int r) { return rowHeightPixels(r); }),
            Locate(point.x(), m_columns, [this](int c) { return columnWidthPixels(c); })};
}

QSize CCellGrid::sizeHint() const { return cellsSize().expandedTo(QSize(16, 16)); }

// The mouse cell is taken before the event reaches the handlers, so a map
// that reads it in its own mouse handler sees where this event happened.
bool CCellGrid::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        m_mouseCell = cellAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

}  // namespace vexar::widgets
