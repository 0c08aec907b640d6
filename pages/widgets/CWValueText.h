#pragma once

// Numbers shown and typed through a display mask (common/CStringForm.h):
// ".##" decimals, "4X" and "\"0x\"8X" hexadecimal, "8b" and "\"b\"8b"
// binary, "%*100" percentage. The scale labels of the knob and the slide
// and the text of the numeric field go through here, so a field reads back
// exactly the notation it shows.

#include <optional>
#include <string>
#include <string_view>

namespace CWValueText {

// The value as the mask shows it. An empty mask, or one that names no
// notation, shows the plain number: up to six decimals, trailing zeros
// dropped, never "-0".
std::u16string Format(std::u16string_view mask, double value);

// A typed text read back in the mask's notation; nothing when the text is
// not a number of that notation. Surrounding blanks are ignored; decimals
// take '.' or ','; hexadecimal and binary accept their prefix ("0x", "b")
// or none; a percentage accepts its '%' or none and is divided by the
// mask's factor.
std::optional<double> Parse(std::u16string_view mask, std::u16string_view text);

}  // namespace CWValueText
