// The ecusim program on its own, as a person or a script runs it.
#include "testing/ecusim/tests/PtyClient.h"
#include "testing/ptysupport/ChildProcess.h"
#include "testing/support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>

using namespace vexar::ecusim::test;
using vexar::ptysupport::WaitExit;
using vexar::ptysupport::WaitForPath;
using vexar::testing::TempDir;

namespace {

// Starts the program with its output in files of the folder; returns the pid.
pid_t Spawn(const TempDir& folder, std::vector<std::string> arguments)
{
    return vexar::ptysupport::SpawnProgram(ECUSIM_PROGRAM, std::move(arguments), folder.file("stdout"),
                                           folder.file("stderr"));
}

}  // namespace

TEST(EcuSimCommandLine, ServesOnAPublishedComPortUntilTerminated)
{
    TempDir folder;
    vexar::testing::WriteAll(folder.file("script"), "at 0 0x20 C3\n");
    const pid_t pid = Spawn(folder, {"--protocol", "1", "--com-dir", folder.path(), "--com", "3", "--par-fill",
                                     "0x5A", "--ident", "CLI-ECU-001", "--kline", "--var-script",
                                     folder.file("script"), "--fault", "7:bad-crc"});
    ASSERT_GT(pid, 0);
    const std::string com = folder.file("COM3");
    ASSERT_TRUE(WaitForPath(com)) << vexar::testing::ReadAll(folder.file("stderr"));

    PtyClient client;
    ASSERT_TRUE(client.Open(com));
    const Bytes read = First({0x01, 0x10});
    EXPECT_EQ(client.Exchange(read, 11), Concat(read, First({0x01, 0x10, 0x5A})));
    const Bytes aux = First({0x05, 0x20, 0x01});
    EXPECT_EQ(client.Exchange(aux, 12), Concat(aux, First({0x05, 0x20, 0xC3})));
    const Bytes ident = First({0x07});
    Bytes good = First({0x07, 'C', 'L', 'I', '-', 'E', 'C', 'U', '-', '0', '0', '1'});
    Bytes bad = good;
    bad[13] ^= 0xFF;
    EXPECT_EQ(client.Exchange(ident, 19), Concat(ident, bad));
    EXPECT_EQ(client.Exchange(ident, 19), Concat(ident, good));

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_FALSE(vexar::testing::Exists(com)) << "the COM link goes with the program";
    const std::string out = vexar::testing::ReadAll(folder.file("stdout"));
    EXPECT_NE(out.find("protocol 1 on /dev/pts/"), std::string::npos) << out;
    EXPECT_NE(out.find(" RX 9600 (5) 05 01 10 10 5D"), std::string::npos) << out;
    EXPECT_NE(out.find(" TX 9600 (6) 06 01 10 5A"), std::string::npos) << out;
}

TEST(EcuSimCommandLine, BadArgumentsExitWithUsage)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--protocol", "3"},
        {"--com", "3"},
        {"--com-dir", "/tmp", "--com", "0"},
        {"--fault", "1:bogus"},
        {"--par-file", "/nonexistent/ecusim.bin"},
        {"--baud", "fast"},
        {"--par-size", "65537"},
        {"--var-fill", "256"},
        {"--frobnicate"},
        {"--protocol"},
    };
    for (const auto& arguments : cases) {
        TempDir folder;
        const pid_t pid = Spawn(folder, arguments);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(WaitExit(pid), 2) << arguments[0];
        EXPECT_NE(vexar::testing::ReadAll(folder.file("stderr")).find("ecusim: "), std::string::npos)
            << arguments[0];
    }
}
