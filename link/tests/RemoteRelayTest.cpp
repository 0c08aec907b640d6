// Remote assistance over real loopback TCP: a master's first-protocol
// object relays its transactions through the bridge server to a slave's
// relay, which runs them on the simulated ECU's pseudo-terminal.
#include "link/BridgeRemoteLine.h"
#include "link/CRemoteRelay.h"
#include "link/CSeriale.h"

#include "EcuTestRig.h"
#include "testing/bridgesim/BridgeServer.h"

#include <gtest/gtest.h>

#include <future>
#include <sys/socket.h>
#include <thread>

using namespace vexar::link;
using namespace vexar::linktest;
using namespace std::chrono_literals;
using vexar::bridgesim::BridgeServer;
using vexar::bridgesim::Peer;
using vexar::ecusim::Image;
using Clock = std::chrono::steady_clock;

namespace {

vexar::ecusim::SimulatorOptions Options(bool kLine)
{
    vexar::ecusim::SimulatorOptions options;
    options.protocol = vexar::ecusim::Protocol::First;
    options.klineEcho = kLine;
    options.ident = "GASECU-0107";
    return options;
}

// Both workstations on one bridge, handshakes done by hand: the master's
// protocol object relays through `bridgeLine`, the slave's relay serves
// the simulated ECU on its own thread.
class RemoteRelayTest : public ::testing::Test {
protected:
    explicit RemoteRelayTest(bool kLine = false)
        : rig(Options(kLine)), slaveSerial(u"InfoSeriale", &slaveHost, kQuickTiming),
          master(u"InfoSerialeMaster", &masterHost, kQuickTiming), bridgeLine(masterSettings, 400ms)
    {
        slaveHost.kLine = kLine;
        masterHost.kLine = kLine;
        masterHost.remote = &bridgeLine;
        rig.sim().WriteImage(Image::Parameters, 0, Pattern(256, 1));
        rig.sim().WriteImage(Image::Variables, 0, Pattern(256, 2));
        EXPECT_EQ(slaveSerial.OpenPort(EcuRig::kPort, EcuRig::kPath, 9600, 0, 8, 1, 512, 512), 0);
        slaveSerial.SetMainImage(slaveMain);
        slaveSerial.SetAuxImage(slaveAux);
        master.SetMainImage(main);
        master.SetAuxImage(aux);
    }
    ~RemoteRelayTest() override
    {
        EndRelay();
        int socket = masterSettings.m_hSocket.exchange(-1);
        line.Close(socket);
        slaveSerial.ClosePort(0);
    }

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bridge.Start(0, error)) << error;
        int socket = -1;
        int stage = 0;
        int err = 0;
        std::array<std::uint8_t, 512> buffer{};
        ASSERT_EQ(line.Connect(bridge.Port(), "127.0.0.1", socket, stage, err), 0);
        masterSettings.m_hSocket = socket;
        line.Send(socket, vexar::bridgesim::kMasterGreeting);
        ASSERT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, err), 8);
        const std::array<std::uint8_t, 10> id{0x4A, 0x4E, 0x3C, 0x12, 0x34, 0x56, 0x78, 0x50, 0x00, 0x4A};
        line.Send(socket, id);
        ASSERT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, err), 8);

        ASSERT_EQ(line.Connect(bridge.Port(), "127.0.0.1", socket, stage, err), 0);
        slaveSocket = socket;
        const std::array<std::uint8_t, 5> greeting{0x50, 0xED, 0xCB, 0xA9, 0x87};
        line.Send(socket, greeting);
        ASSERT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, err), 8);
        line.Send(socket, std::span(buffer).first(8));  // the start marker's echo
        ASSERT_EQ(line.ReceiveCount(masterSettings.m_hSocket, 1000ms, buffer, 8, {}, err), 8);

        CRemoteRelay::Hooks hooks;
        hooks.transact = [this](auto frame, auto reply, int& expected) {
            return slaveSerial.TransactRaw(frame, reply, expected);
        };
        hooks.protocol = [] { return 0; };
        hooks.closeRequested = [this] { ++closeRequests; };
        hooks.bridgeLost = [this] { ++bridgeLosses; };
        relay = std::make_unique<CRemoteRelay>(slaveSocket, &slaveHost, hooks, 300ms);
        relayEnd = std::async(std::launch::async, [this] { return relay->Run(); });
        // The relay drops what waits once as it starts: let it start first.
        std::this_thread::sleep_for(100ms);
    }

    // As the slave's worker ends the relay: the socket is taken from the
    // relay's sight, shut down, the relay joined, then closed.
    void EndRelay()
    {
        if (!relayEnd.valid())
            return;
        int socket = slaveSocket.exchange(-1);
        if (socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
        relayResult = relayEnd.get();
        line.Close(socket);
    }

    // Sends raw bytes from the master through the bridge.
    void MasterSends(std::vector<std::uint8_t> bytes) { line.Send(masterSettings.m_hSocket, bytes); }

    EcuRig rig;
    TestHost slaveHost;
    TestHost masterHost;
    CSeriale slaveSerial;
    CSeriale master;
    CRemoteSettings masterSettings;
    BridgeRemoteLine bridgeLine;
    CEthernetLine line;
    BridgeServer bridge;
    std::atomic<int> slaveSocket{-1};
    std::unique_ptr<CRemoteRelay> relay;
    std::future<CRemoteRelay::End> relayEnd;
    CRemoteRelay::End relayResult = CRemoteRelay::End::SocketClosed;
    std::atomic<int> closeRequests{0};
    std::atomic<int> bridgeLosses{0};
    Bytes main = Bytes(256);
    Bytes aux = Bytes(256);
    Bytes slaveMain = Bytes(256);
    Bytes slaveAux = Bytes(256);
};

