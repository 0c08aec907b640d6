#pragma once

#include <chrono>
#include <signal.h>

namespace vexar::ptysupport {

// SIGINT and SIGTERM for a simulator's command line: blocked from the
// moment this object is made, in this thread and in every thread it starts
// later, so that only Wait receives them. Make it before the simulator
// starts its thread.
class StopSignals {
public:
    StopSignals();

    // True when a stop signal came within `timeout`.
    bool Wait(std::chrono::milliseconds timeout);

private:
    sigset_t m_signals;
};

}  // namespace vexar::ptysupport
