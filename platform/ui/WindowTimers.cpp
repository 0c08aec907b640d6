#include "platform/ui/WindowTimers.h"

#include <QTimerEvent>

#include <algorithm>

namespace vexar::ui {

WindowTimers::WindowTimers(std::function<void(unsigned)> onTick, QObject* parent)
    : QObject(parent), m_onTick(std::move(onTick))
{
}

void WindowTimers::Set(unsigned id, unsigned milliseconds)
{
    Kill(id);
    // Precise: a coarse timer may tick up to 5 % early, and a pulse timed
    // by a window timer must last at least its period.
    const int qtId = startTimer(static_cast<int>(std::max(milliseconds, kMinimumPeriod)), Qt::PreciseTimer);
    if (qtId != 0)
        m_qtIds[id] = qtId;
}

bool WindowTimers::Kill(unsigned id)
{
    const auto found = m_qtIds.find(id);
    if (found == m_qtIds.end())
        return false;
    killTimer(found->second);
    m_qtIds.erase(found);
    return true;
}

bool WindowTimers::IsSet(unsigned id) const { return m_qtIds.count(id) != 0; }

void WindowTimers::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : m_qtIds) {
        if (qtId == event->timerId()) {
            const unsigned tick = id;  // the handler may kill or set timers
            m_onTick(tick);
            return;
        }
    }
}

}  // namespace vexar::ui
