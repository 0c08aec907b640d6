// Remote assistance between two application objects in one process: the
// master's worker links through the bridge server to the slave's worker,
// whose relay serves the simulated ECU behind its own port.
#include "EngineFixture.h"
#include "testing/bridgesim/BridgeServer.h"

using namespace vexar::link;
using namespace vexar::linktest;
using namespace std::chrono_literals;
using vexar::bridgesim::BridgeServer;
using vexar::bridgesim::Peer;
using vexar::ecusim::Image;

namespace {

constexpr int kSlaveCom = 3;

RemoteTiming QuickRemote()
{
    return RemoteTiming{.connectWait = 200ms, .retryPause = 20ms, .closeWait = 300ms, .receive = 300ms, .frameWait = 200ms};
}

std::vector<Seen> StatusPosts(const RecordingUiSink& sink, UiWindow window)
{
    std::vector<Seen> seen;
    for (const Seen& s : SeenPosts(sink.Posts()))
        if (s.window == window && s.message == WM_REMOTE_STATUS)
            seen.push_back(s);
    return seen;
}

std::vector<std::uintptr_t> Codes(const std::vector<Seen>& posts)
{
    std::vector<std::uintptr_t> codes;
    for (const Seen& s : posts)
        codes.push_back(s.wParam);
    return codes;
}

std::unique_ptr<REMOTE_ID> Id(std::array<std::uint8_t, 4> bytes)
{
    auto id = std::make_unique<REMOTE_ID>();
    id->id = bytes;
    return id;
}

class RemoteWorkerTest : public EngineTest {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bridge.Start(0, error)) << error;
    }
    ~RemoteWorkerTest() override
    {
        if (master) {
            master->SignalQuit();
            master->JoinLinkThread();
        }
        if (m_app) {
            m_app->SignalQuit();
            m_app->JoinLinkThread();
        }
    }

    CVEXARLink& MakeMaster(int protocol, std::uint16_t port)
    {
        master = std::make_unique<CVEXARLink>(
            LinkTiming{.tickMs = 10, .protocol = kEngineTiming, .remote = QuickRemote()});
        master->m_nProtocol = protocol;
        master->ResizeImages(256, 256);
        master->m_strConfigName = kSimIdent;
        master->m_szBridgeIp = "127.0.0.1";
        master->m_nBridgePort = port;
        master->m_bRemoteMaster = 1;
        EXPECT_TRUE(master->StartLinkThread(&masterSink));
        return *master;
    }

    // The slave linked to its simulated ECU, its worker running.
    CVEXARLink& MakeSlave(int protocol)
    {
        sim = &AddEcu(kSlaveCom, protocol);
        sim->WriteImage(Image::Parameters, 0, Pattern(256, 7));
        sim->WriteImage(Image::Variables, 0, Pattern(256, 9));
        CVEXARLink& slave = Linked(kSlaveCom, protocol, 256, 256);
        slave.m_szBridgeIp = "127.0.0.1";
        slave.m_nBridgePort = bridge.Port();
        slave.m_bRemoteMaster = 0;
        EXPECT_TRUE(slave.StartLinkThread(&m_sink));
        return slave;
    }

    std::vector<std::uint8_t> MasterImage()
    {
        std::lock_guard lock(master->m_csParImage);
        return {master->m_pParMaster.get(), master->m_pParMaster.get() + master->m_nParSize};
    }

    // Master connected and identified as 12 34 56 78, then the slave started.
    void Start(int protocol)
    {
        MakeSlave(protocol);
        MakeMaster(protocol, bridge.Port());
        master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
        ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 2, 3s));
        master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
        ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 3, 3s));
        m_app->PostLinkRequest(WM_LINK_REMOTE_CONNECT, 0, 0, Id({0xED, 0xCB, 0xA9, 0x87}));
    }

    BridgeServer bridge;
    RecordingUiSink masterSink;
    std::unique_ptr<CVEXARLink> master;
    vexar::ecusim::EcuSimulator* sim = nullptr;
};