class RemoteRelayKLineTest : public RemoteRelayTest {
protected:
    RemoteRelayKLineTest() : RemoteRelayTest(true) {}
};

}  // namespace

TEST_F(RemoteRelayTest, TheMasterReadsAndWritesTheSlavesEcu)
{
    std::array<std::uint8_t, CSeriale::kIdentLength> ident{};
    ASSERT_EQ(master.ReadIdent(ident), RES_OK);
    EXPECT_EQ(std::string(ident.begin(), ident.begin() + 11), "GASECU-0107");

    ASSERT_EQ(master.ReadAuxBlock(0, 64), RES_OK);
    const Bytes variables = rig.sim().ReadImage(Image::Variables, 0, 64);
    EXPECT_TRUE(std::equal(variables.begin(), variables.end(), aux.begin()));

    main[16] = 0x77;
    ASSERT_EQ(master.WriteByte(16), RES_OK);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 16, 1), Bytes{0x77});

    // Every request went out behind the relay prefix; the counters saw
    // every byte they waited for.
    const Bytes fromMaster = bridge.ReceivedFrom(Peer::Master);
    EXPECT_NE(std::search(fromMaster.begin(), fromMaster.end(), kRelayPrefix.begin(), kRelayPrefix.end()),
              fromMaster.end());
    std::lock_guard lock(masterSettings.m_csRemoteCounters);
    EXPECT_GT(masterSettings.m_nRemoteBytesTx, 0);
    EXPECT_EQ(masterSettings.m_nRemoteBytesRx, masterSettings.m_nRemoteBytesTx);
}

TEST_F(RemoteRelayKLineTest, TheSlaveReadsItsEchoAndRelaysOnlyTheReply)
{
    ASSERT_EQ(master.ReadAuxBlock(0, 16), RES_OK);
    const Bytes variables = rig.sim().ReadImage(Image::Variables, 0, 16);
    EXPECT_TRUE(std::equal(variables.begin(), variables.end(), aux.begin()));
    // After the start marker the master heard the 21-byte reply alone.
    const Bytes toMaster = bridge.SentTo(Peer::Master);
    ASSERT_EQ(toMaster.size(), 8u + 8u + 8u + 21u);
}

