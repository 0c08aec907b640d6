// The obdsim program on its own, as a person or a script runs it.
#include "testing/obdsim/ObdSimulator.h"
#include "testing/obdsim/tests/AdapterClient.h"
#include "testing/ptysupport/ChildProcess.h"
#include "testing/support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>

using namespace vexar::obdsim;
using namespace vexar::obdsim::test;
using vexar::ptysupport::WaitExit;
using vexar::ptysupport::WaitForPath;
using vexar::testing::TempDir;

namespace {

// Starts the program with its output in files of the folder; returns the pid.
pid_t Spawn(const TempDir& folder, std::vector<std::string> arguments)
{
    return vexar::ptysupport::SpawnProgram(OBDSIM_PROGRAM, std::move(arguments), folder.file("stdout"),
                                           folder.file("stderr"));
}

}  // namespace

TEST(ObdSimCommandLine, ServesAScenarioOnAPublishedComPortUntilTerminated)
{
    TempDir folder;
    vexar::testing::WriteAll(folder.file("car.txt"),
                             "protocol 5\n"
                             "ecu E8\n"
                             "pid 0C 0B B8\n"
                             "dtc P0301\n"
                             "ecu E9\n"
                             "pid 0C 0B B9\n");
    const pid_t pid = Spawn(folder, {"--com-dir", folder.path(), "--com", "4", "--scenario", folder.file("car.txt"),
                                     "--wake", "55,BD", "--fault", "SP03:nak"});
    ASSERT_GT(pid, 0);
    const std::string com = folder.file("COM4");
    ASSERT_TRUE(WaitForPath(com)) << vexar::testing::ReadAll(folder.file("stderr"));

    AdapterClient client;
    ASSERT_TRUE(client.Open(com));
    ASSERT_TRUE(client.Flush());
    EXPECT_EQ(client.Receive(2), (Bytes{0x55, kAnnounce}));
    ASSERT_TRUE(client.Send({kAcknowledge}));
    EXPECT_EQ(client.Exchange({"STL", "0", "EC", ""}), ReplyFrame("EC", "5"));
    EXPECT_EQ(client.Exchange({"STL", "0", "SP", "010C"}), ReplyFrame("SP", Fields("E8410C0BB8|E9410C0BB9")));
    EXPECT_EQ(client.Exchange({"STL", "0", "SP", "03"}), ReplyFrame("SP", std::string(1, static_cast<char>(kNak))));
    EXPECT_EQ(client.Exchange({"STL", "0", "SP", "03"}), ReplyFrame("SP", Fields("E843010301|E94300")));

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_FALSE(vexar::testing::Exists(com)) << "the COM link goes with the program";
    const std::string out = vexar::testing::ReadAll(folder.file("stdout"));
    EXPECT_NE(out.find("protocol 5, 2 ECU(s) as " + com), std::string::npos) << out;
    EXPECT_NE(out.find(" WAKE (0)"), std::string::npos) << out;
    EXPECT_NE(out.find(" ANNOUNCE (2) 55 BD"), std::string::npos) << out;
    EXPECT_NE(out.find(" ACK (1) BF"), std::string::npos) << out;
    EXPECT_NE(out.find(" RX (12) 02 53 54 4C 17 30 17 45 43 44 39 03  <STX>STL<ETB>0<ETB>ECD9<ETX>"), std::string::npos)
        << out;
}

TEST(ObdSimCommandLine, BadArgumentsExitWithUsage)
{
    TempDir scenarios;
    vexar::testing::WriteAll(scenarios.file("bad.txt"), "ecu 10\nmil sometimes\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--com", "3"},
        {"--com-dir", "/tmp", "--com", "0"},
        {"--fault", "ID:bogus"},
        {"--scenario", "/nonexistent/obdsim.txt"},
        {"--scenario", scenarios.file("bad.txt")},
        {"--wake", "BD,XYZ"},
        {"--stream-rate", "0"},
        {"--frobnicate"},
        {"--wake"},
    };
    for (const auto& arguments : cases) {
        TempDir folder;
        const pid_t pid = Spawn(folder, arguments);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(WaitExit(pid), 2) << arguments[0];
        EXPECT_NE(vexar::testing::ReadAll(folder.file("stderr")).find("obdsim: "), std::string::npos) << arguments[0];
    }
}
