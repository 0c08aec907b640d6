#include "link/BridgeRemoteLine.h"

namespace vexar::link {

std::chrono::milliseconds BridgeRemoteLine::Timeout() const
{
    return m_timeout.count() > 0 ? m_timeout : std::chrono::seconds(m_settings.m_nSocketTimeout);
}

void BridgeRemoteLine::DropPending()
{
    m_line.Flush(m_settings.m_hSocket.load());
}

int BridgeRemoteLine::Send(std::span<const std::uint8_t> bytes)
{
    return m_line.Send(m_settings.m_hSocket.load(), bytes);
}

int BridgeRemoteLine::Receive(std::span<std::uint8_t> buffer, std::size_t expected)
{
    int error = 0;
    const int got = m_line.ReceiveCount(m_settings.m_hSocket.load(), Timeout(), buffer, expected, kCloseNotice, error);
    std::lock_guard lock(m_settings.m_csRemoteCounters);
    m_settings.m_nRemoteBytesTx += static_cast<int>(expected);
    if (got > 0)
        m_settings.m_nRemoteBytesRx += got;
    return got;
}

}  // namespace vexar::link
