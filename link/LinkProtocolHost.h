#pragma once

// The application's host of the two ECU protocols: it tells them whether a
// K-line interface is fitted, read at every transaction from the
// application's flag (which the user-interface thread changes while the
// worker runs), carries their trace lines to the trace window while one
// is open (the application's trace target, set and cleared by the
// user-interface thread), and gives them the bridge of remote assistance
// while this workstation is the master with an open bridge socket.
//
// A line is posted to UiWindow::TraceWindow as WM_TRACE_LINE with a
// TRACE_LINE record. A line still on its way when the window closes is
// dropped by the sink, and its record freed with it.

#include "link/CRemoteSettings.h"
#include "link/ILinkUiSink.h"
#include "link/LinkMessages.h"
#include "link/ProtocolHost.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace vexar::link {

class LinkProtocolHost : public ProtocolHost {
public:
    // `sink` is the worker's sink, set before the worker starts and read
    // by the producers' threads only while it runs.
    LinkProtocolHost(const std::atomic<std::uint8_t>& kLine, const std::atomic<const void*>& traceWnd,
                     ILinkUiSink* const& sink, CRemoteSettings* remote = nullptr)
        : m_kLine(kLine), m_traceWnd(traceWnd), m_sink(sink), m_remote(remote)
    {
    }
    void SetBridge(RemoteLine* bridge) { m_bridge = bridge; }

    bool KLine() const override { return m_kLine.load() != 0; }
    bool Tracing() const override { return m_traceWnd.load() != nullptr && m_sink != nullptr; }
    void PostTraceLine(std::u16string line) override
    {
        if (!Tracing())
            return;
        auto record = std::make_unique<TRACE_LINE>();
        record->text = std::move(line);
        m_sink->Post(UiWindow::TraceWindow, nullptr, LinkMessage{WM_TRACE_LINE, 0, 0, std::move(record)});
    }
    RemoteLine* Remote() override
    {
        return m_remote && m_bridge && m_remote->m_bRemoteMaster && m_remote->m_hSocket.load() >= 0 ? m_bridge : nullptr;
    }

private:
    const std::atomic<std::uint8_t>& m_kLine;
    const std::atomic<const void*>& m_traceWnd;
    ILinkUiSink* const& m_sink;
    CRemoteSettings* m_remote;
    RemoteLine* m_bridge = nullptr;
};

}  // namespace vexar::link
