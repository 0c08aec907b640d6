// Remote assistance between two running programs: two processes, each the
// program offscreen in a folder of its own (see RemotePeer.cpp), meet at a
// bridge server on loopback; the slave lends the ECU it is linked to.
#include "TempDir.h"
#include "testing/bridgesim/BridgeServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

using namespace std::chrono_literals;

namespace {

class Peer {
public:
    Peer(const std::string& role, const std::string& folder, std::uint16_t port, const std::string& scenario)
    {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry; ++entry) {
            const std::string variable = *entry;
            if (variable.rfind("REMOTE_", 0) != 0 && variable.rfind("GTEST_", 0) != 0)
                variables.push_back(variable);
        }
        variables.push_back("REMOTE_PEER_ROLE=" + role);
        variables.push_back("REMOTE_PEER_DIR=" + folder);
        variables.push_back("REMOTE_PEER_SCENARIO=" + scenario);
        variables.push_back("REMOTE_BRIDGE_PORT=" + std::to_string(port));
        variables.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> environment;
        for (std::string& variable : variables)
            environment.push_back(variable.data());
        environment.push_back(nullptr);
        std::string program = REMOTE_PEER_EXE;
        std::string filter = "--gtest_filter=RemotePeer.Run";
        char* arguments[] = {program.data(), filter.data(), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, arguments, environment.data()) != 0)
            m_pid = -1;
    }
    ~Peer()
    {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            Wait(10s);
        }
    }

    bool Started() const { return m_pid > 0; }
    // The exit status once the process has ended, -1 when it was killed or
    // has not ended by `limit`.
    int Wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!m_status) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = status;
                break;
            }
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(50ms);
        }
        return WIFEXITED(*m_status) ? WEXITSTATUS(*m_status) : -1;
    }
    void Kill() { kill(m_pid, SIGKILL); }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

bool AwaitFile(const std::string& path, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class TwoPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(m_bridge.Start(0, error)) << error;
    }
    void TearDown() override { m_bridge.Stop(); }

    vexar::bridgesim::BridgeServer m_bridge;
    vexar::testing::TempDir m_meeting;
};

}  // namespace

// The slave links to its own ECU and lends it; the master reads the whole
// image through the bridge, a check-box click on the master writes byte 16
// of the slave's ECU, the master closes, and both programs exit cleanly.
TEST_F(TwoPrograms, TheMasterDrivesTheSlavesEcu)
{
    Peer slave("slave", m_meeting.path(), m_bridge.Port(), "whole");
    Peer master("master", m_meeting.path(), m_bridge.Port(), "whole");
    ASSERT_TRUE(slave.Started() && master.Started());
    EXPECT_EQ(master.Wait(240s), 0);
    EXPECT_EQ(slave.Wait(60s), 0);
}

// The slave's process dies while the master reads through it: the master
// shows the slave lost, closes and exits cleanly.
TEST_F(TwoPrograms, ASlaveKilledMidReadIsShownLostOnTheMaster)
{
    Peer slave("slave", m_meeting.path(), m_bridge.Port(), "killed");
    Peer master("master", m_meeting.path(), m_bridge.Port(), "killed");
    ASSERT_TRUE(slave.Started() && master.Started());
    ASSERT_TRUE(AwaitFile(m_meeting.file("master-linked"), 240s));
    slave.Kill();
    EXPECT_EQ(slave.Wait(10s), -1);
    EXPECT_EQ(master.Wait(120s), 0);
}
