#include "link/SerialPort.h"

#include "PtyPeer.h"
#include "TempDir.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <limits.h>
#include <memory>
#include <optional>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace vexar::link;
using vexar::linktest::Bytes;
using vexar::linktest::PtyPeer;
using vexar::testing::TempDir;

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point begin)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
}

Bytes AllByteValues()
{
    Bytes bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return bytes;
}

std::u16string ErrorText(int code, int size = 256)
{
    std::vector<char16_t> buffer(static_cast<std::size_t>(size), u'#');
    PortErrorText(code, buffer.data(), size);
    return std::u16string(buffer.data());
}

// Whether a descriptor of this process has `path` open, and its flags.
std::optional<int> DescriptorFlagsFor(const std::string& path)
{
    DIR* dir = ::opendir("/proc/self/fd");
    std::optional<int> flags;
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path)
            flags = ::fcntl(std::atoi(entry->d_name), F_GETFD);
    }
    if (dir)
        ::closedir(dir);
    return flags;
}

// A temporary COM folder named by VEXAR_COM_DIR, with a pseudo-terminal
// behind COM3; every port is closed again at the end.
class SerialPortTest : public ::testing::Test {
protected:
    static constexpr int kPort = 3;

    void SetUp() override
    {
        if (const char* named = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = named;
        setenv("VEXAR_COM_DIR", m_comDir.path().c_str(), 1);
        m_peer = std::make_unique<PtyPeer>();
        LinkCom(kPort, m_peer->slavePath());
    }
    void TearDown() override
    {
        for (int port = 1; port <= 256; ++port)
            PortClose(port);
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }

    void LinkCom(int number, const std::string& target)
    {
        const std::string link = m_comDir.file("COM" + std::to_string(number));
        ::unlink(link.c_str());
        ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    }
    // A fresh line behind COM3.
    void ReplacePeer()
    {
        m_peer = std::make_unique<PtyPeer>();
        LinkCom(kPort, m_peer->slavePath());
    }
    int Open(long baud = 9600, int inQueue = 512, int outQueue = 512)
    {
        return PortOpenConfig(kPort, u"\\\\.\\COM3", baud, PORT_PARITY_NONE, 8, 1, inQueue, outQueue);
    }
    void WaitForInput(int count)
    {
        const Clock::time_point begin = Clock::now();
        while (PortInQueueLen(kPort) < count && MillisecondsSince(begin) < 2000)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(PortInQueueLen(kPort), count);
    }

    TempDir m_comDir;
    std::unique_ptr<PtyPeer> m_peer;
    std::optional<std::string> m_savedComDir;
};

// Runs `wake` on a thread of its own, first after `delay` and then every
// 20 ms until stopped: a wake-up sent before the call under test has begun
// ends nothing (the call clears it), so a single one sent after a fixed
// sleep would be lost whenever the test thread is slow to reach the call.
class RepeatedWake {
public:
    RepeatedWake(std::chrono::milliseconds delay, std::function<void()> wake)
        : m_thread([this, delay, wake = std::move(wake)] {
              std::this_thread::sleep_for(delay);
              while (!m_stop) {
                  wake();
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          })
    {
    }
    ~RepeatedWake() { Stop(); }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

TEST_F(SerialPortTest, OpenRefusesBadArgumentsAndLeavesThePortClosed)
{
    struct Case {
        const char* what;
        int port;
        const char16_t* name;
        long baud;
        int parity;
        int dataBits;
        int stopBits;
        int expected;
    };
    const Case cases[] = {
        {"port 0", 0, nullptr, 9600, 0, 8, 1, PORT_BAD_NUMBER},
        {"port 257", 257, nullptr, 9600, 0, 8, 1, PORT_BAD_NUMBER},
        {"baud not in the table", kPort, nullptr, 9601, 0, 8, 1, PORT_BAD_BAUD},
        {"baud 0", kPort, nullptr, 0, 0, 8, 1, PORT_BAD_BAUD},
        {"parity -1", kPort, nullptr, 9600, -1, 8, 1, PORT_BAD_PARITY},
        {"parity 5", kPort, nullptr, 9600, 5, 8, 1, PORT_BAD_PARITY},
        {"4 data bits", kPort, nullptr, 9600, 0, 4, 1, PORT_BAD_DATA_BITS},
        {"9 data bits", kPort, nullptr, 9600, 0, 9, 1, PORT_BAD_DATA_BITS},
        {"0 stop bits", kPort, nullptr, 9600, 0, 8, 0, PORT_BAD_STOP_BITS},
        {"3 stop bits", kPort, nullptr, 9600, 0, 8, 3, PORT_BAD_STOP_BITS},
        {"no device behind COM9", 9, nullptr, 9600, 0, 8, 1, PORT_NOT_FOUND},
        {"empty device name", kPort, u"", 9600, 0, 8, 1, PORT_NOT_FOUND},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortOpenConfig(c.port, c.name, c.baud, c.parity, c.dataBits, c.stopBits, 512, 512), c.expected)
            << c.what;
        EXPECT_EQ(PortLastError(), c.expected) << c.what;
        if (c.port == kPort) {
            EXPECT_EQ(PortCheck(kPort), PORT_NOT_OPEN) << c.what;
        }
    }
}

TEST_F(SerialPortTest, OpenIsExclusiveAndCloseOnExec)
{
    ASSERT_EQ(Open(), PORT_OK);
    EXPECT_EQ(PortCheck(kPort), PORT_OK);
    EXPECT_EQ(Open(), PORT_CANNOT_OPEN);

    // The same device under another number is held by the first open
    // (flock, which holds for root too).
    LinkCom(4, m_peer->slavePath());
    EXPECT_EQ(PortOpenConfig(4, nullptr, 9600, 0, 8, 1, 512, 512), PORT_NOT_FOUND);

    const std::optional<int> flags = DescriptorFlagsFor(m_peer->slavePath());
    ASSERT_TRUE(flags.has_value());
    EXPECT_TRUE(*flags & FD_CLOEXEC);

    ASSERT_EQ(PortClose(kPort), PORT_OK);
    EXPECT_FALSE(DescriptorFlagsFor(m_peer->slavePath()).has_value());
    EXPECT_EQ(PortOpenConfig(4, nullptr, 9600, 0, 8, 1, 512, 512), PORT_OK);
}

TEST_F(SerialPortTest, AnInvalidNumberIsNotRecordedButAClosedPortIs)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(Open(), PORT_CANNOT_OPEN);
    EXPECT_EQ(PortCheck(0), PORT_BAD_NUMBER);
    EXPECT_EQ(PortCheck(257), PORT_BAD_NUMBER);
    EXPECT_EQ(PortPurge(0), PORT_BAD_NUMBER);
    EXPECT_EQ(PortLastError(), PORT_CANNOT_OPEN);
    EXPECT_EQ(PortCheck(5), PORT_NOT_OPEN);
    EXPECT_EQ(PortLastError(), PORT_NOT_OPEN);
}

TEST_F(SerialPortTest, EveryOperationChecksThePortFirst)
{
    std::uint8_t buffer[8] = {};
    unsigned mask = 0;
    PORT_LINE_STATE lines;
    const std::pair<const char*, std::function<int(int)>> operations[] = {
        {"PortSetBaud", [](int p) { return PortSetBaud(p, 9600); }},
        {"PortClose", [](int p) { return PortClose(p); }},
        {"PortWrite", [&](int p) { return PortWrite(p, buffer, 1); }},
        {"PortWriteByte", [](int p) { return PortWriteByte(p, 0x55); }},
        {"PortRead", [&](int p) { return PortRead(p, buffer, 1); }},
        {"PortReadByte", [](int p) { return PortReadByte(p); }},
        {"PortReadUntil", [&](int p) { return PortReadUntil(p, buffer, 8, '\n'); }},
        {"PortInQueueLen", [](int p) { return PortInQueueLen(p); }},
        {"PortSetTimeout", [](int p) { return PortSetTimeout(p, 1.0); }},
        {"PortStatus", [](int p) { return PortStatus(p); }},
        {"PortFlushIn", [](int p) { return PortFlushIn(p); }},
        {"PortFlushOut", [](int p) { return PortFlushOut(p); }},
        {"PortPurge", [](int p) { return PortPurge(p); }},
        {"PortEscapeFunction", [](int p) { return PortEscapeFunction(p, PORT_SETDTR); }},
        {"PortWaitEvent", [&](int p) { return PortWaitEvent(p, &mask); }},
        {"PortSetEventMask", [](int p) { return PortSetEventMask(p, PORT_EV_RXCHAR); }},
        {"PortGetEventMask", [&](int p) { return PortGetEventMask(p, &mask); }},
        {"PortClearError", [](int p) { return PortClearError(p, nullptr, nullptr, PORT_CLEAR_ERRORS); }},
        {"PortSetHandshake", [](int p) { return PortSetHandshake(p, 0); }},
        {"PortSendBreak", [](int p) { return PortSendBreak(p, 10); }},
        {"PortGetLineState", [&](int p) { return PortGetLineState(p, lines); }},
    };
    for (const auto& [name, operation] : operations) {
        EXPECT_EQ(operation(0), PORT_BAD_NUMBER) << name;
        EXPECT_EQ(operation(257), PORT_BAD_NUMBER) << name;
        EXPECT_EQ(operation(kPort), PORT_NOT_OPEN) << name;
    }
}

TEST_F(SerialPortTest, AllByteValuesPassUnchangedBothWays)
{
    ASSERT_EQ(Open(), PORT_OK);
    const Bytes all = AllByteValues();

    ASSERT_EQ(PortWrite(kPort, all.data(), 256), 256);
    EXPECT_EQ(PortLastError(), PORT_OK);
    EXPECT_EQ(m_peer->Read(256, 500), all);
    EXPECT_TRUE(m_peer->Read(1, 50).empty());  // nothing added, nothing mapped

    m_peer->Write(all);
    Bytes received(256);
    ASSERT_EQ(PortRead(kPort, received.data(), 256), 256);
    EXPECT_EQ(PortLastError(), PORT_OK);
    EXPECT_EQ(received, all);
    EXPECT_TRUE(m_peer->Read(1, 50).empty());  // no echo
}

TEST_F(SerialPortTest, LineIsRawWithTheRequestedFraming)
{
    struct Case {
        int parity;
        int dataBits;
        int stopBits;
        unsigned expected;
    };
    // A pseudo-terminal forces CS8 and clears PARENB whatever is asked, so
    // only the parity kind and the stop bits can be seen from the master.
    const Case cases[] = {
        {PORT_PARITY_NONE, 8, 1, 0},
        {PORT_PARITY_ODD, 7, 1, PARODD},
        {PORT_PARITY_EVEN, 6, 2, CSTOPB},
        {PORT_PARITY_MARK, 5, 1, PARODD | CMSPAR},
        {PORT_PARITY_SPACE, 8, 2, CMSPAR | CSTOPB},
    };
    for (const Case& c : cases) {
        ReplacePeer();
        ASSERT_EQ(PortOpenConfig(kPort, nullptr, 19200, c.parity, c.dataBits, c.stopBits, 0, 0), PORT_OK);
        const unsigned framing = PARODD | CMSPAR | CSTOPB;
        EXPECT_EQ(m_peer->ControlFlags() & framing, c.expected) << c.parity << c.dataBits << c.stopBits;
        EXPECT_EQ(m_peer->ControlFlags() & (CLOCAL | CREAD | CRTSCTS), CLOCAL | CREAD);
        EXPECT_EQ(m_peer->InputFlags() & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP | INPCK | PARMRK), 0u);
        EXPECT_EQ(m_peer->OutputFlags() & OPOST, 0u);
        EXPECT_EQ(m_peer->LocalFlags() & (ECHO | ICANON | ISIG | IEXTEN), 0u);
        EXPECT_EQ(m_peer->Speed(), 19200u);
        ASSERT_EQ(PortClose(kPort), PORT_OK);
    }
}

