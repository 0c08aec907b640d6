#include "testing/ecusim/tests/PtyClient.h"

#include "testing/ecusim/EcuCrc.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace vexar::ecusim::test {

namespace {

speed_t SpeedConstant(long baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

Bytes WithCrc(Bytes frame)
{
    const std::uint16_t crc = EcuCrc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

}  // namespace

PtyClient::~PtyClient()
{
    Close();
}

bool PtyClient::Open(const std::string& path, long baud)
{
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return m_fd >= 0 && SetSpeed(baud);
}

void PtyClient::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool PtyClient::SetSpeed(long baud)
{
    termios settings{};
    if (SpeedConstant(baud) == B0 || tcgetattr(m_fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, SpeedConstant(baud));
    cfsetospeed(&settings, SpeedConstant(baud));
    return tcsetattr(m_fd, TCSANOW, &settings) == 0;
}

bool PtyClient::Send(const Bytes& bytes)
{
    return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

Bytes PtyClient::Receive(std::size_t count, std::chrono::milliseconds timeout)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd{m_fd, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0 || !(fd.revents & POLLIN))
            break;
        std::uint8_t buffer[1024];
        const ssize_t n = read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

Bytes PtyClient::Exchange(const Bytes& request, std::size_t count, std::chrono::milliseconds timeout)
{
    if (!Send(request))
        return {};
    return Receive(count, timeout);
}

bool PtyClient::Silent(std::chrono::milliseconds quiet)
{
    return Receive(1, quiet).empty();
}

bool PtyClient::HungUp()
{
    pollfd fd{m_fd, POLLIN, 0};
    if (poll(&fd, 1, 1000) <= 0)
        return false;
    std::uint8_t byte = 0;
    return (fd.revents & (POLLHUP | POLLERR)) != 0 || read(m_fd, &byte, 1) <= 0;
}

Bytes First(std::initializer_list<std::uint8_t> commandAndPayload)
{
    Bytes frame{static_cast<std::uint8_t>(commandAndPayload.size() + 3)};
    frame.insert(frame.end(), commandAndPayload);
    return WithCrc(std::move(frame));
}

Bytes Second(const Bytes& commandAndPayload)
{
    const std::size_t length = commandAndPayload.size() + 4;
    Bytes frame{static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    frame.insert(frame.end(), commandAndPayload.begin(), commandAndPayload.end());
    return WithCrc(std::move(frame));
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace vexar::ecusim::test
