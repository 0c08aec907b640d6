#pragma once

#include <string_view>

namespace vexar::ecusim {

// Parses a whole unsigned number, decimal or hexadecimal with "0x",
// independent of the locale. False for anything else, signs included.
bool ParseUnsigned(std::string_view text, unsigned long& value);

}  // namespace vexar::ecusim