TEST_F(SerialPortTest, EveryRateOfTheTableReachesTheLine)
{
    ASSERT_EQ(Open(14400), PORT_OK);
    EXPECT_EQ(m_peer->Speed(), 14400u);
    for (long baud : {110L, 150L, 300L, 600L, 1200L, 2400L, 4800L, 9600L, 14400L, 19200L, 28800L, 38400L, 56000L,
                      57600L, 115200L, 128000L, 256000L}) {
        EXPECT_EQ(PortSetBaud(kPort, baud), PORT_OK) << baud;
        EXPECT_EQ(m_peer->Speed(), static_cast<unsigned>(baud));
    }
    EXPECT_EQ(PortSetBaud(kPort, 14401), PORT_BAD_BAUD);
    EXPECT_EQ(PortLastError(), PORT_BAD_BAUD);
    EXPECT_EQ(m_peer->Speed(), 256000u);
    EXPECT_EQ(PortCheck(kPort), PORT_OK);
}

TEST_F(SerialPortTest, QueueSizesCutWritesAndReads)
{
    struct Case {
        int requested;
        int effective;
    };
    const Case cases[] = {{0, 512}, {10, 30}, {-5, 30}, {100, 100}};
    for (const Case& c : cases) {
        ReplacePeer();
        ASSERT_EQ(Open(9600, c.requested, c.requested), PORT_OK);
        const Bytes outgoing(600, 0xA5);
        EXPECT_EQ(PortWrite(kPort, outgoing.data(), 600), c.effective) << c.requested;
        EXPECT_EQ(m_peer->Read(600, 200).size(), static_cast<std::size_t>(c.effective)) << c.requested;

        m_peer->Write(Bytes(600, 0x5A));
        WaitForInput(600);
        Bytes incoming(600);
        EXPECT_EQ(PortRead(kPort, incoming.data(), 600), c.effective) << c.requested;
        EXPECT_EQ(PortLastError(), PORT_OK);
        ASSERT_EQ(PortClose(kPort), PORT_OK);
    }
}

