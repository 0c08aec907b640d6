#include "obd/tests/PortPeer.h"

#include <algorithm>
#include <cstdlib>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace obdvane::test {

ComFolder::ComFolder()
{
    if (const char* named = std::getenv("VEXAR_COM_DIR"))
        m_saved = named;
    ::setenv("VEXAR_COM_DIR", m_folder.path().c_str(), 1);
}

ComFolder::~ComFolder()
{
    if (m_saved)
        ::setenv("VEXAR_COM_DIR", m_saved->c_str(), 1);
    else
        ::unsetenv("VEXAR_COM_DIR");
}

PortPeer::PortPeer(unsigned comNumber)
    : m_number(comNumber)
{
    std::string error;
    int one = 1;
    if (!m_pty.Open(9600, error) || ::ioctl(m_pty.Master(), TIOCPKT, &one) != 0)
        throw std::runtime_error("cannot make a pseudo-terminal: " + error);
    const std::string link = m_comDir.Path() + "/" + ComName();
    if (::symlink(m_pty.SlavePath().c_str(), link.c_str()) != 0)
        throw std::runtime_error("cannot link " + link);
}

PortPeer::~PortPeer() = default;

void PortPeer::Write(const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_pty.Master(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd fd{m_pty.Master(), POLLOUT, 0};
        if (::poll(&fd, 1, 1000) <= 0)
            throw std::runtime_error("the pty master takes no more bytes");
    }
}

bool PortPeer::Take(std::chrono::milliseconds timeout)
{
    pollfd fd{m_pty.Master(), POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(std::max<long long>(0, timeout.count()))) <= 0)
        return false;
    std::uint8_t packet[4097];
    const ssize_t n = ::read(m_pty.Master(), packet, sizeof packet);
    if (n <= 0)
        return false;
    if (packet[0] == TIOCPKT_DATA)
        m_data.insert(m_data.end(), packet + 1, packet + n);
    else if ((packet[0] & TIOCPKT_FLUSHREAD) && !m_flush)
        m_flush = Clock::now();
    return true;
}

Bytes PortPeer::Read(std::size_t count, std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    while (m_data.size() < count &&
           Take(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()))) {
    }
    const std::size_t taken = std::min(count, m_data.size());
    Bytes bytes(m_data.begin(), m_data.begin() + static_cast<std::ptrdiff_t>(taken));
    m_data.erase(m_data.begin(), m_data.begin() + static_cast<std::ptrdiff_t>(taken));
    return bytes;
}

std::optional<Clock::time_point> PortPeer::WaitForFlush(std::chrono::milliseconds timeout)
{
    m_flush.reset();
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!m_flush && Take(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()))) {
    }
    return m_flush;
}

long long ElapsedMs(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace obdvane::test