class RemoteWorkerProtocols : public RemoteWorkerTest, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(RemoteWorkerProtocols, TheMasterLinksThroughTheSlaveAndClosesIt)
{
    const int protocol = GetParam();
    Start(protocol);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 4, 5s));
    ASSERT_TRUE(masterSink.WaitFor(WM_LINK_IDLE, 1, 5s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)), (std::vector<std::uintptr_t>{0, 1, 2, 14}));
    EXPECT_EQ(Codes(StatusPosts(m_sink, UiWindow::RemoteSlave)), (std::vector<std::uintptr_t>{0, 2}));
    EXPECT_EQ(master->m_bLinked, 1);
    EXPECT_EQ(MasterImage(), sim->ReadImage(Image::Parameters, 0, 256));
    {
        std::lock_guard lock(master->m_csIdent);
        EXPECT_EQ(master->m_strEcuIdent, kSimIdent);
    }

    // The bytes of the handshakes, as the bridge heard them.
    const auto fromMaster = bridge.ReceivedFrom(Peer::Master);
    const std::vector<std::uint8_t> idFrame{0x4A, 0x4E, 0x3C, 0x12, 0x34, 0x56, 0x78, 0x50, 0x00, 0x4A};
    EXPECT_NE(std::search(fromMaster.begin(), fromMaster.end(), idFrame.begin(), idFrame.end()), fromMaster.end());
    const auto fromSlave = bridge.ReceivedFrom(Peer::Slave);
    EXPECT_EQ(std::vector<std::uint8_t>(fromSlave.begin(), fromSlave.begin() + 5),
              (std::vector<std::uint8_t>{0x50, 0xED, 0xCB, 0xA9, 0x87}));

    // The master's close: the slave closes, the master hears it and is down.
    master->PostLinkRequest(WM_LINK_REMOTE_CLOSE);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 5, 5s));
    EXPECT_TRUE(m_sink.WaitFor(WM_REMOTE_STATUS, 3, 5s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)).back(), 3u);
    EXPECT_EQ(Codes(StatusPosts(m_sink, UiWindow::RemoteSlave)).back(), 3u);
    EXPECT_EQ(masterSink.Count(WM_REMOTE_TIMEOUT), 1u);
    EXPECT_EQ(master->m_bLinked, 0);
    EXPECT_EQ(master->m_hSocket.load(), -1);
    // The slave's own link stays up.
    EXPECT_EQ(m_app->m_bLinked, 1);
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, RemoteWorkerProtocols, ::testing::Values(0, 1));

TEST_F(RemoteWorkerTest, ARemoteEcuOfAnotherModelLinksNothing)
{
    MakeSlave(0);
    MakeMaster(0, bridge.Port());
    master->m_strConfigName = u"OTHER99-00001";
    master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 2, 3s));
    master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
    m_app->PostLinkRequest(WM_LINK_REMOTE_CONNECT, 0, 0, Id({0xED, 0xCB, 0xA9, 0x87}));
    ASSERT_TRUE(masterSink.WaitFor(WM_UNKNOWN_ECU, 1, 5s));
    EXPECT_TRUE(masterSink.WaitFor(WM_REMOTE_TIMEOUT, 1, 1s));
    EXPECT_EQ(master->m_bLinked, 0);
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)), (std::vector<std::uintptr_t>{0, 1, 2}));
    std::lock_guard lock(master->m_csIdent);
    EXPECT_EQ(master->m_strIdentRead, kSimIdent);
    // Nothing but the identification was asked of the ECU after the slave's own link.
    EXPECT_TRUE(MasterImage() == std::vector<std::uint8_t>(256, 0));
}

TEST_F(RemoteWorkerTest, HandshakeFailures)
{
    // Nobody listens: four attempts, then status 6 with the error.
    {
        BridgeServer gone;
        std::string error;
        ASSERT_TRUE(gone.Start(0, error));
        const std::uint16_t port = gone.Port();
        gone.Stop();
        MakeMaster(0, port);
        master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
        ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 1, 3s));
        const auto statuses = StatusPosts(masterSink, UiWindow::RemoteMaster);
        EXPECT_EQ(statuses.front().wParam, 6u);
        EXPECT_EQ(statuses.front().lParam, ECONNREFUSED);
        master->SignalQuit();
        master->JoinLinkThread();
        master.reset();
    }
    // No greeting acknowledgement: 0, then 9 and the close.
    {
        bridge.WithholdGreetingAck(-1);
        MakeMaster(0, bridge.Port());
        master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
        ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATE, 2, 5s));  // this case's 0 and 3
        const auto codes = Codes(StatusPosts(masterSink, UiWindow::RemoteMaster));
        EXPECT_EQ(std::vector<std::uintptr_t>(codes.end() - 3, codes.end()), (std::vector<std::uintptr_t>{0, 9, 3}));
        EXPECT_EQ(master->m_hSocket.load(), -1);
        bridge.WithholdGreetingAck(0);
    }
}