TEST_F(SerialPortTest, ShortReadReturnsWhatCameAfterTheTimeout)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 0.3), PORT_OK);
    m_peer->Write({1, 2, 3, 4});
    std::uint8_t buffer[10] = {};
    const Clock::time_point begin = Clock::now();
    EXPECT_EQ(PortRead(kPort, buffer, 10), 4);
    const long long elapsed = MillisecondsSince(begin);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);
    EXPECT_GE(elapsed, 295);
    EXPECT_LT(elapsed, 1500);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{1, 2, 3, 4}));
}

TEST_F(SerialPortTest, ReadUntilStopsAtTheTerminatorTheCountOrTheTimeout)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 0.1), PORT_OK);
    m_peer->Write({'O', 'K', '\n', 'X', 'Y', 'Z'});
    std::uint8_t buffer[100] = {};

    EXPECT_EQ(PortReadUntil(kPort, buffer, 100, '\n'), 3);
    EXPECT_EQ(PortLastError(), PORT_OK);
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{'O', 'K', '\n'}));

    EXPECT_EQ(PortReadUntil(kPort, buffer, 2, '\n'), 2);
    EXPECT_EQ(PortLastError(), PORT_OK);

    EXPECT_EQ(PortReadUntil(kPort, buffer, 100, '\n'), 1);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);
    EXPECT_EQ(buffer[0], 'Z');

    EXPECT_EQ(PortReadUntil(kPort, nullptr, 100, '\n'), PORT_NULL_BUFFER);
}

