#include "tools/hc08flash/CHc08Programmer.h"
#include "tools/hc08flash/Hc08Frames.h"

#include "Hc08TestImage.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/HandheldTerminal.h"
#include "tools/common/ImageLoaders.h"

#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

namespace {

class RecordingSink : public IToolSink, public IPortScanPrompts, public IPortAdvanceReport {
public:
    // Each box is answered by the next action (which may change the world
    // first) and then OK; without one it is answered OK.
    std::deque<std::function<void()>> boxActions;

    void StatusCode(int, int, long) override { ADD_FAILURE() << "hc08flash reports texts"; }
    void StatusText(std::u16string text) override
    {
        std::lock_guard lock(m_mutex);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0)
            text.resize(text.size() - 2);
        lines.push_back(std::move(text));
    }
    void Progress(long, long address) override
    {
        std::lock_guard lock(m_mutex);
        addresses.push_back(address);
    }
    void ShowBox(const std::u16string& text, BoxButtons, std::function<void(int)> answer) override
    {
        std::function<void()> action;
        {
            std::lock_guard lock(m_mutex);
            boxes.push_back(text);
            if (!boxActions.empty()) {
                action = std::move(boxActions.front());
                boxActions.pop_front();
            }
        }
        if (action)
            action();
        answer(IDOK);
    }
    void PortChosen(int port) override
    {
        std::lock_guard lock(m_mutex);
        chosen.push_back(port);
    }
    void RunEnded() override
    {
        {
            std::lock_guard lock(m_mutex);
            ++runsEnded;
        }
        m_ended.notify_all();
    }
    void Succeeded() override
    {
        std::lock_guard lock(m_mutex);
        succeeded = true;
    }
    bool AskContinueDespiteConflict() override { return true; }
    void ShowNoPortFound() override { ADD_FAILURE() << "no port"; }
    void OpenFailed(int, int) override {}

    bool WaitRunEnded(int count = 1)
    {
        std::unique_lock lock(m_mutex);
        return m_ended.wait_for(lock, std::chrono::seconds(20), [&] { return runsEnded >= count; });
    }
    std::vector<std::u16string> Lines()
    {
        std::lock_guard lock(m_mutex);
        return lines;
    }
    std::vector<std::u16string> Boxes()
    {
        std::lock_guard lock(m_mutex);
        return boxes;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        lines.clear();
        boxes.clear();
        addresses.clear();
        runsEnded = 0;
        succeeded = false;
    }

    std::vector<std::u16string> lines;
    std::vector<long> addresses;
    std::vector<std::u16string> boxes;
    std::vector<int> chosen;
    int runsEnded = 0;
    bool succeeded = false;

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
};

Hc08Timing FastTiming()
{
    Hc08Timing timing;
    timing.exchangeTimeout = 0.1;
    timing.greetingTimeout = 0.5;
    return timing;
}

std::tm March3rd2008()
{
    std::tm t{};
    t.tm_year = 108;
    t.tm_mon = 2;
    t.tm_mday = 3;
    t.tm_hour = 14;
    t.tm_min = 25;
    t.tm_sec = 30;
    return t;
}

