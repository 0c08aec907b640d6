#pragma once

#include <cstddef>
#include <cstdint>

namespace vexar::tools {

// The ECU application frames' CRC-16 (the link's EcuCrc16) of `length`
// bytes, the length taken modulo 65536, returned with its two bytes
// exchanged: stored high byte first, the CRC's low byte goes first on the
// wire.
std::uint16_t ComputeCrc16(const std::uint8_t* bytes, std::size_t length);

}  // namespace vexar::tools
