#include "pages/widgets/CWValueText.h"

#include "common/CStringForm.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace {

enum class Notation { Plain, Decimal, Hex, Binary, Percent };

// The same reading of the mask as CStringForm::Format.
Notation NotationOf(std::u16string_view mask)
{
    if (mask.empty())
        return Notation::Plain;
    if (mask.front() == u'.')
        return Notation::Decimal;
    if (mask.back() == u'x' || mask.back() == u'X')
        return Notation::Hex;
    if (mask.back() == u'b')
        return Notation::Binary;
    if (mask.front() == u'%')
        return Notation::Percent;
    return Notation::Plain;
}

// The factor a percentage mask multiplies by, as CStringForm reads it.
std::int32_t PercentFactor(std::u16string_view mask)
{
    if (mask == u"%")
        return 1;
    const std::size_t star = mask.find(u'*');
    return vexar::ReadLeadingLong(star != std::u16string_view::npos ? mask.substr(star + 1) : mask);
}

std::u16string PlainNumber(double value)
{
    std::u16string text = vexar::Format(u"%.6f", value);
    const std::size_t point = text.find(u'.');
    if (point != std::u16string::npos) {
        const std::size_t last = text.find_last_not_of(u'0');
        text.resize(last == point ? point : last + 1);
    }
    if (text == u"-0")
        text = u"0";
    return text;
}

bool StripPrefix(std::u16string_view& text, std::u16string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if ((text[i] | 0x20) != (prefix[i] | 0x20))
            return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// A sign, digits and at most one decimal point ('.' or ','), with at least
// one digit; the whole text must be the number.
std::optional<double> ParseDecimal(std::u16string_view text)
{
    std::string narrow;
    bool digit = false;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if ((c == u'+' || c == u'-') && i == 0) {
            if (c == u'-')
                narrow.push_back('-');
        } else if (c == u'.' || c == u',') {
            if (point)
                return std::nullopt;
            point = true;
            narrow.push_back('.');
        } else if (c >= u'0' && c <= u'9') {
            digit = true;
            narrow.push_back(static_cast<char>(c));
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    double value = 0.0;
    const char* last = narrow.data() + narrow.size();
    const auto [end, error] = std::from_chars(narrow.data(), last, value, std::chars_format::fixed);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

// Digits of base 16 or 2 that fit 32 bits, as the masks show them.
std::optional<double> ParseUnsigned(std::u16string_view text, int base)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : text) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<double>(value);
}

std::optional<double> ParsePercent(std::u16string_view mask, std::u16string_view text)
{
    const std::int32_t factor = PercentFactor(mask);
    if (factor == 0)
        return std::nullopt;
    if (!text.empty() && text.back() == u'%')
        text = vexar::TrimView(text.substr(0, text.size() - 1));
    const std::optional<double> shown = ParseDecimal(text);
    if (!shown)
        return std::nullopt;
    return *shown / factor;
}

}  // namespace

namespace CWValueText {

std::u16string Format(std::u16string_view mask, double value)
{
    if (NotationOf(mask) != Notation::Plain) {
        std::u16string text = CStringForm().Format(mask, value);
        if (!text.empty())
            return text;
    }
    return PlainNumber(value);
}

std::optional<double> Parse(std::u16string_view mask, std::u16string_view text)
{
    text = vexar::TrimView(text);
    switch (NotationOf(mask)) {
    case Notation::Hex:
        StripPrefix(text, u"0x");
        return ParseUnsigned(text, 16);
    case Notation::Binary:
        StripPrefix(text, u"b");
        return ParseUnsigned(text, 2);
    case Notation::Percent:
        return ParsePercent(mask, text);
    case Notation::Plain:
    case Notation::Decimal:
        break;
    }
    return ParseDecimal(text);
}

}  // namespace CWValueText
