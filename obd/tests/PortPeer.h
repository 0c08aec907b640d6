#pragma once

// The adapter's end of a real serial line for the port tests: the master of
// a pseudo-terminal, whose slave the library opens as COM<n> through a COM
// folder of this test's own ($VEXAR_COM_DIR). The master runs in packet
// mode, so the peer sees when the library discards its input.

#include "testing/ptysupport/PtyPair.h"
#include "testing/support/TempDir.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace obdvane::test {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A COM folder of the test's own, named by $VEXAR_COM_DIR while it lives.
class ComFolder {
public:
    ComFolder();
    ~ComFolder();
    ComFolder(const ComFolder&) = delete;
    ComFolder& operator=(const ComFolder&) = delete;

    const std::string& Path() const { return m_folder.path(); }

private:
    vexar::testing::TempDir m_folder;
    std::optional<std::string> m_saved;
};

class PortPeer {
public:
    explicit PortPeer(unsigned comNumber = 3);
    ~PortPeer();
    PortPeer(const PortPeer&) = delete;
    PortPeer& operator=(const PortPeer&) = delete;

    std::string ComName() const { return "COM" + std::to_string(m_number); }
    const std::string& SlavePath() const { return m_pty.SlavePath(); }
    const std::string& ComDir() const { return m_comDir.Path(); }
    int Master() const { return m_pty.Master(); }

    void Write(const Bytes& bytes);
    // Data bytes that came within `timeout`, up to `count`.
    Bytes Read(std::size_t count, std::chrono::milliseconds timeout);
    // When the library next discards its input (the end of a wake-up
    // pulse or a purge); nothing when that does not happen within `timeout`.
    std::optional<Clock::time_point> WaitForFlush(std::chrono::milliseconds timeout);

private:
    // Reads one packet: data is appended; a flush is noted.
    bool Take(std::chrono::milliseconds timeout);

    unsigned m_number;
    ComFolder m_comDir;
    vexar::ptysupport::PtyPair m_pty;
    Bytes m_data;
    std::optional<Clock::time_point> m_flush;
};

// Milliseconds since `start`.
long long ElapsedMs(Clock::time_point start);

}  // namespace obdvane::test
