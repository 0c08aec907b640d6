#include "common/CStringMatrix.h"

void CStringMatrix::RemoveAll()
{
    m_cells.clear();
    m_nColumns = 0;
}

void CStringMatrix::SetColumns(std::int32_t columns) { m_nColumns = columns; }

std::int32_t CStringMatrix::GetRows() const { return m_nColumns > 0 ? GetSize() / m_nColumns : 0; }

void CStringMatrix::AddRow(const std::u16string& text)
{
    if (m_nColumns > 0)
        m_cells.insert(m_cells.end(), static_cast<std::size_t>(m_nColumns), text);
}

bool CStringMatrix::Contains(std::int32_t row, std::int32_t column) const
{
    return row >= 0 && row < GetRows() && column >= 0 && column < m_nColumns;
}

bool CStringMatrix::SetCell(std::int32_t row, std::int32_t column, const std::u16string& text)
{
    if (!Contains(row, column))
        return false;
    m_cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nColumns) + static_cast<std::size_t>(column)] = text;
    return true;
}

std::u16string CStringMatrix::GetCell(std::int32_t row, std::int32_t column) const
{
    if (!Contains(row, column))
        return {};
    return m_cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_nColumns) + static_cast<std::size_t>(column)];
}
