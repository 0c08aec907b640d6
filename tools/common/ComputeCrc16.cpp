#include "tools/common/ComputeCrc16.h"

#include "link/EcuCrc16.h"

#include <span>

namespace vexar::tools {

std::uint16_t ComputeCrc16(const std::uint8_t* bytes, std::size_t length)
{
    static const link::EcuCrc16 crc;
    const std::uint16_t value = crc.Compute(std::span(bytes, length % 65536));
    return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

}  // namespace vexar::tools
