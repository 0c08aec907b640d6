#include "tools/kd02flash/CKd02Programmer.h"

#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd02Loader.h"
#include "tools/common/ImageLoaders.h"

#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>
#include "testing/ptysupport/PtyPair.h"
#include <unistd.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;
using Clock = std::chrono::steady_clock;

namespace {

// What the dialog would be told, kept for the test; boxes answered from a
// script, an unexpected box fails the test.
class RecordingSink : public IToolSink, public IPortScanPrompts, public IPortAdvanceReport {
public:
    std::deque<int> boxAnswers;

    void StatusCode(int code, int port, long value) override
    {
        std::lock_guard lock(m_mutex);
        codes.push_back(code);
        lines.push_back(Kd02StatusLine(code, port, value));
    }
    void StatusText(std::u16string text) override
    {
        std::lock_guard lock(m_mutex);
        lines.push_back(std::move(text));
    }
    void Progress(long written, long address) override
    {
        std::lock_guard lock(m_mutex);
        progress.emplace_back(written, address);
    }
    void ShowBox(const std::u16string& text, BoxButtons, std::function<void(int)> answer) override
    {
        int reply = IDCANCEL;
        {
            std::lock_guard lock(m_mutex);
            boxes.push_back(text);
            if (boxAnswers.empty()) {
                ADD_FAILURE() << "unexpected box";
            } else {
                reply = boxAnswers.front();
                boxAnswers.pop_front();
            }
        }
        answer(reply);
    }
    void PortChosen(int port) override
    {
        std::lock_guard lock(m_mutex);
        titles.push_back(port);
    }
    void RunEnded() override
    {
        {
            std::lock_guard lock(m_mutex);
            ++runsEnded;
        }
        m_ended.notify_all();
    }
    bool AskContinueDespiteConflict() override { return true; }
    void ShowNoPortFound() override { ADD_FAILURE() << "no port"; }
    void OpenFailed(int port, int error) override { StatusCode(ST_OPEN_ERROR, port, error); }

    bool WaitRunEnded(int count, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        std::unique_lock lock(m_mutex);
        return m_ended.wait_for(lock, timeout, [&] { return runsEnded >= count; });
    }
    std::vector<int> Codes()
    {
        std::lock_guard lock(m_mutex);
        return codes;
    }
    std::vector<std::u16string> Lines()
    {
        std::lock_guard lock(m_mutex);
        return lines;
    }
    std::vector<std::pair<long, long>> ProgressSeen()
    {
        std::lock_guard lock(m_mutex);
        return progress;
    }
    std::vector<std::u16string> Boxes()
    {
        std::lock_guard lock(m_mutex);
        return boxes;
    }

