#include "config/CalibLine.h"

#include "common/CCriptFile.h"
#include "common/LeadingNumber.h"
#include "common/TagLine.h"
#include "common/Text.h"

namespace {

void PadTo(std::u16string& text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), u' ');
}

std::u16string Decimal(std::int32_t value) { return vexar::Format(u"%d", value); }

// The next line of the file, or empty at the end of the text.
std::u16string NextLine(CCriptFile& file)
{
    std::u16string line;
    if (!file.ReadLine(line))
        line.clear();
    return line;
}

// The element part without its opening "[" and its last unit (the "]").
std::u16string_view Inside(std::u16string_view element)
{
    if (element.size() < 2)
        return {};
    return element.substr(1, element.size() - 2);
}

}  // namespace

namespace CalibLine {

std::u16string Format(std::u16string_view name, std::u16string_view value, std::u16string_view comment)
{
    std::u16string line(name);
    PadTo(line, kNameWidth);
    line += u'\t';
    std::u16string field(value);
    PadTo(field, kValueWidth);
    line += field;
    line += u'\t';
    line += comment;
    line += u'\n';
    return line;
}

std::u16string ElementName(std::u16string_view identifier, std::int32_t index)
{
    return std::u16string(identifier) + u"[" + Decimal(index) + u"]";
}

std::u16string CellName(std::u16string_view identifier, std::int32_t row, std::int32_t column)
{
    return std::u16string(identifier) + u"[" + Decimal(row) + u"," + Decimal(column) + u"]";
}

Fields Split(std::u16string_view line)
{
    Fields fields;
    const std::size_t tab = line.find(u'\t');
    const std::u16string name = vexar::Trim(line.substr(0, tab));
    const std::size_t bracket = name.find(u'[');
    fields.name = name.substr(0, bracket);
    if (bracket != std::u16string::npos)
        fields.element = name.substr(bracket);
    if (tab != std::u16string_view::npos) {
        const std::u16string_view rest = line.substr(tab + 1);
        fields.value = std::u16string(rest.substr(0, rest.find(u'\t')));
        fields.hasValue = true;
    }
    return fields;
}

void ParseIndexes(std::u16string_view element, std::int32_t& first, std::int32_t& second)
{
    first = 0;
    second = 0;
    const std::u16string_view inside = Inside(element);
    const std::size_t comma = inside.find(u',');
    first = vexar::ReadLeadingLong(inside.substr(0, comma));
    if (comma != std::u16string_view::npos)
        second = vexar::ReadLeadingLong(inside.substr(comma + 1));
}

bool ReadCellBlock(CCriptFile& file, std::u16string_view blockName, const std::u16string& first,
                   std::int32_t rowOffset, std::int32_t rowLimit, std::int32_t columnOffset,
                   std::int32_t columnLimit,
                   const std::function<void(std::int32_t row, std::int32_t column, const std::u16string& text,
                                            double value)>& cell,
                   CalibGroupRead& read)
{
    return ReadCellBlock(file, blockName, first, rowOffset, rowLimit, columnOffset, columnLimit,
                         [](std::u16string& text, double& value) { return StrToDouble(text, value); }, cell, read);
}

bool ReadCellBlock(CCriptFile& file, std::u16string_view blockName, const std::u16string& first,
                   std::int32_t rowOffset, std::int32_t rowLimit, std::int32_t columnOffset,
                   std::int32_t columnLimit, const CellParser& parse,
                   const std::function<void(std::int32_t row, std::int32_t column, const std::u16string& text,
                                            double value)>& cell,
                   CalibGroupRead& read)
{
    read = CalibGroupRead{};
    std::int32_t lastRow = 0;
    std::int32_t lastColumn = 0;
    std::u16string current = first;
    for (;;) {
        const Fields fields = Split(current);
        if (fields.name != blockName)
            break;
        // A cell names its row and column; a name without the comma is
        // cell (0, 0).
        std::int32_t row = 0;
        std::int32_t column = 0;
        if (fields.element.find(u',', 1) != std::u16string::npos)
            ParseIndexes(fields.element, row, column);
        // Negative indexes would address the map's headers or no cell at
        // all: they end the block like indexes beyond the map.
        if (row < 0 || column < 0)
            break;
        row += rowOffset;
        column += columnOffset;
        if (row >= rowLimit || column >= columnLimit || row < lastRow || (row == lastRow && column < lastColumn))
            break;
        if (!fields.hasValue)
            return false;
        std::u16string text = vexar::Trim(fields.value);
        double value = 0.0;
        if (!parse(text, value))
            return false;
        cell(row, column, text, value);
        lastRow = row;
        lastColumn = column;
        ++read.taken;
        current = NextLine(file);
        if (current.empty())
            break;
    }
    read.next = current;
    return true;
}

void ReadElementLines(CCriptFile& file, std::u16string_view name, std::int32_t count, const std::u16string& first,
                      const std::function<void(std::int32_t index, const std::u16string& value)>& element,
                      CalibGroupRead& read)
{
    read = CalibGroupRead{};
    std::u16string current = first;
    for (;;) {
        const Fields fields = Split(current);
        if (fields.name != name)
            break;
        std::int32_t index = 0;
        std::int32_t unused = 0;
        if (!fields.element.empty())
            ParseIndexes(fields.element, index, unused);
        if (index >= count || index != read.taken) {
            read.again = index == 0;
            break;
        }
        element(index, fields.value);
        ++read.taken;
        current = NextLine(file);
        if (current.empty())
            break;
    }
    read.next = current;
}

bool StartsGroup(std::u16string_view line, std::u16string_view name)
{
    const Fields fields = Split(line);
    if (fields.name != name)
        return false;
    std::int32_t first = 0;
    std::int32_t second = 0;
    ParseIndexes(fields.element, first, second);
    return first == 0;
}

}  // namespace CalibLine
