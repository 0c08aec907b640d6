#pragma once

#include "testing/ecusim/EcuFrame.h"
#include "testing/ecusim/FaultTable.h"
#include "testing/ecusim/VariableScript.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vexar::ecusim {

struct SimulatorOptions {
    Protocol protocol = Protocol::First;
    long baud = 9600;              // the speed the ECU listens on at start
    bool klineEcho = false;        // a K-line interface: every byte sent comes back
    bool wireTiming = false;       // model the line's 10 bit times per byte
    std::chrono::milliseconds frameGap{100};  // silence that discards a partial frame
    std::size_t parameterSize = 65536;
    std::size_t variableSize = 65536;
    std::string ident = "VXSIM-00001";  // 11 characters; padded or cut
};

using SimClock = std::chrono::steady_clock;

// One entry of the frame log. For requests and ignored bytes the times are
// the arrival of the first and last byte; for echoes and replies they are
// the times their first and last byte were due on the line.
struct FrameRecord {
    enum class Kind {
        Request,  // a whole frame heard at the listening speed (crcOk tells whether it was valid)
        Echo,     // the K-line echo of bytes the program sent
        Reply,    // the ECU's answer
        Ignored,  // bytes sent at a speed the ECU is not listening on
        Noise,    // bytes that could not start or finish a frame
    };
    Kind kind = Kind::Request;
    SimClock::time_point first;
    SimClock::time_point last;
    long baud = 0;  // the speed the bytes were sent at
    std::vector<std::uint8_t> bytes;
    bool crcOk = true;
};

enum class Image { Parameters, Variables };

// A gas ECU on a pseudo-terminal, speaking either protocol. It runs its own
// thread from Start to Stop. Every member may be called from any thread;
// Start and Stop only while no other member is running.
class EcuSimulator {
public:
    explicit EcuSimulator(SimulatorOptions options = {});
    ~EcuSimulator();
    EcuSimulator(const EcuSimulator&) = delete;
    EcuSimulator& operator=(const EcuSimulator&) = delete;

    // Opens the pseudo-terminal and starts serving. False with a reason when
    // the terminal cannot be opened or the simulator already runs.
    bool Start(std::string& error);
    // Stops serving, joins the thread, closes the terminal and removes the
    // published COM link. Safe to call more than once.
    void Stop();

    // The device the program opens ("/dev/pts/N"); empty while unplugged.
    std::string SlavePath() const;
    // Publishes the device as the symbolic link <folder>/COM<number>,
    // replacing what was there. The link follows a replug and goes away at
    // Stop and while unplugged.
    bool PublishCom(const std::string& folder, int number, std::string& error);

    // Images. Writes and reads outside the image return false / nothing.
    bool WriteImage(Image image, std::size_t address, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> ReadImage(Image image, std::size_t address, std::size_t count) const;
    void FillImage(Image image, std::uint8_t value);
    // Loads a file into the image from address 0; a file larger than the
    // image is refused and changes nothing.
    bool LoadImage(Image image, const std::string& path, std::string& error);

    void SetIdent(const std::string& ident);
    bool Session() const;
    long ListeningBaud() const;
    void SetListeningBaud(long baud);
    void SetKLineEcho(bool on);
    void SetWireTiming(bool on);

    // Faults armed per command code (see FaultTable).
    void InjectFault(std::uint8_t command, Fault fault, Repeat repeat = Repeat::Once);
    void ClearFaults();

    // Starts a variable script now, replacing any running one.
    void RunVariableScript(VariableScript script);

    // The device disappears (the program's descriptor sees a hang-up) and
    // comes back as a new terminal. Replug keeps images and state.
    void Unplug();
    bool Replug(std::string& error);
    bool IsPlugged() const;

    std::vector<FrameRecord> FrameLog() const;
    // The number of valid requests with this command code heard so far.
    std::size_t CountRequests(std::uint8_t command) const;
    // Bytes read at the listening speed so far, whole frames or not; a
    // test waits on it to know that bytes sent have been taken in.
    std::size_t BytesHeard() const;
    void ClearFrameLog();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vexar::ecusim
