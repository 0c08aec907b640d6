#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vexar::ecusim::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The program's end of the line in these tests: a plain raw-mode terminal
// client on the simulator's slave device.
class PtyClient {
public:
    PtyClient() = default;
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    // Opens the device raw at a standard speed.
    bool Open(const std::string& path, long baud = 9600);
    void Close();
    bool SetSpeed(long baud);     // standard rates, through <termios.h>
    bool SetOddSpeed(long baud);  // any rate, through termios2 (OddSpeed.cpp)

    bool Send(const Bytes& bytes);
    // Reads until `count` bytes came or `timeout` passed; returns what came.
    Bytes Receive(std::size_t count, std::chrono::milliseconds timeout = 1000ms);
    // Sends and reads a reply of `count` bytes.
    Bytes Exchange(const Bytes& request, std::size_t count, std::chrono::milliseconds timeout = 1000ms);
    // True when nothing arrives within `quiet`.
    bool Silent(std::chrono::milliseconds quiet = 150ms);
    // True when the device has hung up (the simulator was unplugged).
    bool HungUp();

private:
    int m_fd = -1;
};

// Hand-built frames: the length field is put in front and the CRC appended.
Bytes First(std::initializer_list<std::uint8_t> commandAndPayload);
Bytes Second(const Bytes& commandAndPayload);
Bytes Concat(Bytes a, const Bytes& b);

}  // namespace vexar::ecusim::test
