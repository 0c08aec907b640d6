#pragma once

#include <chrono>
#include <cstddef>

namespace vexar::ptysupport {

// The simulators' model of the line: the time `bytes` bytes take on the
// wire at `baud`, 10 bit times each (start bit, 8 data bits, stop bit).
// Zero for a speed of 0 or less (no line modelled).
std::chrono::nanoseconds WireTime(long baud, std::size_t bytes);

// The line speed the program has set on its end of a pseudo-terminal, read
// through the master (which reports the slave's settings). Any rate is
// reported, standard or not. Returns -1 when the descriptor has none.
long ProgramLineSpeed(int masterFd);

// Puts a fresh slave end into raw mode (8N1, no echo, no character mapping,
// no flow control) at the given speed, so that nothing is mangled or echoed
// before the program applies its own settings. Returns false on failure.
bool PrepareSlaveLine(int slaveFd, long baud);

}  // namespace vexar::ptysupport
