#pragma once

// The toolbox members that need no window: rounding, folder creation,
// tab-separated fields, ECU code comparison, proportional scaling,
// hexadecimal input, and the arithmetic behind the font-size and
// screen-unit conversions (a point is 1/72 inch, a twip 1/1440 inch; a
// resolution is logical pixels per inch).

#include <cstdint>
#include <string>
#include <string_view>

namespace CUtility {

// a x b / c on 64 bits, rounded to the nearest integer with halves away
// from zero; -1 when c is 0 or the result does not fit in 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// Nearest integer, halves away from zero, computed on 64 bits: results in
// [-2^31, 2^32) keep their low 32 bits (4294967295.0 gives the bits of
// 0xFFFFFFFF), results outside that range saturate at its ends, NaN gives 0.
std::int32_t RoundToInt(double value);
// The value rounded to `decimals` places (none for 0 or less), halves away
// from zero; a value already exact at that scale comes back unchanged.
double RoundDecimals(double value, int decimals);

// Creates every missing folder along `path` up to its last '/'; text after
// it is a file name and is not created. Failures are ignored.
void CreateFullPath(const std::string& path);

// Cuts the first TAB-separated field (trimmed) off `line`, leaving the rest
// untrimmed; a line without TAB is one field. False for an empty line.
bool ExtractTabField(std::u16string& line, std::u16string& field);

// Two ECU codes match when both have at least 11 characters and agree at
// positions 0 to 6 and 8 to 9.
bool CompareEcuCodes(std::u16string_view a, std::u16string_view b);

// value := numerator x value / denominator (truncating) when the two
// differ, the denominator is not 0 and the result is positive.
void ScaleValue(std::int32_t numerator, std::int32_t denominator, std::int32_t& value);

// The leading run of "0123456789xXaAbBcCdDeEfF" characters read as a
// hexadecimal number after the first "0X" (any case) when there is one.
// False, with 0 stored, when nothing readable is left or the number has
// more than eight significant digits.
bool ParseHex(std::u16string_view text, std::uint32_t& value);

// Font and screen-unit arithmetic for a given resolution; the widget
// layer supplies the font's logical height and the screen's resolution.
// A logical height is negative for a character height.
std::int32_t FontHeightFromPoints(std::int32_t points);  // at the fixed 96 pixels per inch
std::int32_t FontSizeCy(std::int32_t height, std::int32_t resolution);     // points x 10000
std::int32_t FontSizePt(std::int32_t height, std::int32_t resolution);     // points
std::int32_t FontSizeTwips(std::int32_t height, std::int32_t resolution);  // twips
std::int32_t TwipsToPixelsAt(std::int32_t twips, std::int32_t resolution);
std::int32_t PixelsToTwipsAt(std::int32_t pixels, std::int32_t resolution);

}  // namespace CUtility