bool Contains(const std::vector<std::u16string>& lines, const std::u16string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class Hc08ProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        m_image = hc08test::WriteS19File(m_files.file("fw.s19"));
    }
    void TearDown() override
    {
        m_programmer.reset();
        for (auto& sim : m_sims)
            sim->Stop();
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }

    HandheldTerminal* AddHandheld(int com, HandheldOptions options = {})
    {
        auto device = std::make_unique<HandheldTerminal>(std::move(options));
        HandheldTerminal* handheld = device.get();
        m_sims.push_back(std::make_unique<BootSimulator>(std::move(device), std::chrono::milliseconds(50)));
        std::string error;
        EXPECT_TRUE(m_sims.back()->Start(error)) << error;
        EXPECT_TRUE(m_sims.back()->PublishCom(m_com.path(), com, error)) << error;
        return handheld;
    }

    void MakeProgrammer(Hc08Timing timing = FastTiming())
    {
        m_programmer = std::make_unique<CHc08Programmer>(m_sink, timing, March3rd2008);
        m_programmer->Line().SetPort(3);
        m_programmer->Line().SetBaud(19200);
        class Silent : public CLoaderReporter {
            void ShowMessage(const std::u16string&) override { ADD_FAILURE() << "loader message"; }
        } reporter;
        ASSERT_TRUE(LoadHc08Image(m_files.file("fw.s19"), m_programmer->Image(), reporter));
        m_programmer->StartThread();
    }

    void Run()
    {
        m_sink.Clear();
        ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CHc08Programmer::StartResult::Started);
        ASSERT_TRUE(m_sink.WaitRunEnded());
    }

    Bytes Flash(std::size_t sim, HandheldTerminal* handheld, std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sims[sim]->WithDevice([&](BootDevice&) { bytes = handheld->Flash(address, count); });
        return bytes;
    }
    Bytes Expected(std::uint32_t address, std::size_t count) const
    {
        return Bytes(m_image.memory.begin() + address, m_image.memory.begin() + address + long(count));
    }
    std::vector<BootRecord> Requests(std::size_t sim, std::uint8_t command)
    {
        std::vector<BootRecord> found;
        for (const BootRecord& r : m_sims[sim]->FrameLog())
            if (r.kind == BootRecord::Kind::Request && r.valid && r.command == command)
                found.push_back(r);
        return found;
    }

    TempDir m_com;
    TempDir m_files;
    std::optional<std::string> m_savedComDir;
    hc08test::TestImage m_image;
    RecordingSink m_sink;
    std::vector<std::unique_ptr<BootSimulator>> m_sims;
    std::unique_ptr<CHc08Programmer> m_programmer;
};

TEST(Hc08FramesTest, FramesAndTexts)
{
    EXPECT_EQ(hc08::ApplicationRequest(), (Bytes{0x04, 0x4E, 0x82, 0xF4}));
    const Bytes ping = hc08::BootRequest(hc08::CMD_PING, std::nullopt, {});
    ASSERT_EQ(ping.size(), 5u);
    EXPECT_EQ(ping[1], 5);
    // A reply must repeat the request's byte 3, which for PING is its CRC low byte.
    Bytes reply{0x00, 0x07, 0x44, ping[3], 0x06};
    const std::uint16_t crc = ApplicationCrc(reply);
    reply.push_back(static_cast<std::uint8_t>(crc));
    reply.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_TRUE(hc08::ReplyAccepted(ping, reply.data(), 7, 7));
    for (const std::size_t at : {2u, 3u, 4u, 6u}) {
        Bytes spoiled = reply;
        spoiled[at] ^= 0x01;
        EXPECT_FALSE(hc08::ReplyAccepted(ping, spoiled.data(), 7, 7)) << at;
    }
    EXPECT_FALSE(hc08::ReplyAccepted(ping, reply.data(), 6, 7));
}

// A full run: boot request, greeting, INFO, ERASE on a 2008 clock, blocks
// with a skipped one, vectors, check; the memory equals the image and a
// second run shows the first one's record.
TEST_F(Hc08ProgrammerTest, FullRunAndTheRecordOfThePrevious)
{
    HandheldOptions options;
    options.cpuCode = 41;
    HandheldTerminal* handheld = AddHandheld(3, options);
    MakeProgrammer();
    Run();
    EXPECT_TRUE(m_sink.succeeded);
    EXPECT_TRUE(m_sink.boxes.empty());
    const std::vector<std::u16string> first{u" Waiting for code download", u" CPU detected: 41",
                                            u" Previous download: 00:00:00 00/00/0000",
                                            u" Start->0x0000, Stop->0x0000, Prgc->0x0000, Checksum->0x0000",
                                            u" Download completed successfully"};
    EXPECT_EQ(m_sink.Lines(), first);
    EXPECT_EQ(Flash(0, handheld, 0x0E00, 0xE200), Expected(0x0E00, 0xE200)) << "the program, byte for byte";
    EXPECT_EQ(Flash(0, handheld, 0xFFCC, 52), Expected(0xFFCC, 52)) << "the vectors";
    EXPECT_EQ(m_sink.addresses.back(), 0x1100) << "the progress reaches past the last address";
    EXPECT_FALSE(m_programmer->Line().IsOpen());

    const std::vector<BootRecord> erase = Requests(0, HandheldTerminal::kErase);
    ASSERT_EQ(erase.size(), 1u);
    EXPECT_EQ(erase[0].bytes[9], 0x07);
    EXPECT_EQ(erase[0].bytes[10], 0xD8);
    const std::vector<BootRecord> writes = Requests(0, HandheldTerminal::kWrite);
    ASSERT_EQ(writes.size(), 3u) << "0x1000 and 0x1080 and 0x10C0; not the 0xFF block at 0x1040";
    EXPECT_EQ(writes[0].bytes[3], 2);
    EXPECT_EQ(writes[1].bytes[3], 4) << "the write after the gap counts the skipped block";
    EXPECT_EQ(Requests(0, HandheldTerminal::kVectors).at(0).bytes[3], 6);
    EXPECT_EQ(Requests(0, HandheldTerminal::kCheck).at(0).bytes[3], 6) << "the check keeps the vectors' number";

    m_sims[0]->WithDevice([](BootDevice& d) { static_cast<HandheldTerminal&>(d).SetInBootLoader(false); });
    Run();
    EXPECT_TRUE(m_sink.succeeded);
    const std::vector<std::u16string> lines = m_sink.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], u" Previous download: 14:25:30 03/03/2008");
    char record[100];
    std::snprintf(record, sizeof record, " Start->0x1010, Stop->0x10e5, Prgc->0x10fe, Checksum->0x%04x",
                  m_programmer->Image().checksum);
    EXPECT_EQ(lines[3], hc08::Sprintf("%s", record));
}

