#pragma once

// Small text helpers of the adapter protocol. Frame fields are ASCII bytes,
// kept in std::string exactly as they travel.

#include <cstdint>
#include <string>
#include <string_view>

namespace obdvane {

// The control characters that shape a frame.
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kEtb = 0x17;

// Hexadecimal text to a number, without regard to case: "A" to "F" count 10
// to 15, "0" to "9" their value and any other character 0; the empty text
// gives 0; more than 8 digits keep the low 32 bits.
std::uint32_t HexToInt(std::string_view text);

// Whether the text has a character at every position below start + count
// (0 <= start + count <= length): the test every reader of a data field
// makes before it takes characters.
bool IsRangeInText(std::string_view text, long long start, long long count);
// 0 <= index <= length.
bool IsIndexInText(std::string_view text, long long index);

// Up to `count` characters from `start` (0-based); the empty text when the
// text ends before `start`. Never reads past the text.
std::string_view Slice(std::string_view text, std::size_t start, std::size_t count = std::string_view::npos);

// A decimal number in the manner of atoi, whatever the locale: leading
// blanks, an optional sign, then digits; no digits give 0. Values beyond
// the int range are held at its ends.
int DecimalToInt(std::string_view text);

// Whether an OBD service's requests carry a PID after the service byte
// (services 1, 2, 5, 6, 8 and 9).
bool ServiceHasPid(int service);

// The low byte of a byte sum as two upper-case hexadecimal digits.
std::string ChecksumText(unsigned sum);

// The text turned to upper case (ASCII letters only).
std::string UpperCase(std::string_view text);

}  // namespace obdvane
