#include "common/CStringForm.h"

#include "common/CUtilityToolbox.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"

#include <algorithm>
#include <cstdint>

namespace {

// Widths of the binary form beyond this are taken as this: a 32-bit value
// has at most 32 digits, and a mask's number must not size a huge text.
constexpr std::int32_t kMaxBinaryWidth = 1024;

// Removes every trailing '0', then one trailing '.'.
void DropTrailingZeros(std::u16string& text)
{
    const std::size_t last = text.find_last_not_of(u'0');
    text.resize(last == std::u16string::npos ? 0 : last + 1);
    if (!text.empty() && text.back() == u'.')
        text.pop_back();
}

// The number written in `mask` from `from` up to its last character.
std::int32_t WidthBetween(std::u16string_view mask, std::size_t from)
{
    const std::size_t end = mask.size() - 1;
    return from < end ? vexar::ReadLeadingLong(mask.substr(from, end - from)) : 0;
}

}  // namespace

std::u16string CStringForm::Format(std::u16string_view mask, double value) const
{
    if (mask.empty())
        return {};
    if (mask.front() == u'.')
        return FormatDecimal(mask, value);
    if (mask.back() == u'x' || mask.back() == u'X')
        return FormatHex(mask, value);
    if (mask.back() == u'b')
        return FormatBinary(mask, value);
    if (mask.front() == u'%')
        return FormatPercent(mask, value);
    return {};
}

double CStringForm::Round(double value, int decimals) const { return CUtility::RoundDecimals(value, decimals); }

int CStringForm::CountChar(std::u16string_view text, char c, int start) const
{
    if (start < 0)
        start = 0;
    if (static_cast<std::size_t>(start) >= text.size())
        return 0;
    const auto wide = static_cast<char16_t>(static_cast<unsigned char>(c));
    return static_cast<int>(std::count(text.begin() + start, text.end(), wide));
}

std::u16string CStringForm::FormatDecimal(std::u16string_view mask, double value) const
{
    int decimals = CountChar(mask, '#', 0);
    const bool keepZeros = mask.back() == u'0';
    if (keepZeros)
        ++decimals;
    const std::u16string format = vexar::Format(u"%%.%dlf", decimals);
    std::u16string text = vexar::Format(format, Round(value, decimals));
    if (!keepZeros && decimals > 0)
        DropTrailingZeros(text);
    return text;
}

std::u16string CStringForm::FormatHex(std::u16string_view mask, double value) const
{
    const auto n = static_cast<std::uint32_t>(CUtility::RoundToInt(Round(value, 0)));
    const bool upper = mask.back() == u'X';
    const std::size_t prefix = mask.find(u"\"0x\"");
    std::u16string format;
    if (prefix != std::u16string_view::npos)
        format = vexar::Format(upper ? u"0x%%0%dX" : u"0x%%0%dx", WidthBetween(mask, prefix + 4));
    else
        format = vexar::Format(upper ? u"%%0%dX" : u"%%0%dx", WidthBetween(mask, 0));
    return vexar::Format(format, n);
}

std::u16string CStringForm::FormatBinary(std::u16string_view mask, double value) const
{
    std::uint32_t n = static_cast<std::uint32_t>(CUtility::RoundToInt(Round(value, 0)));
    std::u16string digits;
    do {
        digits.insert(digits.begin(), (n & 1) ? u'1' : u'0');
        n >>= 1;
    } while (n != 0);

    const std::size_t prefix = mask.find(u"\"b\"");
    const std::int32_t width =
        std::min(prefix != std::u16string_view::npos ? WidthBetween(mask, prefix + 3) : WidthBetween(mask, 0),
                 kMaxBinaryWidth);
    if (width > static_cast<std::int32_t>(digits.size()))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), u'0');
    return prefix != std::u16string_view::npos ? u"b" + digits : digits;
}

std::u16string CStringForm::FormatPercent(std::u16string_view mask, double value) const
{
    double x = value;
    if (mask != u"%") {
        const std::size_t star = mask.find(u'*');
        const std::int32_t factor =
            vexar::ReadLeadingLong(star != std::u16string_view::npos ? mask.substr(star + 1) : mask);
        x = factor * value;
    }
    std::u16string text = vexar::Format(u"%lf", x);
    DropTrailingZeros(text);
    return text + u"%";
}
