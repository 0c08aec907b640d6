// The link worker with the real soft timer and a recording user-interface
// sink: the order in which requests are served, quit before queued
// requests, the end message on every exit, the acquisition channel with
// the link down, the DTR pulse on a pseudo-terminal behind a COM link, the
// baud switch against the simulated ECU, and the records of requests freed
// on every path.
#include "link/CVEXARLink.h"

#include "EcuTestRig.h"
#include "EngineFixture.h"
#include "PtyPeer.h"
#include "RecordingUiSink.h"
#include "TempDir.h"
#include "link/LinkMessages.h"
#include "config/ControlCodes.h"
#include "config/IDataCtrl.h"
#include "link/SerialPort.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace vexar::link;
using namespace vexar::linktest;
using namespace std::chrono_literals;
using vexar::testing::TempDir;
using Clock = std::chrono::steady_clock;

namespace {

// A record that counts its live instances, so a test can see every one
// freed.
struct CountedRecord : LinkPayload {
    static inline std::atomic<int> live{0};
    CountedRecord() { ++live; }
    ~CountedRecord() override { --live; }
};

std::unique_ptr<LinkPayload> Counted() { return std::make_unique<CountedRecord>(); }

std::vector<unsigned> Messages(const std::vector<RecordedPost>& posts)
{
    std::vector<unsigned> ids;
    for (const RecordedPost& post : posts)
        ids.push_back(post.message);
    return ids;
}

long Millis(Clock::duration d) { return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); }

// A program folder for the protocols' session logs; the application is
// made by each test, after any set-up of its own.
class LinkWorkerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_app.reset();
        EXPECT_EQ(CountedRecord::live, 0) << "a request record was not freed";
    }

    CVEXARLink& Start(LinkTiming timing = {})
    {
        m_app = std::make_unique<CVEXARLink>(timing);
        EXPECT_TRUE(m_app->StartLinkThread(&m_sink));
        return *m_app;
    }
    void Stop()
    {
        m_app->SignalQuit();
        m_app->JoinLinkThread();
    }

    TempDir m_home;
    ScopedEnv m_homeEnv{"VEXAR_HOME", m_home.path()};
    RecordingUiSink m_sink;
    std::unique_ptr<CVEXARLink> m_app;
};

}  // namespace

TEST_F(LinkWorkerTest, RequestsAreServedInPostingOrder)
{
    CVEXARLink& app = Start();
    // What the poll period was when each answer left shows which requests
    // had been served before it.
    std::vector<std::pair<unsigned, int>> seen;
    m_sink.onPost = [&](const RecordedPost& post) { seen.emplace_back(post.message, app.m_nPollPeriod.load()); };

    app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, 100);
    app.PostLinkRequest(WM_LINK_ACQ_START, 1000);
    app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, 200);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    app.PostLinkRequest(WM_LINK_SET_POLL_PERIOD, 300);
    app.PostLinkRequest(WM_LINK_ACQ_START, 1000);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 2, 5s));
    Stop();

    const std::vector<std::pair<unsigned, int>> expected{
        {WM_ACQ_STARTED, 100}, {WM_ACQ_STOPPED, 200}, {WM_ACQ_STARTED, 300}, {WM_ACQ_STOPPED, 300},
        {WM_WORKER_ENDED, 300}};
    EXPECT_EQ(seen, expected);
    const std::vector<RecordedPost> posts = m_sink.Posts();
    ASSERT_EQ(posts.size(), 5u);
    EXPECT_EQ(posts[0].window, UiWindow::GraphPage);
    EXPECT_EQ(posts[1].window, UiWindow::AcqPage);
    EXPECT_EQ(posts[4].window, UiWindow::MainFrame);
    EXPECT_EQ(app.m_nAcqPeriod, 1000);
}

