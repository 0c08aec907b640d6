#include "common/TagLine.h"

#include "common/CStdioFileEx.h"
#include "common/Text.h"

#include <charconv>
#include <vector>

namespace {

std::u16string OpenTag(std::u16string_view name) { return u"<" + std::u16string(name) + u">"; }
std::u16string CloseTag(std::u16string_view name) { return u"</" + std::u16string(name) + u">"; }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Trims the text in place and checks that it holds only characters of
// `allowed` with at most one sign, in front.
bool CheckNumberText(std::u16string& text, std::u16string_view allowed)
{
    vexar::TrimInPlace(text);
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (allowed.find(c) == std::u16string_view::npos)
            return false;
        if ((c == u'+' || c == u'-') && i > 0)
            return false;
    }
    return true;
}

// Reads a checked decimal text; false when it leaves the 32-bit range.
bool ParseInt32(const std::u16string& text, std::int32_t& value)
{
    std::size_t i = 0;
    const bool negative = text[0] == u'-';
    if (text[0] == u'+' || text[0] == u'-')
        ++i;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > std::int64_t{INT32_MAX} + 1)
            return false;
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

// Reads a decimal text for StrToDouble (`whole` false: as far as it forms
// a number, "1.2.3" is 1.2 and a lone sign or point 0) or StrToDoubleWhole
// (`whole`: the whole text must be one number). A number beyond the range
// of a double fails either way; the value is 0.0 on every failure.
bool ReadDecimal(std::u16string& text, double& value, bool whole)
{
    value = 0.0;
    if (!CheckNumberText(text, u"+-.0123456789"))
        return false;
    // Only ASCII is left.
    std::string narrow(text.begin(), text.end());
    const char* first = narrow.data();
    const char* last = first + narrow.size();
    if (*first == '+')
        ++first;
    double result = 0.0;
    const auto [end, ec] = std::from_chars(first, last, result, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range)
        return false;
    if (whole && (ec != std::errc() || end != last))
        return false;
    if (ec == std::errc())
        value = result;
    return true;
}

template <class T>
bool ParseHex(std::u16string_view text, std::size_t digits, T& value)
{
    if (text.size() != 2 + digits || text[0] != u'0' || (text[1] != u'x' && text[1] != u'X'))
        return false;
    T result = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char16_t c = text[i];
        unsigned digit = 0;
        if (IsDigit(c))
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        result = static_cast<T>((result << 4) | digit);
    }
    value = result;
    return true;
}

