#pragma once

// Letter case of the system's names (ECU and revision folders, language
// tags, file names), independent of the user's locale. The folding covers
// the letters of ASCII, Latin-1, Latin Extended-A, basic Greek and basic
// Cyrillic, which is every letter the installed configurations use.

#include <string>
#include <string_view>

namespace vexar {

char16_t ToUpperChar(char16_t c);
std::u16string ToUpper(std::u16string_view text);
void ToUpperInPlace(std::u16string& text);

// Orders two texts as their upper-case forms would be ordered, unit by unit.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace vexar