TEST_F(SerialPortTest, SingleBytesAndTheirTimeout)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 0.1), PORT_OK);
    EXPECT_EQ(PortWriteByte(kPort, 0xFF), 1);
    EXPECT_EQ(PortLastError(), PORT_OK);
    EXPECT_EQ(m_peer->Read(1, 200), (Bytes{0xFF}));

    m_peer->Write({0x00, 0x80});
    EXPECT_EQ(PortReadByte(kPort), 0x00);
    EXPECT_EQ(PortReadByte(kPort), 0x80);
    EXPECT_EQ(PortLastError(), PORT_OK);
    EXPECT_EQ(PortReadByte(kPort), PORT_TIMEOUT);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);
}

TEST_F(SerialPortTest, BadBuffersCountsAndTimeoutsAreRefused)
{
    ASSERT_EQ(Open(), PORT_OK);
    std::uint8_t buffer[4] = {};
    struct Case {
        const char* what;
        std::function<int()> call;
        int expected;
    };
    const Case cases[] = {
        {"write negative count", [&] { return PortWrite(kPort, buffer, -1); }, PORT_BAD_COUNT},
        {"write null buffer", [] { return PortWrite(kPort, nullptr, 4); }, PORT_NULL_BUFFER},
        {"read negative count", [&] { return PortRead(kPort, buffer, -1); }, PORT_BAD_COUNT},
        {"read null buffer", [] { return PortRead(kPort, nullptr, 4); }, PORT_NULL_BUFFER},
        {"negative time-out", [] { return PortSetTimeout(kPort, -0.001); }, PORT_BAD_PARAMETER},
        {"time-out too long", [] { return PortSetTimeout(kPort, 4294967.296); }, PORT_BAD_PARAMETER},
        {"time-out not a number", [] { return PortSetTimeout(kPort, std::nan("")); }, PORT_BAD_PARAMETER},
        {"longest time-out", [] { return PortSetTimeout(kPort, 4294967.295); }, PORT_OK},
        {"clear-error request 11", [] { return PortClearError(kPort, nullptr, nullptr, 11); }, PORT_BAD_PARAMETER},
        {"break of 256 ms", [] { return PortSendBreak(kPort, 256); }, PORT_BAD_PARAMETER},
        {"break of -1 ms", [] { return PortSendBreak(kPort, -1); }, PORT_BAD_PARAMETER},
        {"unknown escape function", [] { return PortEscapeFunction(kPort, 7); }, PORT_SYSTEM_ERROR},
        {"wait without a mask", [] {
             unsigned mask = 0;
             return PortWaitEvent(kPort, &mask);
         }, PORT_SYSTEM_ERROR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.what;
        EXPECT_EQ(PortLastError(), c.expected) << c.what;
    }
}

TEST_F(SerialPortTest, WritesGiveUpAfterTheWriteTimeoutWhenTheLineDoesNotDrain)
{
    // The fastest rate of the table: the writes fill the terminal's buffer
    // at the line's pace.
    ASSERT_EQ(Open(256000), PORT_OK);
    const Bytes block(512, 0x33);
    int written = 512;
    while (written == 512)
        written = PortWrite(kPort, block.data(), 512);
    EXPECT_GE(written, 0);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);

    const Clock::time_point begin = Clock::now();
    EXPECT_EQ(PortWriteByte(kPort, 0x44), 0);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(begin), 950);
    EXPECT_LT(MillisecondsSince(begin), 3000);
}

