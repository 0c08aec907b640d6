#include "tools/st7flash/CSt7Programmer.h"

#include "St7TestImage.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd01Loader.h"
#include "tools/common/ImageLoaders.h"
#include "tools/st7flash/St7Texts.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
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

std::u16string Line(const char* text)
{
    std::u16string wide;
    for (; *text; ++text)
        wide.push_back(static_cast<unsigned char>(*text));
    return wide;
}

class RecordingSink : public IToolSink, public IPortScanPrompts, public IPortAdvanceReport {
public:
    // Each box is answered by the next action (which may change the world
    // first) and then OK.
    std::deque<std::function<void()>> boxActions;

    void StatusCode(int, int, long) override { ADD_FAILURE() << "st7flash reports texts"; }
    void StatusText(std::u16string text) override
    {
        std::lock_guard lock(m_mutex);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0)
            text.resize(text.size() - 2);
        lines.push_back(std::move(text));
    }
    void Progress(long written, long address) override
    {
        std::lock_guard lock(m_mutex);
        progress.emplace_back(written, address);
    }
    void ShowBox(const std::u16string& text, BoxButtons, std::function<void(int)> answer) override
    {
        std::function<void()> action;
        {
            std::lock_guard lock(m_mutex);
            boxes.push_back(text);
            if (boxActions.empty()) {
                ADD_FAILURE() << "unexpected box";
            } else {
                action = std::move(boxActions.front());
                boxActions.pop_front();
            }
        }
        if (action)
            action();
        answer(IDOK);
    }
    void PortChosen(int) override {}
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

    std::vector<std::u16string> lines;
    std::vector<std::pair<long, long>> progress;
    std::vector<std::u16string> boxes;
    int runsEnded = 0;
    bool succeeded = false;

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
};

St7Timing TestTiming()
{
    St7Timing timing;
    timing.resetTimeout = 0.5;
    timing.greetingTimeout = 1.0;
    timing.eraseTimeout = 1.0;
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

class St7ProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        m_image = st7test::WriteRunFile(m_files.path(), "fw.run");
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

    Kd01Loader* AddSimulator(int com, Kd01Options options = {})
    {
        auto device = std::make_unique<Kd01Loader>(std::move(options));
        Kd01Loader* loader = device.get();
        m_sims.push_back(std::make_unique<BootSimulator>(std::move(device)));
        std::string error;
        EXPECT_TRUE(m_sims.back()->Start(error)) << error;
        EXPECT_TRUE(m_sims.back()->PublishCom(m_com.path(), com, error)) << error;
        return loader;
    }

    void MakeProgrammer(St7Timing timing = TestTiming(), ToolLanguage language = ToolLanguage::English)
    {
        m_programmer = std::make_unique<CSt7Programmer>(m_sink, timing, March3rd2008);
        m_programmer->SetLanguage(language);
        m_programmer->Line().SetPort(3);
        m_programmer->Line().SetBaud(19200);
        class Silent : public CLoaderReporter {
            void ShowMessage(const std::u16string&) override { ADD_FAILURE() << "loader message"; }
        } reporter;
        ASSERT_TRUE(LoadSt7RunImage(m_files.file("fw.run"), m_programmer->Image(), language, reporter));
        m_programmer->StartThread();
    }

    Bytes Memory(std::size_t sim, Kd01Loader* loader, std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sims[sim]->WithDevice([&](BootDevice&) { bytes = loader->Memory(address, count); });
        return bytes;
    }
    Bytes Expected(std::uint32_t address, std::size_t count) const
    {
        return Bytes(m_image.memory.begin() + address, m_image.memory.begin() + address + long(count));
    }

    TempDir m_com;
    TempDir m_files;
    std::optional<std::string> m_savedComDir;
    st7test::TestImage m_image;
    RecordingSink m_sink;
    std::vector<std::unique_ptr<BootSimulator>> m_sims;
    std::unique_ptr<CSt7Programmer> m_programmer;
};

