#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexar::ptysupport {

// One line of a simulator's printed frame log: the seconds since the start
// with microseconds ("+1.250000"), what the record is, then its bytes in
// hexadecimal, one " %02X" each.
std::string FrameLogLine(std::chrono::microseconds sinceStart, const std::string& what,
                         const std::vector<std::uint8_t>& bytes);

}  // namespace vexar::ptysupport
