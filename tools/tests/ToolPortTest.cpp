#include "tools/common/CToolPortList.h"
#include "tools/common/CToolWorker.h"

#include "TempDir.h"
#include "link/SerialPort.h"
#include "testing/ptysupport/PtyPair.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <unistd.h>

using namespace vexar::tools;
using vexar::ptysupport::PtyPair;
using vexar::testing::TempDir;
using Clock = std::chrono::steady_clock;

namespace {

class RecordingPrompts : public IPortScanPrompts, public IPortAdvanceReport {
public:
    bool answer = true;
    int questions = 0;
    int noPortBoxes = 0;
    std::vector<int> chosen;
    std::vector<int> failed;

    bool AskContinueDespiteConflict() override
    {
        ++questions;
        return answer;
    }
    void ShowNoPortFound() override { ++noPortBoxes; }
    void PortChosen(int port) override { chosen.push_back(port); }
    void OpenFailed(int port, int) override { failed.push_back(port); }
};

std::vector<unsigned> OneTo256()
{
    std::vector<unsigned> all(256);
    std::iota(all.begin(), all.end(), 1u);
    return all;
}

// VEXAR_COM_DIR set for the test's life, and put back after it.
class ComDirScope {
public:
    explicit ComDirScope(const std::string& folder)
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_saved = old;
        setenv("VEXAR_COM_DIR", folder.c_str(), 1);
    }
    ~ComDirScope()
    {
        if (m_saved)
            setenv("VEXAR_COM_DIR", m_saved->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }

private:
    std::optional<std::string> m_saved;
};

// A pseudo-terminal published as <folder>/<name>.
std::unique_ptr<PtyPair> PublishPty(const TempDir& folder, const std::string& name)
{
    auto pty = std::make_unique<PtyPair>();
    std::string error;
    EXPECT_TRUE(pty->Open(19200, error)) << error;
    EXPECT_EQ(symlink(pty->SlavePath().c_str(), folder.file(name).c_str()), 0);
    return pty;
}

TEST(CheckPortListTest, ScanCases)
{
    struct Case {
        const char* what;
        std::vector<std::vector<unsigned>> enumerations;  // successive results; empty vector of vectors: failure
        bool enumerates;
        bool answer;
        int configured;
        bool result;
        std::vector<unsigned> ports;
        std::size_t index;
        int port;  // configured port afterwards
        int questions;
        int noPortBoxes;
        int calls;
    };
    const Case cases[] = {
        {"configured_listed", {{2, 5, 7}}, true, true, 5, true, {2, 5, 7}, 1, 5, 0, 0, 1},
        {"unlisted_becomes_first", {{2, 5, 7}}, true, true, 4, true, {2, 5, 7}, 0, 2, 0, 0, 1},
        {"conflict_no", {{3, 3}}, true, false, 3, false, {3, 3}, 0, 3, 1, 0, 1},
        {"conflict_yes_enumerates_again", {{3, 3}, {3, 4}}, true, true, 4, true, {3, 4}, 1, 4, 1, 0, 2},
        {"no_ports", {{}}, true, true, 1, false, {}, 0, 1, 0, 1, 1},
        {"enumeration_fails", {}, false, true, 9, true, OneTo256(), 8, 9, 0, 0, 1},
    };
    for (const Case& c : cases) {
        int calls = 0;
        CToolPortList list([&](std::vector<unsigned>& ports) {
            ++calls;
            if (!c.enumerates)
                return false;
            ports = c.enumerations[static_cast<std::size_t>(std::min(calls, int(c.enumerations.size())) - 1)];
            return true;
        });
        CToolLine line(2048);
        line.SetPort(c.configured);
        RecordingPrompts prompts;
        prompts.answer = c.answer;
        EXPECT_EQ(list.CheckPortList(line, prompts), c.result) << c.what;
        EXPECT_EQ(list.Ports(), c.ports) << c.what;
        EXPECT_EQ(list.Index(), c.index) << c.what;
        EXPECT_EQ(line.Port(), c.port) << c.what;
        EXPECT_EQ(prompts.questions, c.questions) << c.what;
        EXPECT_EQ(prompts.noPortBoxes, c.noPortBoxes) << c.what;
        EXPECT_EQ(calls, c.calls) << c.what;
        EXPECT_EQ(list.Tries(), 0u) << c.what;
        EXPECT_FALSE(line.IsOpen()) << c.what;
    }
}

// The real COM folder: two spellings of one number, a folder named but
// missing, an empty folder.
TEST(CheckPortListTest, ComFolderSources)
{
    TempDir com;
    ComDirScope scope(com.path());
    auto upper = PublishPty(com, "COM3");
    auto lower = PublishPty(com, "com3");
    CToolLine line(2048);
    line.SetPort(3);
    RecordingPrompts prompts;
    prompts.answer = false;
    CToolPortList list;
    EXPECT_FALSE(list.CheckPortList(line, prompts));
    EXPECT_EQ(prompts.questions, 1);
    EXPECT_FALSE(line.IsOpen());
    prompts.answer = true;
    EXPECT_TRUE(list.CheckPortList(line, prompts));
    EXPECT_EQ(list.Ports(), (std::vector<unsigned>{3, 3}));

    {
        ComDirScope missing(com.file("absent"));
        EXPECT_TRUE(list.CheckPortList(line, prompts));
        EXPECT_EQ(list.Ports(), OneTo256());
        EXPECT_EQ(list.Index(), 2u);
    }
    TempDir empty;
    ComDirScope none(empty.path());
    EXPECT_FALSE(list.CheckPortList(line, prompts));
    EXPECT_EQ(prompts.noPortBoxes, 1);
}

// The advance tries every listed port once per run, opening the ones that
// exist, and stops when all were tried; with LOCKCOM it does not move.
TEST(SwitchToNextPortTest, VisitsEachPortOnce)
{
    TempDir com;
    ComDirScope scope(com.path());
    auto two = PublishPty(com, "COM2");
    auto five = PublishPty(com, "COM5");
    CToolPortList list([](std::vector<unsigned>& ports) {
        ports = {2, 3, 5};
        return true;
    });
    CToolLine line(2048);
    line.SetPort(2);
    RecordingPrompts report;
    ASSERT_TRUE(list.CheckPortList(line, report));
    EXPECT_FALSE(list.SwitchToNextPort(line, true, report)) << "LOCKCOM keeps the port";
    EXPECT_TRUE(report.chosen.empty());

    list.CountTry();  // port 2 tried by the run
    ASSERT_TRUE(list.SwitchToNextPort(line, false, report));
    EXPECT_EQ(line.OpenPort(), 5);
    EXPECT_EQ(line.Port(), 5);
    list.CountTry();  // port 5 tried
    EXPECT_FALSE(list.SwitchToNextPort(line, false, report)) << "2, 3 and 5 were tried in this run";
    EXPECT_EQ(report.chosen, (std::vector<int>{3, 5}));
    EXPECT_EQ(report.failed, (std::vector<int>{3}));
    line.Close();
}

TEST(SwitchToNextPortTest, EveryPortMissing)
{
    TempDir com;
    ComDirScope scope(com.path());
    CToolPortList list([](std::vector<unsigned>& ports) {
        ports = {1, 2, 3};
        return true;
    });
    CToolLine line(512);
    line.SetPort(1);
    RecordingPrompts report;
    ASSERT_TRUE(list.CheckPortList(line, report));
    list.CountTry();
    EXPECT_FALSE(list.SwitchToNextPort(line, false, report));
    EXPECT_EQ(report.failed, (std::vector<int>{2, 3}));
    EXPECT_FALSE(list.SwitchToNextPort(line, false, report));
    EXPECT_EQ(report.failed.size(), 2u) << "nothing more is tried in this run";
}

long long MillisecondsSince(Clock::time_point begin)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
}

