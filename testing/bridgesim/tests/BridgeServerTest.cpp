#include "testing/bridgesim/Commands.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexar::bridgesim {
namespace {

using namespace std::chrono_literals;

// A plain blocking TCP client of the bridge, as a workstation would be.
class Client {
public:
    explicit Client(std::uint16_t port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { Close(); }
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    void Send(const Bytes& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Reads until `count` bytes or `limit` passed; what arrived.
    Bytes Read(std::size_t count, std::chrono::milliseconds limit = 2000ms)
    {
        Bytes got;
        const auto end = Clock::now() + limit;
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            std::uint8_t buffer[1024];
            const ssize_t n = ::recv(m_fd, buffer, std::min(sizeof buffer, count - got.size()), 0);
            if (n <= 0) {
                closedByPeer = true;
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
    bool connected = false;
    bool closedByPeer = false;

private:
    int m_fd = -1;
};

template <std::size_t N>
Bytes B(const std::array<std::uint8_t, N>& a)
{
    return Bytes(a.begin(), a.end());
}

Bytes IdFrame(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    return {0x4A, 0x4E, 0x3C, a, b, c, d, static_cast<std::uint8_t>(0x3C + a + b + c + d), 0x00, 0x4A};
}

class BridgeServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(server.Start(0, error)) << error;
        ASSERT_NE(server.Port(), 0);
    }
    // A master greeted and identified as 12 34 56 78, and its slave started.
    void Pair(Client& master, Client& slave)
    {
        master.Send(B(kMasterGreeting));
        ASSERT_EQ(master.Read(8), B(kGreetingAck));
        master.Send(IdFrame(0x12, 0x34, 0x56, 0x78));
        ASSERT_EQ(master.Read(8), B(kIdAck));
        slave.Send({0x50, 0xED, 0xCB, 0xA9, 0x87});
        ASSERT_EQ(slave.Read(8), B(kStartMarker));
        slave.Send(B(kStartMarker));
        ASSERT_EQ(master.Read(8), B(kStartMarker));
    }
    BridgeServer server;
};

TEST_F(BridgeServerTest, PairsByComplementedIdAndRelaysBothWaysVerbatim)
{
    Client master(server.Port());
    Client slave(server.Port());
    ASSERT_TRUE(master.connected && slave.connected);
    Pair(master, slave);

    const Bytes request{0x0F, 0x58, 0x50, 0xB7, 0x05, 0x07, 0x00, 0x11, 0x22};
    master.Send(request);
    EXPECT_EQ(slave.Read(request.size()), request);
    const Bytes reply{0x09, 0x07, 1, 2, 3, 4, 5, 0xAA, 0xBB};
    slave.Send(reply);
    EXPECT_EQ(master.Read(reply.size()), reply);

    const Bytes fromMaster = server.ReceivedFrom(Peer::Master);
    const Bytes expectedStart{0x4A, 0x4E, 0x28, 0x14, 0x3C, 0x28, 0x5A, 0x4A, 0x4E,
                              0x4A, 0x4E, 0x3C, 0x12, 0x34, 0x56, 0x78, 0x50, 0x00, 0x4A};
    ASSERT_GE(fromMaster.size(), expectedStart.size());
    EXPECT_TRUE(std::equal(expectedStart.begin(), expectedStart.end(), fromMaster.begin()));
    const Bytes fromSlave = server.ReceivedFrom(Peer::Slave);
    EXPECT_EQ(Bytes(fromSlave.begin(), fromSlave.begin() + 5), (Bytes{0x50, 0xED, 0xCB, 0xA9, 0x87}));

    // The slave leaves: its master hears the close notice and keeps its line.
    slave.Close();
    EXPECT_EQ(master.Read(8), B(kSlaveLeft));
    EXPECT_FALSE(master.closedByPeer);
}

TEST_F(BridgeServerTest, AMasterLeavingClosesItsSlave)
{
    Client master(server.Port());
    Client slave(server.Port());
    Pair(master, slave);
    master.Close();
    EXPECT_TRUE(slave.Read(1).empty());
    EXPECT_TRUE(slave.closedByPeer);
}

TEST_F(BridgeServerTest, AnIdThatDoesNotMatchOrAddUpPairsNothing)
{
    Client master(server.Port());
    Client stranger(server.Port());
    master.Send(B(kMasterGreeting));
    ASSERT_EQ(master.Read(8), B(kGreetingAck));
    Bytes badSum = IdFrame(0x12, 0x34, 0x56, 0x78);
    badSum[7] ^= 1;
    master.Send(badSum);
    EXPECT_TRUE(master.Read(8, 200ms).empty());
    Bytes badTrailer = IdFrame(0x12, 0x34, 0x56, 0x78);
    badTrailer[9] = 0x4B;
    master.Send(badTrailer);
    EXPECT_TRUE(master.Read(8, 200ms).empty());
    const auto log = server.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const LogRecord& r) { return r.kind == LogRecord::Kind::Refused; }), 2);

    master.Send(IdFrame(0x12, 0x34, 0x56, 0x78));
    ASSERT_EQ(master.Read(8), B(kIdAck));
    stranger.Send({0x50, 0x12, 0x34, 0x56, 0x78});  // not complemented
    EXPECT_TRUE(stranger.Read(8, 200ms).empty());
}

