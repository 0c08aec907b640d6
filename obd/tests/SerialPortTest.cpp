// The adapter's port on a real pseudo-terminal: line settings seen from the
// far end, exclusivity, the two time-outs, the wake-up pulse and closing
// while the line is in use.
#include "obd/ScantoolException.h"
#include "obd/SerialPort.h"
#include "obd/tests/PortPeer.h"

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <limits.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

// No settling waits, so that only the behaviour under test takes time.
constexpr LineTimings kFast{0ms, 0ms, 1500ms};

// The descriptor flags of every descriptor this process holds on `path`.
std::vector<int> DescriptorFlagsFor(const std::string& path)
{
    std::vector<int> flags;
    DIR* dir = ::opendir("/proc/self/fd");
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        char target[PATH_MAX];
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path)
            flags.push_back(::fcntl(std::atoi(entry->d_name), F_GETFD));
    }
    if (dir)
        ::closedir(dir);
    return flags;
}

// Puts the line into a state far from the adapter's, as another program
// might have left it.
void Disarrange(const std::string& slave)
{
    const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    tio.c_lflag |= ICANON | ECHO;
    tio.c_iflag |= IXON | ICRNL;
    ::cfsetispeed(&tio, B2400);
    ::cfsetospeed(&tio, B2400);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
    ::close(fd);
}

std::uint32_t ReadOne(SerialPort& port, std::uint8_t& byte)
{
    std::uint32_t count = 99;
    port.Read(&byte, 1, count);
    return count;
}

}  // namespace

TEST(ObdSerialPort, TheLineIs9600EightNoneOneRawSeenFromTheFarEnd)
{
    PortPeer peer;
    Disarrange(peer.SlavePath());
    const std::size_t before = DescriptorFlagsFor(peer.SlavePath()).size();
    SerialPort port(kFast);
    port.Open(peer.ComName());

    termios tio{};
    ASSERT_EQ(::tcgetattr(peer.Master(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    EXPECT_EQ(port.GetPortName(), "COM3");
    EXPECT_EQ(port.GetLine().GetSettings(), "9600,n,8,1");
    EXPECT_EQ(port.GetLine().GetDevicePath(), peer.ComDir() + "/COM3");
    const std::vector<int> flags = DescriptorFlagsFor(peer.SlavePath());
    EXPECT_EQ(flags.size(), before + 1) << "the device is open";
    for (const int f : flags)
        EXPECT_TRUE(f & FD_CLOEXEC);

    port.Close();
    EXPECT_EQ(DescriptorFlagsFor(peer.SlavePath()).size(), before) << "closing frees the device";
}

TEST(ObdSerialPort, EveryByteValuePassesUnchangedBothWays)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::uint32_t written = 0;
    port.Write(all.data(), 256, written);
    EXPECT_EQ(written, 256u);
    EXPECT_EQ(peer.Read(256, 1000ms), all);

    peer.Write(all);
    Bytes got(256);
    std::uint32_t read = 0;
    port.Read(got.data(), 256, read);
    EXPECT_EQ(read, 256u);
    EXPECT_EQ(got, all);
}

TEST(ObdSerialPort, ASecondOpenIsRefusedAndTheFirstStaysUsable)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    try {
        port.Open(peer.ComName());
        FAIL() << "a second open of an open port";
    } catch (const SerialException& e) {
        EXPECT_EQ(e.GetMessage(), "SerialPort::open:Open error.");
    }
    SerialPort other(kFast);
    EXPECT_THROW(other.Open(peer.ComName()), SerialException) << "the device is ours alone";

    std::uint32_t written = 0;
    const std::uint8_t byte = 0x5A;
    port.Write(&byte, 1, written);
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(peer.Read(1, 1000ms), Bytes{0x5A});

    port.Close();
    EXPECT_NO_THROW(other.Open(peer.ComName())) << "free again once closed";
}

TEST(ObdSerialPort, NamesWithoutADeviceAreRefused)
{
    PortPeer peer;
    for (const char* name : {"COM9", "LPT1", "COM", "COM3x", ""}) {
        SerialPort port(kFast);
        EXPECT_THROW(port.Open(name), SerialException) << name;
        EXPECT_FALSE(port.GetLine().IsOpen()) << name;
    }
}

TEST(ObdSerialPort, ASilentReadEndsAfterTheShortTimeout)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    ASSERT_EQ(port.GetLine().GetTimeout(), 1500u);
    std::uint8_t byte = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(ReadOne(port, byte), 0u);
    EXPECT_GE(ElapsedMs(start), 1490);
    EXPECT_LT(ElapsedMs(start), 2500);
}

