// Posting and sending window messages, on the user-interface thread and
// from a worker through the relay: order, ownership of the records, and
// the release of a waiting sender at shutdown.
#include "TestWindow.h"
#include "platform/ui/MessageRelay.h"
#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <future>
#include <thread>

namespace vexar::uitest {
namespace {

using namespace std::chrono_literals;
using ui::MessageRelay;
using ui::WindowMessage;

constexpr unsigned kTestMessage = 0x8000 + 7;

WindowMessage Counted(int sequence)
{
    return WindowMessage{kTestMessage, static_cast<std::uintptr_t>(sequence), -sequence,
                         std::make_unique<CountedPayload>(sequence)};
}

// Runs `work` on a thread of its own and waits for it (a failure after
// five seconds, so that a hang shows as a failure).
template <class F>
auto OnWorker(F work)
{
    auto done = std::async(std::launch::async, std::move(work));
    EXPECT_EQ(done.wait_for(5s), std::future_status::ready) << "the worker did not return";
    return done.get();
}

class MessageTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QCoreApplication::processEvents();
        EXPECT_EQ(CountedPayload::live, 0) << "a record was not freed";
    }
};

TEST_F(MessageTest, PostsFromAWorkerArriveInOrderOnTheUiThreadAfterThePosterReturned)
{
    MessageRelay relay;
    TestWindow window;
    QPointer<QObject> target(&window);
    OnWorker([&] {
        for (int i = 0; i < 200; ++i)
            relay.Post(target, Counted(i));
    });
    EXPECT_TRUE(window.messages.empty()) << "nothing is delivered while the user-interface thread is busy";

    ASSERT_TRUE(ProcessUntil([&] { return window.messages.size() == 200; }));
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(window.messages[i].sequence, i);
        EXPECT_EQ(window.messages[i].wParam, static_cast<std::uintptr_t>(i));
        EXPECT_EQ(window.messages[i].lParam, -i);
        EXPECT_TRUE(window.messages[i].onUiThread);
    }
}

TEST_F(MessageTest, RecordsOfPostsToAWindowDeletedFirstAreFreed)
{
    MessageRelay relay;
    auto window = std::make_unique<TestWindow>();
    QPointer<QObject> target(window.get());
    OnWorker([&] {
        for (int i = 0; i < 10; ++i)
            relay.Post(target, Counted(i));
    });
    // Posted on the user-interface thread itself, straight to the window.
    ui::PostMessage(window.get(), Counted(10));
    EXPECT_EQ(CountedPayload::live, 11);

    window.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(CountedPayload::live, 0);
}

TEST_F(MessageTest, APostToNoWindowOrAnObjectThatIsNoWindowIsDroppedWithItsRecord)
{
    QObject plain;
    ui::PostMessage(nullptr, Counted(1));
    ui::PostMessage(&plain, Counted(2));
    EXPECT_FALSE(ui::SendMessage(&plain, Counted(3)).has_value());
    QCoreApplication::processEvents();
    EXPECT_EQ(CountedPayload::live, 0);
}

TEST_F(MessageTest, AReceiverThatKeepsTheRecordOwnsIt)
{
    TestWindow window;
    window.keepPayloads = true;
    ui::PostMessage(&window, Counted(4));
    ASSERT_TRUE(ProcessUntil([&] { return window.messages.size() == 1; }));
    EXPECT_EQ(CountedPayload::live, 1);
    window.kept.clear();
    EXPECT_EQ(CountedPayload::live, 0);
}

TEST_F(MessageTest, ASendOnTheUiThreadIsADirectCallWithTheWindowsResult)
{
    TestWindow window;
    window.result = 42;
    const auto result = ui::SendMessage(&window, Counted(5));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, 42);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].sequence, 5);
    EXPECT_EQ(CountedPayload::live, 0);
}

