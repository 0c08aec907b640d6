#pragma once

// Tag lines ("<NAME> value </NAME>"), number parsers, date and time tags,
// and the text conversions of the data files.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

class CStdioFileEx;

// The trimmed text between "<name>" and "</name>" (both searched from the
// start of the line); false, value unchanged, when either tag is missing.
bool GetTagValue(std::u16string_view line, std::u16string& value, std::u16string_view name);
bool HasOpenTag(std::u16string_view line, std::u16string_view name);
bool HasCloseTag(std::u16string_view line, std::u16string_view name);

// Writes the "<DATA>" and "<ORA>" lines of the current local time (or of
// `when`) and flushes; false when the file is not open or the write fails.
bool WriteDateTimeTags(CStdioFileEx& file);
bool WriteDateTimeTags(CStdioFileEx& file, std::time_t when);
// Reads those two lines back into a local time; false, time unchanged, when
// a line or a field is missing.
bool ReadDateTimeTags(CStdioFileEx& file, std::time_t& time);

// Decimal parsers. The text is trimmed in place; it may hold only digits
// (and '.' for StrToDouble) after at most one leading sign. On failure the
// value is left unchanged, except StrToDouble, which sets 0.0.
bool StrToLong(std::u16string& text, std::int32_t& value);
bool StrToInt(std::u16string& text, int& value);
bool StrToDouble(std::u16string& text, double& value);
// StrToDouble for a text that must be one number from end to end ("3."
// and ".5" are): false, value 0.0, also for a text it would read only in
// part ("1.2.3") and for one without a digit ("-", ".").
bool StrToDoubleWhole(std::u16string& text, double& value);

// "0x" or "0X" and exactly 2 (8) hexadecimal digits, untrimmed; on failure
// the value is left unchanged.
bool HexStrToByte(std::u16string_view text, std::uint8_t& value);
bool HexStrToDword(std::u16string_view text, std::uint32_t& value);

// Conversions between the program's UTF-16 texts and the 8-bit texts of
// the system (UTF-8 here): status 0 on success, 0x80070459 (no mapping for
// the text) with an empty result when the input is malformed.
inline constexpr std::uint32_t kNoUnicodeTranslation = 0x80070459u;
std::uint32_t ToWideAlloc(std::string_view text, std::u16string& result);
std::uint32_t ToNarrowAlloc(std::u16string_view text, std::string& result);
