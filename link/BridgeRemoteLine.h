#pragma once

// The bridge of remote assistance as the master's line to the ECU: the
// protocols send their relayed frames on the application's bridge socket
// and take the replies from it, counting the bytes they expected and the
// bytes that came for the master window's statistics.

#include "link/CEthernetLine.h"
#include "link/CRemoteSettings.h"
#include "link/ProtocolHost.h"

#include <chrono>

namespace vexar::link {

class BridgeRemoteLine : public RemoteLine {
public:
    // `timeout` replaces the settings' receive time-out when above zero.
    explicit BridgeRemoteLine(CRemoteSettings& settings, std::chrono::milliseconds timeout = {})
        : m_settings(settings), m_timeout(timeout)
    {
    }

    void DropPending() override;
    int Send(std::span<const std::uint8_t> bytes) override;
    // Waits for all `expected` bytes (a reply may arrive in pieces) unless
    // the close notice comes first; -1 when the bridge is gone.
    int Receive(std::span<std::uint8_t> buffer, std::size_t expected) override;

private:
    std::chrono::milliseconds Timeout() const;

    CRemoteSettings& m_settings;
    std::chrono::milliseconds m_timeout;
    CEthernetLine m_line;
};

}  // namespace vexar::link