TEST_F(MessageTest, PostsFromTheUiThreadAndFromAWorkerKeepOneOrder)
{
    MessageRelay relay;
    TestWindow window;
    ui::PostMessage(&window, Counted(0));
    OnWorker([&] { relay.Post(&window, Counted(1)); });
    ui::PostMessage(&window, Counted(2));
    ASSERT_TRUE(ProcessUntil([&] { return window.messages.size() == 3; }));
    EXPECT_EQ(window.messages[0].sequence, 0);
    EXPECT_EQ(window.messages[1].sequence, 1);
    EXPECT_EQ(window.messages[2].sequence, 2);
}

TEST_F(MessageTest, ABlockingSendFromAWorkerReturnsTheResultOnceTheUiThreadHandledIt)
{
    MessageRelay relay;
    TestWindow window;
    window.result = 7;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        const auto result = relay.Send(&window, Counted(1));
        EXPECT_EQ(result, std::optional<std::intptr_t>(7));
        returned = true;
    });
    ASSERT_TRUE(ProcessUntil([&] { return returned.load(); }));
    worker.join();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_TRUE(window.messages[0].onUiThread);
}

TEST_F(MessageTest, AWaitingSendReturnsAtOnceWhenShutdownBeginsAndItsMessageIsDropped)
{
    MessageRelay relay;
    TestWindow window;
    std::promise<void> sent;
    auto done = std::async(std::launch::async, [&] {
        sent.set_value();
        return relay.Send(&window, Counted(1));
    });
    sent.get_future().wait();
    // The user-interface thread does not run its events: it begins the
    // shutdown and waits for the worker, which must not wait for it.
    std::this_thread::sleep_for(20ms);
    relay.BeginShutdown();
    ASSERT_EQ(done.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(done.get().has_value());

    QCoreApplication::processEvents();
    EXPECT_TRUE(window.messages.empty()) << "the released send is not handled late";
    EXPECT_EQ(CountedPayload::live, 0);

    // Later sends return at once; posts still flow.
    EXPECT_FALSE(OnWorker([&] { return relay.Send(&window, Counted(2)); }).has_value());
    OnWorker([&] { relay.Post(&window, Counted(3)); });
    ASSERT_TRUE(ProcessUntil([&] { return window.messages.size() == 1; }));
    EXPECT_EQ(window.messages[0].sequence, 3);
}

TEST_F(MessageTest, ASendToAWindowDeletedBeforeDeliveryReturnsNothing)
{
    MessageRelay relay;
    auto window = std::make_unique<TestWindow>();
    QPointer<QObject> target(window.get());
    auto done = std::async(std::launch::async, [&] { return relay.Send(target, Counted(1)); });
    // Queued or not yet, the send cannot be handled before events run.
    std::this_thread::sleep_for(20ms);
    window.reset();
    ASSERT_TRUE(ProcessUntil([&] { return done.wait_for(0s) == std::future_status::ready; }));
    EXPECT_FALSE(done.get().has_value());
}

TEST_F(MessageTest, AClosedRelayDropsWhatIsQueuedAndWhatComes)
{
    TestWindow window;
    {
        MessageRelay relay;
        OnWorker([&] { relay.Post(&window, Counted(1)); });
        relay.Close();
        OnWorker([&] { relay.Post(&window, Counted(2)); });
        EXPECT_EQ(CountedPayload::live, 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(CountedPayload::live, 0);
        OnWorker([&] { relay.Post(&window, Counted(3)); });
    }
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(MessageTest, TasksRunOnTheUiThreadInPostingOrder)
{
    MessageRelay relay;
    std::vector<int> ran;
    OnWorker([&] {
        relay.PostTask([&] { ran.push_back(1); });
        relay.PostTask([&] { ran.push_back(2); });
    });
    ASSERT_TRUE(ProcessUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST_F(MessageTest, APostedCommandRunsTheWindowsHandlerAndAPostedCloseClosesIt)
{
    TestWindow window;
    window.show();
    int ran = 0;
    window.commands().On(32846, [&] { ++ran; });
    ui::PostMessage(&window, ui::CommandMessage(32846));
    ui::PostMessage(&window, WindowMessage{ui::WM_CLOSE, 0, 0, nullptr});
    ASSERT_TRUE(ProcessUntil([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(window.commandsRun, (std::vector<unsigned>{32846}));
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace vexar::uitest