    std::vector<int> codes;
    std::vector<std::u16string> lines;
    std::vector<std::pair<long, long>> progress;
    std::vector<std::u16string> boxes;
    std::vector<int> titles;
    int runsEnded = 0;

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
};

Kd02Timing TestTiming()
{
    Kd02Timing timing;
    timing.applicationTimeout = 0.3;
    timing.connectTimeout = 0.3;
    timing.connectAttempts = 3;
    timing.eraseTimeout = 1.0;
    timing.idle = std::chrono::milliseconds(20);
    return timing;
}

// A COM folder with the simulated ECU behind COM3, a loaded image and the
// programmer with short waits.
class Kd02ProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
    }
    void TearDown() override
    {
        m_programmer.reset();
        if (m_sim)
            m_sim->Stop();
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }

    void StartSimulator(Kd02Options options = {})
    {
        auto device = std::make_unique<Kd02Loader>(options);
        m_loader = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device), std::chrono::milliseconds(100));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 3, error)) << error;
    }

    void MakeProgrammer(Kd02Timing timing = TestTiming(), bool zeroWaits = true)
    {
        m_programmer = std::make_unique<CKd02Programmer>(m_sink, timing);
        if (zeroWaits)
            m_programmer->Waits().fill(0);
        m_programmer->Line().SetPort(3);
        m_programmer->Line().SetBaud(19200);
        m_programmer->StartThread();
    }

    // An image of `size` bytes from 0x18000 with an all-0xFF second block
    // and a short last block, loaded by the ".bin" loader.
    void LoadImage(std::size_t size = 2500)
    {
        m_bytes.assign(size, 0);
        for (std::size_t i = 0; i < size; ++i)
            m_bytes[i] = static_cast<std::uint8_t>((i * 13 + 5) & 0xFF);
        if (size > 2048)
            std::fill(m_bytes.begin() + 1024, m_bytes.begin() + 2048, 0xFF);
        WriteAll(m_com.file("fw.bin"), std::string(m_bytes.begin(), m_bytes.end()));
        class Silent : public CLoaderReporter {
            void ShowMessage(const std::u16string&) override { ADD_FAILURE() << "loader message"; }
        } reporter;
        ASSERT_TRUE(LoadKd02BinImage(m_com.file("fw.bin"), m_programmer->Image(), reporter));
    }

    std::vector<std::uint8_t> Flash(std::size_t count)
    {
        std::vector<std::uint8_t> flash;
        m_sim->WithDevice([&](BootDevice&) { flash = m_loader->Flash(0x18000, count); });
        return flash;
    }

    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto end = Clock::now() + timeout;
        while (!condition()) {
            if (Clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    TempDir m_com;
    std::optional<std::string> m_savedComDir;
    RecordingSink m_sink;
    std::unique_ptr<BootSimulator> m_sim;
    Kd02Loader* m_loader = nullptr;
    std::unique_ptr<CKd02Programmer> m_programmer;
    std::vector<std::uint8_t> m_bytes;
};

TEST_F(Kd02ProgrammerTest, FullRunFromTheApplication)
{
    StartSimulator();
    MakeProgrammer();
    LoadImage();
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1));
    EXPECT_EQ(m_sink.Codes(), (std::vector<int>{ST_APP_CONNECTED, ST_APP_RESET, ST_CONNECTED, ST_ERASING,
                                                 ST_DOWNLOADING, ST_DOWNLOAD_OK, ST_DISCONNECTED}));
    EXPECT_EQ(Flash(m_bytes.size()), m_bytes) << "the flash holds the image byte for byte, its 0xFF block included";
    const auto progress = m_sink.ProgressSeen();
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[0], std::make_pair(1024L, 0x18000L + 1024));
    EXPECT_EQ(progress.back(), std::make_pair(long(m_bytes.size() - 1), long(0x18000 + m_bytes.size() - 1)));
    EXPECT_FALSE(m_programmer->IsRunning());
    // The application heard its frames at 9600 only; the boot loader at 19200.
    for (const BootRecord& record : m_sim->FrameLog()) {
        if (record.kind == BootRecord::Kind::Request && (record.command == 0x09 || record.command == 0x08)) {
            EXPECT_EQ(record.baud, 9600);
        }
        if (record.kind == BootRecord::Kind::Request && record.command == 0x01) {
            EXPECT_EQ(record.baud, 19200);
        }
    }
    EXPECT_EQ(m_sim->CountRequests(Kd02Loader::kWrite), 3u) << "every block is sent";
}

TEST_F(Kd02ProgrammerTest, BootLoaderAlreadyRunning)
{
    StartSimulator({.startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    MakeProgrammer(timing);
    LoadImage(1024);
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1));
    const auto lines = m_sink.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], u"APP ECU Not Connected COM3");
    EXPECT_EQ(m_sink.Codes()[1], ST_CONNECTED);
    EXPECT_EQ(m_sink.Codes().back(), ST_DISCONNECTED);
    EXPECT_EQ(Flash(1024), m_bytes);
}

// Stop while the boot loader says nothing in ERASE: the worker ends its
// step at once, silently, nothing more goes out, and a new run works.
TEST_F(Kd02ProgrammerTest, StopDuringEraseEndsAtOnceAndRestartWorks)
{
    StartSimulator({.startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    timing.eraseTimeout = 10.0;  // the tool's own: the stop must not wait for it
    MakeProgrammer(timing);
    LoadImage(1024);
    m_loader->Faults().Arm(Kd02Loader::kErase, {FaultKind::Silence, {}});
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return m_sim->FrameLog().size() > 0 && m_sim->CountRequests(Kd02Loader::kErase) >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto begin = Clock::now();
    m_programmer->AbortRun();
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(1000));
    EXPECT_FALSE(m_programmer->IsRunning());
    EXPECT_EQ(m_programmer->CurrentState(), CKd02Programmer::IDLE);
    const std::size_t heard = m_sim->FrameLog().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(m_sim->FrameLog().size(), heard) << "no byte follows the stop";
    const auto codes = m_sink.Codes();
    EXPECT_EQ(codes.back(), ST_ERASING) << "the interrupted step ends without a line";
    EXPECT_EQ(m_sink.runsEnded, 0);

    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1));
    EXPECT_EQ(m_sink.Codes().back(), ST_DISCONNECTED);
    EXPECT_EQ(Flash(1024), m_bytes);
}