TEST_F(SerialPortTest, AHungUpLineFailsAtOnceInsteadOfTimingOut)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 5.0), PORT_OK);
    m_peer->Close();
    std::uint8_t buffer[10] = {};
    const Clock::time_point begin = Clock::now();
    EXPECT_EQ(PortRead(kPort, buffer, 10), PORT_SYSTEM_ERROR);
    EXPECT_LT(MillisecondsSince(begin), 1000);
    EXPECT_EQ(PortWrite(kPort, buffer, 10), PORT_SYSTEM_ERROR);
    EXPECT_FALSE(ErrorText(PORT_SYSTEM_ERROR).empty());
}

TEST_F(SerialPortTest, ReopenKeepsTheLineSettingsAndResetsQueuesAndTimeouts)
{
    ASSERT_EQ(PortOpenConfig(kPort, nullptr, 19200, PORT_PARITY_ODD, 8, 2, 30, 30), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 0.0), PORT_OK);
    ASSERT_EQ(PortReopen(kPort, u"\\\\.\\COM3"), PORT_OK);
    EXPECT_EQ(m_peer->Speed(), 19200u);
    EXPECT_EQ(m_peer->ControlFlags() & (PARODD | CSTOPB), static_cast<unsigned>(PARODD | CSTOPB));

    const Bytes data(100, 0x11);
    EXPECT_EQ(PortWrite(kPort, data.data(), 100), 100);  // 512-byte queue again
    EXPECT_EQ(m_peer->Read(100, 500), data);
    std::uint8_t byte = 0;
    const Clock::time_point begin = Clock::now();
    EXPECT_EQ(PortRead(kPort, &byte, 1), 0);
    EXPECT_GE(MillisecondsSince(begin), 950);  // the 1000 ms read time-out again

    EXPECT_EQ(PortReopen(kPort, u""), PORT_NOT_FOUND);
    EXPECT_EQ(PortCheck(kPort), PORT_NOT_OPEN);
    EXPECT_EQ(PortReopen(kPort, nullptr), PORT_OK);
    ::unlink(m_comDir.file("COM3").c_str());
    EXPECT_EQ(PortReopen(kPort, nullptr), PORT_NOT_FOUND);
    EXPECT_EQ(PortCheck(kPort), PORT_NOT_OPEN);
}

