#pragma once

// The remote-assistance settings of the application object: where the
// bridge server is ("Remote.cfg" beside the program), the role of this
// workstation, the receive time-out, the bridge socket and the byte
// counters of the relayed traffic. The bridge work itself is the link
// worker's.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vexar::link {

class CRemoteSettings {
public:
    virtual ~CRemoteSettings() = default;

    // Sets the defaults (port 0, address "0.0.0.0", master, 1 s), then
    // reads "Remote.cfg" of the program folder: per line the text before
    // its first TAB, trimmed; line 1 the address (at most 49 characters
    // kept), line 2 the port, line 3 the role (non-zero master), line 4
    // the time-out in seconds. An empty value or a missing line keeps the
    // default; a missing or unreadable file is reported and keeps them all.
    void ReadRemoteSettings();

    std::string m_szBridgeIp = "0.0.0.0";
    std::uint16_t m_nBridgePort = 0;
    // 1 master, 0 slave: the view sets it, the worker reads it.
    std::atomic<int> m_bRemoteMaster{1};
    int m_nSocketTimeout = 1;  // seconds
    // The bridge connection, -1 none. The worker opens and closes it; the
    // slave's relay thread reads it.
    std::atomic<int> m_hSocket{-1};

    std::mutex m_csRemoteCounters;
    int m_nRemoteBytesTx = 0;
    int m_nRemoteBytesRx = 0;
};

}  // namespace vexar::link
