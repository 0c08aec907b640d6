#pragma once

// The TCP connection to the bridge server of remote assistance. The class
// keeps no connection of its own: every operation takes the socket, which
// the application object owns, so it is made on the stack where needed.
// Sockets are close-on-exec and non-blocking; sends never raise SIGPIPE.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vexar::link {

class CEthernetLine {
public:
    // `connectWait` is how long a connect may take to complete (1 s).
    explicit CEthernetLine(std::chrono::milliseconds connectWait = std::chrono::seconds(1))
        : m_connectWait(connectWait)
    {
    }
    virtual ~CEthernetLine() = default;

    // Connects to `ip`:`port` (dotted IPv4 text) into `socket`: 0, or -1
    // with `stage` -1 (socket creation), -2 (non-blocking mode) or -3
    // (connect, or address text that is no IPv4 address) and `error` the
    // errno of the failure. On failure the socket is closed and set to -1.
    int Connect(std::uint16_t port, const char* ip, int& socket, int& stage, int& error) const;

    // Waits for input up to `timeoutSeconds` (-1: no time-out) and reads
    // everything waiting, never past the buffer (the rest waits for the
    // next receive). The bytes read, 0 on time-out, -1 on failure with
    // `error` set. A connection the far end has closed or reset is a
    // failure (ECONNRESET), never a time-out.
    int Receive(int socket, int timeoutSeconds, std::span<std::uint8_t> buffer, int& error) const;
    int Receive(int socket, std::chrono::milliseconds timeout, std::span<std::uint8_t> buffer, int& error) const;

    // Receives until `count` bytes have arrived, the bytes begin with
    // `stopHead` (when given), or `timeout` has passed: TCP may deliver a
    // message in pieces. The bytes read (possibly fewer than `count`), or
    // -1 on failure.
    int ReceiveCount(int socket, std::chrono::milliseconds timeout, std::span<std::uint8_t> buffer, std::size_t count,
                     std::span<const std::uint8_t> stopHead, int& error) const;

    // Reads and drops everything waiting; the count waiting at the call,
    // or -1.
    int Flush(int socket) const;

    // Sends the bytes once: the number sent, or -1.
    int Send(int socket, std::span<const std::uint8_t> bytes) const;

    // Closes a valid socket and sets it to -1.
    void Close(int& socket) const;

private:
    std::chrono::milliseconds m_connectWait;
};

}  // namespace vexar::link