TEST_F(RemoteWorkerTest, ASlaveDroppedMidReadIsLostAndANewOneReadsTheImageWhole)
{
    // The whole-image read takes many frames: the slave goes after a few.
    bridge.DropSlaveAfter(3);
    Start(0);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_TIMEOUT, 1, 5s));
    EXPECT_EQ(master->m_bLinked, 1);  // until the window asks for the close
    EXPECT_EQ(MasterImage(), std::vector<std::uint8_t>(256, 0));
    EXPECT_GE(master->m_hSocket.load(), 0);
    // The slave's relay heard its bridge go and closed its side.
    ASSERT_TRUE(m_sink.WaitFor(WM_REMOTE_STATUS, 3, 5s));
    EXPECT_EQ(Codes(StatusPosts(m_sink, UiWindow::RemoteSlave)).back(), 3u);
    EXPECT_EQ(m_app->m_bLinked, 1);

    // A new id, the slave again: the image comes whole.
    const std::size_t statuses = masterSink.Count(WM_REMOTE_STATUS);
    master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, statuses + 1, 3s));
    m_app->PostLinkRequest(WM_LINK_REMOTE_CONNECT, 0, 0, Id({0xED, 0xCB, 0xA9, 0x87}));
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, statuses + 2, 5s));
    ASSERT_TRUE(masterSink.WaitFor(WM_LINK_IDLE, 2, 5s));  // the first start's, then this one's
    EXPECT_EQ(MasterImage(), sim->ReadImage(Image::Parameters, 0, 256));
}

TEST_F(RemoteWorkerTest, ABridgeThatDiesWhileRunningIsReportedOnBothSides)
{
    Start(0);
    ASSERT_TRUE(masterSink.WaitFor(WM_LINK_IDLE, 1, 5s));
    bridge.Die();
    // The master's close check hears the bridge go; the slave's relay too.
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_TIMEOUT, 1, 3s));
    ASSERT_TRUE(m_sink.WaitFor(WM_REMOTE_STATUS, 3, 3s));
    EXPECT_EQ(Codes(StatusPosts(m_sink, UiWindow::RemoteSlave)), (std::vector<std::uintptr_t>{0, 2, 3}));
    EXPECT_EQ(m_app->m_hSocket.load(), -1);
    // The master's window asks for the close: down, socket gone.
    master->PostLinkRequest(WM_LINK_REMOTE_CLOSE);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 5, 3s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)).back(), 3u);
    EXPECT_EQ(master->m_bLinked, 0);
}

TEST_F(RemoteWorkerTest, AnIdTheBridgeRefusesLeavesTheConnectionOpen)
{
    bridge.WithholdIdAck(-1);
    MakeMaster(0, bridge.Port());
    master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 2, 3s));
    master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 3, 3s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)), (std::vector<std::uintptr_t>{0, 1, 8}));
    EXPECT_GE(master->m_hSocket.load(), 0);
    EXPECT_EQ(masterSink.Count(WM_REMOTE_STATE), 1u);  // connected, never closed
}

TEST_F(RemoteWorkerTest, ASlaveWithoutStartMarkerGivesUp)
{
    bridge.WithholdStartMarker(true);
    MakeSlave(0);
    m_app->m_nSocketTimeout = 1;
    m_app->PostLinkRequest(WM_LINK_REMOTE_CONNECT, 0, 0, Id({0xED, 0xCB, 0xA9, 0x87}));
    ASSERT_TRUE(m_sink.WaitFor(WM_REMOTE_STATUS, 3, 4s));
    EXPECT_EQ(Codes(StatusPosts(m_sink, UiWindow::RemoteSlave)), (std::vector<std::uintptr_t>{0, 12, 3}));
    EXPECT_EQ(m_app->m_hSocket.load(), -1);
    EXPECT_EQ(m_app->m_bLinked, 1);
}

