#include "link/CLinkQueue.h"

namespace vexar::link {

void CLinkQueue::Post(LinkMessage request)
{
    {
        std::lock_guard lock(m_lock);
        m_requests.push_back(std::move(request));
    }
    m_wake.notify_one();
}

void CLinkQueue::SetQuit()
{
    {
        std::lock_guard lock(m_lock);
        m_quit = true;
    }
    m_wake.notify_one();
}

void CLinkQueue::Release()
{
    {
        std::lock_guard lock(m_lock);
        m_tick = true;
    }
    m_wake.notify_one();
}

CLinkQueue::Wake CLinkQueue::Wait(LinkMessage& request)
{
    std::unique_lock lock(m_lock);
    m_wake.wait(lock, [this] { return m_quit || m_tick || !m_requests.empty(); });
    if (m_quit)
        return Wake::Quit;
    if (m_tick) {
        m_tick = false;
        return Wake::Tick;
    }
    request = std::move(m_requests.front());
    m_requests.pop_front();
    return Wake::Request;
}

std::size_t CLinkQueue::Pending() const
{
    std::lock_guard lock(m_lock);
    return m_requests.size();
}

}  // namespace vexar::link
