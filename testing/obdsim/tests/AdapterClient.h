#pragma once

#include "testing/obdsim/ObdFrame.h"

#include <chrono>
#include <string>

namespace vexar::obdsim::test {

using namespace std::chrono_literals;

// The program's end of the line in these tests: a raw terminal client on
// the simulator's slave device.
class AdapterClient {
public:
    AdapterClient() = default;
    ~AdapterClient();
    AdapterClient(const AdapterClient&) = delete;
    AdapterClient& operator=(const AdapterClient&) = delete;

    bool Open(const std::string& path);
    void Close();

    bool Send(const Bytes& bytes);
    bool Send(const Frame& frame) { return Send(EncodeFrame(frame)); }
    // Reads until `count` bytes came or `timeout` passed.
    Bytes Receive(std::size_t count, std::chrono::milliseconds timeout = 1000ms);
    // Reads up to and with the next ETX, or what came within `timeout`.
    Bytes ReceiveFrame(std::chrono::milliseconds timeout = 1000ms);
    // Sends a request and reads the reply frame.
    Bytes Exchange(const Frame& request, std::chrono::milliseconds timeout = 1000ms);
    // True when nothing arrives within `quiet`.
    bool Silent(std::chrono::milliseconds quiet = 150ms);
    // Discards the input and the output, as the end of the wake-up pulse does.
    bool Flush();

private:
    int m_fd = -1;
};

// The request frame of a mnemonic and its data.
Bytes Request(const std::string& mnemonic, const std::string& data = "");
// A reply frame as the adapter sends it.
Bytes ReplyFrame(const std::string& type, const std::string& data);
// Text with ETB for '|', to write multi-ECU data readably.
std::string Fields(std::string text);

}  // namespace vexar::obdsim::test