// A worker sitting in a long read on a silent line ends at once when
// stopped, also when the read began after the first purge.
TEST(CToolWorkerTest, StopEndsALongReadAtOnce)
{
    TempDir com;
    ComDirScope scope(com.path());
    auto pty = PublishPty(com, "COM4");
    CToolLine line(2048);
    line.SetPort(4);
    int error = 0;
    ASSERT_EQ(line.Open(error), 0);
    CToolWorker worker;
    std::atomic<long long> readTook{-1};
    worker.StartThread([&](CToolWorker&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        vexar::link::PortSetTimeout(4, 10.0);
        std::uint8_t buffer[16];
        const auto begin = Clock::now();
        vexar::link::PortRead(4, buffer, sizeof buffer);
        readTook = MillisecondsSince(begin);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto begin = Clock::now();
    worker.StopThread([&] { line.Purge(); });
    EXPECT_LT(MillisecondsSince(begin), 2000);
    EXPECT_GE(readTook, 0);
    EXPECT_LT(readTook, 2000);
    EXPECT_FALSE(worker.IsRunning());
    line.Close();

    // A new worker starts after the old one has gone.
    std::atomic<bool> ran{false};
    EXPECT_TRUE(worker.StartThread([&](CToolWorker&) { ran = true; }));
    worker.StopThread([] {});
    EXPECT_TRUE(ran);
}

TEST(CToolWorkerTest, PausesAndQuestionsEndOnQuit)
{
    CToolWorker worker;
    std::atomic<bool> pauseCompleted{true};
    std::atomic<int> answer{0};
    std::function<void(int)> pending;
    std::mutex pendingMutex;
    worker.StartThread([&](CToolWorker& self) {
        EXPECT_TRUE(self.Pause(std::chrono::milliseconds(1)));
        answer = self.Ask(
            [&](std::function<void(int)> reply) {
                std::lock_guard lock(pendingMutex);
                pending = std::move(reply);
            },
            2);
        pauseCompleted = self.Pause(std::chrono::seconds(30));
    });
    // Answer the first question from this thread.
    for (;;) {
        std::lock_guard lock(pendingMutex);
        if (pending) {
            pending(42);
            break;
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto begin = Clock::now();
    worker.StopThread([] {});
    EXPECT_LT(MillisecondsSince(begin), 2000);
    EXPECT_EQ(answer, 42);
    EXPECT_FALSE(pauseCompleted);
    pending(7);  // an answer after the worker has gone is harmless
}

TEST(CToolWorkerTest, UnansweredQuestionGetsTheQuitAnswer)
{
    CToolWorker worker;
    std::atomic<int> answer{0};
    std::atomic<bool> shown{false};
    worker.StartThread([&](CToolWorker& self) {
        answer = self.Ask([&](std::function<void(int)>) { shown = true; }, 2);
    });
    while (!shown)
        std::this_thread::yield();
    worker.StopThread([] {});
    EXPECT_EQ(answer, 2);
}

}  // namespace
