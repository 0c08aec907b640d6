#pragma once

#include <cstdint>
#include <string_view>

namespace vexar {

// Reads a decimal integer the way the C library's atol does, in any
// locale: leading white space, an optional sign, then the digits up to the
// first other character; no digits give 0. Values beyond the 32-bit range
// saturate at its ends.
std::int32_t ReadLeadingLong(std::u16string_view text);

}  // namespace vexar
