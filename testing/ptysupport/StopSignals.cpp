#include "testing/ptysupport/StopSignals.h"

#include <pthread.h>

namespace vexar::ptysupport {

StopSignals::StopSignals()
{
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
}

bool StopSignals::Wait(std::chrono::milliseconds timeout)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(timeout - seconds).count())};
    const int signal = sigtimedwait(&m_signals, nullptr, &wait);
    return signal == SIGINT || signal == SIGTERM;
}

}  // namespace vexar::ptysupport
