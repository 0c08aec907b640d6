// The reply receiver pulling frames from a real line.
#include "obd/ReplyReceiver.h"
#include "obd/ReplyState.h"
#include "obd/SerialPort.h"
#include "obd/tests/Frames.h"
#include "obd/tests/PortPeer.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

class Receiver : public ReplyReceiver {
public:
    explicit Receiver(AbstractPort& port) { m_reply.SetPort(&port); }
};

class ObdReplyReceiver : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_port.Open(m_peer.ComName());
        m_port.SetTimeouts(100);
    }

    PortPeer m_peer;
    SerialPort m_port{LineTimings{0ms, 0ms, 1500ms}};
};

}  // namespace

TEST_F(ObdReplyReceiver, StopsAtTheFrameAndLeavesWhatFollowsForTheNextRead)
{
    m_peer.Write(Concat(Hex({0xBD, 0x55}), Concat(WholeFrame("ID", Etb("A|B")), Hex({0x42, 0x43}))));
    Receiver receiver(m_port);
    receiver.Receive(1);
    const ReplyFrame& reply = receiver.GetReply();
    EXPECT_TRUE(reply.IsComplete());
    EXPECT_FALSE(reply.IsTimedOut());
    EXPECT_EQ(reply.GetData(), Etb("A|B"));
    EXPECT_EQ(Bytes(reply.GetRaw(), reply.GetRaw() + reply.GetRawCount()), WholeFrame("ID", Etb("A|B")));

    Bytes next(2);
    std::uint32_t count = 0;
    m_port.Read(next.data(), 2, count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(next, Hex({0x42, 0x43}));
}

TEST_F(ObdReplyReceiver, ASilentPortEndsWithTheTimeoutAfterTheAttempts)
{
    Receiver receiver(m_port);
    const Clock::time_point start = Clock::now();
    receiver.Receive(3);
    EXPECT_GE(ElapsedMs(start), 295) << "three empty reads of 100 ms";
    EXPECT_TRUE(receiver.GetReply().IsTimedOut());
    EXPECT_STREQ(receiver.GetReply().GetState().GetName(), "start");
    EXPECT_EQ(receiver.GetReply().Describe("ID"), "Timeout: 1 CmdSent: ID CmdRecv:  Nack: 0");
}

TEST_F(ObdReplyReceiver, AWrongChecksumWaitsForTheNextFrameWithinTheSameReception)
{
    Bytes wrong = WholeFrame("SP", "-");
    wrong[wrong.size() - 2] ^= 0x01;
    m_peer.Write(Concat(wrong, WholeFrame("SP", "10410D32")));
    Receiver receiver(m_port);
    receiver.Receive(1);
    EXPECT_TRUE(receiver.GetReply().IsComplete());
    EXPECT_EQ(receiver.GetReply().GetData(), "10410D32");
}

TEST_F(ObdReplyReceiver, AFrameThatBreaksOffEndsTimedOutInItsState)
{
    const Bytes frame = WholeFrame("SP", "10410D32");
    m_peer.Write(Bytes(frame.begin(), frame.end() - 3));
    Receiver receiver(m_port);
    receiver.Receive(1);
    EXPECT_STREQ(receiver.GetReply().GetState().GetName(), "data");
    EXPECT_EQ(receiver.GetReply().Describe("SP"), "Timeout: 1 CmdSent: SP CmdRecv: SP Nack: 0");
}

TEST_F(ObdReplyReceiver, APeerThatStreamsWithoutEverEndingAFrameEndsAsATimeout)
{
    // A frame whose data never ends, longer than any reception takes.
    m_port.SetTimeouts(60000);
    Bytes endless = Hex({0x02, 'S', 'T', 'L', 0x17, '0', 0x17, 'S', 'P', 0x17});
    endless.insert(endless.end(), 2 * ReplyReceiver::kMaxBytesPerReception, 'A');
    m_peer.Write(endless);
    Receiver receiver(m_port);
    const Clock::time_point start = Clock::now();
    receiver.Receive(1);
    EXPECT_LT(ElapsedMs(start), 5000) << "bounded by bytes, not by the 60 s time-out";
    EXPECT_FALSE(receiver.GetReply().IsComplete());
    EXPECT_TRUE(receiver.GetReply().IsTimedOut());
    EXPECT_LE(receiver.GetReply().GetRawCount(), static_cast<int>(ReplyFrame::kRawCapacity));
    EXPECT_LE(receiver.GetReply().GetData().size(), ReplyFrame::kRawCapacity);
}

TEST_F(ObdReplyReceiver, AFrameLongerThanTheRecordIsDroppedAndTheNextOneTaken)
{
    m_peer.Write(Concat(WholeFrame("SP", std::string(ReplyFrame::kRawCapacity, 'A')), WholeFrame("SP", "-")));
    Receiver receiver(m_port);
    receiver.Receive(1);
    EXPECT_TRUE(receiver.GetReply().IsComplete());
    EXPECT_EQ(receiver.GetReply().GetData(), "-");
}
