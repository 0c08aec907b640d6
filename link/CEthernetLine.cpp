#include "link/CEthernetLine.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexar::link {

namespace {

int Fail(int& socket, int& stage, int& error, int atStage, int errorCode)
{
    stage = atStage;
    error = errorCode;
    if (socket >= 0)
        ::close(socket);
    socket = -1;
    return -1;
}

int PendingError(int socket)
{
    int pending = 0;
    socklen_t length = sizeof pending;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &pending, &length) != 0)
        return errno;
    return pending;
}

}  // namespace

int CEthernetLine::Connect(std::uint16_t port, const char* ip, int& socket, int& stage, int& error) const
{
    stage = 0;
    error = 0;
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return Fail(socket, stage, error, -1, errno);
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0)
        return Fail(socket, stage, error, -2, errno);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!ip || ::inet_pton(AF_INET, ip, &address.sin_addr) != 1)
        return Fail(socket, stage, error, -3, EINVAL);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return Fail(socket, stage, error, -3, errno);

    pollfd p{socket, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(m_connectWait.count()));
    if (ready < 0)
        return Fail(socket, stage, error, -3, errno);
    if (ready == 0)
        return Fail(socket, stage, error, -3, ETIMEDOUT);
    const int pending = PendingError(socket);
    if (pending != 0 || (p.revents & (POLLERR | POLLHUP)))
        return Fail(socket, stage, error, -3, pending != 0 ? pending : ECONNREFUSED);
    return 0;
}

int CEthernetLine::Receive(int socket, int timeoutSeconds, std::span<std::uint8_t> buffer, int& error) const
{
    return Receive(socket, timeoutSeconds < 0 ? std::chrono::milliseconds(-1) : std::chrono::seconds(timeoutSeconds),
                   buffer, error);
}

int CEthernetLine::Receive(int socket, std::chrono::milliseconds timeout, std::span<std::uint8_t> buffer,
                           int& error) const
{
    error = 0;
    if (socket < 0) {
        error = EBADF;
        return -1;
    }
    pollfd p{socket, POLLIN | POLLPRI, 0};
    const int ready = ::poll(&p, 1, timeout.count() < 0 ? -1 : static_cast<int>(timeout.count()));
    if (ready < 0) {
        error = errno;
        return -1;
    }
    if (ready == 0)
        return 0;
    if (p.revents & POLLNVAL) {
        error = EBADF;
        return -1;
    }
    if (p.revents & POLLERR) {
        // Reading the pending error clears it: take it once.
        const int pending = PendingError(socket);
        if (pending != 0) {
            error = pending;
            return -1;
        }
    }
    std::size_t stored = 0;
    for (;;) {
        int waiting = 0;
        if (::ioctl(socket, FIONREAD, &waiting) != 0) {
            error = errno;
            return -1;
        }
        if (waiting <= 0 || stored == buffer.size())
            break;
        const std::size_t take = std::min(buffer.size() - stored, static_cast<std::size_t>(waiting));
        const ssize_t got = ::recv(socket, buffer.data() + stored, take, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            error = errno;
            return -1;
        }
        if (got == 0)
            break;
        stored += static_cast<std::size_t>(got);
    }
    if (stored == 0) {
        // Readable with nothing to read: the far end has closed (or reset)
        // the connection. Reporting that as a time-out would make every
        // caller wait on a line that is gone.
        std::uint8_t probe = 0;
        const ssize_t got = ::recv(socket, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            error = got == 0 ? ECONNRESET : errno;
            return -1;
        }
    }
    return static_cast<int>(stored);
}

int CEthernetLine::ReceiveCount(int socket, std::chrono::milliseconds timeout, std::span<std::uint8_t> buffer,
                                std::size_t count, std::span<const std::uint8_t> stopHead, int& error) const
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    count = std::min(count, buffer.size());
    std::size_t stored = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        const int got = Receive(socket, std::max(left, std::chrono::milliseconds(0)), buffer.subspan(stored), error);
        if (got < 0)
            return -1;
        stored += static_cast<std::size_t>(got);
        if (stored >= count && count > 0)
            break;
        if (!stopHead.empty() && stored >= stopHead.size() &&
            std::equal(stopHead.begin(), stopHead.end(), buffer.begin()))
            break;
        if (got == 0 && left.count() <= 0)
            break;
        if (stored == buffer.size())
            break;
    }
    return static_cast<int>(stored);
}

int CEthernetLine::Flush(int socket) const
{
    if (socket < 0)
        return -1;
    int waiting = 0;
    if (::ioctl(socket, FIONREAD, &waiting) != 0)
        return -1;
    const int first = waiting;
    std::uint8_t drop[1024];
    while (waiting > 0) {
        const ssize_t got = ::recv(socket, drop, std::min<std::size_t>(sizeof drop, waiting), MSG_DONTWAIT);
        if (got <= 0)
            break;
        if (::ioctl(socket, FIONREAD, &waiting) != 0)
            return -1;
    }
    return first;
}

int CEthernetLine::Send(int socket, std::span<const std::uint8_t> bytes) const
{
    if (socket < 0)
        return -1;
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

void CEthernetLine::Close(int& socket) const
{
    if (socket >= 0)
        ::close(socket);
    socket = -1;
}

}  // namespace vexar::link