TEST_F(BridgeServerTest, WithheldAndSplitBridgeMessages)
{
    Client master(server.Port());
    server.WithholdGreetingAck(1);
    master.Send(B(kMasterGreeting));
    EXPECT_TRUE(master.Read(8, 200ms).empty());
    // A greeting split by the stream is still one greeting.
    master.Send(Bytes(kMasterGreeting.begin(), kMasterGreeting.begin() + 4));
    std::this_thread::sleep_for(30ms);
    master.Send(Bytes(kMasterGreeting.begin() + 4, kMasterGreeting.end()));
    EXPECT_EQ(master.Read(8), B(kGreetingAck));

    server.SplitBridgeMessages({{7, 0ms}, {1, 300ms}});
    const auto sent = Clock::now();
    master.Send(IdFrame(1, 2, 3, 4));
    EXPECT_EQ(master.Read(8, 150ms).size(), 7u);
    EXPECT_EQ(master.Read(1), Bytes{0xCB});
    EXPECT_GE(Clock::now() - sent, 290ms);

    server.SplitBridgeMessages({});
    server.WithholdIdAck(1);
    master.Send(IdFrame(1, 2, 3, 4));
    EXPECT_TRUE(master.Read(8, 200ms).empty());
}

TEST_F(BridgeServerTest, RelayFaults)
{
    Client master(server.Port());
    Client slave(server.Port());
    Pair(master, slave);

    server.SplitNextFromSlave(4, 200ms);
    slave.Send({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(master.Read(8, 100ms), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(master.Read(4), (Bytes{5, 6, 7, 8}));

    server.JoinNextFromMaster();
    master.Send({0xA1, 0xA2});
    EXPECT_TRUE(slave.Read(2, 150ms).empty());
    master.Send({0xB1});
    EXPECT_EQ(slave.Read(3), (Bytes{0xA1, 0xA2, 0xB1}));

    server.Inject(Peer::Slave, {0xEE});
    EXPECT_EQ(slave.Read(1), Bytes{0xEE});

    server.DropSlaveAfter(1);
    master.Send({0xC1});
    EXPECT_EQ(slave.Read(1), Bytes{0xC1});
    master.Send({0xC2});  // swallowed; the slave is dropped
    EXPECT_TRUE(slave.Read(1).empty());
    EXPECT_TRUE(slave.closedByPeer);
    EXPECT_EQ(master.Read(8), B(kSlaveLeft));

    // The master may pair again with a new id and a new slave.
    Client second(server.Port());
    master.Send(IdFrame(0xAB, 0xCD, 0xEF, 0x01));
    ASSERT_EQ(master.Read(8), B(kIdAck));
    second.Send({0x50, 0x54, 0x32, 0x10, 0xFE});
    EXPECT_EQ(second.Read(8), B(kStartMarker));

    server.Die();
    EXPECT_TRUE(master.Read(1).empty());
    EXPECT_TRUE(master.closedByPeer);
    Client late(server.Port());
    EXPECT_FALSE(late.connected);
}

TEST_F(BridgeServerTest, CommandLinesSteerTheServerAndMalformedOnesAreRefused)
{
    std::string reply;
    struct Case {
        const char* line;
        bool ok;
    };
    const Case cases[] = {
        {"withhold-greeting 1", true}, {"withhold-id -1", true},   {"withhold-marker 1", true},
        {"split-acks 4:0,4:10", true}, {"split-acks off", true},   {"split-acks 4:x", false},
        {"split-master 3 10", true},   {"split-slave 0 10", false}, {"join-master", true},
        {"drop-slave-after 2", true},  {"inject slave 0f 58", true}, {"inject slave 0g", false},
        {"inject boss 01", false},     {"frobnicate", false},      {"log", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyCommand(server, c.line, reply), c.ok) << c.line << ": " << reply;
}

TEST(BridgeProgram, PrintsItsPortServesAndLogsWhatItHeard)
{
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::execl(BRIDGESIM_PROGRAM, BRIDGESIM_PROGRAM, "--port", "0", "--log", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    FILE* out = ::fdopen(fromChild[0], "r");
    unsigned port = 0;
    ASSERT_EQ(std::fscanf(out, "port %u", &port), 1);
    {
        Client master(static_cast<std::uint16_t>(port));
        ASSERT_TRUE(master.connected);
        master.Send(B(kMasterGreeting));
        EXPECT_EQ(master.Read(8), B(kGreetingAck));
    }
    const std::string quit = "quit\n";
    ASSERT_EQ(::write(toChild[1], quit.data(), quit.size()), static_cast<ssize_t>(quit.size()));
    ::close(toChild[1]);
    std::string log;
    char line[512];
    while (std::fgets(line, sizeof line, out))
        log += line;
    std::fclose(out);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(log.find("master received: 4A 4E 28 14 3C 28 5A 4A 4E"), std::string::npos) << log;
    EXPECT_NE(log.find("master sent: 46 19 8C EB 46 19 8C EB"), std::string::npos) << log;
}

}  // namespace
}  // namespace vexar::bridgesim
