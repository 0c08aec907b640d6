#pragma once

// The slave's side of remote assistance: takes each relayed request frame
// from the bridge, runs it on the local ECU line with the active
// protocol's raw transaction and sends the raw reply back. The body of the
// slave's relay thread; the application object supplies the transaction
// and what to do when the master closes or the bridge is gone.

#include "link/CEthernetLine.h"
#include "link/ProtocolHost.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace vexar::link {

class CRemoteRelay {
public:
    // The active protocol's raw transaction (CSeriale::TransactRaw or
    // CSerialeNew::TransactRaw): RES_OK with `expected` reply bytes.
    using Transact = std::function<int(std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected)>;

    struct Hooks {
        Transact transact;
        // 0: the first protocol, else the second; read for every frame.
        std::function<int()> protocol;
        // The master sent the close request.
        std::function<void()> closeRequested;
        // The bridge closed or reset the connection.
        std::function<void()> bridgeLost;
    };

    enum class End { SocketClosed, CloseRequested, BridgeLost };

    // The smallest request frame of each protocol (length byte(s), command,
    // CRC).
    static constexpr std::size_t kMinFrameOld = 4;
    static constexpr std::size_t kMinFrameNew = 5;
    static constexpr std::size_t kBufferSize = 512;

    // `socket` is the bridge connection, which the worker shuts down and
    // closes to end the relay; `frameWait` bounds the wait for the rest of
    // a frame that TCP delivered in pieces.
    CRemoteRelay(const std::atomic<int>& socket, ProtocolHost* host, Hooks hooks,
                 std::chrono::milliseconds frameWait = std::chrono::seconds(1));

    // Serves relayed frames until the socket is closed, the master asks for
    // the close or the bridge is gone; tells the hook of the last two.
    End Run();

private:
    // Completes the frame that begins `buffer` (its first `have` bytes)
    // and runs it; false when it was dropped.
    bool ServeFrame(std::span<std::uint8_t> buffer, std::size_t have);
    void Trace(bool received, std::span<const std::uint8_t> bytes) const;

    const std::atomic<int>& m_socket;
    ProtocolHost* m_host;
    Hooks m_hooks;
    std::chrono::milliseconds m_frameWait;
    CEthernetLine m_line;
};

}  // namespace vexar::link
