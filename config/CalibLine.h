#pragma once

// The line form of a calibration file, shared by every control that writes
// or reads calibration lines:
//
//   name, blanks up to 33 units, TAB, value, blanks up to 20 units, TAB,
//   comment, line feed
//
// The name is the definition's IDENTIFICATORE, followed for an array
// element by "[i]" and for a map cell or axis point by "[r,c]". Widths
// count UTF-16 code units; a longer name or value is followed directly by
// its TAB.

#include "config/IDataCtrl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CCriptFile;

namespace CalibLine {

inline constexpr std::size_t kNameWidth = 33;
inline constexpr std::size_t kValueWidth = 20;

// One whole line, line feed included.
std::u16string Format(std::u16string_view name, std::u16string_view value, std::u16string_view comment);

// "ID[i]" and "ID[r,c]".
std::u16string ElementName(std::u16string_view identifier, std::int32_t index);
std::u16string CellName(std::u16string_view identifier, std::int32_t row, std::int32_t column);

// A line taken apart: field 0 trimmed is the full name; the name proper is
// the part before its first "[", the element part the rest ("" without
// brackets); the value is field 1 as it stands (the text after the first
// TAB up to the next one), present only when the line has a TAB.
struct Fields {
    std::u16string name;
    std::u16string element;
    std::u16string value;
    bool hasValue = false;
};
Fields Split(std::u16string_view line);

// The indexes of an element part: "[r,c]" gives r and c, "[i]" gives i and
// 0, "" gives 0 and 0. Each index is read like atol (leading digits with an
// optional sign; anything else gives 0).
void ParseIndexes(std::u16string_view element, std::int32_t& first, std::int32_t& second);

// Reads one block of map lines named `blockName`, starting with `first`:
// the cells while their indexes lie inside the limits (after the offsets
// are added) and do not go back (an equal pair is taken again, the later
// value winning). `cell` receives grid row, grid column and the value read
// as a decimal number. The block ends at a line of another name, at a line
// outside the limits or going back, or at the end of the text; `read.next`
// is that line (empty at the end), `read.taken` counts the lines taken.
// False, at once, when a line of the block has no value field or its value
// is not a number.
bool ReadCellBlock(CCriptFile& file, std::u16string_view blockName, const std::u16string& first,
                   std::int32_t rowOffset, std::int32_t rowLimit, std::int32_t columnOffset,
                   std::int32_t columnLimit,
                   const std::function<void(std::int32_t row, std::int32_t column, const std::u16string& text,
                                            double value)>& cell,
                   CalibGroupRead& read);

// The same with the value field read by `parse` (given the field trimmed;
// false when it is not a number), for blocks whose values are shown in
// another notation than decimals (hexadecimal, binary, percentage).
using CellParser = std::function<bool(std::u16string& text, double& value)>;
bool ReadCellBlock(CCriptFile& file, std::u16string_view blockName, const std::u16string& first,
                   std::int32_t rowOffset, std::int32_t rowLimit, std::int32_t columnOffset,
                   std::int32_t columnLimit, const CellParser& parse,
                   const std::function<void(std::int32_t row, std::int32_t column, const std::u16string& text,
                                            double value)>& cell,
                   CalibGroupRead& read);

// Reads the element lines of an array named `name` with `count` elements,
// starting with `first`: a line is taken while its index equals the number
// of lines taken so far and stays below `count` (a name without brackets is
// element 0). `element` receives each index and its value field as it
// stands; a line without a value field hands on an empty value, which the
// list takes as it takes a value that names no item (a damaged line costs
// its element only, never the calibration). The reading stops at a line of
// another name, at an index out of turn (`read.again` set when that index
// is 0), or at the end of the text.
void ReadElementLines(CCriptFile& file, std::u16string_view name, std::int32_t count, const std::u16string& first,
                      const std::function<void(std::int32_t index, const std::u16string& value)>& element,
                      CalibGroupRead& read);

// True when `line` is a line of `name` whose first index is 0: the first
// line of that name's group.
bool StartsGroup(std::u16string_view line, std::u16string_view name);

}  // namespace CalibLine
