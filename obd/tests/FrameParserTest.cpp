// Stored frames run through the reply states.
#include "obd/FrameParser.h"
#include "obd/tests/Frames.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

struct Parsed {
    bool complete;
    std::string type;
    std::string data;
    Bytes raw;
};

Parsed Parse(const Bytes& bytes)
{
    FrameParser parser;
    const bool complete = parser.Parse(Exchange(bytes));
    const ReplyFrame& r = parser.GetReply();
    return {complete, r.GetType(), r.GetData(), Bytes(r.GetRaw(), r.GetRaw() + r.GetRawCount())};
}

Bytes LowerCaseChecksum(Bytes frame)
{
    for (std::size_t i = frame.size() - 3; i < frame.size() - 1; ++i) {
        if (frame[i] >= 'A' && frame[i] <= 'F')
            frame[i] = static_cast<std::uint8_t>(frame[i] + 0x20);
    }
    return frame;
}

}  // namespace

TEST(FrameParser, ReadsTheDescribedReplies)
{
    const Bytes ec = Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x45, 0x43, 0x17, 0x33, 0x32, 0x33, 0x03});
    Parsed p = Parse(ec);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.type, "EC");
    EXPECT_EQ(p.data, "3");
    EXPECT_EQ(p.raw, ec);

    Bytes wrong = ec;
    wrong[11] = '4';
    EXPECT_FALSE(Parse(wrong).complete);

    // A checksum in lower case is accepted ("SP" 0100 has "CC").
    p = Parse(LowerCaseChecksum(WholeFrame("SP", "0100")));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.data, "0100");

    // No data: an empty data text.
    p = Parse(WholeFrame("ID", ""));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.data, "");

    // Two fields keep the ETB between them.
    p = Parse(WholeFrame("SP", Etb("10410C1AF8|18410C0FA0")));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.data, Etb("10410C1AF8|18410C0FA0"));
}

TEST(FrameParser, SkipsWhatIsNoFrameAndRestartsOnStx)
{
    const Bytes frame = WholeFrame("ID", "");
    // Bytes before the first STX are ignored and not recorded.
    Parsed p = Parse(Concat(Hex({0xBD, 'x', 0x03, 0x17}), frame));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.raw, frame);

    // An STX in the middle discards what was collected.
    p = Parse(Concat(Bytes(frame.begin(), frame.begin() + 8), WholeFrame("EC", "5")));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.type, "EC");
    EXPECT_EQ(p.raw, WholeFrame("EC", "5"));

    // A complete frame followed by more bytes is still complete.
    p = Parse(Concat(frame, Concat(Hex({0x02, 'S'}), WholeFrame("SP", "-"))));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.type, "ID");

    // A single data character before the ETX leaves no room for a checksum.
    EXPECT_FALSE(Parse(Concat(Hex({0x02}), Concat(Bytes{'S', 'T', 'L', 0x17, '0', 0x17, 'I', 'D', 0x17, '7'}, Hex({0x03}))))
                     .complete);
}

TEST(FrameParser, ReadsAtMostTheRecordItIsGiven)
{
    EXCHANGE_FRAME frame = Exchange(WholeFrame("ID", ""));
    frame.length = -5;
    FrameParser parser;
    EXPECT_FALSE(parser.Parse(frame));
    frame.length = EXCHANGE_FRAME::kCapacity + 100;
    EXPECT_TRUE(parser.Parse(frame)) << "a length beyond the record is held at its capacity";

    // Bytes beyond the record's capacity are cut.
    const Bytes longFrame = WholeFrame("SP", std::string(600, 'A'));
    EXPECT_FALSE(parser.Parse(longFrame.data(), static_cast<int>(longFrame.size())));
    EXPECT_FALSE(parser.Parse(nullptr, 12));
}