TEST_F(St7ProgrammerTest, FullRunInEnglishAndItalian)
{
    for (const ToolLanguage language : {ToolLanguage::English, ToolLanguage::Italian}) {
        SCOPED_TRACE(language == ToolLanguage::English ? "English" : "Italian");
        m_sink.lines.clear();
        m_sink.succeeded = false;
        m_sink.runsEnded = 0;
        Kd01Options options;
        options.noiseLines = {"boot v1"};
        Kd01Loader* loader = AddSimulator(3, options);
        MakeProgrammer(TestTiming(), language);
        ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
        ASSERT_TRUE(m_sink.WaitRunEnded());
        const bool english = language == ToolLanguage::English;
        const std::vector<std::u16string> expected{
            Line(english ? "Try to reset system in progress COM3..." : "Tentativo di reset del sistema in corso COM3..."),
            Line(english ? "Waiting for boot string COM3..." : "Attesa boot string COM3..."),
            u"boot v1",
            u" Waiting for code download",
            Line(english ? "Try to erase memory in progress COM3..."
                         : "Tentativo di cancellazione memoria in corso COM3..."),
            Line(english ? " Download completed successfully" : " Programmazione completata con successo")};
        EXPECT_EQ(m_sink.Lines(), expected);
        EXPECT_TRUE(m_sink.succeeded);
        const std::size_t sim = m_sims.size() - 1;
        EXPECT_EQ(Memory(sim, loader, 0x8000, 0x1C0), Expected(0x8000, 0x1C0)) << "the program, byte for byte";
        EXPECT_EQ(Memory(sim, loader, 0xFFE0, 32), Expected(0xFFE0, 32)) << "the vectors";
        m_sims[sim]->WithDevice([&](BootDevice&) {
            EXPECT_EQ(loader->EraseTime(), 0x732F);
            EXPECT_EQ(loader->EraseDate(), 0x1063);
        });
        // Blocks from 0x8000 (the one holding start) to 0x8180, but not the
        // 0xFF one at 0x8080.
        EXPECT_EQ(m_sims[sim]->CountRequests(Kd01Loader::kWrite), 6u);
        // The 0xFF block counts for nothing: the progress ends short of its range.
        EXPECT_EQ(m_sink.progress.back().first, 6 * 64);
        m_programmer.reset();
        m_sims[sim]->Stop();
        std::remove(m_com.file("COM3").c_str());
    }
}

// The board is off: the resets go unanswered, the erase too; the tool asks
// to switch it on (the answer switches the simulator on), waits for the
// greeting and programs it.
TEST_F(St7ProgrammerTest, PowerOnFlow)
{
    Kd01Options options;
    options.poweredOn = false;
    Kd01Loader* loader = AddSimulator(3, options);
    St7Timing timing = TestTiming();
    timing.resetTimeout = 0.05;
    timing.greetingTimeout = 0.3;
    timing.eraseTimeout = 0.1;
    MakeProgrammer(timing);
    m_sink.boxActions.push_back([&] { m_sims[0]->WithDevice([](BootDevice& d) { static_cast<Kd01Loader&>(d).PowerOn(); }); });
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded());
    EXPECT_EQ(m_sink.boxes, (std::vector<std::u16string>{u"Press the OK button and switch on the board"}));
    EXPECT_TRUE(m_sink.succeeded);
    EXPECT_EQ(Memory(0, loader, 0x8000, 0x1C0), Expected(0x8000, 0x1C0));
}

// No boot loader behind COM3: after the abortive attempt the tool tries
// COM4, where one answers; with LOCKCOM it stays on COM3 and ends.
TEST_F(St7ProgrammerTest, AbortiveAttemptMovesOnUnlessLocked)
{
    for (const bool lock : {false, true}) {
        SCOPED_TRACE(lock ? "locked" : "free");
        m_sink.lines.clear();
        m_sink.runsEnded = 0;
        m_sink.succeeded = false;
        Kd01Options off;
        off.poweredOn = false;
        AddSimulator(3, off);
        Kd01Loader* good = AddSimulator(4);
        St7Timing timing = TestTiming();
        timing.resetTimeout = 0.05;
        timing.greetingTimeout = 0.2;
        timing.eraseTimeout = 0.1;
        MakeProgrammer(timing);
        m_programmer->SetLockCom(lock);
        m_sink.boxActions.push_back([] {});
        ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
        ASSERT_TRUE(m_sink.WaitRunEnded());
        const auto lines = m_sink.Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), u"Programming abortive attempt COM3..."), lines.end());
        EXPECT_EQ(m_sink.succeeded, !lock);
        if (!lock) {
            EXPECT_EQ(Memory(m_sims.size() - 1, good, 0xFFE0, 32), Expected(0xFFE0, 32));
        }
        EXPECT_EQ(std::find(lines.begin(), lines.end(), u"Try to reset system in progress COM4...") != lines.end(), !lock);
        m_programmer.reset();
        for (auto& sim : m_sims)
            sim->Stop();
        m_sims.clear();
        std::remove(m_com.file("COM3").c_str());
        std::remove(m_com.file("COM4").c_str());
    }
}

