#include "link/CMMTimer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>

using vexar::link::CMMTimer;
using vexar::link::CTimerWaitable;

namespace {

using Clock = std::chrono::steady_clock;

// Counts releases; a test can wait for the next one.
class CountingWaitable : public CTimerWaitable {
public:
    void Release() override
    {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_changed.notify_all();
    }
    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }
    bool WaitForCount(int wanted, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_count >= wanted; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

// A timer whose ticks the test steps itself; Start is never called, so the
// channels count only when told to.
class SteppedTimerTest : public ::testing::Test {
protected:
    void Step(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            m_timer.TimerProc();
    }
    std::vector<int> TakeExpired()
    {
        std::vector<int> channels;
        for (int channel = m_timer.GetExpired(); channel != -1; channel = m_timer.GetExpired())
            channels.push_back(channel);
        return channels;
    }
    // Ticks until the channel first expires, or -1 within `limit` ticks.
    int TicksToExpiry(int channel, int limit)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            m_timer.TimerProc();
            for (int expired : TakeExpired()) {
                if (expired == channel)
                    return tick;
            }
        }
        return -1;
    }

    CMMTimer m_timer;
};

}  // namespace

TEST_F(SteppedTimerTest, ChannelsExpiringInOneTickAreQueuedInChannelOrder)
{
    CountingWaitable waitable;
    ASSERT_EQ(m_timer.Start(&waitable, 1000000), 0);  // never ticks by itself in this test
    EXPECT_EQ(m_timer.AddTimer(3, false), 0u);
    EXPECT_EQ(m_timer.AddTimer(1, false), 1u);
    EXPECT_EQ(m_timer.AddTimer(3, false), 2u);
    EXPECT_EQ(m_timer.AddTimer(1, true), 3u);  // stopped: never counts

    Step(1);
    EXPECT_EQ(TakeExpired(), (std::vector<int>{1}));
    Step(2);
    EXPECT_EQ(TakeExpired(), (std::vector<int>{0, 2}));
    EXPECT_EQ(waitable.count(), 3);  // once per expiry
    m_timer.Stop();
}

TEST_F(SteppedTimerTest, OneShotChannelStopsReloadedUntilEnabledAgain)
{
    const int channel = static_cast<int>(m_timer.AddTimer(4, false));
    EXPECT_EQ(TicksToExpiry(channel, 10), 4);
    EXPECT_EQ(m_timer.IsStopped(channel), 1);
    Step(20);
    EXPECT_TRUE(TakeExpired().empty());

    ASSERT_EQ(m_timer.EnableTimer(channel), 0);
    EXPECT_EQ(TicksToExpiry(channel, 10), 4);  // a full period
}

TEST_F(SteppedTimerTest, EnableDoesNotRestartARunningCount)
{
    const int channel = static_cast<int>(m_timer.AddTimer(5, false));
    Step(3);
    ASSERT_EQ(m_timer.EnableTimer(channel), 0);
    EXPECT_EQ(TicksToExpiry(channel, 10), 2);
}

TEST_F(SteppedTimerTest, DisableDropsAQueuedExpiryAndReloadsTheCount)
{
    const int first = static_cast<int>(m_timer.AddTimer(2, false));
    const int second = static_cast<int>(m_timer.AddTimer(2, false));
    Step(2);
    ASSERT_EQ(m_timer.DisableTimer(first), 0);
    EXPECT_EQ(TakeExpired(), (std::vector<int>{second}));

    // Disabled part way through, the channel starts a full period when enabled.
    ASSERT_EQ(m_timer.SetPeriod(second, 6), 0);
    ASSERT_EQ(m_timer.EnableTimer(second), 0);
    Step(4);
    ASSERT_EQ(m_timer.DisableTimer(second), 0);
    ASSERT_EQ(m_timer.EnableTimer(second), 0);
    EXPECT_EQ(TicksToExpiry(second, 10), 6);
}

