// Command execution against the simulated adapter on a real line: good
// exchanges, every way a reply can fail, the handshake, the command lock,
// and closing the port under a running command.
#include "obd/Command.h"
#include "obd/ScantoolException.h"
#include "obd/SerialPort.h"
#include "obd/Vehicle.h"
#include "obd/tests/Frames.h"
#include "obd/tests/PortPeer.h"
#include "testing/obdsim/ObdSimulator.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace obdvane;
using namespace obdvane::test;
using vexar::obdsim::FaultKind;
using vexar::obdsim::FrameRecord;
using vexar::obdsim::ObdSimulator;
using vexar::obdsim::Repeat;

namespace {

constexpr CommandTimeouts kQuick{200, 2000};
const std::string kIdent = Etb("OBDSIM|1.0|VIRTUAL|0001|PTY|SIM");

// A command as the concrete ones are made: a mnemonic, data and the reply
// type it accepts.
class ProbeCommand : public Command {
public:
    ProbeCommand(std::string mnemonic, std::string data, std::string accepted, CommandTimeouts timeouts)
        : Command(timeouts), m_mnemonic(std::move(mnemonic)), m_accepted(std::move(accepted))
    {
        m_data = std::move(data);
    }
    bool CheckReply() override { return IsReplyOfType({std::string_view(m_accepted)}); }
    void AfterReply() override { afterReply = true; }
    std::string GetMnemonic() const override { return m_mnemonic; }
    std::string GetName() const override { return "ProbeCommand"; }

    bool afterReply = false;

private:
    std::string m_mnemonic;
    std::string m_accepted;
};

// The connect request: the handshake first, then the long reply time-out.
class ConnectProbe : public ProbeCommand {
public:
    explicit ConnectProbe(CommandTimeouts timeouts)
        : ProbeCommand("EC", "", "EC", timeouts)
    {
    }
    void Prepare() override
    {
        Command::Prepare();
        DetectAdapter();
        m_reply.GetPort()->SetTimeouts(m_timeouts.connectMs);
    }
    std::string GetName() const override { return "ConnectProbe"; }
};

// A vehicle record that keeps every exchange it is told, and refuses on
// demand.
class RecordingVehicle : public Vehicle {
public:
    bool OnExchange(EXCHANGE_FRAME sent, EXCHANGE_FRAME received) override
    {
        exchanges.emplace_back(BytesOf(sent), BytesOf(received));
        if (refuse)
            throw EcuException("Negative code not valid.");
        return true;
    }

    std::vector<std::pair<Bytes, Bytes>> exchanges;
    bool refuse = false;
};

vexar::obdsim::SimulatorOptions FastStream()
{
    vexar::obdsim::SimulatorOptions options;
    options.streamRate = 200000;
    return options;
}

class ObdCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(m_sim.Start(error)) << error;
        ASSERT_TRUE(m_sim.PublishCom(m_comDir.Path(), 5, error)) << error;
        m_port.Open("COM5");
        ASSERT_TRUE(m_sim.WaitForRecords(FrameRecord::Kind::Announce, 1, 1000ms)) << "the open purges the line";
        m_sim.ClearFrameLog();
    }

    template <typename C>
    C& Ready(C& command)
    {
        command.SetPort(&m_port);
        command.SetVehicle(&m_vehicle);
        return command;
    }

    // Executes and returns the exception text, or "" when it succeeded.
    template <typename C>
    std::string Run(C& command)
    {
        try {
            Ready(command).Execute();
            return {};
        } catch (const ScantoolException& e) {
            return e.GetMessage();
        }
    }

    ComFolder m_comDir;
    ObdSimulator m_sim{FastStream()};
    SerialPort m_port{LineTimings{0ms, 0ms, 1500ms}};
    RecordingVehicle m_vehicle;
};

}  // namespace

