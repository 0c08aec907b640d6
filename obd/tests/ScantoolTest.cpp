// The scan tool against the simulated adapter on a real line: the connect
// with its handshake, protocol, scan-tool mode, ECU discovery and PID
// set-up, the ECU's own scalings afterwards, and every way a connect fails.
#include "obd/Scantool.h"
#include "obd/SerialPort.h"
#include "obd/Vehicle.h"
#include "obd/tests/PortPeer.h"
#include "obd/tests/SimulatorHelpers.h"
#include "testing/obdsim/ObdSimulator.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace obdvane;
using namespace obdvane::test;
using vexar::obdsim::Fault;
using vexar::obdsim::FaultKind;
using vexar::obdsim::FrameRecord;
using vexar::obdsim::ObdSimulator;

namespace {

constexpr CommandTimeouts kQuick{300, 2000};

// An engine ECU with a maximum per sensor family and flow, and the
// layouts and values the scaled PIDs need.
const char kEngine[] =
    "protocol 3\n"
    "ecu 10\n"
    "pid 0B 65\n"
    "pid 0C 1A F8\n"
    "pid 10 80 00\n"
    "pid 24 80 00 80 00\n"
    "pid 34 FF FF 40 00\n"
    "pid 4F 04 10 40 FF\n"
    "pid 50 0A 00 00 00\n";

class ObdScantool : public ::testing::Test {
protected:
    void Start(const std::string& scenario)
    {
        m_sim.SetScenario(ParseScenarioText(scenario));
        std::string error;
        ASSERT_TRUE(m_sim.Start(error)) << error;
        ASSERT_TRUE(m_sim.PublishCom(m_comDir.Path(), 6, error)) << error;
        m_port.Open("COM6");
        ASSERT_TRUE(m_sim.WaitForRecords(FrameRecord::Kind::Announce, 1, 1000ms));
        m_sim.ClearFrameLog();
    }

    std::vector<std::string> Requests() const { return HeardRequests(m_sim); }

    ComFolder m_comDir;
    ObdSimulator m_sim;
    SerialPort m_port{LineTimings{0ms, 0ms, 1500ms}};
    Vehicle m_vehicle;
    Scantool m_scantool{&m_port, &m_vehicle, kQuick};
};

}  // namespace

TEST_F(ObdScantool, AConnectFindsTheProtocolTheEcusAndTheirScalings)
{
    Start(kEngine);
    EXPECT_TRUE(m_scantool.Connect(1, 0));
    EXPECT_EQ(m_scantool.GetProtocol(), 3);
    EXPECT_EQ(m_vehicle.GetProtocol(), 3);
    EXPECT_EQ(m_scantool.GetEcuAddresses(), (std::vector<std::uint8_t>{0x10}));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"EC", "ID", "SP0100", "SP0101", "SP0100", "SP0120", "SP0140",
                                                    "SP014F", "SP0150"}));
    const PidScalings scalings = m_scantool.GetScalings();
    EXPECT_EQ(scalings.ratioMaximum, 4);
    EXPECT_EQ(scalings.voltageMaximum, 16);
    EXPECT_EQ(scalings.currentMaximum, 64);
    EXPECT_EQ(scalings.pressureMaximum, 2550);
    EXPECT_EQ(scalings.airFlowMaximum, 100);
    VEHICLE_INFO info;
    m_vehicle.GetInfo(info);
    EXPECT_EQ(info.texts[0], "OBDSIM");
}

TEST_F(ObdScantool, ScaledPidsUseTheMaximaTheConnectRead)
{
    Start(kEngine);
    ASSERT_TRUE(m_scantool.Connect(1, 0));
    double value = 0;
    EXPECT_EQ(m_scantool.GetPid0B(&value), kStatusDone);
    EXPECT_DOUBLE_EQ(value, 101 * 10.0) << "2550 kPa over 255 counts";
    EXPECT_EQ(m_scantool.GetPid10(&value), kStatusDone);
    EXPECT_DOUBLE_EQ(value, 0x8000 * 100 / 65535.0);
    double ratio = 0, second = 0;
    EXPECT_EQ(m_scantool.GetRatioAndVoltage(1, 0x24, &ratio, &second), kStatusDone);
    EXPECT_DOUBLE_EQ(ratio, 0x8000 * 4 / 65535.0);
    EXPECT_DOUBLE_EQ(second, 0x8000 * 16 / 65535.0);
    EXPECT_EQ(m_scantool.GetRatioAndCurrent(1, 0x34, &ratio, &second), kStatusDone);
    EXPECT_DOUBLE_EQ(ratio, 4.0);
    EXPECT_DOUBLE_EQ(second, 0x4000 * 64 / 32768.0 - 128);
}

