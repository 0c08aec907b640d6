#include "PtyPeer.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace vexar::linktest {

namespace {

termios Settings(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        throw std::runtime_error("tcgetattr on the pty master failed");
    return tio;
}

}  // namespace

PtyPeer::PtyPeer()
{
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    char name[128];
    if (::ptsname_r(m_fd, name, sizeof name) != 0)
        throw std::runtime_error("no slave name");
    m_slavePath = name;
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer()
{
    Close();
}

void PtyPeer::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void PtyPeer::Write(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{m_fd, POLLOUT, 0};
            ::poll(&pfd, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            throw std::runtime_error("write to the pty master failed");
        }
    }
}

Bytes PtyPeer::Read(std::size_t count, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Bytes bytes;
    std::uint8_t buffer[4096];
    while (bytes.size() < count) {
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd pfd{m_fd, POLLIN, 0};
        ::poll(&pfd, 1, static_cast<int>(left));
    }
    return bytes;
}

unsigned PtyPeer::Speed() const
{
    return TtySpeed(m_fd);
}

unsigned PtyPeer::ControlFlags() const
{
    return Settings(m_fd).c_cflag;
}

unsigned PtyPeer::InputFlags() const
{
    return Settings(m_fd).c_iflag;
}

unsigned PtyPeer::OutputFlags() const
{
    return Settings(m_fd).c_oflag;
}

unsigned PtyPeer::LocalFlags() const
{
    return Settings(m_fd).c_lflag;
}

}  // namespace vexar::linktest