TEST_F(ObdCommand, AGoodExchangeReachesTheVehicleAndTheAfterReplyStep)
{
    ProbeCommand id("ID", "", "ID", kQuick);
    EXPECT_EQ(Run(id), "");
    EXPECT_TRUE(id.IsReplyValid());
    EXPECT_TRUE(id.afterReply);
    EXPECT_EQ(id.GetReply().GetData(), kIdent);
    ASSERT_EQ(m_vehicle.exchanges.size(), 1u);
    EXPECT_EQ(m_vehicle.exchanges[0].first, Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x49, 0x44, 0x44, 0x45, 0x03}));
    EXPECT_EQ(m_vehicle.exchanges[0].second, WholeFrame("ID", kIdent));
}

TEST_F(ObdCommand, TheRequestOnTheWireIsTheFrameItBuilt)
{
    ProbeCommand sp("SP", "0100", "SP", kQuick);
    EXPECT_EQ(Run(sp), "");
    const std::vector<FrameRecord> log = m_sim.FrameLog();
    ASSERT_GE(log.size(), 1u);
    EXPECT_EQ(log[0].bytes,
              Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x53, 0x50, 0x17, 0x30, 0x31, 0x30, 0x30, 0x43, 0x43, 0x03}));
    EXPECT_EQ(sp.GetReply().GetData(), "10410088180000");
}

TEST_F(ObdCommand, EveryFailedReplyThrowsItsDescriptionAfterTheVehicleSawIt)
{
    struct Case {
        FaultKind fault;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {FaultKind::NoReply, "ProbeCommand read error: Timeout: 1 CmdSent: ID CmdRecv:  Nack: 0"},
        {FaultKind::Nak, "ProbeCommand read error: Timeout: 0 CmdSent: ID CmdRecv: ID Nack: 1"},
        {FaultKind::BadChecksum, "ProbeCommand read error: Timeout: 1 CmdSent: ID CmdRecv: ID Nack: 0"},
        {FaultKind::Truncated, "ProbeCommand read error: Timeout: 1 CmdSent: ID CmdRecv: ID Nack: 0"},
        {FaultKind::WrongType, "ProbeCommand read error: Timeout: 0 CmdSent: ID CmdRecv: XX Nack: 0"},
        {FaultKind::Endless, "ProbeCommand read error: Timeout: 1 CmdSent: ID CmdRecv:  Nack: 0"},
        {FaultKind::Junk, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        m_vehicle.exchanges.clear();
        m_sim.InjectFault("ID", {c.fault});
        ProbeCommand id("ID", "", "ID", kQuick);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(Run(id), c.expected);
        EXPECT_LT(ElapsedMs(start), 3000);
        EXPECT_EQ(id.afterReply, c.expected.empty());
        EXPECT_EQ(m_vehicle.exchanges.size(), 1u) << "the vehicle sees a failed exchange too";
        // Let what a fault left on the line pass before the next case.
        m_port.SetLines();
    }
    ProbeCommand silent("ID", "", "ID", kQuick);
    m_sim.InjectFault("ID", {FaultKind::NoReply});
    Run(silent);
    EXPECT_TRUE(m_vehicle.exchanges.back().second.empty()) << "nothing received";
}

TEST_F(ObdCommand, HandshakeOutcomes)
{
    struct Case {
        Bytes wakeAnswer;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{0xBD}, ""},
        {{0x55, 0xBD}, ""},
        {{0xBC}, "ConnectProbe 'carvix' firmware detected."},
        {{}, "ConnectProbe 'tessilon' not detected"},
        {{0x11, 0x22, 0x33}, "ConnectProbe 'tessilon' not detected"},
        {{0x11, 0x22, 0x33, 0xBD}, "ConnectProbe 'tessilon' not detected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.wakeAnswer));
        m_sim.ClearFrameLog();
        m_sim.SetWakeAnswer(c.wakeAnswer);
        ConnectProbe connect(kQuick);
        const std::string message = Run(connect);
        EXPECT_EQ(message, c.expected);
        const bool present = c.expected.empty();
        EXPECT_EQ(m_sim.CountRecords(FrameRecord::Kind::WakeUp), 1u);
        EXPECT_EQ(m_sim.CountRecords(FrameRecord::Kind::Acknowledge), present ? 1u : 0u);
        EXPECT_EQ(m_sim.CountRequests("EC"), present ? 1u : 0u) << "no connect request without the adapter";
        if (present) {
            EXPECT_EQ(connect.GetReply().GetData(), "3");
        }
    }
}

TEST_F(ObdCommand, TheConnectReplyHasTheLongTimeout)
{
    vexar::obdsim::Scenario scenario = m_sim.GetScenario();
    scenario.searchDelay = 600ms;
    scenario.protocol = 5;
    m_sim.SetScenario(scenario);
    ConnectProbe connect(kQuick);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Run(connect), "") << "600 ms is beyond the reply time-out, within the connect time-out";
    EXPECT_GE(ElapsedMs(start), 600);
    EXPECT_EQ(connect.GetReply().GetData(), "5");
}