TEST_F(ObdScantool, WithoutPid20TheScalingsOfAnEarlierConnectGo)
{
    Start(kEngine);
    ASSERT_TRUE(m_scantool.Connect(1, 0));
    ASSERT_EQ(m_scantool.GetScalings().ratioMaximum, 4);
    m_sim.SetScenario(ParseScenarioText("ecu 10\npid 0C 1A F8\n"));
    m_sim.ClearFrameLog();
    ASSERT_TRUE(m_scantool.Connect(1, 0));
    EXPECT_EQ(Requests(), (std::vector<std::string>{"EC", "ID", "SP0100", "SP0101", "SP0100"}));
    const PidScalings scalings = m_scantool.GetScalings();
    EXPECT_EQ(scalings.ratioMaximum + scalings.voltageMaximum + scalings.currentMaximum + scalings.pressureMaximum +
                  scalings.airFlowMaximum,
              0);
}

TEST_F(ObdScantool, ConnectRepliesOfEveryTypeAndProtocolZero)
{
    struct Case {
        const char* scenario;
        bool connected;
        int protocol;
    };
    const std::vector<Case> cases = {
        {"protocol 5\nconnect-type EZ\necu 10\n", true, 5},
        {"protocol 1\nconnect-type RP\necu 10\n", true, 1},
        {"protocol 0\necu 10\n", false, 0},
        {"protocol 9\necu 10\n", true, 9},
    };
    Start("ecu 10\n");
    for (const Case& c : cases) {
        m_sim.SetScenario(ParseScenarioText(c.scenario));
        EXPECT_EQ(m_scantool.Connect(1, 0), c.connected) << c.scenario;
        EXPECT_EQ(m_scantool.GetProtocol(), c.protocol) << c.scenario;
        EXPECT_EQ(m_scantool.GetEcuAddresses(), (std::vector<std::uint8_t>{0x10})) << "the steps go on: " << c.scenario;
    }
}

TEST_F(ObdScantool, DiscoveryListsEcusThatDeclarePid01AndHaveATest)
{
    Start("ecu 10\n"
          "ecu 18\n"
          "pid 00 7F FF FF FE\n"  // PID 01 not declared
          "ecu 20\n"
          "readiness 00 00 FF\n"  // no test available, all incomplete
          "ecu 28\n"
          "ecu 10\n");            // a second answer from address 10
    EXPECT_TRUE(m_scantool.Connect(1, 0));
    EXPECT_EQ(m_scantool.GetEcuAddresses(), (std::vector<std::uint8_t>{0x10, 0x10, 0x28, 0x10, 0x10}))
        << "each supported-PID answer of 10 meets both of its monitor statuses";
}

TEST_F(ObdScantool, NoEcuFoundStillConnectsWithoutThePidSetUp)
{
    Start("protocol 4\necu 10\nreadiness 00 00 00\n");
    EXPECT_TRUE(m_scantool.Connect(1, 0));
    EXPECT_EQ(m_scantool.GetProtocol(), 4);
    EXPECT_TRUE(m_scantool.GetEcuAddresses().empty());
    EXPECT_EQ(Requests(), (std::vector<std::string>{"EC", "ID", "SP0100", "SP0101"}));
}

