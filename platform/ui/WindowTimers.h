#pragma once

// A window's timers by id: each one ticks at its period until it is killed,
// never before its period has passed; setting an id that runs already
// restarts it with the new period. A tick
// that finds its handler still busy is not queued up behind it.

#include <QObject>

#include <functional>
#include <map>

namespace vexar::ui {

class WindowTimers : public QObject {
public:
    // The shortest period; shorter ones are raised to it.
    static constexpr unsigned kMinimumPeriod = 10;

    explicit WindowTimers(std::function<void(unsigned id)> onTick, QObject* parent = nullptr);

    void Set(unsigned id, unsigned milliseconds);
    // False when no timer has that id.
    bool Kill(unsigned id);
    bool IsSet(unsigned id) const;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    std::function<void(unsigned)> m_onTick;
    std::map<unsigned, int> m_qtIds;  // our id -> Qt's timer id
};

}  // namespace vexar::ui
