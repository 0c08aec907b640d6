// Timers by id: each ticks into the window as WM_TIMER with its id until
// it is killed; setting a running id again restarts it.
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include <vector>

namespace vexar::uitest {
namespace {

std::size_t Ticks(const TestWindow& window, unsigned id)
{
    std::size_t count = 0;
    for (const ReceivedMessage& message : window.messages)
        count += message.id == ui::WM_TIMER && message.wParam == id;
    return count;
}

TEST(WindowTimers, EachTimerTicksByItsIdUntilKilled)
{
    TestWindow window;
    window.SetTimer(1, 15);
    window.SetTimer(2, 15);
    ASSERT_TRUE(ProcessUntil([&] { return Ticks(window, 1) >= 2 && Ticks(window, 2) >= 2; }));

    EXPECT_TRUE(window.KillTimer(1));
    EXPECT_FALSE(window.KillTimer(1));
    EXPECT_FALSE(window.KillTimer(3));
    const std::size_t killedAt = Ticks(window, 1);
    const std::size_t runningAt = Ticks(window, 2);
    ASSERT_TRUE(ProcessUntil([&] { return Ticks(window, 2) >= runningAt + 3; }));
    EXPECT_EQ(Ticks(window, 1), killedAt);
}

TEST(WindowTimers, SettingARunningIdRestartsItWithTheNewPeriod)
{
    TestWindow window;
    window.SetTimer(5, 60000);
    window.SetTimer(5, 10);
    ASSERT_TRUE(ProcessUntil([&] { return Ticks(window, 5) >= 3; }));
    EXPECT_TRUE(window.KillTimer(5));
    EXPECT_FALSE(window.KillTimer(5)) << "one timer for the id";
}

TEST(WindowTimers, AHandlerMayKillItsOwnTimer)
{
    TestWindow window;
    window.whenReceived = [&](const ReceivedMessage& message) {
        if (message.id == ui::WM_TIMER && message.wParam == 7) {
            EXPECT_TRUE(window.KillTimer(7));
        }
    };
    window.SetTimer(7, 10);
    window.SetTimer(8, 10);
    ASSERT_TRUE(ProcessUntil([&] { return Ticks(window, 8) >= 4; }));
    EXPECT_EQ(Ticks(window, 7), 1u);
}

// A tick never comes before its period: a reset pulse timed by a window
// timer is at least as long as its definition says.
TEST(WindowTimers, ATickNeverComesEarly)
{
    TestWindow window;
    QElapsedTimer clock;
    std::vector<qint64> ticks;
    window.whenReceived = [&](const ReceivedMessage& message) {
        if (message.id == ui::WM_TIMER && message.wParam == 9)
            ticks.push_back(clock.elapsed());
    };
    clock.start();
    window.SetTimer(9, 200);
    ASSERT_TRUE(ProcessUntil([&] { return ticks.size() >= 3; }));
    EXPECT_TRUE(window.KillTimer(9));
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i], static_cast<qint64>(200 * (i + 1))) << "tick " << i;
}

}  // namespace
}  // namespace vexar::uitest
