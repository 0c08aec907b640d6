#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexar::link {

// Lists the COM ports present on the machine, as the COM-number resolver of
// the platform layer sees them (a folder of COM<n> links, else the kernel's
// serial devices).
class CEnumSerialPorts {
public:
    virtual ~CEnumSerialPorts() = default;

    // Fills parallel lists of port numbers and device descriptions, ordered
    // by number; a number found twice is listed twice (the caller asks the
    // user about it). False, with both lists empty, when the source of the
    // ports cannot be read (a COM folder that was named but does not exist).
    bool EnumPorts(std::vector<unsigned>& numbers, std::vector<std::u16string>& names);

    // False for an empty text; true when every character is a decimal digit
    // (or ':' when allowed).
    static bool IsNumeric(std::u16string_view text, bool allowColon);
};

}  // namespace vexar::link
