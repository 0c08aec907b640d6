#include "testing/ptysupport/WakeEvent.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vexar::ptysupport {

WakeEvent::~WakeEvent()
{
    Close();
}

bool WakeEvent::Open()
{
    Close();
    m_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return m_fd >= 0;
}

void WakeEvent::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

void WakeEvent::Signal()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_fd, &one, sizeof one);
}

void WakeEvent::Drain()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(m_fd, &count, sizeof count);
}

}  // namespace vexar::ptysupport