// The boot loader runs already (the boot request is noise to it); its PING
// replies carry a wrong byte 3, so the tool asks for the power; the
// greeting follows and the run succeeds.
TEST_F(Hc08ProgrammerTest, PingWithAWrongTagIsRefused)
{
    HandheldOptions options;
    options.startInBootLoader = true;
    options.greetingDelay = std::chrono::milliseconds(300);
    HandheldTerminal* handheld = AddHandheld(3, options);
    handheld->LoaderFaults().Arm(HandheldTerminal::kPing, {FaultKind::WrongTag, {}}, true);
    MakeProgrammer();
    Run();
    EXPECT_EQ(m_sink.Boxes(), std::vector<std::u16string>{u"Press the OK button and switch on the board"});
    EXPECT_EQ(m_sims[0]->CountRequests(HandheldTerminal::kPing), 3u);
    EXPECT_TRUE(m_sink.succeeded);
}

// A switched-off handheld: no answer to the boot request or PING; the box's
// answer switches it on; it greets and is programmed.
TEST_F(Hc08ProgrammerTest, SilentApplicationAndPowerOn)
{
    HandheldOptions options;
    options.poweredOn = false;
    options.greetingDelay = std::chrono::milliseconds(300);
    HandheldTerminal* handheld = AddHandheld(3, options);
    MakeProgrammer();
    m_sink.boxActions.push_back([&] { m_sims[0]->WithDevice([&](BootDevice&) { handheld->PowerOn(); }); });
    Run();
    EXPECT_EQ(m_sink.Boxes(), std::vector<std::u16string>{u"Press the OK button and switch on the board"});
    EXPECT_TRUE(m_sink.succeeded);
    EXPECT_EQ(Flash(0, handheld, 0x1000, 0x100), Expected(0x1000, 0x100));
}

// Three listed ports, no handheld on any: one attempt per port, each with
// the power box, the time-out box and " COM%d not connected ".
TEST_F(Hc08ProgrammerTest, ThreePortsAndNoHandheld)
{
    HandheldOptions off;
    off.poweredOn = false;
    for (const int com : {3, 4, 5})
        AddHandheld(com, off);
    Hc08Timing timing = FastTiming();
    timing.exchangeTimeout = 0.05;
    timing.greetingTimeout = 0.2;
    MakeProgrammer(timing);
    Run();
    std::vector<std::u16string> boxes;
    for (int i = 0; i < 3; ++i)
        boxes.insert(boxes.end(), {u"Press the OK button and switch on the board", u"Elapsed timeout for downloading software"});
    EXPECT_EQ(m_sink.Boxes(), boxes);
    EXPECT_EQ(m_sink.Lines(),
              (std::vector<std::u16string>{u" COM3 not connected ", u" COM4 not connected ", u" COM5 not connected "}));
    EXPECT_EQ(m_programmer->PortList().Tries(), 3u);
    EXPECT_FALSE(m_sink.succeeded);
    EXPECT_FALSE(m_programmer->Line().IsOpen());
}

