#include "CMMTimer.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <system_error>

namespace vexar::link {

namespace {

constexpr int kStartFailed = -2;
constexpr unsigned kMaxTicks = 65535;

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
        // The ticks count from the moment the thread runs; Start returns
        // once it does, so what the owner adds next is counted from then.
        std::promise<void> running;
        std::future<void> ran = running.get_future();
        m_thread = std::thread(&CMMTimer::Run, this, tickMs, std::move(running));
        ran.wait();
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

void CMMTimer::Run(unsigned tickMs, std::promise<void> running)
{
    const auto tick = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(tickMs));
    Clock::time_point next = m_now() + tick;
    running.set_value();
    std::unique_lock lock(m_runLock);
    for (;;) {
        // The wait is measured again against the time source each round,
        // so a clock that jumps (or a test's stepped clock) is followed.
        const Clock::duration wait = std::clamp<Clock::duration>(next - m_now(), Clock::duration::zero(), tick);
        if (m_runWake.wait_for(lock, wait, [this] { return m_stopRequested; }))
            return;
        const Clock::time_point now = m_now();
        if (now < next)
            continue;
        // Every tick due up to now, in one service.
        const std::uint64_t due = 1 + static_cast<std::uint64_t>((now - next) / tick);
        lock.unlock();
        TimerProc(due);
        lock.lock();
        next += tick * static_cast<Clock::rep>(due);
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

void CMMTimer::TimerProc(std::uint64_t ticks)
{
    if (ticks == 0)
        return;
    std::lock_guard lock(m_lock);
    for (std::size_t number = 0; number < m_channels.size(); ++number) {
        TIMER_PAR& par = m_channels[number];
        if (par.stopped)
            continue;
        if (ticks < par.count) {
            par.count = static_cast<std::uint16_t>(par.count - ticks);
            continue;
        }
        // Ran out within these ticks: one expiry. A periodic channel goes
        // on with what is left of the period it is now in.
        const std::uint64_t past = ticks - par.count;
        if (par.oneShot) {
            par.stopped = 1;
            par.count = par.reload;
        } else {
            par.count = static_cast<std::uint16_t>(par.reload - past % par.reload);
        }
        m_expired.push_back(static_cast<unsigned>(number));
        if (m_waitable)
            m_waitable->Release();
    }
}

}  // namespace vexar::link