TEST(ObdSerialPort, TheLongTimeoutWaitsForAByteThatComesAfterTwoSeconds)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    port.SetTimeouts(60000);
    auto late = std::async(std::launch::async, [&peer] {
        std::this_thread::sleep_for(2000ms);
        peer.Write({0xBD});
    });
    std::uint8_t byte = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(ReadOne(port, byte), 1u);
    EXPECT_EQ(byte, 0xBD);
    EXPECT_GE(ElapsedMs(start), 1990);
    late.get();
}

TEST(ObdSerialPort, ATimeoutSetWhileClosedServesTheNextOpen)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.SetTimeouts(100);
    std::uint8_t byte = 0;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(ReadOne(port, byte), 0u) << "a closed port reports nothing, at once";
    std::uint32_t written = 99;
    port.Write(&byte, 1, written);
    EXPECT_EQ(written, 0u);
    EXPECT_LT(ElapsedMs(start), 50);

    port.Open(peer.ComName());
    start = Clock::now();
    EXPECT_EQ(ReadOne(port, byte), 0u);
    EXPECT_GE(ElapsedMs(start), 95);
    EXPECT_LT(ElapsedMs(start), 1000);
}

TEST(ObdSerialPort, AWriteTheFarEndDoesNotTakeEndsAfterTheWriteWaitOrTheTimeout)
{
    PortPeer peer;
    SerialPort port(LineTimings{0ms, 0ms, 200ms});
    port.Open(peer.ComName());
    port.SetTimeouts(60000);  // the write wait does not follow the read time-out
    const Bytes flood(1 << 20, 'A');
    std::uint32_t written = 99;
    const Clock::time_point start = Clock::now();
    port.Write(flood.data(), static_cast<std::uint32_t>(flood.size()), written);
    EXPECT_EQ(written, 0u);
    EXPECT_GE(ElapsedMs(start), 190);
    EXPECT_LT(ElapsedMs(start), 1500);

    port.SetTimeouts(50);  // a shorter time-out ends it sooner
    written = 99;
    const Clock::time_point again = Clock::now();
    port.Write(flood.data(), 1, written);
    EXPECT_EQ(written, 0u);
    EXPECT_GE(ElapsedMs(again), 45);
    EXPECT_LT(ElapsedMs(again), 190);
}

TEST(ObdSerialPort, TheWakeUpPulseEndsWithAFlushTheFarEndSees)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    peer.Write({0x11, 0x22});  // stale input the pulse discards
    ASSERT_TRUE(peer.WaitForFlush(1000ms)) << "opening purges the line too";

    const Clock::time_point start = Clock::now();
    auto pulse = std::async(std::launch::async, [&port] { port.SetLines(); });
    const std::optional<Clock::time_point> flushed = peer.WaitForFlush(2000ms);
    pulse.get();
    ASSERT_TRUE(flushed) << "the far end saw no flush";
    const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(*flushed - start).count();
    EXPECT_GE(at, 245) << "the flush ends the pulse: RTS raised 100 ms, low 100 ms, high 50 ms";
    EXPECT_LT(at, 1000);
    EXPECT_TRUE(port.GetLine().GetLineState().rts);
    EXPECT_TRUE(port.GetLine().GetLineState().dtr);

    port.SetTimeouts(100);
    std::uint8_t byte = 0;
    EXPECT_EQ(ReadOne(port, byte), 0u) << "what came before the pulse is gone";
    peer.Write({0xBD});
    EXPECT_EQ(ReadOne(port, byte), 1u);
    EXPECT_EQ(byte, 0xBD);
}

TEST(ObdSerialPort, ClosingEndsAReadInProgress)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    port.SetTimeouts(60000);
    std::uint32_t count = 99;
    std::thread worker([&] {
        std::uint8_t byte = 0;
        port.Read(&byte, 1, count);
    });
    std::this_thread::sleep_for(100ms);
    const Clock::time_point start = Clock::now();
    port.Close();
    worker.join();
    EXPECT_LT(ElapsedMs(start), 1000) << "the close ends the wait instead of sitting out the time-out";
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(port.GetLine().IsOpen());
}

TEST(ObdSerialPort, ClosingWaitsUntilAPulseInProgressHasEnded)
{
    PortPeer peer;
    SerialPort port(kFast);
    port.Open(peer.ComName());
    ASSERT_TRUE(peer.WaitForFlush(1000ms));
    auto pulse = std::async(std::launch::async, [&port] { port.SetLines(); });
    std::this_thread::sleep_for(50ms);
    const Clock::time_point start = Clock::now();
    port.Close();
    EXPECT_GE(ElapsedMs(start), 150) << "the close waited for the pulse";
    pulse.get();
    EXPECT_TRUE(peer.WaitForFlush(1000ms)) << "the pulse ended on the open line with its purge";
}
