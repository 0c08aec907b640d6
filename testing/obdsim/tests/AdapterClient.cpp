#include "testing/obdsim/tests/AdapterClient.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace vexar::obdsim::test {

AdapterClient::~AdapterClient()
{
    Close();
}

bool AdapterClient::Open(const std::string& path)
{
    Close();
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (m_fd < 0 || tcgetattr(m_fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(m_fd, TCSANOW, &settings) == 0;
}

void AdapterClient::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool AdapterClient::Send(const Bytes& bytes)
{
    return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

Bytes AdapterClient::Receive(std::size_t count, std::chrono::milliseconds timeout)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < count) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{m_fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::uint8_t buffer[4096];
        const ssize_t n = read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

Bytes AdapterClient::ReceiveFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Bytes got;
    while (got.empty() || got.back() != kEtx) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const Bytes byte = Receive(1, left);
        if (byte.empty())
            break;
        got.push_back(byte[0]);
    }
    return got;
}

Bytes AdapterClient::Exchange(const Frame& request, std::chrono::milliseconds timeout)
{
    return Send(request) ? ReceiveFrame(timeout) : Bytes();
}

bool AdapterClient::Silent(std::chrono::milliseconds quiet)
{
    return Receive(1, quiet).empty();
}

bool AdapterClient::Flush()
{
    return tcflush(m_fd, TCIOFLUSH) == 0;
}

Bytes Request(const std::string& mnemonic, const std::string& data)
{
    return EncodeFrame({"STL", "0", mnemonic, data});
}

Bytes ReplyFrame(const std::string& type, const std::string& data)
{
    return EncodeFrame({"STL", "0", type, data});
}

std::string Fields(std::string text)
{
    std::replace(text.begin(), text.end(), '|', static_cast<char>(kEtb));
    return text;
}

}  // namespace vexar::obdsim::test