// A field of a date or time value: leading blanks skipped, an optional
// sign, then the digits as far as they go. False when there is no digit.
bool ReadField(std::u16string_view field, int& value)
{
    std::size_t i = 0;
    while (i < field.size() && vexar::IsSpace(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        negative = field[i++] == u'-';
    const std::size_t first = i;
    long long n = 0;
    for (; i < field.size() && IsDigit(field[i]); ++i)
        if (n < 100000000)
            n = n * 10 + (field[i] - u'0');
    if (i == first)
        return false;
    value = static_cast<int>(negative ? -n : n);
    return true;
}

// Splits `text` at `separator` into exactly three numeric fields.
bool ReadThreeFields(std::u16string_view text, char16_t separator, int (&fields)[3])
{
    for (int k = 0; k < 3; ++k) {
        const std::size_t end = text.find(separator);
        if ((k < 2) == (end == std::u16string_view::npos))
            return false;
        if (!ReadField(text.substr(0, end), fields[k]))
            return false;
        if (end != std::u16string_view::npos)
            text.remove_prefix(end + 1);
    }
    return true;
}

bool ReadTagLine(CStdioFileEx& file, std::u16string_view name, std::u16string& value)
{
    std::u16string line;
    return file.ReadString(line) && GetTagValue(line, value, name);
}

}  // namespace

bool GetTagValue(std::u16string_view line, std::u16string& value, std::u16string_view name)
{
    const std::u16string open = OpenTag(name);
    const std::size_t openPos = line.find(open);
    if (openPos == std::u16string_view::npos)
        return false;
    const std::size_t closePos = line.find(CloseTag(name));
    if (closePos == std::u16string_view::npos)
        return false;
    const std::size_t start = openPos + open.size();
    value = closePos < start ? std::u16string() : vexar::Trim(line.substr(start, closePos - start));
    return true;
}

bool HasOpenTag(std::u16string_view line, std::u16string_view name)
{
    return line.find(OpenTag(name)) != std::u16string_view::npos;
}

bool HasCloseTag(std::u16string_view line, std::u16string_view name)
{
    return line.find(CloseTag(name)) != std::u16string_view::npos;
}

bool WriteDateTimeTags(CStdioFileEx& file) { return WriteDateTimeTags(file, std::time(nullptr)); }

bool WriteDateTimeTags(CStdioFileEx& file, std::time_t when)
{
    if (!file.IsOpen())
        return false;
    std::u16string lines = u"\t<DATA>\t\t" + vexar::FormatLocalTime(when, u"%A, %d/%m/%Y\t</DATA>\n");
    lines += u"\t<ORA>\t\t" + vexar::FormatLocalTime(when, u"%H:%M:%S\t</ORA>\n");
    const bool written = file.WriteString(lines);
    return file.Flush() && written;
}

bool ReadDateTimeTags(CStdioFileEx& file, std::time_t& time)
{
    if (!file.IsOpen())
        return false;
    std::u16string date;
    if (!ReadTagLine(file, u"DATA", date))
        return false;
    // The weekday before the first comma is ignored, whatever its language.
    const std::size_t comma = date.find(u',');
    if (comma == std::u16string::npos)
        return false;
    std::u16string_view dayMonthYear = std::u16string_view(date).substr(comma + 1);
    dayMonthYear = dayMonthYear.substr(0, dayMonthYear.find(u','));
    int d[3];
    if (!ReadThreeFields(dayMonthYear, u'/', d))
        return false;

    std::u16string clock;
    int t[3];
    if (!ReadTagLine(file, u"ORA", clock) || !ReadThreeFields(clock, u':', t))
        return false;

    std::tm tm{};
    tm.tm_mday = d[0];
    tm.tm_mon = d[1] - 1;
    tm.tm_year = d[2] - 1900;
    tm.tm_hour = t[0];
    tm.tm_min = t[1];
    tm.tm_sec = t[2];
    tm.tm_isdst = -1;  // daylight saving decided by the system
    const std::time_t result = std::mktime(&tm);
    if (result == static_cast<std::time_t>(-1))
        return false;
    time = result;
    return true;
}

bool StrToLong(std::u16string& text, std::int32_t& value)
{
    return CheckNumberText(text, u"+-0123456789") && ParseInt32(text, value);
}

bool StrToInt(std::u16string& text, int& value)
{
    std::int32_t result = 0;
    if (!StrToLong(text, result))
        return false;
    value = result;
    return true;
}

bool StrToDouble(std::u16string& text, double& value) { return ReadDecimal(text, value, false); }

bool StrToDoubleWhole(std::u16string& text, double& value) { return ReadDecimal(text, value, true); }

bool HexStrToByte(std::u16string_view text, std::uint8_t& value) { return ParseHex(text, 2, value); }

bool HexStrToDword(std::u16string_view text, std::uint32_t& value) { return ParseHex(text, 8, value); }

std::uint32_t ToWideAlloc(std::string_view text, std::u16string& result)
{
    if (!vexar::Utf8ToUtf16(text, result)) {
        result.clear();
        return kNoUnicodeTranslation;
    }
    return 0;
}

std::uint32_t ToNarrowAlloc(std::u16string_view text, std::string& result)
{
    if (!vexar::Utf16ToUtf8(text, result)) {
        result.clear();
        return kNoUnicodeTranslation;
    }
    return 0;
}
