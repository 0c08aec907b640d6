// The link worker's posts, sends and error texts carried to the windows and
// controls of the user-interface thread, with their records.
#include "ScriptedResponder.h"
#include "TestControls.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "platform/ui/WindowBase.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace vexar::link {
namespace {

using namespace std::chrono_literals;

// A record that counts how many of its kind are alive.
struct Sample : LinkPayload {
    explicit Sample(int sequence) : sequence(sequence) { ++live; }
    ~Sample() override { --live; }
    static inline std::atomic<int> live{0};
    int sequence;
};

// A window or control that records what reaches it.
class Receiver : public QWidget, public ui::WindowBase {
public:
    Receiver() : WindowBase(this) {}

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t,
                            std::unique_ptr<ui::MessagePayload>& payload) override
    {
        const Sample* sample = LinkRecord<Sample>(payload);
        received.push_back({id, wParam, sample ? sample->sequence : -1});
        onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        return static_cast<std::intptr_t>(id) + 1;
    }

    struct Received {
        unsigned id;
        std::uintptr_t wParam;
        int sequence;
    };
    std::vector<Received> received;
    bool onUiThread = true;
};

// A data-bound control as the worker names it.
class Ctrl : public testing::DefinitionOnlyCtrl {
public:
    Ctrl() : DefinitionOnlyCtrl(REC_CONTROLLO{}) {}
};

LinkMessage Message(unsigned id, int sequence)
{
    return LinkMessage{id, static_cast<std::uintptr_t>(sequence), 0, std::make_unique<Sample>(sequence)};
}

// Runs `work` as the worker would and waits for it to return.
template <class F>
void OnWorker(F work)
{
    auto done = std::async(std::launch::async, std::move(work));
    ASSERT_EQ(done.wait_for(5s), std::future_status::ready) << "the worker did not return";
    done.get();
}

class LinkUiSinkAdapterTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QCoreApplication::processEvents();
        EXPECT_EQ(Sample::live, 0) << "a record was not freed";
    }

    LinkUiSinkAdapter sink;
};

TEST_F(LinkUiSinkAdapterTest, PostsFromTheWorkerArriveInOrderAfterThePosterReturned)
{
    Receiver view;
    Receiver control;
    Ctrl ctrl;
    sink.RegisterWindow(UiWindow::View, &view);
    sink.RegisterControl(&ctrl, &control);

    OnWorker([&] {
        for (int i = 0; i < 100; ++i) {
            sink.Post(UiWindow::View, nullptr, Message(WM_ACQ_TICK, i));
            sink.Post(UiWindow::Control, &ctrl, Message(WM_CTRL_REFRESH, i));
        }
    });
    EXPECT_TRUE(view.received.empty());
    EXPECT_TRUE(control.received.empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return view.received.size() == 100 && control.received.size() == 100; }));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(view.received[i].id, WM_ACQ_TICK);
        EXPECT_EQ(view.received[i].sequence, i);
        EXPECT_EQ(control.received[i].id, WM_CTRL_REFRESH);
        EXPECT_EQ(control.received[i].sequence, i);
    }
    EXPECT_TRUE(view.onUiThread && control.onUiThread);
}

TEST_F(LinkUiSinkAdapterTest, RecordsOfPostsToATargetDeletedFirstAreFreed)
{
    auto page = std::make_unique<Receiver>();
    auto control = std::make_unique<Receiver>();
    Ctrl ctrl;
    sink.RegisterWindow(UiWindow::GraphPage, page.get());
    sink.RegisterControl(&ctrl, control.get());
    OnWorker([&] {
        for (int i = 0; i < 10; ++i) {
            sink.Post(UiWindow::GraphPage, nullptr, Message(WM_LIVE_SAMPLE, i));
            sink.Post(UiWindow::Control, &ctrl, Message(WM_ACQ_SAMPLE, i));
        }
    });
    EXPECT_EQ(Sample::live, 20);
    page.reset();
    control.reset();  // gone without unregistering
    QCoreApplication::processEvents();
    EXPECT_EQ(Sample::live, 0);

    // Later posts name nobody alive and are dropped at once.
    OnWorker([&] { sink.Post(UiWindow::Control, &ctrl, Message(WM_ACQ_SAMPLE, 11)); });
    EXPECT_EQ(Sample::live, 0);
}