TEST_F(SteppedTimerTest, SetPeriodRestartsTheCountAndKeepsTheStoppedFlag)
{
    const int running = static_cast<int>(m_timer.AddTimer(10, false));
    const int stopped = static_cast<int>(m_timer.AddTimer(10, true));
    Step(7);
    ASSERT_EQ(m_timer.SetPeriod(running, 5), 0);
    ASSERT_EQ(m_timer.SetPeriod(stopped, 5), 0);
    EXPECT_EQ(m_timer.IsStopped(stopped), 1);
    EXPECT_EQ(TicksToExpiry(running, 10), 5);
}

TEST_F(SteppedTimerTest, PeriodsAreClampedToOneThrough65535Ticks)
{
    struct Case {
        unsigned ticks;
        int expected;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {65535, 65535}, {65536, 65535}, {100000, 65535}};
    for (const Case& c : cases) {
        const int added = static_cast<int>(m_timer.AddTimer(c.ticks, false));
        EXPECT_EQ(TicksToExpiry(added, 70000), c.expected) << "AddTimer " << c.ticks;
        ASSERT_EQ(m_timer.SetPeriod(added, c.ticks), 0);
        ASSERT_EQ(m_timer.EnableTimer(added), 0);
        EXPECT_EQ(TicksToExpiry(added, 70000), c.expected) << "SetPeriod " << c.ticks;
    }
}

TEST_F(SteppedTimerTest, MissingChannelsChangeNothingAndReportIt)
{
    m_timer.AddTimer(1, true);
    for (int channel : {-1, 1, 7}) {
        EXPECT_EQ(m_timer.SetPeriod(channel, 3), -1) << channel;
        EXPECT_EQ(m_timer.EnableTimer(channel), -1) << channel;
        EXPECT_EQ(m_timer.DisableTimer(channel), -1) << channel;
        EXPECT_EQ(m_timer.IsStopped(channel), 1) << channel;
    }
    EXPECT_EQ(m_timer.IsStopped(0), 1);
    EXPECT_EQ(m_timer.GetExpired(), -1);
}

TEST_F(SteppedTimerTest, StartForgetsOldChannelsAndExpiries)
{
    m_timer.AddTimer(1, false);
    m_timer.AddTimer(1, false);
    Step(1);
    ASSERT_EQ(m_timer.Start(nullptr, 1000000), 0);
    EXPECT_EQ(m_timer.GetExpired(), -1);
    EXPECT_EQ(m_timer.AddTimer(5, true), 0u);
    EXPECT_EQ(m_timer.EnableTimer(1), -1);
}

TEST(CMMTimerTest, StartFailsForAZeroTickAndNothingExpires)
{
    CMMTimer timer;
    CountingWaitable waitable;
    EXPECT_EQ(timer.Start(&waitable, 0), -2);
    timer.AddTimer(1, false);
    EXPECT_FALSE(waitable.WaitForCount(1, std::chrono::milliseconds(50)));
    EXPECT_EQ(std::u16string(CMMTimer::kStartErrorText), u"E0001: Timer Error in User Interface Thread Example.");
}

TEST(CMMTimerTest, RealTicksExpireAChannelAfterItsPeriodAndStopEndsThem)
{
    CMMTimer timer;
    CountingWaitable waitable;
    ASSERT_EQ(timer.Start(&waitable, 10), 0);
    const int channel = static_cast<int>(timer.AddTimer(30, true));

    const Clock::time_point begin = Clock::now();
    ASSERT_EQ(timer.EnableTimer(channel), 0);
    ASSERT_TRUE(waitable.WaitForCount(1, std::chrono::seconds(5)));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin);
    // 30 ticks of 10 ms; the first tick may come up to one tick early.
    EXPECT_GE(elapsed.count(), 280);
    EXPECT_LT(elapsed.count(), 1500);
    EXPECT_EQ(timer.GetExpired(), channel);

    timer.Stop();
    ASSERT_EQ(timer.SetPeriod(channel, 1), 0);
    ASSERT_EQ(timer.EnableTimer(channel), 0);
    EXPECT_FALSE(waitable.WaitForCount(2, std::chrono::milliseconds(100)));
}