struct FaultCase {
    std::uint8_t command;
    FaultKind kind;
    std::vector<std::u16string> boxes;
};

class St7FaultTest : public St7ProgrammerTest {
protected:
    void Run(const std::vector<FaultCase>& cases)
    {
        Kd01Options options;
        options.startInBootLoader = true;
        Kd01Loader* loader = AddSimulator(3, options);
        St7Timing timing = TestTiming();
        timing.resetTimeout = 0.02;
        timing.writeTimeout = timing.vectorsTimeout = timing.checkTimeout = 0.1;
        timing.writeAttempts = timing.vectorsAttempts = timing.checkAttempts = 2;
        timing.greetingTimeout = 0.2;
        timing.eraseTimeout = 0.1;
        MakeProgrammer(timing);
        int runs = 0;
        for (const FaultCase& c : cases) {
            SCOPED_TRACE(testing::Message() << "command " << int(c.command) << " fault " << int(c.kind));
            m_sims[0]->WithDevice([&](BootDevice&) {
                loader->Faults().Clear();
                loader->Faults().Arm(c.command, {c.kind, {}}, true);
                loader->SetInBootLoader(false);  // so that the reset brings the greeting
            });
            m_sink.boxes.clear();
            m_sink.succeeded = false;
            for (std::size_t i = 0; i < c.boxes.size(); ++i)
                m_sink.boxActions.push_back([] {});
            ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
            ASSERT_TRUE(m_sink.WaitRunEnded(++runs));
            EXPECT_EQ(m_sink.boxes, c.boxes);
            EXPECT_FALSE(m_sink.succeeded);
        }
    }
};

// Each command refused or unanswered ends the run with its box, never with
// the success line.
TEST_F(St7FaultTest, WriteVectorsAndCheck)
{
    Run({
        {Kd01Loader::kWrite, FaultKind::Silence, {u"Error programming"}},
        {Kd01Loader::kWrite, FaultKind::BadSum, {u"Error programming"}},
        {Kd01Loader::kWrite, FaultKind::WrongEcho, {u"Error programming"}},
        {Kd01Loader::kWrite, FaultKind::Negative, {u"Error programming"}},
        {Kd01Loader::kVectors, FaultKind::Silence, {u"Error programming interrupt vector"}},
        {Kd01Loader::kVectors, FaultKind::Negative, {u"Error programming interrupt vector"}},
        {Kd01Loader::kVectors, FaultKind::BadSum, {u"Error programming interrupt vector"}},
        {Kd01Loader::kVectors, FaultKind::WrongEcho, {u"Error programming interrupt vector"}},
        {Kd01Loader::kCheck, FaultKind::Silence, {u"Error writing check"}},
        {Kd01Loader::kCheck, FaultKind::Negative, {u"Error writing check"}},
        {Kd01Loader::kCheck, FaultKind::BadSum, {u"Error writing check"}},
        {Kd01Loader::kCheck, FaultKind::WrongEcho, {u"Error writing check"}},
    });
}

// A refused erase asks to switch the board on and waits for the greeting
// again; without one the tool resets again (which clears the prompt's
// flag), erases blindly, asks once more and gives the port up.
TEST_F(St7FaultTest, Erase)
{
    const std::vector<std::u16string> twice{u"Press the OK button and switch on the board",
                                            u"Press the OK button and switch on the board"};
    Run({
        {Kd01Loader::kErase, FaultKind::Silence, twice},
        {Kd01Loader::kErase, FaultKind::BadSum, twice},
        {Kd01Loader::kErase, FaultKind::WrongEcho, twice},
        {Kd01Loader::kErase, FaultKind::Negative, twice},
    });
}