TEST_F(ObdCommand, ARefusedWriteThrowsAndReleasesTheLock)
{
    m_port.Close();
    ProbeCommand id("ID", "", "ID", kQuick);
    EXPECT_EQ(Run(id), "ProbeCommand write error");
    EXPECT_TRUE(m_vehicle.exchanges.empty());

    m_port.Open("COM5");
    auto other = std::async(std::launch::async, [this] {
        ProbeCommand again("ID", "", "ID", kQuick);
        return Run(again);
    });
    ASSERT_EQ(other.wait_for(3s), std::future_status::ready) << "the lock was left";
    EXPECT_EQ(other.get(), "");
}

TEST_F(ObdCommand, ARefusalOfTheVehiclePassesThroughAndReleasesTheLock)
{
    m_vehicle.refuse = true;
    ProbeCommand id("ID", "", "ID", kQuick);
    EXPECT_EQ(Run(id), "Negative code not valid.");
    EXPECT_FALSE(id.afterReply);
    m_vehicle.refuse = false;
    auto other = std::async(std::launch::async, [this] {
        ProbeCommand again("ID", "", "ID", kQuick);
        return Run(again);
    });
    ASSERT_EQ(other.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(other.get(), "");
}

TEST_F(ObdCommand, ExecutionsOfSeveralThreadsNeverOverlap)
{
    constexpr int kPerThread = 8;
    auto worker = [this](const char* pid) {
        int good = 0;
        for (int i = 0; i < kPerThread; ++i) {
            ProbeCommand sp("SP", pid, "SP", kQuick);
            sp.SetPort(&m_port);
            try {
                sp.Execute();
                good += sp.GetReply().GetData().starts_with(std::string("1041") + (pid + 2)) ? 1 : 0;
            } catch (const ScantoolException&) {
            }
        }
        return good;
    };
    auto a = std::async(std::launch::async, worker, "010C");
    auto b = std::async(std::launch::async, worker, "010D");
    EXPECT_EQ(a.get(), kPerThread);
    EXPECT_EQ(b.get(), kPerThread);
    const std::vector<FrameRecord> log = m_sim.FrameLog();
    ASSERT_EQ(log.size(), 4u * kPerThread);
    for (std::size_t i = 0; i < log.size(); ++i)
        EXPECT_EQ(log[i].kind, i % 2 == 0 ? FrameRecord::Kind::Request : FrameRecord::Kind::Reply) << i;
}

TEST_F(ObdCommand, ClosingThePortEndsARunningCommandPromptly)
{
    m_sim.InjectFault("*", {FaultKind::NoReply}, Repeat::Always);
    auto running = std::async(std::launch::async, [this] {
        ProbeCommand id("ID", "", "ID", CommandTimeouts{60000, 60000});
        return Run(id);
    });
    ASSERT_TRUE(m_sim.WaitForRecords(FrameRecord::Kind::Request, 1, 1000ms));
    std::this_thread::sleep_for(50ms);
    const Clock::time_point start = Clock::now();
    m_port.Close();
    ASSERT_EQ(running.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(running.get(), "ProbeCommand read error: Timeout: 1 CmdSent: ID CmdRecv:  Nack: 0");
    EXPECT_LT(ElapsedMs(start), 1000);
}
