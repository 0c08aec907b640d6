#include "link/CEthernetLine.h"
#include "link/ProtocolHost.h"
#include "testing/bridgesim/BridgeServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexar::link {
namespace {

using namespace std::chrono_literals;
using bridgesim::BridgeServer;
using bridgesim::Peer;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// A port on loopback where nobody listens: bound, never listened on.
class DeadPort {
public:
    DeadPort()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &length);
        port = ntohs(a.sin_port);
    }
    ~DeadPort() { ::close(m_fd); }
    std::uint16_t port = 0;

private:
    int m_fd = -1;
};

class EthernetLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bridge.Start(0, error)) << error;
        int stage = 0;
        int err = 0;
        ASSERT_EQ(line.Connect(bridge.Port(), "127.0.0.1", socket, stage, err), 0) << stage << " " << err;
    }
    void TearDown() override { line.Close(socket); }
    // Greets the bridge; its acknowledgement then waits on the socket.
    void Greet()
    {
        ASSERT_EQ(line.Send(socket, bridgesim::kMasterGreeting), 9);
    }

    BridgeServer bridge;
    CEthernetLine line;
    int socket = -1;
    std::array<std::uint8_t, 512> buffer{};
    int error = 0;
};

TEST_F(EthernetLineTest, ConnectsNonBlockingAndCloseOnExec)
{
    ASSERT_GE(socket, 0);
    EXPECT_TRUE(::fcntl(socket, F_GETFL) & O_NONBLOCK);
    EXPECT_TRUE(::fcntl(socket, F_GETFD) & FD_CLOEXEC);
    Greet();
    EXPECT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, error), 8);
    EXPECT_TRUE(std::equal(bridgesim::kGreetingAck.begin(), bridgesim::kGreetingAck.end(), buffer.begin()));
    line.Close(socket);
    EXPECT_EQ(socket, -1);
    EXPECT_EQ(line.Send(socket, bridgesim::kMasterGreeting), -1);
    EXPECT_EQ(line.Receive(socket, 0, buffer, error), -1);
}

TEST(EthernetLineConnect, FailuresCloseTheSocketAndTellTheStage)
{
    CEthernetLine line(200ms);
    DeadPort dead;
    struct Case {
        const char* ip;
        std::uint16_t port;
        int error;
    };
    const Case cases[] = {
        {"127.0.0.1", dead.port, ECONNREFUSED},
        {"::1", dead.port, EINVAL},
        {"bridge.example", dead.port, EINVAL},
        {"300.1.2.3", dead.port, EINVAL},
        {nullptr, dead.port, EINVAL},
    };
    for (const Case& c : cases) {
        int socket = 99;
        int stage = 0;
        int error = 0;
        EXPECT_EQ(line.Connect(c.port, c.ip, socket, stage, error), -1) << (c.ip ? c.ip : "null");
        EXPECT_EQ(stage, -3);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(socket, -1);
    }
}

TEST_F(EthernetLineTest, AReceiveWaitsItsTimeOutAndNeverStoresPastTheBuffer)
{
    const auto start = Clock::now();
    EXPECT_EQ(line.Receive(socket, 150ms, buffer, error), 0);
    EXPECT_GE(Clock::now() - start, 140ms);

    // Pair with a slave so that injected bytes arrive as one run.
    Greet();
    ASSERT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, error), 8);
    bridge.Inject(Peer::Master, Bytes(600, 0x5A));
    ASSERT_TRUE(bridge.WaitSentTo(Peer::Master, 608, 1000ms));
    std::this_thread::sleep_for(20ms);
    std::array<std::uint8_t, 520> guarded{};
    guarded.fill(0xEE);
    EXPECT_EQ(line.Receive(socket, 1000ms, std::span(guarded).first(512), error), 512);
    EXPECT_EQ(guarded[512], 0xEE);
    EXPECT_EQ(line.Receive(socket, 1000ms, buffer, error), 88);
}

TEST_F(EthernetLineTest, AClosedBridgeIsAFailureNotATimeOut)
{
    bridge.Die();
    const auto start = Clock::now();
    EXPECT_EQ(line.Receive(socket, 2000ms, buffer, error), -1);
    EXPECT_EQ(error, ECONNRESET);
    EXPECT_EQ(line.ReceiveCount(socket, 2000ms, buffer, 8, {}, error), -1);
    EXPECT_LT(Clock::now() - start, 1000ms);
}

TEST_F(EthernetLineTest, ACountedReceiveGathersPiecesWithinItsTimeOut)
{
    Greet();
    bridge.SplitBridgeMessages({{4, 0ms}, {4, 100ms}});
    ASSERT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 8, {}, error), 8);
    EXPECT_EQ(buffer[7], 0xEB);

    // 7 bytes in time and the last one late: 7 is all there is.
    bridge.SplitBridgeMessages({{7, 0ms}, {1, 400ms}});
    Greet();
    EXPECT_EQ(line.ReceiveCount(socket, 200ms, buffer, 8, {}, error), 7);
    EXPECT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 1, {}, error), 1);

    // A leading close notice ends the wait for a longer reply at once.
    bridge.SplitBridgeMessages({});
    bridge.Inject(Peer::Master, Bytes(kCloseNotice.begin(), kCloseNotice.end()));
    const auto start = Clock::now();
    EXPECT_EQ(line.ReceiveCount(socket, 1000ms, buffer, 40, kCloseNotice, error), 8);
    EXPECT_LT(Clock::now() - start, 500ms);
}

TEST_F(EthernetLineTest, FlushDropsWhatWaits)
{
    EXPECT_EQ(line.Flush(socket), 0);
    Greet();
    ASSERT_TRUE(bridge.WaitSentTo(Peer::Master, 8, 1000ms));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(line.Flush(socket), 8);
    EXPECT_EQ(line.Receive(socket, 50ms, buffer, error), 0);
    EXPECT_EQ(line.Flush(-1), -1);
}

}  // namespace
}  // namespace vexar::link
