#include "pages/widgets/CCellGrid.h"

#include "platform/ui/CUtilityUi.h"

#include <QMouseEvent>

#include <algorithm>

namespace {

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

bool CCellGrid::SetRowCount(int rows) { return Reshape(rows, m_columns); }

bool CCellGrid::SetColumnCount(int columns) { return Reshape(m_rows, columns); }

bool CCellGrid::Reshape(int rows, int columns)
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

bool CCellGrid::SetFixedRowCount(int rows)
{
    if (rows < 0 || rows > m_rows)
        return false;
    m_fixedRows = rows;
    update();
    return true;
}

bool CCellGrid::SetFixedColumnCount(int columns)
{
    if (columns < 0 || columns > m_columns)
        return false;
    m_fixedColumns = columns;
    update();
    return true;
}

bool CCellGrid::Inside(int row, int column) const
{
    return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
}

bool CCellGrid::SetCellText(int row, int column, const QString& text)
{
    if (!Inside(row, column))
        return false;
    m_texts[static_cast<std::size_t>(row) * m_columns + column] = text;
    update();
    return true;
}

QString CCellGrid::GetCellText(int row, int column) const
{
    if (!Inside(row, column))
        return {};
    return m_texts[static_cast<std::size_t>(row) * m_columns + column];
}

bool CCellGrid::SetColumnWidth(int column, int twips)
{
    if (column < 0 || column >= m_columns || twips < 0)
        return false;
    m_columnWidths[static_cast<std::size_t>(column)] = twips;
    updateGeometry();
    update();
    return true;
}

bool CCellGrid::SetRowHeight(int row, int twips)
{
    if (row < 0 || row >= m_rows || twips < 0)
        return false;
    m_rowHeights[static_cast<std::size_t>(row)] = twips;
    updateGeometry();
    update();
    return true;
}

int CCellGrid::GetColumnWidth(int column) const
{
    return column >= 0 && column < m_columns ? m_columnWidths[static_cast<std::size_t>(column)] : -1;
}

int CCellGrid::GetRowHeight(int row) const
{
    return row >= 0 && row < m_rows ? m_rowHeights[static_cast<std::size_t>(row)] : -1;
}

int CCellGrid::GetColumnWidthPixels(int column) const
{
    const int twips = GetColumnWidth(column);
    return twips < 0 ? 0 : CUtility::TwipsToPixels(*this, twips, true);
}

int CCellGrid::GetRowHeightPixels(int row) const
{
    const int twips = GetRowHeight(row);
    return twips < 0 ? 0 : CUtility::TwipsToPixels(*this, twips, false);
}

int CCellGrid::GetColumnLeft(int column) const
{
    int left = 0;
    for (int c = 0; c < column && c < m_columns; ++c)
        left += GetColumnWidthPixels(c);
    return left;
}

int CCellGrid::GetRowTop(int row) const
{
    int top = 0;
    for (int r = 0; r < row && r < m_rows; ++r)
        top += GetRowHeightPixels(r);
    return top;
}

QRect CCellGrid::GetCellRect(int row, int column) const
{
    if (!Inside(row, column))
        return {};
    return QRect(GetColumnLeft(column), GetRowTop(row), GetColumnWidthPixels(column), GetRowHeightPixels(row));
}

QSize CCellGrid::GetCellsSize() const { return {GetColumnLeft(m_columns), GetRowTop(m_rows)}; }

GridCell CCellGrid::CellAt(QPoint point) const
{
    return {Locate(point.y(), m_rows, [this](int r) { return GetRowHeightPixels(r); }),
            Locate(point.x(), m_columns, [this](int c) { return GetColumnWidthPixels(c); })};
}

QSize CCellGrid::sizeHint() const { return GetCellsSize().expandedTo(QSize(16, 16)); }

// The mouse cell is taken before the event reaches the handlers, so a map
// that reads it in its own mouse handler sees where this event happened.
bool CCellGrid::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        m_mouseCell = CellAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        break;
    default:
        break;
    }
    return QWidget::event(event);
}
