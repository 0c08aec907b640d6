#include "testing/bridgesim/BridgeServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexar::bridgesim {

struct BridgeServer::Conn {
    int fd = -1;
    int id = 0;
    Peer peer = Peer::Unknown;
    Bytes in;                    // handshake bytes not yet understood
    std::array<std::uint8_t, 4> clientId{};
    bool idAcknowledged = false;  // master: waits for its slave
    bool waiting = false;         // slave: greeted, waits for its master
    int partner = 0;              // the paired connection, 0 none
};

struct BridgeServer::Timed {
    int connection = 0;
    Bytes bytes;
    Clock::time_point due;
};

namespace {

template <std::size_t N>
bool StartsWith(const Bytes& bytes, const std::array<std::uint8_t, N>& head)
{
    return bytes.size() >= N && std::equal(head.begin(), head.end(), bytes.begin());
}

// True when `bytes` could still grow into `head`.
template <std::size_t N>
bool CouldBecome(const Bytes& bytes, const std::array<std::uint8_t, N>& head)
{
    const std::size_t n = std::min(bytes.size(), N);
    return std::equal(bytes.begin(), bytes.begin() + static_cast<long>(n), head.begin());
}

void Consume(Bytes& bytes, std::size_t count)
{
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(std::min(count, bytes.size())));
}

}  // namespace

std::string PeerName(Peer peer)
{
    switch (peer) {
    case Peer::Master: return "master";
    case Peer::Slave: return "slave";
    case Peer::Unknown: break;
    }
    return "unknown";
}

BridgeServer::BridgeServer() = default;

BridgeServer::~BridgeServer()
{
    Stop();
}

bool BridgeServer::Start(std::uint16_t port, std::string& error)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listen, 8) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::strerror(errno);
        ::close(m_listen);
        m_listen = -1;
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void BridgeServer::Stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    Wake();
    m_thread.join();
    for (auto& c : m_conns)
        if (c->fd >= 0)
            ::close(c->fd);
    m_conns.clear();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
}

std::uint16_t BridgeServer::Port() const
{
    return m_port;
}

std::vector<LogRecord> BridgeServer::Log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

Bytes BridgeServer::SentTo(Peer peer) const
{
    std::lock_guard lock(m_mutex);
    Bytes all;
    for (const LogRecord& r : m_log)
        if (r.kind == LogRecord::Kind::Sent && r.peer == peer)
            all.insert(all.end(), r.bytes.begin(), r.bytes.end());
    return all;
}

Bytes BridgeServer::ReceivedFrom(Peer peer) const
{
    std::lock_guard lock(m_mutex);
    Bytes all;
    for (const LogRecord& r : m_log)
        if (r.kind == LogRecord::Kind::Received && r.peer == peer)
            all.insert(all.end(), r.bytes.begin(), r.bytes.end());
    return all;
}

bool BridgeServer::WaitSentTo(Peer peer, std::size_t count, std::chrono::milliseconds limit) const
{
    const auto end = Clock::now() + limit;
    while (SentTo(peer).size() < count) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int BridgeServer::Connections() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_conns.begin(), m_conns.end(), [](const auto& c) { return c->fd >= 0; }));
}

void BridgeServer::WithholdGreetingAck(int count)
{
    std::lock_guard lock(m_mutex);
    m_withholdGreeting = count;
}

void BridgeServer::WithholdIdAck(int count)
{
    std::lock_guard lock(m_mutex);
    m_withholdId = count;
}

void BridgeServer::WithholdStartMarker(bool withhold)
{
    std::lock_guard lock(m_mutex);
    m_withholdMarker = withhold;
}

void BridgeServer::SplitBridgeMessages(std::vector<Piece> pieces)
{
    std::lock_guard lock(m_mutex);
    m_pieces = std::move(pieces);
}

void BridgeServer::SplitNextFromMaster(std::size_t at, std::chrono::milliseconds delay)
{
    std::lock_guard lock(m_mutex);
    m_splitMasterAt = at;
    m_splitMasterDelay = delay;
}

