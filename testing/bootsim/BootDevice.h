#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexar::bootsim {

using Clock = std::chrono::steady_clock;

// Bytes a device sends some time after a request.
struct TimedBytes {
    std::chrono::milliseconds delay{0};
    std::vector<std::uint8_t> bytes;
};

// What a device made of a whole request frame.
struct FrameOutcome {
    std::vector<std::uint8_t> frame;  // the request as heard
    bool valid = true;                // length and check right
    int command = -1;                 // the command it carries, when it has one
    std::string note;                 // what the device made of it, for the log
    std::vector<TimedBytes> replies;  // in order, each delay counted from the request
    bool stopReading = false;         // the device reads nothing more after this
    bool unplug = false;              // the device disappears after this
};

// A device behind a pseudo-terminal, fed byte by byte with what the program
// sends at the speed it listens on. Called by its host under the host's
// lock, from the host's thread or a test's.
class BootDevice {
public:
    virtual ~BootDevice() = default;
    // The speed the device hears at now; 0 while it hears nothing
    // (powered off).
    virtual long ListeningBaud() const = 0;
    // One byte heard; the outcome when it completes a frame.
    virtual std::optional<FrameOutcome> Heard(std::uint8_t byte) = 0;
    // Drops the bytes of an unfinished frame (after a silence); returns them.
    virtual std::vector<std::uint8_t> DropPartial() = 0;
    // Bytes the device sends of its own accord (a greeting after a
    // power-on), taken once.
    virtual std::vector<TimedBytes> TakeUnsolicited() { return {}; }
};

}  // namespace vexar::bootsim
