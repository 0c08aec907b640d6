#pragma once

// What the ECU protocols need of the program around them, as interfaces the
// application's link side implements: the K-line flag, the trace window,
// the remote-assistance bridge and a progress window. No window is touched
// here: each call turns into a posted message on the other side.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexar::link {

// The bridge of remote assistance as a line to the ECU. While this
// workstation is the remote master with an open bridge socket, the
// protocols send every request through it, after the relay prefix, and
// take the echo and the reply from it.
class RemoteLine {
public:
    virtual ~RemoteLine() = default;
    // Drops whatever waits on the socket.
    virtual void DropPending() = 0;
    // Sends the bytes once; the number sent, or -1. Traces nothing: the
    // protocol traces the frame.
    virtual int Send(std::span<const std::uint8_t> bytes) = 0;
    // One receive with the bridge's time-out into `buffer`. `expected` is
    // the number of bytes the protocol waits for; the receive adds it, and
    // the number received, to the remote byte counters. Returns the number
    // received, or -1 when the receive failed.
    virtual int Receive(std::span<std::uint8_t> buffer, std::size_t expected) = 0;
};

// Sent before every relayed request frame.
inline constexpr std::array<std::uint8_t, 4> kRelayPrefix{0x0F, 0x58, 0x50, 0xB7};
// Received instead of a reply when the remote slave has left.
inline constexpr std::array<std::uint8_t, 8> kCloseNotice{0x52, 0x57, 0x2A, 0xD3, 0x52, 0x57, 0x2A, 0xD3};

class ProtocolHost {
public:
    virtual ~ProtocolHost() = default;
    // A K-line interface is fitted: every byte sent comes back as an echo.
    // Read at every transaction.
    virtual bool KLine() const = 0;
    // A trace window is open. Tested before each line is formatted.
    virtual bool Tracing() const = 0;
    // Posts one trace line to the trace window (dropped when it has closed
    // meanwhile).
    virtual void PostTraceLine(std::u16string line) = 0;
    // The bridge while frames are to be relayed through it, else null.
    virtual RemoteLine* Remote() = 0;
};

// The progress window of a long transfer.
class ProgressTarget {
public:
    virtual ~ProgressTarget() = default;
    virtual void PostRange(std::size_t steps) = 0;  // the number of steps to come
    virtual void PostStep(std::size_t done) = 0;    // steps done so far
};

}  // namespace vexar::link