TEST_F(LinkWorkerTest, QuitPreemptsQueuedRequestsAndTheEndMessageIsTheLastPost)
{
    CVEXARLink& app = Start();
    // Hold the worker inside its first answer while more requests queue
    // up behind it and the quit comes.
    std::mutex lock;
    std::condition_variable changed;
    bool held = false, release = false;
    m_sink.onPost = [&](const RecordedPost& post) {
        if (post.message != WM_ACQ_STARTED)
            return;
        std::unique_lock guard(lock);
        held = true;
        changed.notify_all();
        changed.wait(guard, [&] { return release; });
    };
    app.PostLinkRequest(WM_LINK_ACQ_START, 500);
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, 5s, [&] { return held; }));
    }
    for (int i = 0; i < 5; ++i)
        app.PostLinkRequest(WM_LINK_ACQ_START, 500, 0, Counted());
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    app.SignalQuit();
    {
        std::lock_guard guard(lock);
        release = true;
    }
    changed.notify_all();
    app.JoinLinkThread();

    EXPECT_EQ(Messages(m_sink.Posts()), (std::vector<unsigned>{WM_ACQ_STARTED, WM_WORKER_ENDED}));
    EXPECT_EQ(app.m_linkQueue.Pending(), 6u);
    EXPECT_EQ(CountedRecord::live, 5) << "queued records live until the queue goes";
}

TEST_F(LinkWorkerTest, EveryRequestRecordIsFreed)
{
    CVEXARLink& app = Start();
    // Served, not served yet, outside the request range, on either side.
    const unsigned ids[] = {WM_LINK_ACQ_STOP,        WM_LINK_WRITE_MEMORY, WM_LINK_READ_MEMORY,
                            WM_LINK_WRITE_VARIABLE,  WM_LINK_READ_VARIABLE, WM_LINK_REMOTE_CLOSE,
                            WM_LINK_REMOTE_SEND_ID,  WM_LINK_CONNECT,       WM_APP + 159,
                            WM_APP + 195,            0};
    for (unsigned id : ids)
        EXPECT_TRUE(app.PostLinkRequest(id, 0, 0, Counted())) << id;
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 2, 5s));
    EXPECT_EQ(CountedRecord::live, 0);
    // The connect (with no port to scan) answers; nothing else does.
    EXPECT_EQ(Messages(m_sink.Posts()), (std::vector<unsigned>{WM_ACQ_STOPPED, WM_LINK_STATE, WM_LINK_IDLE,
                                                               WM_LINK_STATE, WM_LINK_STATE, WM_ACQ_STOPPED}));
    for (const RecordedPost& post : m_sink.Posts())
        EXPECT_FALSE(post.hasPayload);
    Stop();

    // After the end the queue keeps what comes, until the application goes.
    EXPECT_TRUE(app.PostLinkRequest(WM_LINK_READ_MEMORY, 0, 0, Counted()));
    EXPECT_EQ(CountedRecord::live, 1);
    // TearDown checks that nothing is left.
}