// The adapter is pulled while the tool waits for the greeting: the wait
// ends at once with the port's error as a line.
TEST_F(St7ProgrammerTest, AdapterRemovedDuringGreetingWait)
{
    Kd01Options options;
    options.greetingDelay = std::chrono::milliseconds(5000);
    AddSimulator(3, options);
    St7Timing timing = TestTiming();
    timing.greetingTimeout = 3.0;
    MakeProgrammer(timing);
    m_programmer->SetLockCom(true);
    m_sink.boxActions.push_back([] {});
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
    for (int i = 0; i < 400 && m_sink.Lines().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto begin = std::chrono::steady_clock::now();
    m_sims[0]->Unplug();
    ASSERT_TRUE(m_sink.WaitRunEnded());
    const auto lines = m_sink.Lines();
    ASSERT_GE(lines.size(), 3u);
    const std::string reason = std::strerror(EIO);
    EXPECT_EQ(lines[2], std::u16string(reason.begin(), reason.end()));
    EXPECT_FALSE(m_sink.succeeded);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2)) << "no 3 s greeting waits on a dead port";
}

TEST(St7FramesTest, KnownFrames)
{
    EXPECT_EQ(st7::ResetFrame(), (Bytes{0x04, 0x08, 0x03, 0x06}));
    const std::tm t = March3rd2008();
    EXPECT_EQ(st7::TimeWord(t), 0x732F);
    EXPECT_EQ(st7::DateWord(t), 0x1063);
    const Bytes vectors = st7::BootFrame(st7::CMD_VECTORS, 3, Bytes(48, 0xCC));
    EXPECT_EQ(vectors.size(), 52u);
    EXPECT_EQ(vectors[0], 0x34);
    EXPECT_EQ(vectors[1], 0x42);
}

}  // namespace

// Stop while the boot loader is silent in ERASE (the tool's own 10 s
// wait): the worker ends at once, the port is closed after the join and no
// byte follows it; a new run then programs the board.
TEST_F(St7ProgrammerTest, StopDuringSilentEraseEndsAtOnceAndRestartWorks)
{
    Kd01Loader* loader = AddSimulator(3);
    St7Timing timing = TestTiming();
    timing.eraseTimeout = 10.0;
    MakeProgrammer(timing);
    m_sims[0]->WithDevice([&](BootDevice&) { loader->Faults().Arm(Kd01Loader::kErase, {FaultKind::Silence, {}}, false, 1); });
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
    const auto waitStart = std::chrono::steady_clock::now();
    while (m_sims[0]->CountRequests(Kd01Loader::kErase) < 1 &&
           std::chrono::steady_clock::now() - waitStart < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(m_sims[0]->CountRequests(Kd01Loader::kErase), 1u);
    const auto begin = std::chrono::steady_clock::now();
    m_programmer->StopThread();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1000));
    EXPECT_FALSE(m_programmer->Line().IsOpen()) << "the port is closed after the join";
    const std::size_t heard = m_sims[0]->FrameLog().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_sims[0]->FrameLog().size(), heard) << "no byte after the join";
    EXPECT_FALSE(m_sink.succeeded);

    m_sims[0]->WithDevice([&](BootDevice&) { loader->SetInBootLoader(false); });
    m_sink.lines.clear();
    m_programmer->StartThread();
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(m_sink.runsEnded + 1));
    EXPECT_TRUE(m_sink.succeeded);
    EXPECT_EQ(Memory(0, loader, 0x8000, 0x1C0), Expected(0x8000, 0x1C0));
}

// The adapter is pulled after the second WRITE: the run ends without the
// success line and the board keeps only what came before.
TEST_F(St7ProgrammerTest, UnplugAfterTheSecondWriteEndsTheRun)
{
    Kd01Loader* loader = AddSimulator(3);
    St7Timing timing = TestTiming();
    timing.writeTimeout = timing.vectorsTimeout = timing.checkTimeout = 0.1;
    MakeProgrammer(timing);
    m_sims[0]->WithDevice([&](BootDevice&) { loader->Faults().Arm(Kd01Loader::kWrite, {FaultKind::Unplug, {}}, false, 2); });
    m_sink.boxActions.push_back([] {});
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CSt7Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded());
    EXPECT_EQ(m_sink.boxes, std::vector<std::u16string>{u"Error programming"});
    EXPECT_FALSE(m_sink.succeeded);
    for (const std::u16string& line : m_sink.Lines())
        EXPECT_EQ(line.find(u"successfully"), std::u16string::npos);
    EXPECT_EQ(m_sims[0]->CountRequests(Kd01Loader::kVectors), 0u);
    EXPECT_EQ(m_sims[0]->CountRequests(Kd01Loader::kCheck), 0u);
}