void BridgeServer::SplitNextFromSlave(std::size_t at, std::chrono::milliseconds delay)
{
    std::lock_guard lock(m_mutex);
    m_splitSlaveAt = at;
    m_splitSlaveDelay = delay;
}

void BridgeServer::JoinNextFromMaster()
{
    std::lock_guard lock(m_mutex);
    m_joinMaster = true;
}

void BridgeServer::DropSlaveAfter(int frames)
{
    std::lock_guard lock(m_mutex);
    m_dropSlaveAfter = frames;
}

void BridgeServer::Inject(Peer peer, Bytes bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_injects.emplace_back(peer, std::move(bytes));
    }
    Wake();
}

void BridgeServer::Die()
{
    {
        std::lock_guard lock(m_mutex);
        m_die = true;
    }
    Wake();
}

void BridgeServer::Wake()
{
    const char one = 1;
    [[maybe_unused]] const auto written = ::write(m_wake[1], &one, 1);
}

void BridgeServer::Run()
{
    for (;;) {
        std::vector<pollfd> fds;
        int timeout = -1;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
            fds.push_back({m_wake[0], POLLIN, 0});
            if (m_listen >= 0)
                fds.push_back({m_listen, POLLIN, 0});
            for (const auto& c : m_conns)
                if (c->fd >= 0)
                    fds.push_back({c->fd, POLLIN, 0});
            const auto now = Clock::now();
            for (const Timed& t : m_timed) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count() + 1;
                timeout = timeout < 0 ? static_cast<int>(std::max<long>(ms, 0))
                                      : std::min(timeout, static_cast<int>(std::max<long>(ms, 0)));
            }
        }
        ::poll(fds.data(), fds.size(), timeout);

        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        char drain[64];
        while (::read(m_wake[0], drain, sizeof drain) > 0) {
        }
        if (m_die) {
            m_die = false;
            // No one connects once the first peer has seen the bridge go.
            if (m_listen >= 0)
                ::close(m_listen);
            m_listen = -1;
            for (auto& c : m_conns)
                if (c->fd >= 0) {
                    ::close(c->fd);
                    c->fd = -1;
                    LogLocked(LogRecord::Kind::Dropped, *c, {});
                }
            m_timed.clear();
            m_injects.clear();
            continue;
        }
        for (auto& [peer, bytes] : m_injects)
            if (Conn* c = Latest(peer))
                SendNow(c->id, bytes);
        m_injects.clear();

        const auto now = Clock::now();
        std::vector<Timed> due;
        for (auto it = m_timed.begin(); it != m_timed.end();) {
            if (it->due <= now) {
                due.push_back(std::move(*it));
                it = m_timed.erase(it);
            } else {
                ++it;
            }
        }
        for (const Timed& t : due)
            if (Conn* c = Find(t.connection); c && c->fd >= 0) {
                ::send(c->fd, t.bytes.data(), t.bytes.size(), MSG_NOSIGNAL);
                LogLocked(LogRecord::Kind::Sent, *c, t.bytes);
            }

        for (const pollfd& p : fds) {
            if (!(p.revents & (POLLIN | POLLHUP | POLLERR)) || p.fd == m_wake[0])
                continue;
            if (p.fd == m_listen) {
                Accept();
                continue;
            }
            for (auto& c : m_conns)
                if (c->fd == p.fd) {
                    ReadFrom(*c);
                    break;
                }
        }
        std::erase_if(m_conns, [](const auto& c) { return c->fd < 0 && c->partner == 0; });
    }
}

void BridgeServer::Accept()
{
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    auto c = std::make_unique<Conn>();
    c->fd = fd;
    c->id = m_nextConn++;
    m_conns.push_back(std::move(c));
}

