#include "CMMTimer.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace vexar::link {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartFailed = -2;
constexpr unsigned kMaxTicks = 65535;
// Behind by more than this, the timer drops the missed ticks.
constexpr auto kMaxLag = std::chrono::seconds(1);

std::uint16_t ClampTicks(unsigned ticks)
{
    return static_cast<std::uint16_t>(std::clamp(ticks, 1u, kMaxTicks));
}

}  // namespace

CMMTimer::~CMMTimer()
{
    Stop();
}

int CMMTimer::Start(CTimerWaitable* waitable, unsigned tickMs)
{
    Stop();
    {
        std::lock_guard lock(m_lock);
        m_channels.clear();
        m_expired.clear();
        m_waitable = waitable;
    }
    if (tickMs == 0)
        return kStartFailed;
    m_stopRequested = false;
    try {
        m_thread = std::thread(&CMMTimer::Run, this, tickMs);
    } catch (const std::system_error&) {
        return kStartFailed;
    }
    return 0;
}

void CMMTimer::Stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_runLock);
        m_stopRequested = true;
    }
    m_runWake.notify_all();
    m_thread.join();
}

void CMMTimer::Run(unsigned tickMs)
{
    const auto tick = std::chrono::milliseconds(tickMs);
    Clock::time_point next = Clock::now() + tick;
    std::unique_lock lock(m_runLock);
    for (;;) {
        if (m_runWake.wait_until(lock, next, [this] { return m_stopRequested; }))
            return;
        lock.unlock();
        TimerProc();
        lock.lock();
        next += tick;
        if (Clock::now() - next > kMaxLag)
            next = Clock::now() + tick;
    }
}

unsigned CMMTimer::AddTimer(unsigned ticks, bool stopped)
{
    std::lock_guard lock(m_lock);
    TIMER_PAR channel;
    channel.count = channel.reload = ClampTicks(ticks);
    channel.stopped = stopped ? 1 : 0;
    channel.oneShot = 1;
    m_channels.push_back(channel);
    return static_cast<unsigned>(m_channels.size() - 1);
}

int CMMTimer::SetPeriod(int channel, unsigned ticks)
{
    std::lock_guard lock(m_lock);
    if (!Exists(channel))
        return -1;
    TIMER_PAR& par = m_channels[static_cast<std::size_t>(channel)];
    par.count = par.reload = ClampTicks(ticks);
    return 0;
}

int CMMTimer::EnableTimer(int channel)
{
    std::lock_guard lock(m_lock);
    if (!Exists(channel))
        return -1;
    m_channels[static_cast<std::size_t>(channel)].stopped = 0;
    return 0;
}

int CMMTimer::DisableTimer(int channel)
{
    std::lock_guard lock(m_lock);
    if (!Exists(channel))
        return -1;
    TIMER_PAR& par = m_channels[static_cast<std::size_t>(channel)];
    par.stopped = 1;
    par.count = par.reload;
    std::erase(m_expired, static_cast<unsigned>(channel));
    return 0;
}

int CMMTimer::IsStopped(int channel) const
{
    std::lock_guard lock(m_lock);
    return Exists(channel) ? m_channels[static_cast<std::size_t>(channel)].stopped : 1;
}

int CMMTimer::GetExpired()
{
    std::lock_guard lock(m_lock);
    if (m_expired.empty())
        return -1;
    const unsigned channel = m_expired.front();
    m_expired.pop_front();
    return static_cast<int>(channel);
}

void CMMTimer::TimerProc()
{
    std::lock_guard lock(m_lock);
    for (std::size_t number = 0; number < m_channels.size(); ++number) {
        TIMER_PAR& par = m_channels[number];
        if (par.stopped || --par.count != 0)
            continue;
        if (par.oneShot)
            par.stopped = 1;
        par.count = par.reload;
        m_expired.push_back(static_cast<unsigned>(number));
        if (m_waitable)
            m_waitable->Release();
    }
}

}  // namespace vexar::link