// Ticks counted in one service leave the channels as the same ticks
// counted one by one: the same expiries in the same order, the same
// channels stopped, the same counts left.
TEST_F(SteppedTimerTest, TicksCountedTogetherActLikeTicksCountedOneByOne)
{
    const unsigned periods[] = {1, 5, 50, 800, 6000};
    for (const std::uint64_t ticks : {1ull, 4ull, 5ull, 49ull, 50ull, 51ull, 799ull, 6000ull, 1000000ull}) {
        SCOPED_TRACE(ticks);
        CMMTimer together;
        CMMTimer oneByOne;
        for (CMMTimer* timer : {&together, &oneByOne}) {
            for (const unsigned period : periods)
                timer->AddTimer(period, false);
            timer->AddTimer(3, true);  // stopped: never counts
        }
        together.TimerProc(ticks);
        for (std::uint64_t i = 0; i < ticks; ++i)
            oneByOne.TimerProc();
        std::vector<int> a, b;
        for (int c = together.GetExpired(); c != -1; c = together.GetExpired())
            a.push_back(c);
        for (int c = oneByOne.GetExpired(); c != -1; c = oneByOne.GetExpired())
            b.push_back(c);
        EXPECT_EQ(a, b);
        for (int channel = 0; channel <= 5; ++channel)
            EXPECT_EQ(together.IsStopped(channel), oneByOne.IsStopped(channel)) << channel;
        // What is left: one tick more expires exactly the same channels.
        together.EnableTimer(0);
        oneByOne.EnableTimer(0);
        for (int step = 0; step < 60; ++step) {
            together.TimerProc();
            oneByOne.TimerProc();
            EXPECT_EQ(together.GetExpired(), oneByOne.GetExpired()) << "step " << step;
        }
    }
}

// The timer's own thread after a stall: the clock jumps 70 s (7000 ticks)
// at once. Every running channel whose period has passed expires, once,
// in channel order, in one service; the next deadlines follow the new
// time instead of lagging behind it.
TEST(CMMTimerTest, AfterAStallTheMissedTicksAreCountedInOneService)
{
    std::atomic<std::int64_t> nowMs{1000};
    CMMTimer timer([&] { return Clock::time_point(std::chrono::milliseconds(nowMs.load())); });
    CountingWaitable waitable;
    ASSERT_EQ(timer.Start(&waitable, 10), 0);
    timer.AddTimer(50, false);     // 0: the poll period
    timer.AddTimer(6000, false);   // 1: the longest channel
    timer.AddTimer(10000, false);  // 2: still running after the stall
    timer.AddTimer(5, true);       // 3: stopped

    nowMs += 70000;
    ASSERT_TRUE(waitable.WaitForCount(2, std::chrono::seconds(5)));
    EXPECT_FALSE(waitable.WaitForCount(3, std::chrono::milliseconds(100))) << "a channel expired twice";
    EXPECT_EQ(timer.GetExpired(), 0);
    EXPECT_EQ(timer.GetExpired(), 1);
    EXPECT_EQ(timer.GetExpired(), -1);
    EXPECT_EQ(timer.IsStopped(3), 1);

    // Channel 2 has 3000 ticks left; channel 0 runs a full period again.
    timer.EnableTimer(0);
    nowMs += 490;
    EXPECT_FALSE(waitable.WaitForCount(3, std::chrono::milliseconds(100)));
    nowMs += 10;
    ASSERT_TRUE(waitable.WaitForCount(3, std::chrono::seconds(5)));
    EXPECT_EQ(timer.GetExpired(), 0);
    nowMs += 29490;
    EXPECT_FALSE(waitable.WaitForCount(4, std::chrono::milliseconds(100)));
    nowMs += 10;
    ASSERT_TRUE(waitable.WaitForCount(4, std::chrono::seconds(5)));
    EXPECT_EQ(timer.GetExpired(), 2);
    timer.Stop();
}