// The tool's own time-outs on one silent port: the boot request (1 s),
// three PINGs (1 s each), the 5 s greeting wait, then the end of the run.
TEST_F(Hc08ProgrammerTest, SilentPortWithTheToolsOwnTimeouts)
{
    HandheldOptions off;
    off.poweredOn = false;
    AddHandheld(3, off);
    MakeProgrammer(Hc08Timing{});
    const auto begin = std::chrono::steady_clock::now();
    Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_GE(seconds, 9.0);
    EXPECT_LT(seconds, 11.0);
    EXPECT_EQ(m_sink.Boxes(), (std::vector<std::u16string>{u"Press the OK button and switch on the board",
                                                           u"Elapsed timeout for downloading software"}));
    EXPECT_EQ(m_sink.Lines(), std::vector<std::u16string>{u" COM3 not connected "});
}

// The greeting wait on an adapter that is pulled out ends at once with the
// port's error text, then counts as a time-out.
TEST_F(Hc08ProgrammerTest, GreetingWaitEndsWhenTheAdapterGoes)
{
    HandheldOptions options;
    options.greetingDelay = std::chrono::milliseconds(60000);
    AddHandheld(3, options);
    Hc08Timing timing = FastTiming();
    timing.greetingTimeout = 20.0;
    MakeProgrammer(timing);
    m_sink.Clear();
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CHc08Programmer::StartResult::Started);
    for (int i = 0; i < 200 && m_programmer->CurrentState() != CHc08Programmer::GREETING; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto begin = std::chrono::steady_clock::now();
    m_sims[0]->Unplug();
    ASSERT_TRUE(m_sink.WaitRunEnded());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5)) << "the wait did not spin out its time";
    const std::vector<std::u16string> lines = m_sink.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].empty()) << "the port's error text";
    EXPECT_EQ(lines[1], u" COM3 not connected ");
    EXPECT_EQ(m_sink.Boxes(), std::vector<std::u16string>{u"Elapsed timeout for downloading software"});
}

// Every frame kind meets every fault: "Receive error from board", no
// success, no other port tried.
TEST_F(Hc08ProgrammerTest, FaultTable)
{
    AddHandheld(3);
    AddHandheld(4);
    MakeProgrammer();
    const FaultKind kinds[] = {FaultKind::Silence, FaultKind::BadSum,  FaultKind::Negative,
                               FaultKind::WrongEcho, FaultKind::WrongTag, FaultKind::Short};
    for (const std::uint8_t command :
         {HandheldTerminal::kErase, HandheldTerminal::kWrite, HandheldTerminal::kVectors, HandheldTerminal::kCheck}) {
        for (const FaultKind kind : kinds) {
            SCOPED_TRACE(testing::Message() << "command " << int(command) << " fault " << int(kind));
            m_sims[0]->WithDevice([&](BootDevice& d) {
                auto& handheld = static_cast<HandheldTerminal&>(d);
                handheld.SetInBootLoader(false);
                handheld.LoaderFaults().Clear();
                handheld.LoaderFaults().Arm(command, {kind, {}}, true);
            });
            m_sims[0]->ClearFrameLog();
            Run();
            EXPECT_EQ(m_sink.Boxes(), std::vector<std::u16string>{u"Receive error from board"});
            EXPECT_FALSE(m_sink.succeeded);
            EXPECT_FALSE(Contains(m_sink.Lines(), u" Download completed successfully"));
            EXPECT_EQ(m_programmer->Line().Port(), 3) << "no port advance";
            EXPECT_EQ(m_sims[0]->CountRequests(command), 3u) << "three attempts";
        }
    }
    EXPECT_TRUE(m_sims[1]->FrameLog().empty());

    // INFO unanswered or refused: the run goes on without its lines.
    for (const FaultKind kind : kinds) {
        SCOPED_TRACE(testing::Message() << "INFO fault " << int(kind));
        m_sims[0]->WithDevice([&](BootDevice& d) {
            auto& handheld = static_cast<HandheldTerminal&>(d);
            handheld.SetInBootLoader(false);
            handheld.LoaderFaults().Clear();
            handheld.LoaderFaults().Arm(HandheldTerminal::kInfo, {kind, {}}, true);
        });
        Run();
        EXPECT_TRUE(m_sink.succeeded);
        EXPECT_EQ(m_sink.Lines(), (std::vector<std::u16string>{u" Waiting for code download",
                                                               u" Download completed successfully"}));
    }

    // Unplugged after the second block.
    m_sims[0]->WithDevice([&](BootDevice& d) {
        auto& handheld = static_cast<HandheldTerminal&>(d);
        handheld.SetInBootLoader(false);
        handheld.LoaderFaults().Clear();
        handheld.LoaderFaults().Arm(HandheldTerminal::kWrite, {FaultKind::Unplug, {}}, false, 2);
    });
    Run();
    EXPECT_EQ(m_sink.Boxes(), std::vector<std::u16string>{u"Receive error from board"});
    EXPECT_FALSE(m_sink.succeeded);
}

