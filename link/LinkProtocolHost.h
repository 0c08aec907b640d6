#pragma once

// The application's host of the two ECU protocols: it tells them whether a
// K-line interface is fitted, read at every transaction from the
// application's flag (which the user-interface thread changes while the
// worker runs), and gives them the bridge of remote assistance while this
// workstation is the master with an open bridge socket. No trace window is
// offered here.

#include "link/CRemoteSettings.h"
#include "link/ProtocolHost.h"

#include <atomic>
#include <cstdint>

namespace vexar::link {

class LinkProtocolHost : public ProtocolHost {
public:
    explicit LinkProtocolHost(const std::atomic<std::uint8_t>& kLine, CRemoteSettings* remote = nullptr,
                              RemoteLine* bridge = nullptr)
        : m_kLine(kLine), m_remote(remote), m_bridge(bridge)
    {
    }
    void SetBridge(RemoteLine* bridge) { m_bridge = bridge; }

    bool KLine() const override { return m_kLine.load() != 0; }
    bool Tracing() const override { return false; }
    void PostTraceLine(std::u16string) override {}
    RemoteLine* Remote() override
    {
        return m_remote && m_bridge && m_remote->m_bRemoteMaster && m_remote->m_hSocket.load() >= 0 ? m_bridge : nullptr;
    }

private:
    const std::atomic<std::uint8_t>& m_kLine;
    CRemoteSettings* m_remote;
    RemoteLine* m_bridge;
};

}  // namespace vexar::link