TEST_F(RemoteRelayTest, FramesOfImpossibleLengthOrLeftIncompleteNeverReachTheEcu)
{
    const std::size_t before = rig.Requests().size();
    const std::size_t heard = rig.sim().BytesHeard();
    // Length 3: shorter than any request; 200 announced, 10 bytes sent (the
    // rest never comes); a read-byte request split beyond the frame wait.
    MasterSends({0x0F, 0x58, 0x50, 0xB7, 0x03, 0x01, 0x10, 0x00});
    std::this_thread::sleep_for(50ms);
    MasterSends({0x0F, 0x58, 0x50, 0xB7, 0xC8, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    std::this_thread::sleep_for(400ms);
    bridge.SplitNextFromMaster(6, 500ms);
    MasterSends({0x0F, 0x58, 0x50, 0xB7, 0x05, 0x01, 0x10, 0x10, 0x5D});
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(rig.sim().BytesHeard(), heard);  // not one byte on the ECU's line
    EXPECT_EQ(closeRequests, 0);

    // The relay still serves the next request.
    ASSERT_EQ(master.ReadAuxBlock(0, 8), RES_OK);
    EXPECT_EQ(rig.Requests().size(), before + 1);
}

TEST_F(RemoteRelayTest, AReplyInPiecesWithinTheTimeOutCostsOneRequest)
{
    const std::size_t before = rig.Requests().size();
    bridge.SplitNextFromSlave(10, 150ms);
    ASSERT_EQ(master.ReadAuxBlock(0, 100), RES_OK);
    EXPECT_EQ(rig.Requests().size(), before + 1);
}

TEST_F(RemoteRelayTest, ASlaveDroppedMidReadEndsTheTransactionAsGone)
{
    bridge.DropSlaveAfter(1);
    ASSERT_EQ(master.ReadAuxBlock(0, 8), RES_OK);
    const auto start = Clock::now();
    EXPECT_EQ(master.ReadAuxBlock(8, 8), RES_REMOTE_GONE);
    EXPECT_LT(Clock::now() - start, 300ms);  // no retries
    ASSERT_EQ(relayEnd.wait_for(2s), std::future_status::ready);
    EndRelay();
    EXPECT_EQ(relayResult, CRemoteRelay::End::BridgeLost);
    EXPECT_EQ(bridgeLosses, 1);
}

TEST_F(RemoteRelayTest, ABridgeThatDiesIsGoneForBothSides)
{
    bridge.Die();
    const auto start = Clock::now();
    EXPECT_EQ(master.ReadAuxBlock(0, 8), RES_REMOTE_GONE);
    EXPECT_LT(Clock::now() - start, 300ms);  // one attempt, not five time-outs
    ASSERT_EQ(relayEnd.wait_for(2s), std::future_status::ready);
    EndRelay();
    EXPECT_EQ(relayResult, CRemoteRelay::End::BridgeLost);
    EXPECT_EQ(bridgeLosses, 1);
}

TEST_F(RemoteRelayTest, TheCloseRequestEndsTheRelayAndTheWorkerEndsItQuietly)
{
    MasterSends({0x0F, 0x58, 0x50, 0xB7, 0x52, 0x57, 0x2A, 0xD3, 0x52, 0x57, 0x2A, 0xD3});
    ASSERT_EQ(relayEnd.wait_for(2s), std::future_status::ready);
    EndRelay();
    EXPECT_EQ(relayResult, CRemoteRelay::End::CloseRequested);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(bridgeLosses, 0);
}

TEST_F(RemoteRelayTest, TheWorkersShutdownEndsTheRelayWithoutALoss)
{
    EndRelay();
    EXPECT_EQ(relayResult, CRemoteRelay::End::SocketClosed);
    EXPECT_EQ(bridgeLosses, 0);
    EXPECT_EQ(closeRequests, 0);
}

// The slave's worker polls its ECU while the master writes through the
// relay: the two take turns on the line, so the ECU hears every frame whole.
TEST_F(RemoteRelayTest, TheSlavesOwnPollingAndTheRelayTakeTurnsOnTheLine)
{
    rig.sim().ClearFrameLog();
    std::atomic<bool> stop{false};
    std::atomic<int> pollFailures{0};
    std::atomic<int> polls{0};
    std::thread poller([&] {
        while (!stop) {
            if (slaveSerial.ReadAuxBlock(0, 32) != RES_OK)
                ++pollFailures;
            ++polls;
        }
    });
    int writeFailures = 0;
    for (int i = 0; i < 24; ++i) {
        main[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
        if (master.WriteByte(static_cast<std::uint8_t>(i)) != RES_OK)
            ++writeFailures;
    }
    stop = true;
    poller.join();
    EXPECT_EQ(writeFailures, 0);
    EXPECT_EQ(pollFailures, 0);
    EXPECT_GT(polls, 0);
    // Each exchange was heard once: a line used by both at once costs
    // flushed replies, stolen replies and retries.
    std::size_t requests = 0;
    for (const auto& record : rig.sim().FrameLog()) {
        EXPECT_NE(record.kind, vexar::ecusim::FrameRecord::Kind::Noise);
        EXPECT_TRUE(record.crcOk);
        requests += record.kind == vexar::ecusim::FrameRecord::Kind::Request;
    }
    EXPECT_EQ(requests, static_cast<std::size_t>(polls) + 24);
    EXPECT_EQ(rig.sim().ReadImage(Image::Parameters, 0, 24), Bytes(main.begin(), main.begin() + 24));
}
