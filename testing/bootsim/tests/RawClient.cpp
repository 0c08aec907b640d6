#include "RawClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace vexar::bootsim::test {

namespace {

speed_t SpeedOf(long baud)
{
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    default:
        return B4800;
    }
}

}  // namespace

RawClient::RawClient(const std::string& path, long baud)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd >= 0)
        SetSpeed(baud);
}

RawClient::~RawClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void RawClient::SetSpeed(long baud)
{
    termios tio{};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, SpeedOf(baud));
    ::cfsetospeed(&tio, SpeedOf(baud));
    ::tcsetattr(m_fd, TCSANOW, &tio);
}

void RawClient::Write(const Bytes& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

Bytes RawClient::Read(std::size_t count, std::chrono::milliseconds timeout)
{
    Bytes bytes;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

}  // namespace vexar::bootsim::test
