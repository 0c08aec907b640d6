#pragma once

#include "testing/obdsim/FaultTable.h"
#include "testing/obdsim/ObdFrame.h"
#include "testing/obdsim/Scenario.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::obdsim {

// The adapter's handshake bytes.
constexpr std::uint8_t kAnnounce = 0xBD;         // present, ready
constexpr std::uint8_t kAnnounceOldFirmware = 0xBC;  // present, firmware to update
constexpr std::uint8_t kAcknowledge = 0xBF;      // the program's answer to kAnnounce

struct SimulatorOptions {
    Scenario scenario = DefaultScenario();
    // What the adapter sends when woken; empty: no adapter answers.
    Bytes wakeAnswer{kAnnounce};
    // Silence after which half a request is given up.
    std::chrono::milliseconds frameGap{200};
    // Bytes a second of a frame that never ends (9600 baud carries 960).
    long streamRate = 960;
};

using SimClock = std::chrono::steady_clock;

struct FrameRecord {
    enum class Kind {
        Request,      // a whole frame heard; checksumOk tells whether it verified
        Reply,        // what was sent in answer, faults included; time is when it was due
        WakeUp,       // the program discarded its input: the end of its wake-up pulse
        Announce,     // the adapter's bytes after the wake-up
        Acknowledge,  // the program's answer to the announcement
        Noise,        // bytes that belong to no frame
    };
    Kind kind = Kind::Request;
    SimClock::time_point time;
    Bytes bytes;
    bool checksumOk = true;
};

// A simulated OBD-II scan adapter with the car's ECUs behind it, on a
// pseudo-terminal. It runs its own thread from Start to Stop; every member
// may be called from any thread, Start and Stop only while no other member
// is running.
//
// A pseudo-terminal has no modem lines, so the adapter cannot see the RTS
// pulse that wakes it. It watches the master in packet mode instead: the
// program's purge at the end of the pulse discards its input, which the
// master reports, and the adapter answers that as it answers the pulse.
// The purge at every open of the port is seen, and answered, the same way;
// the program's own purge before its handshake discards that answer.
class ObdSimulator {
public:
    explicit ObdSimulator(SimulatorOptions options = {});
    ~ObdSimulator();
    ObdSimulator(const ObdSimulator&) = delete;
    ObdSimulator& operator=(const ObdSimulator&) = delete;

    bool Start(std::string& error);
    // Stops serving, closes the terminal and removes the published COM link.
    void Stop();

    // The device the program opens ("/dev/pts/N").
    std::string SlavePath() const;
    // Publishes the device as the symbolic link <folder>/COM<number>,
    // replacing what was there; the link goes at Stop.
    bool PublishCom(const std::string& folder, int number, std::string& error);

    // The scenario as it stands now (service 04 clears codes).
    Scenario GetScenario() const;
    void SetScenario(Scenario scenario);
    void SetWakeAnswer(Bytes bytes);

    void InjectFault(std::string selector, Fault fault, Repeat repeat = Repeat::Once);
    void ClearFaults();

    std::vector<FrameRecord> FrameLog() const;
    void ClearFrameLog();
    // Verified requests with this mnemonic heard so far.
    std::size_t CountRequests(std::string_view mnemonic) const;
    std::size_t CountRecords(FrameRecord::Kind kind) const;
    // Waits until the log holds at least `count` records of `kind`.
    bool WaitForRecords(FrameRecord::Kind kind, std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vexar::obdsim
