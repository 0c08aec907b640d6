#include "testing/ecusim/EcuCrc.h"

namespace vexar::ecusim {

std::uint16_t EcuCrc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

}  // namespace vexar::ecusim
