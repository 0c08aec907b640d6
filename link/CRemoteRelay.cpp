#include "link/CRemoteRelay.h"

#include "link/EcuExchange.h"
#include "link/EcuTypes.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace vexar::link {

namespace {

bool BeginsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> head)
{
    return bytes.size() >= head.size() && std::equal(head.begin(), head.end(), bytes.begin());
}

}  // namespace

CRemoteRelay::CRemoteRelay(const std::atomic<int>& socket, ProtocolHost* host, Hooks hooks,
                           std::chrono::milliseconds frameWait)
    : m_socket(socket), m_host(host), m_hooks(std::move(hooks)), m_frameWait(frameWait)
{
}

CRemoteRelay::End CRemoteRelay::Run()
{
    m_line.Flush(m_socket.load());
    std::array<std::uint8_t, kBufferSize> buffer{};
    for (;;) {
        buffer.fill(0);
        int error = 0;
        const int socket = m_socket.load();
        const int got = m_line.Receive(socket, -1, buffer, error);
        if (got < 0) {
            // The worker shut the socket down or closed it: the relay ends
            // quietly. The far end closing or resetting it is a lost bridge;
            // receiving again would only spin.
            if (socket < 0 || m_socket.load() != socket || error == EBADF || error == ENOTSOCK)
                return End::SocketClosed;
            if (m_hooks.bridgeLost)
                m_hooks.bridgeLost();
            return End::BridgeLost;
        }
        if (got == 0)
            continue;
        const auto arrived = std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(got));
        Trace(true, arrived);
        if (arrived.size() <= kRelayPrefix.size() || !BeginsWith(arrived, kRelayPrefix))
            continue;
        if (BeginsWith(arrived.subspan(kRelayPrefix.size()), kCloseNotice)) {
            if (m_hooks.closeRequested)
                m_hooks.closeRequested();
            return End::CloseRequested;
        }
        ServeFrame(buffer, arrived.size());
    }
}

bool CRemoteRelay::ServeFrame(std::span<std::uint8_t> buffer, std::size_t have)
{
    const bool newProtocol = m_hooks.protocol && m_hooks.protocol() != 0;
    const std::size_t header = kRelayPrefix.size() + (newProtocol ? 2 : 1);
    const std::size_t minimum = newProtocol ? kMinFrameNew : kMinFrameOld;
    int error = 0;

    // TCP may deliver a frame in pieces: wait (bounded) for its length,
    // then for all its bytes.
    auto gather = [&](std::size_t count) {
        if (have >= count)
            return true;
        const int more = m_line.ReceiveCount(m_socket.load(), m_frameWait, buffer.subspan(have), count - have, {}, error);
        if (more > 0) {
            Trace(true, buffer.subspan(have, static_cast<std::size_t>(more)));
            have += static_cast<std::size_t>(more);
        }
        return have >= count;
    };
    if (!gather(header))
        return false;
    const std::size_t length = newProtocol ? (std::size_t{buffer[4]} << 8 | buffer[5]) : buffer[4];
    // The length comes from the network: a frame shorter than any request
    // or longer than the buffer holds never reaches the ECU's line.
    if (length < minimum || length > buffer.size() - kRelayPrefix.size())
        return false;
    if (!gather(kRelayPrefix.size() + length))
        return false;

    // Bytes beyond the frame belong to no request the master still waits for.
    const auto frame = std::span<const std::uint8_t>(buffer).subspan(kRelayPrefix.size(), length);
    std::array<std::uint8_t, kBufferSize> reply{};
    int expected = 0;
    const int result = m_hooks.transact ? m_hooks.transact(frame, reply, expected) : RES_TIMEOUT;
    if (result != RES_OK || expected <= 0)
        return true;  // no reply: the master's receive times out and retries
    const auto bytes = std::span<const std::uint8_t>(reply).first(std::min<std::size_t>(expected, reply.size()));
    const int sent = m_line.Send(m_socket.load(), bytes);
    if (sent > 0)
        Trace(false, bytes.first(static_cast<std::size_t>(sent)));
    return true;
}

void CRemoteRelay::Trace(bool received, std::span<const std::uint8_t> bytes) const
{
    detail::TraceFrame(m_host, received, true, bytes);
}

}  // namespace vexar::link
