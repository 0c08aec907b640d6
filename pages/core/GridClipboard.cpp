#include "pages/core/GridClipboard.h"

#include "common/Text.h"

#include <algorithm>

namespace CUtility {

std::u16string GridCopyText(const std::vector<std::vector<std::u16string>>& rows)
{
    std::u16string text;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r > 0)
            text += u'\n';
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (c > 0)
                text += u'\t';
            text += rows[r][c].empty() ? std::u16string(u" ") : rows[r][c];
        }
    }
    return text;
}

namespace {

bool IsSeparator(char16_t c) { return c == u'\t' || c == u',' || c == u'\n'; }

std::vector<std::u16string> SplitCells(std::u16string_view line)
{
    std::vector<std::u16string> cells;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = start;
        while (end < line.size() && !IsSeparator(line[end]))
            ++end;
        // Blanks and a carriage return around a cell are no part of it;
        // what is left empty is no cell, as two separators in a row are one.
        const std::u16string_view cell = vexar::TrimView(line.substr(start, end - start));
        if (!cell.empty())
            cells.emplace_back(cell);
        start = end + 1;
    }
    return cells;
}

}  // namespace

PASTE_LINES SplitPasteText(std::u16string_view text)
{
    PASTE_LINES lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = text.size();
        lines.push_back(SplitCells(text.substr(start, end - start)));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

GRID_SELECTION FitSelectionToText(const PASTE_LINES& lines, const GRID_SELECTION& selection, std::int32_t rows,
                                  std::int32_t columns)
{
    std::size_t widest = 0;
    for (const std::vector<std::u16string>& line : lines)
        widest = std::max(widest, line.size());
    if (widest == 0)
        return {};
    // A text longer or wider than the grid is cut to it anyway.
    const auto tall = static_cast<std::int32_t>(std::min(lines.size(), static_cast<std::size_t>(std::max(rows, 0))));
    const auto wide = static_cast<std::int32_t>(std::min(widest, static_cast<std::size_t>(std::max(columns, 0))));
    GRID_SELECTION block = selection;
    block.bottom = std::min(block.top + tall - 1, rows - 1);
    block.right = std::min(block.left + wide - 1, columns - 1);
    return block;
}

}  // namespace CUtility
