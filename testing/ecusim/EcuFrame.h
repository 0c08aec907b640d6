#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vexar::ecusim {

// The two frame forms the simulated ECU understands. Both carry their total
// length (CRC included) first, then the command code, the payload and the
// CRC-16 low byte first. The first protocol counts its length in one byte,
// the second in two bytes, most significant first.
enum class Protocol { First = 1, Second = 2 };

// Offset of the command code in a frame.
std::size_t CommandOffset(Protocol protocol);

// What the length field of a partly received frame says: nothing while the
// field is incomplete, 0 when the field cannot start a frame (too short to
// hold command and CRC, or longer than any request the ECU accepts), else
// the total frame length.
std::optional<std::size_t> DeclaredLength(Protocol protocol, std::span<const std::uint8_t> bytes);

// Starts a frame: a zero length field and the command code. Append the
// payload, then call SealFrame.
std::vector<std::uint8_t> BeginFrame(Protocol protocol, std::uint8_t command);

// Writes the final length into the length field and appends the CRC.
void SealFrame(Protocol protocol, std::vector<std::uint8_t>& frame);

// Recomputes the CRC of a sealed frame after its contents were changed.
void ResealFrame(std::vector<std::uint8_t>& frame);

// True when the frame's last two bytes hold the CRC of the bytes before them.
bool CrcMatches(std::span<const std::uint8_t> frame);

}  // namespace vexar::ecusim
