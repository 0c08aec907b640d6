#pragma once

// Turns a value into text by a display mask:
//   ".##"  decimal: one decimal per '#', trailing zeros dropped; a final
//          '0' adds one more decimal and keeps trailing zeros (".##0");
//   "4X"   hexadecimal, at least 4 digits (upper case; "x" lower case),
//          "\"0x\"4X" with "0x" in front;
//   "8b"   binary, at least 8 digits, "\"b\"8b" with "b" in front;
//   "%*100" percentage: value x factor, trailing zeros dropped, then '%'.
// Any other mask gives an empty text. Numbers are printed in the C locale.

#include <string>
#include <string_view>

class CStringForm {
public:
    CStringForm() = default;
    virtual ~CStringForm() = default;

    std::u16string Format(std::u16string_view mask, double value) const;
    // The value rounded to `decimals` places with halves away from zero.
    double Round(double value, int decimals) const;
    // Occurrences of `c` in `text` from position `start` on.
    int CountChar(std::u16string_view text, char c, int start) const;

private:
    std::u16string FormatDecimal(std::u16string_view mask, double value) const;
    std::u16string FormatHex(std::u16string_view mask, double value) const;
    std::u16string FormatBinary(std::u16string_view mask, double value) const;
    std::u16string FormatPercent(std::u16string_view mask, double value) const;
};