TEST_F(SerialPortTest, ZeroTimeoutReturnsOnlyWhatIsWaiting)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 0.0), PORT_OK);
    m_peer->Write({7, 8});
    WaitForInput(2);
    std::uint8_t buffer[5] = {};
    const Clock::time_point begin = Clock::now();
    EXPECT_EQ(PortRead(kPort, buffer, 5), 2);
    // Well below the 1000 ms of the default time-out, with room for a
    // loaded machine.
    EXPECT_LT(MillisecondsSince(begin), 500);
    EXPECT_EQ(PortLastError(), PORT_TIMEOUT);
}

TEST_F(SerialPortTest, FlushInDiscardsWaitingInput)
{
    ASSERT_EQ(Open(), PORT_OK);
    m_peer->Write({1, 2, 3, 4, 5});
    WaitForInput(5);
    EXPECT_EQ(PortFlushIn(kPort), PORT_OK);
    EXPECT_EQ(PortInQueueLen(kPort), 0);
    ASSERT_EQ(PortSetTimeout(kPort, 0.05), PORT_OK);
    EXPECT_EQ(PortReadByte(kPort), PORT_TIMEOUT);
    EXPECT_EQ(PortFlushOut(kPort), PORT_OK);
}

TEST_F(SerialPortTest, PurgeFromAnotherThreadEndsAPendingRead)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetTimeout(kPort, 10.0), PORT_OK);
    const Clock::time_point begin = Clock::now();
    RepeatedWake purger(std::chrono::milliseconds(100), [] { PortPurge(kPort); });
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(PortRead(kPort, buffer, 4), 0);
    EXPECT_LT(MillisecondsSince(begin), 5000);
    purger.Stop();
}

// A write returns once its bytes have left the line at its speed and
// framing, though that takes longer than the 1 s write time-out: a reply
// time-out started after it then runs from when the far end has the
// request. A pseudo-terminal takes the bytes at once, so the layer's own
// pacing is what is measured here.
TEST_F(SerialPortTest, AWriteEndsWhenItsBytesHaveLeftTheLine)
{
    struct Case {
        long baud;
        int parity;
        int stopBits;
        int count;
        long long lineMs;  // count x bits per character / baud
    };
    const Case cases[] = {
        {9600, PORT_PARITY_NONE, 1, 1100, 1100 * 10 * 1000 / 9600},
        {19200, PORT_PARITY_EVEN, 2, 1200, 1200 * 12 * 1000 / 19200},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(PortOpenConfig(kPort, u"\\\\.\\COM3", c.baud, c.parity, 8, c.stopBits, 2048, 2048), PORT_OK);
        Bytes outgoing(static_cast<std::size_t>(c.count));
        for (std::size_t i = 0; i < outgoing.size(); ++i)
            outgoing[i] = static_cast<std::uint8_t>(i * 7);
        const Clock::time_point begin = Clock::now();
        EXPECT_EQ(PortWrite(kPort, outgoing.data(), c.count), c.count) << c.baud;
        EXPECT_EQ(PortLastError(), PORT_OK) << c.baud;
        const long long took = MillisecondsSince(begin);
        EXPECT_GE(took, c.lineMs - 5) << c.baud;
        EXPECT_LT(took, c.lineMs + 1000) << c.baud;
        EXPECT_EQ(m_peer->Read(outgoing.size(), 2000), outgoing) << c.baud;
        ASSERT_EQ(PortClose(kPort), PORT_OK);
    }
}