void BridgeServer::ReadFrom(Conn& c)
{
    std::uint8_t buffer[4096];
    const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (got <= 0) {
        DropConn(c, false);
        return;
    }
    Bytes chunk(buffer, buffer + got);
    if (c.peer == Peer::Unknown && c.in.empty())
        c.peer = chunk[0] == kSlaveGreetingHead ? Peer::Slave : chunk[0] == kMasterGreeting[0] ? Peer::Master
                                                                                              : Peer::Unknown;
    LogLocked(LogRecord::Kind::Received, c, chunk);
    if (c.partner != 0) {
        Relay(c, std::move(chunk));
        return;
    }
    c.in.insert(c.in.end(), chunk.begin(), chunk.end());
    Handshake(c);
}

void BridgeServer::Handshake(Conn& c)
{
    while (!c.in.empty() && c.partner == 0) {
        if (c.peer != Peer::Slave && CouldBecome(c.in, kMasterGreeting)) {
            if (c.in.size() < kMasterGreeting.size())
                return;
            Consume(c.in, kMasterGreeting.size());
            c.peer = Peer::Master;
            if (m_withholdGreeting != 0) {
                if (m_withholdGreeting > 0)
                    --m_withholdGreeting;
            } else {
                SendBridge(c, kGreetingAck.data(), kGreetingAck.size());
            }
            continue;
        }
        if (c.peer == Peer::Master && CouldBecome(c.in, std::array<std::uint8_t, 3>{0x4A, 0x4E, 0x3C})) {
            if (c.in.size() < kIdFrameSize)
                return;
            const Bytes frame(c.in.begin(), c.in.begin() + kIdFrameSize);
            Consume(c.in, kIdFrameSize);
            const auto sum = static_cast<std::uint8_t>(0x3C + frame[3] + frame[4] + frame[5] + frame[6]);
            if (frame[7] != sum || frame[8] != 0x00 || frame[9] != 0x4A) {
                LogLocked(LogRecord::Kind::Refused, c, frame);
                continue;
            }
            std::copy(frame.begin() + 3, frame.begin() + 7, c.clientId.begin());
            if (m_withholdId != 0) {
                if (m_withholdId > 0)
                    --m_withholdId;
                continue;
            }
            SendBridge(c, kIdAck.data(), kIdAck.size());
            c.idAcknowledged = true;
            TryPair();
            continue;
        }
        if (c.peer != Peer::Master && c.in[0] == kSlaveGreetingHead) {
            if (c.in.size() < kSlaveGreetingSize)
                return;
            c.peer = Peer::Slave;
            std::copy(c.in.begin() + 1, c.in.begin() + 5, c.clientId.begin());
            Consume(c.in, kSlaveGreetingSize);
            c.waiting = true;
            TryPair();
            continue;
        }
        Consume(c.in, 1);  // noise: belongs to no handshake
    }
    if (c.partner != 0 && !c.in.empty()) {
        Bytes rest;
        rest.swap(c.in);
        Relay(c, std::move(rest));
    }
}

void BridgeServer::TryPair()
{
    for (auto& m : m_conns) {
        if (m->fd < 0 || m->peer != Peer::Master || !m->idAcknowledged || m->partner != 0)
            continue;
        for (auto& s : m_conns) {
            if (s->fd < 0 || s->peer != Peer::Slave || !s->waiting || s->partner != 0)
                continue;
            bool complement = true;
            for (std::size_t i = 0; i < 4; ++i)
                complement = complement && s->clientId[i] == static_cast<std::uint8_t>(~m->clientId[i]);
            if (!complement)
                continue;
            m->partner = s->id;
            s->partner = m->id;
            s->waiting = false;
            if (!m_withholdMarker)
                SendBridge(*s, kStartMarker.data(), kStartMarker.size());
            break;
        }
    }
}