TEST_F(LinkUiSinkAdapterTest, PostsToNobodyRegisteredAreDroppedWithTheirRecords)
{
    Receiver control;
    Ctrl registered;
    Ctrl other;
    sink.RegisterControl(&registered, &control);
    sink.UnregisterControl(&registered);
    OnWorker([&] {
        sink.Post(UiWindow::Control, &registered, Message(WM_CTRL_REFRESH, 1));
        sink.Post(UiWindow::Control, &other, Message(WM_CTRL_REFRESH, 2));
        sink.Post(UiWindow::Control, nullptr, Message(WM_CTRL_REFRESH, 3));
        sink.Post(UiWindow::TraceWindow, nullptr, Message(WM_TRACE_LINE, 4));
        EXPECT_EQ(Sample::live, 0);
    });
    QCoreApplication::processEvents();
    EXPECT_TRUE(control.received.empty());
}

TEST_F(LinkUiSinkAdapterTest, AWindowUnregistersOnlyItself)
{
    Receiver first;
    Receiver second;
    sink.RegisterWindow(UiWindow::MaintPage, &first);
    sink.RegisterWindow(UiWindow::MaintPage, &second);
    sink.UnregisterWindow(UiWindow::MaintPage, &first);  // the old one going: the new one stays
    OnWorker([&] { sink.Post(UiWindow::MaintPage, nullptr, Message(WM_LINK_READ_MEMORY, 1)); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.received.size() == 1; }));
    EXPECT_TRUE(first.received.empty());
}

TEST_F(LinkUiSinkAdapterTest, ASendWaitsUntilTheWindowHandledIt)
{
    Receiver view;
    sink.RegisterWindow(UiWindow::View, &view);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        sink.Send(UiWindow::View, LinkMessage{WM_PROGRESS_OPEN, 3021, 0, nullptr});
        // What the window did before the send returned is there to see.
        EXPECT_EQ(view.received.size(), 1u);
        returned = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.load(); }));
    worker.join();
    ASSERT_EQ(view.received.size(), 1u);
    EXPECT_EQ(view.received[0].id, WM_PROGRESS_OPEN);
    EXPECT_EQ(view.received[0].wParam, 3021u);
}

TEST_F(LinkUiSinkAdapterTest, OnceShutdownBeganASendReturnsAtOnceAndPostsStillArrive)
{
    Receiver view;
    Receiver frame;
    sink.RegisterWindow(UiWindow::View, &view);
    sink.RegisterWindow(UiWindow::MainFrame, &frame);
    std::promise<void> started;
    auto worker = std::async(std::launch::async, [&] {
        started.set_value();
        sink.Send(UiWindow::View, Message(WM_PROGRESS_OPEN, 1));
        sink.Send(UiWindow::View, Message(WM_PROGRESS_OPEN, 2));
        sink.Post(UiWindow::MainFrame, nullptr, LinkMessage{WM_WORKER_ENDED, 0, 0, nullptr});
    });
    started.get_future().wait();
    // The frame's close: the user-interface thread waits for the worker
    // without running its events.
    sink.BeginShutdown();
    ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
    worker.get();

    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.received.size() == 1; }));
    EXPECT_EQ(frame.received[0].id, WM_WORKER_ENDED);
    EXPECT_TRUE(view.received.empty());
}

TEST_F(LinkUiSinkAdapterTest, AnErrorTextBecomesAMessageBoxWithoutHoldingTheWorker)
{
    uitest::ScriptedResponder dialogs;
    Receiver frame;
    sink.RegisterWindow(UiWindow::MainFrame, &frame);
    dialogs.ExpectMessageBox(ui::IDOK, u"Timer multimediale non avviato");
    OnWorker([&] { sink.ShowError(u"Timer multimediale non avviato"); });
    EXPECT_TRUE(dialogs.shown().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.shown().size() == 1; }));
    EXPECT_EQ(dialogs.shown()[0].owner.data(), &frame);
    EXPECT_EQ(dialogs.shown()[0].style, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

}  // namespace
}  // namespace vexar::link
