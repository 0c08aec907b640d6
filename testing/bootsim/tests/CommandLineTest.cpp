#include "testing/bootsim/BootSums.h"
#include "testing/ptysupport/ChildProcess.h"

#include "RawClient.h"
#include "TempDir.h"

#include <csignal>
#include <gtest/gtest.h>

using vexar::bootsim::test::Bytes;
using vexar::bootsim::test::RawClient;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
namespace ptysupport = vexar::ptysupport;

namespace {

// The program serves a KD02 boot loader through a COM folder, prints what
// it hears, and ends cleanly on SIGTERM.
TEST(BootsimCommandLineTest, ServesAndLogsUntilStopped)
{
    TempDir dir;
    const pid_t pid = ptysupport::SpawnProgram(
        BOOTSIM_PROGRAM, {"--loader", "kd02", "--boot", "--com-dir", dir.path(), "--com", "5", "--fault", "1:negative"},
        dir.file("out.txt"), dir.file("err.txt"));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(ptysupport::WaitForPath(dir.file("COM5")));
    {
        RawClient client(dir.file("COM5"), 19200);
        Bytes connect{0x01, 11, 0, 0x00, 0x01, 0xAA, 0x55, 0xAA, 0x55};
        const std::uint16_t sum = vexar::bootsim::ByteSum16(connect);
        connect.push_back(static_cast<std::uint8_t>(sum));
        connect.push_back(static_cast<std::uint8_t>(sum >> 8));
        client.Write(connect);
        const Bytes reply = client.Read(11, std::chrono::milliseconds(2000));
        ASSERT_EQ(reply.size(), 11u);
        EXPECT_EQ(reply[3], 0x00) << "the fault from the command line";
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(ptysupport::WaitExit(pid), 0);
    const std::string out = ReadAll(dir.file("out.txt"));
    EXPECT_NE(out.find("request @19200 refused (fault)"), std::string::npos) << out;
    EXPECT_NE(out.find("reply @19200"), std::string::npos) << out;
}

// The handheld terminal with an application fault from the command line.
TEST(BootsimCommandLineTest, ServesTheHandheld)
{
    TempDir dir;
    const pid_t pid = ptysupport::SpawnProgram(
        BOOTSIM_PROGRAM, {"--loader", "handheld", "--com-dir", dir.path(), "--com", "2", "--app-fault", "0x41:wrong-echo"},
        dir.file("out.txt"), dir.file("err.txt"));
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(ptysupport::WaitForPath(dir.file("COM2")));
    {
        RawClient client(dir.file("COM2"), 19200);
        Bytes byteWrite{0x07, 0x41, 0x08, 0xE1, 0x5A};
        const std::uint16_t crc = vexar::bootsim::ApplicationCrc(byteWrite);
        byteWrite.push_back(static_cast<std::uint8_t>(crc));
        byteWrite.push_back(static_cast<std::uint8_t>(crc >> 8));
        client.Write(byteWrite);
        const Bytes reply = client.Read(4, std::chrono::milliseconds(2000));
        ASSERT_EQ(reply.size(), 4u);
        EXPECT_NE(reply[1], 0x41) << "the fault from the command line";
    }
    kill(pid, SIGTERM);
    EXPECT_EQ(ptysupport::WaitExit(pid), 0);
    const std::string out = ReadAll(dir.file("out.txt"));
    EXPECT_NE(out.find("request @19200 byte stored"), std::string::npos) << out;
}

TEST(BootsimCommandLineTest, BadCommandLines)
{
    TempDir dir;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--loader", "kd03"}, {"--com", "3"}, {"--fault", "1:nonsense"}, {"--baud", "x"},
             {"--app-fault", "0x41:short"}, {"--cpu", "300"}}) {
        const pid_t pid = ptysupport::SpawnProgram(BOOTSIM_PROGRAM, args, dir.file("out.txt"), dir.file("err.txt"));
        EXPECT_EQ(ptysupport::WaitExit(pid), 2) << args[0] << " " << args[1];
    }
}

}  // namespace