// A purge from another thread ends a write that is still on the line; it
// reports the bytes that have left, short of the count.
TEST_F(SerialPortTest, PurgeFromAnotherThreadEndsAWriteOnTheLine)
{
    ASSERT_EQ(Open(4800, 2048, 2048), PORT_OK);
    const Bytes outgoing(2000, 0x5A);  // over 4 s at 4800 baud
    const Clock::time_point begin = Clock::now();
    RepeatedWake purger(std::chrono::milliseconds(100), [] { PortPurge(kPort); });
    const int written = PortWrite(kPort, outgoing.data(), 2000);
    purger.Stop();
    // (The last error is the process's: the purger's own calls overwrite it.)
    EXPECT_GE(written, 0);
    EXPECT_LT(written, 2000);
    EXPECT_LT(MillisecondsSince(begin), 2000);
}

TEST_F(SerialPortTest, AWakeUpWithNothingPendingDoesNotEndTheNextCall)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortPurge(kPort), PORT_OK);
    ASSERT_EQ(PortSetEventMask(kPort, PORT_EV_RXCHAR), PORT_OK);
    std::thread sender([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_peer->Write({0x42});
    });
    EXPECT_EQ(PortReadByte(kPort), 0x42);
    sender.join();
}

TEST_F(SerialPortTest, WaitEventReportsInputAndEndsWhenTheMaskChanges)
{
    ASSERT_EQ(Open(), PORT_OK);
    ASSERT_EQ(PortSetEventMask(kPort, PORT_EV_RXCHAR | PORT_EV_CTS), PORT_OK);
    unsigned mask = 0;
    ASSERT_EQ(PortGetEventMask(kPort, &mask), PORT_OK);
    EXPECT_EQ(mask, PORT_EV_RXCHAR | PORT_EV_CTS);

    std::thread sender([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_peer->Write({0x42});
    });
    EXPECT_EQ(PortWaitEvent(kPort, &mask), PORT_OK);
    EXPECT_EQ(mask, PORT_EV_RXCHAR);
    sender.join();

    ASSERT_EQ(PortFlushIn(kPort), PORT_OK);
    ASSERT_EQ(PortSetEventMask(kPort, PORT_EV_CTS), PORT_OK);
    // The wake-up of the mask set just above must not end the wait; the
    // first change comes 100 ms after `begin`.
    const Clock::time_point begin = Clock::now();
    RepeatedWake changer(std::chrono::milliseconds(100), [] { PortSetEventMask(kPort, PORT_EV_CTS); });
    EXPECT_EQ(PortWaitEvent(kPort, &mask), PORT_OK);
    EXPECT_EQ(mask, 0u);
    EXPECT_GE(MillisecondsSince(begin), 100);
    changer.Stop();
}

TEST_F(SerialPortTest, ControlLinesAreRecordedEvenWithoutModemLines)
{
    ASSERT_EQ(Open(), PORT_OK);
    PORT_LINE_STATE lines;
    ASSERT_EQ(PortGetLineState(kPort, lines), PORT_OK);
    EXPECT_TRUE(lines.dtr);
    EXPECT_TRUE(lines.rts);

    struct Step {
        int function;
        bool dtr, rts, breakOn, held;
    };
    const Step steps[] = {
        {PORT_CLRDTR, false, true, false, false},  {PORT_CLRRTS, false, false, false, false},
        {PORT_SETDTR, true, false, false, false},  {PORT_SETBREAK, true, false, true, false},
        {PORT_CLRBREAK, true, false, false, false}, {PORT_SETXOFF, true, false, false, true},
        {PORT_SETXON, true, false, false, false},  {PORT_SETRTS, true, true, false, false},
    };
    for (const Step& step : steps) {
        ASSERT_EQ(PortEscapeFunction(kPort, step.function), PORT_OK) << step.function;
        ASSERT_EQ(PortGetLineState(kPort, lines), PORT_OK);
        EXPECT_EQ(lines.dtr, step.dtr) << step.function;
        EXPECT_EQ(lines.rts, step.rts) << step.function;
        EXPECT_EQ(lines.breakOn, step.breakOn) << step.function;
        EXPECT_EQ(lines.outputHeld, step.held) << step.function;
    }
}

