#pragma once

// The check values of the boot-loader and ECU application frames, as the
// simulated devices compute them. Written here on their own, bit by bit,
// so that the tools' table-driven routines are checked against another
// implementation.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexar::bootsim {

// CRC-16 with the reflected polynomial 0xA001, initial value 0, no final
// inversion: the check of the ECU application's frames.
std::uint16_t ApplicationCrc(std::span<const std::uint8_t> bytes);

// The 8-bit sum of the bytes (KD01 boot frames).
std::uint8_t ByteSum8(std::span<const std::uint8_t> bytes);

// The 16-bit sum of the bytes (KD02 boot frames).
std::uint16_t ByteSum16(std::span<const std::uint8_t> bytes);

// The 16-bit sum of the bytes (the KD01 loader's CHECK).
inline std::uint16_t ByteSumOfImage(std::span<const std::uint8_t> bytes)
{
    return ByteSum16(bytes);
}

// The 16-bit sum of big-endian words from the first byte on; an odd count
// pairs the last byte with `next`.
std::uint16_t WordSum16(std::span<const std::uint8_t> bytes, std::uint8_t next);

}  // namespace vexar::bootsim