TEST_F(Kd02ProgrammerTest, ExitDuringEraseEndsAtOnce)
{
    StartSimulator({.startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    timing.eraseTimeout = 10.0;
    MakeProgrammer(timing);
    LoadImage(1024);
    m_loader->Faults().Arm(Kd02Loader::kErase, {FaultKind::Silence, {}}, true);
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(WaitFor([&] { return m_sim->CountRequests(Kd02Loader::kErase) >= 1; }));
    const auto begin = Clock::now();
    m_programmer->StopThread();
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(1000));
    EXPECT_FALSE(m_programmer->Line().IsOpen()) << "the port is closed after the join";
    const std::size_t heard = m_sim->FrameLog().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_sim->FrameLog().size(), heard);
}

// Each command's failures end the run with its line, never with success.
TEST_F(Kd02ProgrammerTest, FaultTable)
{
    struct Case {
        std::uint8_t command;
        FaultKind kind;
        int lastCode;
    };
    const Case cases[] = {
        {Kd02Loader::kConnect, FaultKind::Silence, ST_NOT_CONNECTED},
        {Kd02Loader::kConnect, FaultKind::BadSum, ST_NOT_CONNECTED},
        {Kd02Loader::kConnect, FaultKind::WrongEcho, ST_NOT_CONNECTED},
        {Kd02Loader::kConnect, FaultKind::Negative, ST_NOT_CONNECTED},
        {Kd02Loader::kErase, FaultKind::Silence, ST_ERASE_ERROR},
        {Kd02Loader::kErase, FaultKind::BadSum, ST_ERASE_ERROR},
        {Kd02Loader::kErase, FaultKind::WrongEcho, ST_ERASE_ERROR},
        {Kd02Loader::kErase, FaultKind::Negative, ST_ERASE_ERROR},
        {Kd02Loader::kEraseResult, FaultKind::Silence, ST_ERASE_ERROR},
        {Kd02Loader::kEraseResult, FaultKind::BadSum, ST_ERASE_ERROR},
        {Kd02Loader::kEraseResult, FaultKind::WrongEcho, ST_ERASE_ERROR},
        {Kd02Loader::kEraseResult, FaultKind::Negative, ST_ERASE_ERROR},
        {Kd02Loader::kWrite, FaultKind::Negative, ST_DOWNLOAD_ERROR},
        {Kd02Loader::kStopDownload, FaultKind::Negative, ST_DOWNLOAD_ERROR},
        {Kd02Loader::kWriteVerify, FaultKind::Silence, ST_DOWNLOAD_ERROR},
        {Kd02Loader::kWriteVerify, FaultKind::BadSum, ST_DOWNLOAD_ERROR},
        {Kd02Loader::kWriteVerify, FaultKind::WrongEcho, ST_DOWNLOAD_ERROR},
        {Kd02Loader::kWriteVerify, FaultKind::Negative, ST_DOWNLOAD_ERROR},
    };
    StartSimulator({.startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.03;
    timing.applicationAttempts = 1;
    timing.connectAttempts = 2;
    timing.eraseTimeout = 0.3;
    timing.resultTimeout = 0.3;
    timing.attempts = 2;
    MakeProgrammer(timing);
    LoadImage(1500);
    int runs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "command " << int(c.command) << " fault " << int(c.kind));
        m_sim->WithDevice([&](BootDevice&) {
            m_loader->Faults().Clear();
            m_loader->SetInBootLoader(true);
            m_loader->Faults().Arm(c.command, {c.kind, {}}, true);
        });
        m_sink.codes.clear();
        ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
        ASSERT_TRUE(m_sink.WaitRunEnded(++runs));
        const auto codes = m_sink.Codes();
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), c.lastCode);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), int(ST_DOWNLOAD_OK)), 0);
        if (c.command == Kd02Loader::kConnect) {
            // One listed port and no boot loader answering: lines 10 and 2
            // once each, and the run ends.
            EXPECT_EQ(codes, (std::vector<int>{ST_APP_NOT_CONNECTED, ST_NOT_CONNECTED}));
        }
    }
}