void BridgeServer::Relay(Conn& from, Bytes chunk)
{
    Conn* to = Find(from.partner);
    if (!to || to->fd < 0)
        return;
    const auto now = Clock::now();
    if (from.peer == Peer::Master) {
        if (m_dropSlaveAfter == 0) {
            m_dropSlaveAfter = -1;
            DropConn(*to, true);
            return;
        }
        if (m_dropSlaveAfter > 0)
            --m_dropSlaveAfter;
        if (m_joinMaster) {
            if (m_held.empty()) {
                m_held = std::move(chunk);
                return;
            }
            chunk.insert(chunk.begin(), m_held.begin(), m_held.end());
            m_held.clear();
            m_joinMaster = false;
        }
        if (m_splitMasterAt > 0 && m_splitMasterAt < chunk.size()) {
            SendNow(to->id, Bytes(chunk.begin(), chunk.begin() + static_cast<long>(m_splitMasterAt)));
            Schedule(to->id, Bytes(chunk.begin() + static_cast<long>(m_splitMasterAt), chunk.end()),
                     now + m_splitMasterDelay);
            m_splitMasterAt = 0;
            return;
        }
    } else if (m_splitSlaveAt > 0 && m_splitSlaveAt < chunk.size()) {
        SendNow(to->id, Bytes(chunk.begin(), chunk.begin() + static_cast<long>(m_splitSlaveAt)));
        Schedule(to->id, Bytes(chunk.begin() + static_cast<long>(m_splitSlaveAt), chunk.end()), now + m_splitSlaveDelay);
        m_splitSlaveAt = 0;
        return;
    }
    SendNow(to->id, chunk);
}

void BridgeServer::SendBridge(Conn& c, const std::uint8_t* data, std::size_t size)
{
    if (m_pieces.empty()) {
        SendNow(c.id, Bytes(data, data + size));
        return;
    }
    auto due = Clock::now();
    std::size_t at = 0;
    for (const Piece& p : m_pieces) {
        if (at >= size)
            break;
        const std::size_t n = std::min(p.size, size - at);
        due += p.delay;
        Schedule(c.id, Bytes(data + at, data + at + n), due);
        at += n;
    }
    if (at < size)
        Schedule(c.id, Bytes(data + at, data + size), due);
}

void BridgeServer::SendNow(int connection, const Bytes& bytes)
{
    // Behind a piece still due, bytes wait their turn.
    const bool queued = std::any_of(m_timed.begin(), m_timed.end(), [&](const Timed& t) { return t.connection == connection; });
    if (queued) {
        Schedule(connection, bytes, Clock::now());
        return;
    }
    Conn* c = Find(connection);
    if (!c || c->fd < 0)
        return;
    ::send(c->fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    LogLocked(LogRecord::Kind::Sent, *c, bytes);
}

void BridgeServer::Schedule(int connection, Bytes bytes, Clock::time_point due)
{
    // Never before an earlier piece to the same peer.
    for (const Timed& t : m_timed)
        if (t.connection == connection)
            due = std::max(due, t.due);
    m_timed.push_back({connection, std::move(bytes), due});
}

void BridgeServer::DropConn(Conn& c, bool byBridge)
{
    if (c.fd < 0)
        return;
    ::close(c.fd);
    c.fd = -1;
    LogLocked(byBridge ? LogRecord::Kind::Dropped : LogRecord::Kind::Closed, c, {});
    std::erase_if(m_timed, [&](const Timed& t) { return t.connection == c.id; });
    Conn* partner = Find(c.partner);
    c.partner = 0;
    if (!partner)
        return;
    partner->partner = 0;
    m_held.clear();
    if (c.peer == Peer::Slave) {
        // The master hears that its slave has left and may send a new id.
        partner->idAcknowledged = false;
        SendNow(partner->id, Bytes(kSlaveLeft.begin(), kSlaveLeft.end()));
    } else {
        DropConn(*partner, true);
    }
}

BridgeServer::Conn* BridgeServer::Find(int connection)
{
    for (auto& c : m_conns)
        if (c->id == connection)
            return c.get();
    return nullptr;
}

BridgeServer::Conn* BridgeServer::Latest(Peer peer)
{
    for (auto it = m_conns.rbegin(); it != m_conns.rend(); ++it)
        if ((*it)->fd >= 0 && (*it)->peer == peer)
            return it->get();
    return nullptr;
}

void BridgeServer::LogLocked(LogRecord::Kind kind, const Conn& c, Bytes bytes)
{
    m_log.push_back({kind, Clock::now(), c.id, c.peer, std::move(bytes)});
}

}  // namespace vexar::bridgesim
