#include "testing/bootsim/BootSums.h"

namespace vexar::bootsim {

std::uint16_t ApplicationCrc(std::span<const std::uint8_t> bytes)
{
    unsigned crc = 0;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint8_t ByteSum8(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint8_t>(ByteSum16(bytes));
}

std::uint16_t ByteSum16(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes)
        sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t WordSum16(std::span<const std::uint8_t> bytes, std::uint8_t next)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const unsigned low = i + 1 < bytes.size() ? bytes[i + 1] : next;
        sum += (unsigned(bytes[i]) << 8) | low;
    }
    return static_cast<std::uint16_t>(sum);
}

}  // namespace vexar::bootsim
