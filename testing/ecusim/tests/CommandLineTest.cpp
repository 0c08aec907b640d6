// The ecusim program on its own, as a person or a script runs it.
#include "testing/ecusim/tests/PtyClient.h"
#include "testing/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace vexar::ecusim::test;
using vexar::testing::TempDir;

namespace {

// Starts ecusim with its output in files of the folder; returns the pid.
pid_t Spawn(const TempDir& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), ECUSIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, folder.file("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, folder.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, ECUSIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool WaitFor(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        if (vexar::testing::Exists(path))
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
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
    ASSERT_TRUE(WaitFor(com)) << vexar::testing::ReadAll(folder.file("stderr"));

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
