#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexar::link {

// The frame check of both ECU protocols: CRC-16 with the reflected
// polynomial 0xA001, initial value 0 and no final inversion, computed half
// a byte at a time (low half first) from a 16-entry table.
class EcuCrc16 {
public:
    EcuCrc16();
    std::uint16_t Compute(std::span<const std::uint8_t> bytes) const;

private:
    std::array<std::uint16_t, 16> m_table{};
};

}  // namespace vexar::link
