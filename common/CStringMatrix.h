#pragma once

// Texts addressed by row and column, kept in row order: the cell at
// (row, column) is element row x columns + column. The map control keeps
// its cell texts in one.

#include <cstdint>
#include <string>
#include <vector>

class CStringMatrix {
public:
    CStringMatrix() = default;
    virtual ~CStringMatrix() = default;

    void RemoveAll();
    // Sets the number of columns; the cells stay as they are.
    void SetColumns(std::int32_t columns);
    std::int32_t GetColumns() const { return m_nColumns; }
    // Element count / columns (0 without columns).
    std::int32_t GetRows() const;
    std::int32_t GetSize() const { return static_cast<std::int32_t>(m_cells.size()); }

    // Appends one row whose cells all hold `text`; nothing without columns.
    void AddRow(const std::u16string& text);
    // False, nothing changed, outside rows 0..rows-1 or columns 0..columns-1.
    bool SetCell(std::int32_t row, std::int32_t column, const std::u16string& text);
    // A copy of the cell; empty outside the matrix.
    std::u16string GetCell(std::int32_t row, std::int32_t column) const;

private:
    bool Contains(std::int32_t row, std::int32_t column) const;

    std::vector<std::u16string> m_cells;
    std::int32_t m_nColumns = 0;
};
