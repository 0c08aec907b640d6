#pragma once

// The faults a simulated boot loader can be told to commit, per command.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::bootsim {

enum class FaultKind {
    Silence,      // the request is not heard: no action, no answer
    BadSum,       // acts, answers with a wrong check
    Negative,     // does not act, answers "refused"
    WrongEcho,    // acts, answers for another command
    WrongTag,     // acts, answers with a wrong sequence byte (the handheld's boot loader)
    Short,        // acts, answers one byte short
    Late,         // acts, answers after `milliseconds`
    StopReading,  // acts and answers, then reads nothing more
    Unplug,       // acts, then the device disappears
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    std::chrono::milliseconds late{0};
};

// The faults armed per command code: once (the first matching request, or
// the n-th of that command) or always.
class BootFaults {
public:
    // `nth` 0: the next request of the command; n: its n-th request counted
    // from the start (or the last Clear).
    void Arm(std::uint8_t command, Fault fault, bool always = false, std::size_t nth = 0);
    void Clear();
    // Counts a request of `command` and returns the fault it meets, if any.
    std::optional<Fault> Take(std::uint8_t command);

    // Reads "COMMAND:KIND[:MS][@N][:always]" (COMMAND a number, KIND one of
    // silence bad-sum negative wrong-echo wrong-tag short late:MS
    // stop-reading unplug).
    // False with the reason.
    bool ArmFromText(std::string_view text, std::string& error);

private:
    struct Entry {
        std::uint8_t command;
        Fault fault;
        bool always;
        std::size_t nth;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::size_t m_counts[256] = {};
};

}  // namespace vexar::bootsim
