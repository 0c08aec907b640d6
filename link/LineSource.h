#pragma once

// A stand-in for the serial port under the transactions of both ECU
// protocols. Set on a protocol object (CEcuLine::SetLineSource), it takes
// every request an attempt would write to the port and hands out the bytes
// the attempt would read, so that replies reach the protocols' own receive
// path (echo, length, command code, CRC, then each command's checks)
// without a device. Without one the port is used, as always.

#include <cstdint>
#include <span>

namespace vexar::link {

class LineSource {
public:
    virtual ~LineSource() = default;
    // The request of one attempt, as it would be written to the port.
    virtual void Send(std::span<const std::uint8_t> request) = 0;
    // Up to into.size() bytes into `into`, as a read with the port's total
    // time-out: the number that arrived, fewer when the time ran out.
    virtual int Receive(std::span<std::uint8_t> into) = 0;
};

}  // namespace vexar::link
