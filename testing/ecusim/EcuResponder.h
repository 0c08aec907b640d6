#pragma once

#include "testing/ecusim/EcuFrame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vexar::ecusim {

// What the simulated ECU holds: its parameter image (the calibration the
// program reads and writes as its main image), its variable image (the
// live values, the program's auxiliary image), its identification and the
// session flag the program opens and closes.
struct EcuState {
    std::vector<std::uint8_t> parameters;
    std::vector<std::uint8_t> variables;
    std::array<std::uint8_t, 11> ident{};
    bool session = false;
};

// Acknowledge bytes and the error codes the second protocol sends after a
// negative acknowledge.
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kErrCrc = 5;
inline constexpr std::uint8_t kErrLostData = 6;
inline constexpr std::uint8_t kErrTooMuchData = 7;

// A sealed reply and where its echoed fields lie, so that a fault can
// falsify exactly one of them. Offsets are -1 when the reply has no such
// field.
struct ReplyPlan {
    std::vector<std::uint8_t> frame;
    std::ptrdiff_t indexAt = -1;  // the echoed index, or the low byte of the echoed address
    std::ptrdiff_t blockAt = -1;  // the echoed block or frame number
    std::ptrdiff_t speedAt = -1;  // the echoed speed code
    std::optional<long> switchToBaud;  // the line speed to take once the reply is out
};

// Executes one request whose CRC was checked and builds the reply. Returns
// nothing for a request the ECU does not answer: an unknown command, a frame
// whose length does not fit its command, a read outside the images. When
// `refusal` is set, a command that answers with an acknowledge is refused
// with a negative acknowledge (the second protocol adds the error code) and
// changes nothing; commands without an acknowledge ignore it.
std::optional<ReplyPlan> Respond(Protocol protocol, std::span<const std::uint8_t> request,
                                 EcuState& state, std::optional<std::uint8_t> refusal);

// The line speed a speed code of the second protocol's baud change selects.
long BaudForSpeedCode(std::uint8_t code);

}  // namespace vexar::ecusim