// A request whose service breaks off (here: memory runs out while it posts
// its first answer) is written to the protocol's log with its number, the
// window that asked gets the answer of a failure, and the next request is
// served.
TEST_F(LinkWorkerTest, ARequestThatFailsIsLoggedAnsweredAndTheNextIsServed)
{
    struct Case {
        const char* name;
        unsigned request;
        unsigned throwsAt;  // the first post of this message fails
        std::vector<Seen> answers;
    };
    using W = UiWindow;
    const Case cases[] = {
        {"whole read", WM_LINK_READ_ALL, WM_PROGRESS_OPEN, {{W::ProgressWindow, WM_PROGRESS_CLOSE, 0, 0}}},
        {"whole write", WM_LINK_WRITE_ALL, WM_PROGRESS_OPEN, {{W::ProgressWindow, WM_PROGRESS_CLOSE, 0, 0}}},
        {"memory read", WM_LINK_READ_MEMORY, WM_LINK_READ_MEMORY,
         {{W::MaintPage, WM_LINK_READ_MEMORY, 0, RES_SERVICE_FAILED}}},
        {"connect", WM_LINK_CONNECT, WM_LINK_STATE,
         {{W::MainFrame, WM_LINK_STATE, 0, LINK_READ_FAILED},
          {W::View, WM_LINK_IDLE, 0, 0},
          {W::View, WM_LINK_STATE, 0, LINK_READ_FAILED},
          {W::MaintPage, WM_LINK_STATE, 0, LINK_READ_FAILED}}},
        {"reload", WM_LINK_RELOAD, WM_LINK_RELOAD, {{W::View, WM_LINK_RELOAD, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingUiSink sink;
        std::atomic<bool> thrown{false};
        sink.onPost = [&](const RecordedPost& post) {
            if (post.message == c.throwsAt && !thrown.exchange(true))
                throw std::bad_alloc();
        };
        CVEXARLink app;
        ASSERT_TRUE(app.StartLinkThread(&sink));
        std::unique_ptr<LinkPayload> record;
        if (c.request == WM_LINK_READ_MEMORY) {
            auto memory = std::make_unique<MEMORY_REQUEST>();
            memory->address = 2;
            memory->size = 2;
            record = std::move(memory);
        }
        app.PostLinkRequest(c.request, 0, 0, std::move(record));
        app.PostLinkRequest(WM_LINK_ACQ_STOP);
        ASSERT_TRUE(sink.WaitFor(WM_ACQ_STOPPED, 1, 5s)) << "the next request was not served";
        app.SignalQuit();
        app.JoinLinkThread();

        EXPECT_TRUE(thrown);
        std::vector<Seen> seen = SeenPosts(sink.Posts());
        // What came after the failure: the answer, the next request's, the end.
        std::vector<Seen> expected = c.answers;
        expected.push_back({W::AcqPage, WM_ACQ_STOPPED, 0, 0});
        expected.push_back({W::MainFrame, WM_WORKER_ENDED, 0, 0});
        ASSERT_GE(seen.size(), expected.size());
        seen.erase(seen.begin(), seen.end() - static_cast<std::ptrdiff_t>(expected.size()));
        EXPECT_EQ(seen, expected);

        const std::vector<std::u16string> logged = LogEntries(m_home.path() + "/Log/InfoSeriale.log");
        ASSERT_FALSE(logged.empty());
        EXPECT_EQ(logged.back(), vexar::Format(u"Richiesta WM_APP+%u interrotta da un errore: std::bad_alloc",
                                               c.request - WM_APP));
    }
}

TEST_F(LinkWorkerTest, WithoutAWorkerRequestsAreRefusedAndTheEndIsPostedOnce)
{
    CVEXARLink app;
    EXPECT_FALSE(app.PostLinkRequest(WM_LINK_ACQ_START, 500, 0, Counted()));
    EXPECT_EQ(CountedRecord::live, 0);

    app.m_pUiSink = &m_sink;
    app.SignalQuit();
    app.SignalQuit();
    EXPECT_EQ(Messages(m_sink.Posts()), std::vector<unsigned>{WM_WORKER_ENDED});
}

// The timer cannot start (a tick of 0 ms): the user is told, requests are
// still served, nothing expires, and the end still comes.
TEST_F(LinkWorkerTest, ATimerThatCannotStartIsReportedAndRequestsAreStillServed)
{
    CVEXARLink& app = Start({.tickMs = 0});
    app.PostLinkRequest(WM_LINK_ACQ_START, 10);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STARTED, 1, 5s));
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(app.m_timer.IsStopped(CVEXARLink::kChannelAcquisition)) << "a channel that never counts";
    Stop();
    EXPECT_EQ(m_sink.Errors(), std::vector<std::u16string>{u"E0001: Timer Error in User Interface Thread Example."});
    EXPECT_EQ(Messages(m_sink.Posts()), (std::vector<unsigned>{WM_ACQ_STARTED, WM_WORKER_ENDED}));
}

// Channel 0 runs one period after the start; with the link down the
// expiry takes no sample and does not re-arm the channel, with the link up
// it is re-armed at every expiry. The test steps the timer itself and
// serves the expiries as the worker does, so a loaded machine cannot make
// the channel look stopped or running at the wrong moment.
TEST_F(LinkWorkerTest, AcquisitionChannelStopsAfterOneExpiryWhileTheLinkIsDown)
{
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked" : "not linked");
        CVEXARLink app;  // no worker and no tick thread
        ASSERT_EQ(app.m_timer.AddTimer(50, true), static_cast<unsigned>(CVEXARLink::kChannelAcquisition));
        app.m_bLinked = linked ? 1 : 0;
        const auto stopped = [&] { return app.m_timer.IsStopped(CVEXARLink::kChannelAcquisition) == 1; };

        LinkMessage start{WM_LINK_ACQ_START, 200, 0, nullptr};
        app.DispatchLinkRequest(start);
        EXPECT_FALSE(stopped()) << "the start runs the channel";
        for (int expiry = 1; expiry <= 3; ++expiry) {
            SCOPED_TRACE(expiry);
            const bool running = linked || expiry == 1;
            for (int tick = 1; tick < 20; ++tick)
                app.m_timer.TimerProc();
            EXPECT_EQ(stopped(), !running) << "the channel's state changed before its 20 ticks";
            app.m_timer.TimerProc();
            EXPECT_TRUE(stopped()) << "a one-shot channel stops at its expiry";
            if (!running) {
                EXPECT_EQ(app.m_timer.GetExpired(), -1) << "a stopped channel expired";
            }
            app.OnTimerChannel();
            EXPECT_EQ(stopped(), !linked) << (linked ? "not re-armed" : "re-armed without a link");
        }
    }
}

