#include "config/DefinitionText.h"

namespace vexar::config {
namespace {

char16_t ToUpper(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    if (c < 0x00E0)
        return c;
    if (c <= 0x00FE)  // Latin-1 letters, except the division sign
        return c == 0x00F7 ? c : static_cast<char16_t>(c - 0x20);
    if (c == 0x00FF)
        return 0x0178;
    // Latin Extended-A: pairs of capital and small letters.
    if ((c >= 0x0100 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2)  // Greek
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0430 && c <= 0x044F)  // Cyrillic
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F)
        return static_cast<char16_t>(c - 0x50);
    return c;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string ToUpperText(std::u16string_view text)
{
    std::u16string upper(text);
    for (char16_t& c : upper)
        c = ToUpper(c);
    return upper;
}

std::u16string CutText(std::u16string_view text, std::size_t width)
{
    if (text.size() <= width)
        return std::u16string(text);
    std::size_t keep = width;
    if (keep > 0 && IsHighSurrogate(text[keep - 1]))
        --keep;
    return std::u16string(text.substr(0, keep));
}

}  // namespace vexar::config
