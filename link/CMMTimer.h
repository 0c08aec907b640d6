#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace vexar::link {

// What the timer releases once per expiry: the owner's wake-up object (the
// link worker's tick flag). Release is called on the timer thread with the
// timer's lock held, so it must only signal and never call back into the
// timer.
class CTimerWaitable {
public:
    virtual ~CTimerWaitable() = default;
    virtual void Release() = 0;
};

// One count-down channel.
struct TIMER_PAR {
    std::uint16_t count = 0;   // ticks left until expiry
    std::uint8_t stopped = 0;  // 1: the channel does not count
    std::uint16_t reload = 0;  // period in ticks, loaded at expiry and by DisableTimer
    std::uint8_t oneShot = 0;  // 1: the channel stops itself at expiry
};

// A set of count-down channels driven by one periodic tick on a thread of
// its own. Each tick counts every running channel down; a channel that
// reaches zero is reloaded (and stopped when one-shot), queued as expired
// and signalled to the owner, who takes the expired channel numbers one at
// a time with GetExpired. The tick does nothing else, so all slow work runs
// on the owner's thread.
//
// Ticks follow absolute deadlines (start + n × tick), so they do not drift
// with the time each tick takes. After a stall (suspend, heavy load) the
// ticks missed are counted into the channels in one service, so each
// channel expires as the elapsed time says, at most once per service.
class CMMTimer {
public:
    using Clock = std::chrono::steady_clock;
    // Where the timer reads the time; tests step their own.
    using TimeSource = std::function<Clock::time_point()>;

    // What the owner shows the user when Start fails (the timer links no
    // user interface, so the owner posts it).
    static constexpr const char16_t* kStartErrorText = u"E0001: Timer Error in User Interface Thread Example.";

    CMMTimer() = default;
    explicit CMMTimer(TimeSource now) : m_now(std::move(now)) {}
    virtual ~CMMTimer();
    CMMTimer(const CMMTimer&) = delete;
    CMMTimer& operator=(const CMMTimer&) = delete;

    // Forgets all channels and queued expiries, then starts ticking every
    // `tickMs` ms, releasing `waitable` (may be null) once per expiry. A
    // running timer is stopped first. 0 on success; -2 when the timer
    // cannot run (a tick of 0 ms, or no thread), and then no channel ever
    // expires.
    int Start(CTimerWaitable* waitable, unsigned tickMs);
    // Ends the ticking; channels and queue stay as they are. Never call it
    // from the waitable's Release.
    void Stop();

    // Periods are clamped to 1..65535 ticks: 0 would otherwise wrap to
    // 65536 ticks and larger values lose their high bits.
    // Adds a one-shot channel; returns its number (0 for the first after Start).
    unsigned AddTimer(unsigned ticks, bool stopped);
    // count and reload := ticks; the stopped flag is kept. -1 for no such channel.
    int SetPeriod(int channel, unsigned ticks);
    // Lets the channel count on from where it is. -1 for no such channel.
    int EnableTimer(int channel);
    // Stops the channel, reloads its count and drops its queued expiries.
    // -1 for no such channel.
    int DisableTimer(int channel);
    // The stopped flag; 1 for no such channel.
    int IsStopped(int channel) const;
    // The oldest queued expired channel, removed from the queue; -1 when none.
    int GetExpired();

    // Counts `ticks` ticks into every running channel at once. A channel
    // whose count runs out expires once, however many periods the ticks
    // span; a periodic one keeps the rest of its current period. The timer
    // thread calls it; tests step the channels with it.
    void TimerProc(std::uint64_t ticks = 1);

private:
    void Run(unsigned tickMs, std::promise<void> running);
    bool Exists(int channel) const { return channel >= 0 && static_cast<std::size_t>(channel) < m_channels.size(); }

    TimeSource m_now = Clock::now;

    // Guards the channels, the queue and the waitable.
    mutable std::mutex m_lock;
    std::vector<TIMER_PAR> m_channels;
    std::deque<unsigned> m_expired;
    CTimerWaitable* m_waitable = nullptr;

    // The tick thread and how it is told to end.
    std::mutex m_runLock;
    std::condition_variable m_runWake;
    bool m_stopRequested = false;
    std::thread m_thread;
};

}  // namespace vexar::link