// A pseudo-terminal behind COM5 of a temporary COM folder stands in for
// the auxiliary port. A pty has no DTR line: the serial layer records what
// was asked, and the test reads it on the worker's own thread as each
// answer leaves.
class DtrPulseTest : public LinkWorkerTest {
protected:
    static constexpr int kAuxPort = 5;

    DtrPulseTest() { EXPECT_EQ(::symlink(m_peer.slavePath().c_str(), m_comDir.file("COM5").c_str()), 0); }

    CVEXARLink& StartWithAux(int auxPort)
    {
        m_app = std::make_unique<CVEXARLink>();
        m_app->m_nAuxPort = auxPort;
        EXPECT_TRUE(m_app->StartLinkThread(&m_sink));
        return *m_app;
    }
    // The DTR line as last asked, or the serial layer's code when the port
    // is not open. Call it on the worker's thread.
    static int AuxLine()
    {
        PORT_LINE_STATE state;
        const int code = PortGetLineState(kAuxPort, state);
        return code == PORT_OK ? (state.dtr ? 1 : 0) : code;
    }

    TempDir m_comDir;
    ScopedEnv m_comEnv{"VEXAR_COM_DIR", m_comDir.path()};
    PtyPeer m_peer;
};

TEST_F(DtrPulseTest, OneSecondPulseEndsAfterAHundredTicks)
{
    std::vector<std::pair<unsigned, int>> lines;
    m_sink.onPost = [&](const RecordedPost& post) { lines.emplace_back(post.message, AuxLine()); };
    CVEXARLink& app = StartWithAux(kAuxPort);

    const auto start = Clock::now();
    app.PostLinkRequest(WM_LINK_DTR_PULSE, 1);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);  // its answer shows the line during the pulse
    ASSERT_TRUE(m_sink.WaitFor(WM_LINK_DTR_PULSE, 1, 5s));
    const std::vector<RecordedPost> posts = m_sink.Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].window, UiWindow::TestResult);
    EXPECT_EQ(posts[1].wParam, 0u);
    const long length = Millis(posts[1].when - start);
    // Late answers on a loaded machine lengthen it; a pulse of twice the
    // ticks could not end within two seconds.
    EXPECT_GE(length, 950);
    EXPECT_LT(length, 2000);
    Stop();

    const std::vector<std::pair<unsigned, int>> expected{
        {WM_ACQ_STOPPED, 1}, {WM_LINK_DTR_PULSE, PORT_NOT_OPEN}, {WM_WORKER_ENDED, PORT_NOT_OPEN}};
    EXPECT_EQ(lines, expected) << "DTR high during the pulse, the port closed after it";
}

TEST_F(DtrPulseTest, ASecondRequestRestartsThePulse)
{
    CVEXARLink& app = StartWithAux(kAuxPort);
    const auto start = Clock::now();
    app.PostLinkRequest(WM_LINK_DTR_PULSE, 1);
    std::this_thread::sleep_for(500ms);
    app.PostLinkRequest(WM_LINK_DTR_PULSE, 1);
    ASSERT_TRUE(m_sink.WaitFor(WM_LINK_DTR_PULSE, 1, 5s));
    const long length = Millis(m_sink.Posts().front().when - start);
    EXPECT_GE(length, 1450);
    EXPECT_LE(length, 2200);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_sink.Count(WM_LINK_DTR_PULSE), 1u);
}