TEST_F(ObdScantool, FailedConnectsEndWithProtocolZero)
{
    struct Case {
        const char* selector;
        FaultKind kind;
        std::vector<std::string> requests;
    };
    const std::vector<Case> cases = {
        {"ID", FaultKind::NoReply, {"EC", "ID"}},
        {"ID", FaultKind::WrongType, {"EC", "ID"}},
        {"SP0100", FaultKind::NoReply, {"EC", "ID", "SP0100"}},
        {"SP0101", FaultKind::Nak, {"EC", "ID", "SP0100", "SP0101"}},
        {"EC", FaultKind::BadChecksum, {"EC"}},
    };
    Start(kEngine);
    for (const Case& c : cases) {
        ASSERT_TRUE(m_scantool.Connect(1, 0));
        m_sim.ClearFrameLog();
        m_sim.InjectFault(c.selector, Fault{c.kind});
        EXPECT_FALSE(m_scantool.Connect(1, 0)) << c.selector;
        EXPECT_EQ(m_scantool.GetProtocol(), 0) << c.selector;
        EXPECT_EQ(Requests(), c.requests) << c.selector;
    }
}

TEST_F(ObdScantool, AdaptersThatDoNotAnnounceThemselvesAreNotAsked)
{
    Start(kEngine);
    for (const Bytes& wake : {Bytes{0xBC}, Bytes{}, Bytes{0x55, 0x11, 0x22}}) {
        m_sim.SetWakeAnswer(wake);
        m_sim.ClearFrameLog();
        EXPECT_FALSE(m_scantool.Connect(1, 0));
        EXPECT_EQ(m_scantool.GetProtocol(), 0);
        EXPECT_TRUE(Requests().empty()) << "no \"EC\" without the adapter's announcement";
    }
    m_sim.SetWakeAnswer({0x55, 0xBD});
    EXPECT_TRUE(m_scantool.Connect(1, 0)) << "a stray byte before the announcement";
}

TEST_F(ObdScantool, RefusalsWithAnyCodeLeaveTheDiscoveryAndSetUpGoingOn)
{
    // ECU 28 refuses its monitor status and ECU 18 the bitmap at 20, both
    // with 31 (request out of range), after each answered PID 00.
    Start(std::string(kEngine) +
          "ecu 18\n"
          "pid 0D 40\n"
          "refuse 01 20 31\n"
          "ecu 28\n"
          "refuse 01 01 31\n");
    EXPECT_TRUE(m_scantool.Connect(1, 0));
    EXPECT_EQ(m_scantool.GetProtocol(), 3);
    EXPECT_EQ(m_scantool.GetEcuAddresses(), (std::vector<std::uint8_t>{0x10, 0x18}))
        << "every ECU with a monitor status";
    EXPECT_EQ(Requests(), (std::vector<std::string>{"EC", "ID", "SP0100", "SP0101", "SP0100", "SP0120", "SP0140",
                                                    "SP014F", "SP0150"}));
    EXPECT_EQ(m_scantool.GetScalings().pressureMaximum, 2550);
    EXPECT_EQ(m_scantool.GetScalings().airFlowMaximum, 100);
    Ecu refused;
    ASSERT_TRUE(m_vehicle.GetEcu(0x28, refused));
    EXPECT_EQ(refused.GetService01().received.GetNegativeCode(0x01), 0x31);
}

TEST_F(ObdScantool, AClosedPortFailsTheConnectAtTheHandshake)
{
    Start(kEngine);
    m_port.Close();
    EXPECT_FALSE(m_scantool.Connect(1, 0));
    EXPECT_EQ(m_scantool.GetProtocol(), 0);
}

TEST_F(ObdScantool, RequestsFromAnotherThreadBesideConnects)
{
    Start(kEngine);
    std::atomic<bool> connecting{true};
    std::vector<int> statuses;
    std::thread requests([&] {
        while (connecting) {
            std::int32_t rpm = 0;
            statuses.push_back(m_scantool.GetPid0C(&rpm));
            m_scantool.GetLastNegativeCode();
            m_scantool.GetScalings();
        }
    });
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(m_scantool.Connect(1, 0));
    connecting = false;
    requests.join();
    ASSERT_FALSE(statuses.empty());
    for (const int status : statuses)
        EXPECT_TRUE(status == kStatusDone || status == kStatusNoData) << status << ": ECU list emptied or filled";
    std::int32_t rpm = 0;
    EXPECT_EQ(m_scantool.GetPid0C(&rpm), kStatusDone);
    EXPECT_EQ(rpm, 1726);
}