TEST_F(SerialPortTest, HandshakeModesSetCtsFlowControl)
{
    ASSERT_EQ(Open(), PORT_OK);
    PORT_LINE_STATE lines;
    struct Case {
        int mode;
        bool ctsFlow;
    };
    const Case cases[] = {{1, true}, {0, false}, {2, true}, {7, true}};  // 7 leaves the settings alone
    for (const Case& c : cases) {
        ASSERT_EQ(PortEscapeFunction(kPort, PORT_CLRDTR), PORT_OK);
        ASSERT_EQ(PortSetHandshake(kPort, c.mode), PORT_OK) << c.mode;
        EXPECT_EQ((m_peer->ControlFlags() & CRTSCTS) != 0, c.ctsFlow) << c.mode;
        ASSERT_EQ(PortGetLineState(kPort, lines), PORT_OK);
        EXPECT_EQ(lines.handshake, c.mode);
        EXPECT_EQ(lines.dtr, c.mode <= 2) << c.mode;
    }
}

TEST_F(SerialPortTest, BreakIsHeldForTheGivenTime)
{
    ASSERT_EQ(Open(), PORT_OK);
    struct Case {
        int requested;
        long long least;
        long long below;
    };
    const Case cases[] = {{0, 250, 1000}, {30, 30, 240}};
    for (const Case& c : cases) {
        const Clock::time_point begin = Clock::now();
        EXPECT_EQ(PortSendBreak(kPort, c.requested), PORT_OK);
        const long long elapsed = MillisecondsSince(begin);
        EXPECT_GE(elapsed, c.least) << c.requested;
        EXPECT_LT(elapsed, c.below) << c.requested;
    }
    PORT_LINE_STATE lines;
    ASSERT_EQ(PortGetLineState(kPort, lines), PORT_OK);
    EXPECT_FALSE(lines.breakOn);
}

TEST_F(SerialPortTest, StatusReportsHeldOutputAndQueueLengths)
{
    ASSERT_EQ(Open(), PORT_OK);
    EXPECT_EQ(PortStatus(kPort), 0);
    ASSERT_EQ(PortEscapeFunction(kPort, PORT_SETXOFF), PORT_OK);
    EXPECT_EQ(PortStatus(kPort), 0x1000);

    m_peer->Write({1, 2, 3, 4, 5});
    WaitForInput(5);
    unsigned errors = 99;
    PORT_QUEUE_STATUS status;
    EXPECT_EQ(PortClearError(kPort, &errors, &status, PORT_CLEAR_ERRORS), PORT_OK);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(status.inQueue, 5u);
    EXPECT_EQ(status.outputHeld, 1u);

    ASSERT_EQ(PortEscapeFunction(kPort, PORT_SETXON), PORT_OK);
    EXPECT_EQ(PortStatus(kPort), 0);
}

TEST(SerialErrorTextTest, TextsComeFromTheTableAndStayTerminated)
{
    struct Case {
        int code;
        int size;
        std::u16string expected;
    };
    const Case cases[] = {
        {-508, 256, u"Cyclical Redundancy Check error."},
        {-2, 256, u"Invalid port number."},
        {-99, 256, u"I/O operation timed out."},
        {-94, 256, u"Invalid count; must be greater than or equal to 0."},
        {-305, 256, u"Did not receive either a start of data or end of transmission character when expected."},
        {-508, 5, u"Cycl"},
        {-508, 1, u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorText(c.code, c.size), c.expected) << c.code << " in " << c.size;

    EXPECT_FALSE(ErrorText(5).empty());  // not ours: the system's text for that code
    char16_t untouched[2] = {u'x', u'y'};
    PortErrorText(-2, untouched, 0);
    EXPECT_EQ(untouched[0], u'x');
}