// Frames whose length field the relay cannot trust never reach the ECU's
// line; the next request is served.
TEST_P(RemoteWorkerProtocols, RelayedFramesOfImpossibleLengthAreDropped)
{
    const int protocol = GetParam();
    Start(protocol);
    ASSERT_TRUE(masterSink.WaitFor(WM_LINK_IDLE, 1, 5s));
    std::this_thread::sleep_for(50ms);
    const std::size_t heard = sim->BytesHeard();
    using Frame = std::vector<std::uint8_t>;
    const std::vector<Frame> bodies = protocol == 0
        ? std::vector<Frame>{{0x03, 0x01, 0x00}, {0xC8, 0x01, 0x02, 0x03}}
        : std::vector<Frame>{{0x00, 0x03, 0x01}, {0x02, 0x58, 0x01, 0x02, 0x03}, {0xFF, 0xFF, 0x01, 0x02, 0x03}};
    for (const Frame& body : bodies) {
        Frame relayed(kRelayPrefix.begin(), kRelayPrefix.end());
        relayed.insert(relayed.end(), body.begin(), body.end());
        bridge.Inject(Peer::Slave, relayed);
    }
    std::this_thread::sleep_for(400ms);  // beyond the slave's wait for the rest of a frame
    EXPECT_EQ(sim->BytesHeard(), heard);

    sim->WriteImage(Image::Parameters, 0, Pattern(256, 3));
    master->PostLinkRequest(WM_LINK_READ_ALL);
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (MasterImage() != sim->ReadImage(Image::Parameters, 0, 256) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(MasterImage(), sim->ReadImage(Image::Parameters, 0, 256));
}

TEST_F(RemoteWorkerTest, ABridgeThatDiesBeforeTheSlaveStartsClosesTheMaster)
{
    MakeMaster(0, bridge.Port());
    master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 2, 3s));
    master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 3, 3s));
    bridge.Die();
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 4, 3s));
    // The state post follows the status post: on a loaded machine it may
    // come a moment later.
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATE, 2, 3s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)), (std::vector<std::uintptr_t>{0, 1, 2, 3}));
    EXPECT_EQ(master->m_hSocket.load(), -1);
    EXPECT_EQ(masterSink.Count(WM_REMOTE_STATE), 2u);
}

TEST_F(RemoteWorkerTest, AnAcknowledgementInPiecesWithinTheTimeOutIsAccepted)
{
    bridge.SplitBridgeMessages({{4, 0ms}, {4, 100ms}});
    MakeMaster(0, bridge.Port());
    master->PostLinkRequest(WM_LINK_REMOTE_CONNECT);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 2, 3s));
    master->PostLinkRequest(WM_LINK_REMOTE_SEND_ID, 0, 0, Id({0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 3, 3s));
    EXPECT_EQ(Codes(StatusPosts(masterSink, UiWindow::RemoteMaster)), (std::vector<std::uintptr_t>{0, 1, 2}));
    // One greeting and one id frame: no attempt was repeated.
    EXPECT_EQ(bridge.ReceivedFrom(Peer::Master).size(), 9u + 10u);
}

// The master's list upload of the second protocol (variables polled by
// list) goes through the bridge like every other request: the slave finds
// the reply's length in the pieces the frame asks for, so one request is
// served at once.
TEST_F(RemoteWorkerTest, AListUploadIsRelayedWithTheReplyItsPiecesCallFor)
{
    Start(1);
    ASSERT_TRUE(masterSink.WaitFor(WM_REMOTE_STATUS, 4, 5s));
    ASSERT_TRUE(masterSink.WaitFor(WM_LINK_IDLE, 1, 5s));
    sim->ClearFrameLog();
    const std::vector<REC_UPLD_SV> blocks{{0, 4}, {8, 1}, {40, 20}};
    EXPECT_EQ(master->m_serialNew.UploadList(100, blocks, nullptr), RES_OK);
    int uploads = 0;
    for (const auto& record : sim->FrameLog())
        if (record.kind == vexar::ecusim::FrameRecord::Kind::Request && record.bytes.size() > 2 &&
            record.bytes[2] == 11)
            ++uploads;
    EXPECT_EQ(uploads, 1);
}
