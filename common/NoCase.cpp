#include "common/NoCase.h"

namespace vexar {

char16_t ToUpperChar(char16_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)  // à..þ without ÷
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)  // ÿ
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs an upper-case letter with the next code
        // point; the pairs start on even points except in 0139..0148 and
        // 0179..017E.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        const bool lower = oddPairs ? (c % 2 == 0) : (c % 2 == 1);
        return lower ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)  // Greek α..ω without final sigma
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F)  // Cyrillic а..я
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)  // Cyrillic ѐ..џ
        return static_cast<char16_t>(c - 0x50);
    return c;
}

void ToUpperInPlace(std::u16string& text)
{
    for (char16_t& c : text)
        c = ToUpperChar(c);
}

std::u16string ToUpper(std::u16string_view text)
{
    std::u16string upper(text);
    ToUpperInPlace(upper);
    return upper;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = ToUpperChar(a[i]);
        const char16_t y = ToUpperChar(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace vexar
