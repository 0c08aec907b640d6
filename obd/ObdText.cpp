#include "obd/ObdText.h"

#include <climits>

namespace obdvane {

std::uint32_t HexToInt(std::string_view text)
{
    std::uint32_t value = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        value = value * 16 + digit;
    }
    return value;
}

bool IsRangeInText(std::string_view text, long long start, long long count)
{
    const long long end = start + count;
    return end >= 0 && end <= static_cast<long long>(text.size());
}

bool IsIndexInText(std::string_view text, long long index)
{
    return index >= 0 && index <= static_cast<long long>(text.size());
}

std::string_view Slice(std::string_view text, std::size_t start, std::size_t count)
{
    if (start >= text.size())
        return {};
    return text.substr(start, count);
}

int DecimalToInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

bool ServiceHasPid(int service)
{
    switch (service) {
    case 1: case 2: case 5: case 6: case 8: case 9: return true;
    default: return false;
    }
}

std::string ChecksumText(unsigned sum)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(sum >> 4) & 0x0F], kDigits[sum & 0x0F]};
}

std::string UpperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

}  // namespace obdvane
