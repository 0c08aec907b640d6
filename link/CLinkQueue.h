#pragma once

// The one object the link worker waits on: a quit flag, a tick flag and the
// queue of link requests, under one lock. A wake-up is served in the order
// quit, tick, then one request, oldest first; so a quit pre-empts every
// request still queued and expired timer channels are served between
// requests.
//
// The tick flag is the timer's waitable: any number of releases before the
// worker wakes count as one, as a semaphore with a maximum of 1 would; the
// worker then takes every expired channel from the timer.

#include "link/CMMTimer.h"
#include "link/LinkRequests.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace vexar::link {

class CLinkQueue : public CTimerWaitable {
public:
    enum class Wake { Quit, Tick, Request };

    CLinkQueue() = default;
    ~CLinkQueue() override = default;
    CLinkQueue(const CLinkQueue&) = delete;
    CLinkQueue& operator=(const CLinkQueue&) = delete;

    // Appends a request; any thread.
    void Post(LinkMessage request);
    // Sets the quit flag; any thread. It stays set: every later wait
    // returns Quit.
    void SetQuit();
    // Sets the tick flag (the timer thread calls it with the timer's lock
    // held, so it only signals).
    void Release() override;

    // Blocks until something is there; takes the tick flag or the oldest
    // request (into `request`). Quit is not taken.
    Wake Wait(LinkMessage& request);

    // Requests still queued.
    std::size_t Pending() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_tick = false;
    std::deque<LinkMessage> m_requests;
};

}  // namespace vexar::link
