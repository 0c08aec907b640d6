#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexar::linktest {

using Bytes = std::vector<std::uint8_t>;

// The far end of a serial line: the master of a pseudo-terminal, whose
// slave the product opens as a real tty through a COM<n> link.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int fd() const { return m_fd; }

    void Write(const Bytes& bytes);
    // Up to `count` bytes, waiting at most `timeoutMs` for them all.
    Bytes Read(std::size_t count, int timeoutMs);
    // Hangs the line up: the slave sees the far end gone.
    void Close();

    // The slave's line settings as the master sees them.
    unsigned Speed() const;  // bits per second, any rate
    unsigned ControlFlags() const;
    unsigned InputFlags() const;
    unsigned OutputFlags() const;
    unsigned LocalFlags() const;

private:
    int m_fd = -1;
    std::string m_slavePath;
};

// Reads the output speed of a tty with the kernel's termios2 (any rate).
unsigned TtySpeed(int fd);

}  // namespace vexar::linktest
