#pragma once

// What the protocol tests share: a simulated ECU on a pseudo-terminal
// behind COM3 of a temporary COM folder, a temporary program folder for
// the session logs, a host that collects trace lines, and readers of the
// simulator's frame log and of a session log.

#include "link/EcuTypes.h"
#include "link/ProtocolHost.h"
#include "testing/ecusim/EcuSimulator.h"
#include "TempDir.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexar::linktest {

using Bytes = std::vector<std::uint8_t>;

// The defaults are the system's; tests that do not measure the give-up
// time use short ones.
inline constexpr link::ProtocolTiming kQuickTiming{0.2, std::chrono::milliseconds(30)};

class TestHost : public link::ProtocolHost {
public:
    bool kLine = false;
    bool tracing = false;
    link::RemoteLine* remote = nullptr;
    std::vector<std::u16string> lines;
    // Called with every line posted, on the protocol's thread.
    std::function<void(const std::u16string&)> onLine;

    bool KLine() const override { return kLine; }
    bool Tracing() const override { return tracing; }
    void PostTraceLine(std::u16string line) override
    {
        if (onLine)
            onLine(line);
        lines.push_back(std::move(line));
    }
    link::RemoteLine* Remote() override { return remote; }
};

class TestProgress : public link::ProgressTarget {
public:
    std::optional<std::size_t> range;
    std::vector<std::size_t> steps;
    void PostRange(std::size_t steps_) override { range = steps_; }
    void PostStep(std::size_t done) override { steps.push_back(done); }
};

// Sets VEXAR_HOME and VEXAR_COM_DIR to temporary folders for its lifetime
// and starts the simulator on COM3.
class EcuRig {
public:
    static constexpr int kPort = 3;
    static constexpr const char16_t* kPath = u"\\\\.\\COM3";

    explicit EcuRig(ecusim::SimulatorOptions options);
    ~EcuRig();

    ecusim::EcuSimulator& sim() { return *m_sim; }
    std::string LogPath(const std::string& name) const;

    // The valid requests heard, in order (the frame log's Request records).
    std::vector<Bytes> Requests() const;
    std::vector<Bytes> Replies() const;

private:
    testing::TempDir m_home;
    testing::TempDir m_comDir;
    std::optional<std::string> m_savedHome;
    std::optional<std::string> m_savedComDir;
    std::unique_ptr<ecusim::EcuSimulator> m_sim;
};

// The entries of a session log: the texts written after each time line.
std::vector<std::u16string> LogEntries(const std::string& path);

// The simulator's image filled with bytes in which neighbours differ.
Bytes Pattern(std::size_t size, std::uint8_t seed);

// Bytes a line discipline or a software handshake would be tempted to eat
// or change: NUL, LF, CR, XON, XOFF, DEL and 0xFF, repeated.
Bytes AwkwardBytes(std::size_t size);

// A trace line without its time text, which must be "h:m:s:ms".
std::u16string WithoutTime(const std::u16string& line);
// `head` followed by the bytes as "%02X ".
std::u16string HexLine(const std::u16string& head, const Bytes& bytes);

// A first-protocol or second-protocol frame with its CRC appended, built
// by the simulator's own framing.
Bytes FirstFrame(std::uint8_t command, const Bytes& payload);
Bytes SecondFrame(std::uint8_t command, const Bytes& payload);

}  // namespace vexar::linktest
