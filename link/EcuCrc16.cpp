#include "link/EcuCrc16.h"

namespace vexar::link {

namespace {

constexpr std::uint16_t kPolynomial = 0xA001;  // 0x8005 bit-reversed

}  // namespace

EcuCrc16::EcuCrc16()
{
    // Entry n is the remainder of the half byte n shifted through four
    // steps of the reflected division.
    for (std::uint16_t n = 0; n < m_table.size(); ++n) {
        std::uint16_t crc = n;
        for (int bit = 0; bit < 4; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ kPolynomial) : static_cast<std::uint16_t>(crc >> 1);
        m_table[n] = crc;
    }
}

std::uint16_t EcuCrc16::Compute(std::span<const std::uint8_t> bytes) const
{
    std::uint16_t crc = 0;
    for (const std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>((crc >> 4) ^ m_table[(crc ^ byte) & 0x0F]);
        crc = static_cast<std::uint16_t>((crc >> 4) ^ m_table[(crc ^ (byte >> 4)) & 0x0F]);
    }
    return crc;
}

}  // namespace vexar::link