// The device goes away after its third WRITE: the writes fail, six of them
// raise the Retry/Cancel box, Cancel goes on to STOPDOWNLOAD, which fails.
TEST_F(Kd02ProgrammerTest, UnplugDuringWriteAsksAndEndsInError)
{
    StartSimulator({.startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    timing.attempts = 1;
    MakeProgrammer(timing);
    m_programmer->Waits()[W_WRITE] = 50;  // the device takes each block in before the next comes
    LoadImage(6 * 1024);
    m_loader->Faults().Arm(Kd02Loader::kWrite, {FaultKind::Unplug, {}}, false, 3);
    m_sink.boxAnswers = {IDRETRY, IDCANCEL};
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1));
    EXPECT_EQ(m_sink.Boxes(), (std::vector<std::u16string>{u"Receive error from board", u"Receive error from board"}));
    EXPECT_EQ(m_sink.Codes().back(), ST_DOWNLOAD_ERROR);
    EXPECT_EQ(m_sink.ProgressSeen().back().first, 3 * 1024) << "no progress after the third block";
}

// The boot loader stops reading: once the line's buffers are full every
// WRITE stays short; six of them raise the Retry/Cancel box, and Cancel
// goes on to STOPDOWNLOAD, which cannot be sent either. (Slow: each short
// write waits out the serial layer's 1 s write time-out. The line runs at
// 115200 baud, so that filling the buffers at the line's pace is quick.)
TEST_F(Kd02ProgrammerTest, StopReadingRaisesRetryCancelThenDownloadError)
{
    StartSimulator({.bootBaud = 115200, .startInBootLoader = true});
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    timing.attempts = 1;
    MakeProgrammer(timing);
    m_programmer->Line().SetBaud(115200);
    LoadImage(150 * 1024);
    m_loader->Faults().Arm(Kd02Loader::kWrite, {FaultKind::StopReading, {}}, false, 1);
    m_sink.boxAnswers = {IDCANCEL};
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1, std::chrono::seconds(60)));
    EXPECT_EQ(m_sink.Boxes(), (std::vector<std::u16string>{u"Receive error from board"}));
    EXPECT_EQ(m_sink.Codes().back(), ST_DOWNLOAD_ERROR);
    EXPECT_EQ(m_sim->CountRequests(Kd02Loader::kStopDownload), 0u);
}

// A listed port that does not open: line 13, then the next port.
TEST_F(Kd02ProgrammerTest, PortThatDoesNotOpenIsSkipped)
{
    StartSimulator();
    // COM2 is a terminal some other program holds.
    vexar::ptysupport::PtyPair busy;
    std::string error;
    ASSERT_TRUE(busy.Open(19200, error)) << error;
    const int holder = open(busy.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(symlink(busy.SlavePath().c_str(), m_com.file("COM2").c_str()), 0);
    MakeProgrammer();
    m_programmer->Line().SetPort(2);
    LoadImage(1024);
    ASSERT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::Started);
    ASSERT_TRUE(m_sink.WaitRunEnded(1));
    const auto lines = m_sink.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind(u"Error to open COM2: ", 0), 0u) << std::string(lines[0].begin(), lines[0].end());
    EXPECT_EQ(m_sink.Codes().back(), ST_DISCONNECTED);
    EXPECT_EQ(m_programmer->Line().Port(), 3);
    close(holder);
}

TEST_F(Kd02ProgrammerTest, StartWithoutImageDoesNothing)
{
    StartSimulator();
    MakeProgrammer();
    EXPECT_EQ(m_programmer->StartRun(m_sink, m_sink), CKd02Programmer::StartResult::NotStarted);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(m_sim->FrameLog().empty());
}

}  // namespace
