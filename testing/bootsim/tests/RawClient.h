#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexar::bootsim::test {

using Bytes = std::vector<std::uint8_t>;

// The program's end of a simulator's terminal, kept as plain as can be: raw
// termios, a speed, whole writes and reads with a time-out.
class RawClient {
public:
    explicit RawClient(const std::string& path, long baud = 9600);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    void SetSpeed(long baud);
    void Write(const Bytes& bytes);
    // Up to `count` bytes, waiting at most `timeout` for all of them.
    Bytes Read(std::size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

private:
    int m_fd = -1;
};

}  // namespace vexar::bootsim::test