// The acquisition channel and the pulse channel set to the same length in
// one go expire in the same tick (channel 0 queued first). The worker must
// serve both on that one wake: nothing else runs that would wake it again.
TEST_F(DtrPulseTest, ChannelsExpiringInTheSameTickAreServedTogether)
{
    int atPulseEnd = 42;
    m_sink.onPost = [&](const RecordedPost& post) {
        if (post.message == WM_LINK_DTR_PULSE)
            atPulseEnd = AuxLine();
    };
    CVEXARLink& app = StartWithAux(kAuxPort);
    const auto start = Clock::now();
    app.PostLinkRequest(WM_LINK_ACQ_START, 1000);
    app.PostLinkRequest(WM_LINK_DTR_PULSE, 1);
    ASSERT_TRUE(m_sink.WaitFor(WM_LINK_DTR_PULSE, 1, 3s)) << "the pulse never ended";
    EXPECT_LE(Millis(m_sink.Posts().back().when - start), 1600);
    EXPECT_EQ(atPulseEnd, PORT_NOT_OPEN);
    EXPECT_EQ(app.m_timer.IsStopped(CVEXARLink::kChannelAcquisition), 1);
}

// No auxiliary port (none configured, or none behind the number): the
// pulse still ends and the test-result dialog still hears of it.
TEST_F(DtrPulseTest, WithoutTheAuxiliaryPortThePulseStillEnds)
{
    for (int auxPort : {0, 9}) {
        SCOPED_TRACE(auxPort);
        CVEXARLink& app = StartWithAux(auxPort);
        app.PostLinkRequest(WM_LINK_DTR_PULSE, 0);  // the shortest pulse: one tick
        EXPECT_TRUE(m_sink.WaitFor(WM_LINK_DTR_PULSE, auxPort == 0 ? 1 : 2, 2s));
        EXPECT_EQ(app.m_hAuxPort, 0);
        Stop();
        m_app.reset();
    }
}

// Quitting in the middle of a pulse drops DTR and frees the port.
TEST_F(DtrPulseTest, QuitDuringAPulseLeavesTheLineLow)
{
    int during = 42, atEnd = 42;
    m_sink.onPost = [&](const RecordedPost& post) {
        if (post.message == WM_ACQ_STOPPED)
            during = AuxLine();
        if (post.message == WM_WORKER_ENDED)
            atEnd = AuxLine();
    };
    CVEXARLink& app = StartWithAux(kAuxPort);
    app.PostLinkRequest(WM_LINK_DTR_PULSE, 60);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 1, 5s));
    Stop();
    EXPECT_EQ(during, 1);
    EXPECT_EQ(atEnd, PORT_NOT_OPEN);
    EXPECT_EQ(m_sink.Count(WM_LINK_DTR_PULSE), 0u);
}

// The baud menu's choice against the simulated ECU of the second protocol:
// taken when the ECU agrees, dropped back to the speed in use when the
// switch fails.
TEST_F(LinkWorkerTest, BaudSwitchOfTheSecondProtocol)
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = vexar::ecusim::Protocol::Second;
    EcuRig rig(options);
    m_app = std::make_unique<CVEXARLink>(LinkTiming{.tickMs = 10, .protocol = kQuickTiming});
    CVEXARLink& app = *m_app;
    app.m_nProtocol = 1;
    ASSERT_EQ(app.m_serialNew.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
    app.m_nBaudCurrent = 9600;
    app.m_nBaudRequested = 57600;
    ASSERT_TRUE(app.StartLinkThread(&m_sink));

    app.PostLinkRequest(WM_LINK_SET_BAUD);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);  // answered once the switch is done
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 1, 10s));
    {
        std::lock_guard lock(app.m_csBaud);
        EXPECT_EQ(app.m_nBaudCurrent, 57600);
        EXPECT_EQ(app.m_nBaudRequested, 57600);
    }
    EXPECT_EQ(rig.sim().ListeningBaud(), 57600);
    EXPECT_EQ(rig.sim().CountRequests(10), 1u);

    // The same speed again asks the ECU nothing.
    app.PostLinkRequest(WM_LINK_SET_BAUD);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 2, 10s));
    EXPECT_EQ(rig.sim().CountRequests(10), 1u);

    // The ECU falls silent: the menu returns to the speed in use.
    rig.sim().Unplug();
    {
        std::lock_guard lock(app.m_csBaud);
        app.m_nBaudRequested = 19200;
    }
    app.PostLinkRequest(WM_LINK_SET_BAUD);
    app.PostLinkRequest(WM_LINK_ACQ_STOP);
    ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, 3, 10s));
    {
        std::lock_guard lock(app.m_csBaud);
        EXPECT_EQ(app.m_nBaudCurrent, 57600);
        EXPECT_EQ(app.m_nBaudRequested, 57600);
    }
    Stop();
    app.m_serialNew.ClosePort(0);
}

