#pragma once

#include "testing/bootsim/BootDevice.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexar::bootsim {

// One entry of the frame log.
struct BootRecord {
    enum class Kind {
        Request,  // a whole frame heard at the listening speed (`valid` tells whether it checked)
        Reply,    // bytes the device sent
        Ignored,  // bytes sent at a speed the device is not listening on
        Noise,    // bytes that never made a frame
    };
    Kind kind = Kind::Request;
    Clock::time_point at;
    long baud = 0;  // the program's line speed when the bytes came or went
    std::vector<std::uint8_t> bytes;
    bool valid = true;
    int command = -1;  // requests: the command the device read from them
    std::string note;
};

// Serves a boot-loader device on a pseudo-terminal from Start to Stop on
// its own thread: hears the program's bytes at the device's listening
// speed (read from the master side), hands them to the device, sends its
// replies when due and logs everything. Every member may be called from
// any thread.
class BootSimulator {
public:
    explicit BootSimulator(std::unique_ptr<BootDevice> device,
                           std::chrono::milliseconds frameGap = std::chrono::milliseconds(100));
    ~BootSimulator();
    BootSimulator(const BootSimulator&) = delete;
    BootSimulator& operator=(const BootSimulator&) = delete;

    bool Start(std::string& error);
    void Stop();

    // Models the line's speed: every byte takes 10 bit times each way, so
    // the device takes the program's bytes no faster than the line carries
    // them and a reply is complete only after its bytes' time on the line.
    // Off by default (tests want the bytes at once).
    void SetWireTiming(bool on);

    std::string SlavePath() const;
    // Publishes the terminal as <folder>/COM<number> (followed across a
    // replug, removed at Stop and while unplugged).
    bool PublishCom(const std::string& folder, int number, std::string& error);

    // Runs `job` on the device under the host's lock (state changes and
    // reads by tests).
    void WithDevice(const std::function<void(BootDevice&)>& job);
    // Tells the host to look at the device again (after a change that
    // produced unsolicited output).
    void Wake();

    void Unplug();
    bool Replug(std::string& error);
    bool IsPlugged() const;
    // Whether the device still reads (a stop-reading fault ends that).
    bool IsReading() const;
    void ResumeReading();

    std::vector<BootRecord> FrameLog() const;
    void ClearFrameLog();
    // Valid requests of `command` heard so far.
    std::size_t CountRequests(std::uint8_t command) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The log line of a record: time since `start`, kind, speed, bytes.
std::string BootRecordLine(const BootRecord& record, Clock::time_point start);

}  // namespace vexar::bootsim