// Stop in every state of a run: the worker ends at once, nothing more goes
// out, the port is closed, and a new run works.
TEST_F(Hc08ProgrammerTest, StopInEveryState)
{
    HandheldTerminal* handheld = AddHandheld(3);
    Hc08Timing timing;  // the tool's own time-outs: a Stop must not wait for them
    MakeProgrammer(timing);
    struct Case {
        const char* name;
        std::function<void(HandheldTerminal&)> arm;
        int state;
    };
    const std::vector<Case> cases{
        {"boot request", [](HandheldTerminal& h) { h.ApplicationFaults().Arm(0x4E, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::ATTEMPT},
        {"greeting", [](HandheldTerminal& h) { h.SetGreetingDelay(std::chrono::milliseconds(60000)); },
         CHc08Programmer::GREETING},
        {"info", [](HandheldTerminal& h) { h.LoaderFaults().Arm(0x45, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::INFO},
        {"erase", [](HandheldTerminal& h) { h.LoaderFaults().Arm(0x40, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::ERASE},
        {"write", [](HandheldTerminal& h) { h.LoaderFaults().Arm(0x41, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::WRITE},
        {"vectors", [](HandheldTerminal& h) { h.LoaderFaults().Arm(0x42, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::VECTORS},
        {"check", [](HandheldTerminal& h) { h.LoaderFaults().Arm(0x43, {FaultKind::Silence, {}}, true); },
         CHc08Programmer::CHECK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sims[0]->WithDevice([&](BootDevice&) {
            handheld->SetInBootLoader(false);
            handheld->LoaderFaults().Clear();
            handheld->ApplicationFaults().Clear();
            handheld->SetGreetingDelay(std::chrono::milliseconds(50));
            c.arm(*handheld);
        });
        m_sink.Clear();
        ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CHc08Programmer::StartResult::Started);
        const int state = c.state;
        for (int i = 0; i < 400 && m_programmer->CurrentState() != state; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto begin = std::chrono::steady_clock::now();
        m_programmer->StopRun();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500)) << "the worker ends at once";
        EXPECT_EQ(m_sink.runsEnded, 1);
        EXPECT_FALSE(m_programmer->Line().IsOpen()) << "the worker closed the port";
        EXPECT_FALSE(m_programmer->IsRunning());
        const std::size_t logged = m_sims[0]->FrameLog().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::size_t requests = 0;
        const std::vector<BootRecord> log = m_sims[0]->FrameLog();
        for (std::size_t i = logged; i < log.size(); ++i)
            requests += log[i].kind != BootRecord::Kind::Reply;
        EXPECT_EQ(requests, 0u) << "no byte follows the Stop";
        EXPECT_TRUE(m_sink.Boxes().empty());
        EXPECT_FALSE(Contains(m_sink.Lines(), u" Download completed successfully"));
    }
    m_sims[0]->WithDevice([&](BootDevice&) {
        handheld->SetInBootLoader(false);
        handheld->LoaderFaults().Clear();
        handheld->ApplicationFaults().Clear();
        handheld->SetGreetingDelay(std::chrono::milliseconds(50));
    });
    Run();
    EXPECT_TRUE(m_sink.succeeded) << "a new Start works";
}

}  // namespace