// The reset goes to the ECU with the protocol in use.
TEST_F(LinkWorkerTest, ResetUsesTheActiveProtocol)
{
    std::size_t answers = 0;
    for (int protocol : {0, 1}) {
        SCOPED_TRACE(protocol);
        vexar::ecusim::SimulatorOptions options;
        options.protocol = protocol == 0 ? vexar::ecusim::Protocol::First : vexar::ecusim::Protocol::Second;
        EcuRig rig(options);
        m_app = std::make_unique<CVEXARLink>(LinkTiming{.tickMs = 10, .protocol = kQuickTiming});
        CVEXARLink& app = *m_app;
        app.m_nProtocol = protocol;
        const int opened = protocol == 0 ? app.m_serial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512)
                                         : app.m_serialNew.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512);
        ASSERT_EQ(opened, 0);
        ASSERT_TRUE(app.StartLinkThread(&m_sink));
        app.PostLinkRequest(WM_LINK_RESET_ECU);
        app.PostLinkRequest(WM_LINK_ACQ_STOP);
        ASSERT_TRUE(m_sink.WaitFor(WM_ACQ_STOPPED, ++answers, 10s));
        EXPECT_EQ(rig.sim().CountRequests(8), 1u);
        Stop();
        app.m_serial.ClosePort(0);
        app.m_serialNew.ClosePort(0);
        m_app.reset();
    }
}

// Link up and down reach the variable window's placed controls, then the
// parameter window's status-area controls, then the parameter window's
// toggles (no other control of its pages), then the diagnosis window;
// entries without a control are passed over.
TEST_F(LinkWorkerTest, BoundControlsHearOfTheLinkState)
{
    struct NoControl : IDataCtrl {
        const REC_CONTROLLO& GetDefinition() const override { return definition; }
        double GetValue() const override { return 0.0; }
        bool SaveParam(CCriptFile&, CModifica&) override { return true; }
        bool LoadParam(std::u16string) override { return false; }
        REC_CONTROLLO definition;
    } a, b, c, toggle, box;
    CTRL_TABLE variables(3), status(1), parameters(2);
    variables[0].wnd = &a;
    variables[2].wnd = &b;
    status[0].wnd = &c;
    parameters[0] = {.key = 1, .category = CTRL_CHECK, .wnd = &box};
    parameters[1] = {.key = 2, .category = CTRL_BUTTON, .wnd = &toggle};

    CVEXARLink app;
    app.m_pUiSink = &m_sink;
    app.NotifyBoundControls(true);  // no tables yet: the diagnosis window only
    app.m_pVarTable2 = &variables;
    app.m_pParTable3 = &status;
    app.m_pParTable = &parameters;
    app.PublishCtrlTables();
    app.NotifyBoundControls(false);

    const std::vector<RecordedPost> posts = m_sink.Posts();
    struct Expected {
        UiWindow window;
        const IDataCtrl* control;
        std::uintptr_t wParam;
    };
    const Expected expected[] = {{UiWindow::DiagWindow, nullptr, 1},
                                 {UiWindow::Control, &a, 0},
                                 {UiWindow::Control, &b, 0},
                                 {UiWindow::Control, &c, 0},
                                 {UiWindow::Control, &toggle, 0},
                                 {UiWindow::DiagWindow, nullptr, 0}};
    ASSERT_EQ(posts.size(), std::size(expected));
    for (std::size_t i = 0; i < posts.size(); ++i) {
        EXPECT_EQ(posts[i].message, WM_CTRL_ENABLE) << i;
        EXPECT_EQ(posts[i].window, expected[i].window) << i;
        EXPECT_EQ(posts[i].control, expected[i].control) << i;
        EXPECT_EQ(posts[i].wParam, expected[i].wParam) << i;
    }
}
