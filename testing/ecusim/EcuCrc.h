#pragma once

#include <cstdint>
#include <span>

namespace vexar::ecusim {

// The frame check of both ECU protocols: CRC-16 with the reflected
// polynomial 0xA001, initial value 0 and no final inversion, computed bit by
// bit. Frames carry it low byte first after everything it covers.
std::uint16_t EcuCrc16(std::span<const std::uint8_t> bytes);

}  // namespace vexar::ecusim
