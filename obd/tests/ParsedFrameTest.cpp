// Received frames read again into their fields.
#include "obd/ParsedFrame.h"
#include "obd/tests/Frames.h"

#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

ParsedFrame Parsed(const Bytes& bytes, bool expected = true)
{
    ParsedFrame frame;
    EXPECT_EQ(frame.ParseBytes(bytes.data(), bytes.size()), expected);
    return frame;
}

std::vector<FRAME_ENTRY> Entries(const ParsedFrame& frame)
{
    std::vector<FRAME_ENTRY> entries;
    std::size_t position = 0;
    FRAME_ENTRY entry;
    while (frame.GetNextEntry(position, entry))
        entries.push_back(entry);
    return entries;
}

}  // namespace

TEST(ParsedFrame, IdentificationFields)
{
    const ParsedFrame id = Parsed(WholeFrame("ID", Etb("VX|2.1||0042|2024|OK")));
    EXPECT_EQ(id.GetKind(), ParsedFrame::kId);
    EXPECT_EQ(id.GetAddress(), 0);
    EXPECT_EQ(id.GetField(1), "VX");
    EXPECT_EQ(id.GetField(3), "");
    EXPECT_EQ(id.GetField(6), "OK");
    EXPECT_EQ(id.GetField(7), "");
    EXPECT_EQ(Parsed(WholeFrame("UP", Etb("a|b|c|d|e|f"))).GetKind(), ParsedFrame::kUp);
    Parsed(WholeFrame("ID", Etb("a|b|c|d|e")), false);   // a field missing
    Parsed(WholeFrame("ID", Etb("a|b|c|d|e|")), false);  // the last one empty
}

TEST(ParsedFrame, ProtocolOfTheConnectReplies)
{
    struct Case {
        const char* type;
        const char* data;
        int kind;
        int protocol;
    };
    for (const Case& c : std::vector<Case>{{"EC", "3", ParsedFrame::kEc, 3},
                                           {"EC", "7", ParsedFrame::kEc, 0},
                                           {"EC", "5", ParsedFrame::kEc, 5},
                                           {"EZ", "1", ParsedFrame::kEz, 1},
                                           {"RP", "x", ParsedFrame::kRp, 0}}) {
        const ParsedFrame frame = Parsed(WholeFrame(c.type, c.data));
        EXPECT_EQ(frame.GetKind(), c.kind) << c.type << c.data;
        EXPECT_EQ(frame.GetProtocol(), c.protocol) << c.type << c.data;
    }
}

TEST(ParsedFrame, OneEntryPerEcuAnswerInTheOrderReceived)
{
    const ParsedFrame sp = Parsed(WholeFrame("SP", Etb("18410C0FA0|10410C1AF8|107F0112|0843")));
    EXPECT_EQ(sp.GetKind(), ParsedFrame::kSp);
    EXPECT_FALSE(sp.IsNoData());
    const std::vector<FRAME_ENTRY> entries = Entries(sp);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].address, 0x18);
    EXPECT_FALSE(entries[0].negative);
    EXPECT_EQ(entries[0].service, "41");
    EXPECT_EQ(entries[0].data, "0C0FA0");
    EXPECT_EQ(entries[1].address, 0x10);
    EXPECT_EQ(entries[1].data, "0C1AF8");
    EXPECT_TRUE(entries[2].negative);
    EXPECT_EQ(entries[2].service, "01");
    EXPECT_EQ(entries[2].data, "12");
    EXPECT_EQ(entries[3].service, "43");
    EXPECT_EQ(entries[3].data, "");

    const ParsedFrame none = Parsed(WholeFrame("SP", "-"));
    EXPECT_TRUE(none.IsNoData());
    EXPECT_EQ(none.GetEntryCount(), 0u);
    Parsed(WholeFrame("SP", Etb("10410C|7")), false);   // an answer too short for a service
    Parsed(WholeFrame("SP", Etb("107F0")), false);      // a refusal without its service
    Parsed(WholeFrame("SP", Etb("10410C|")), false);    // an empty answer after the last ETB
}

TEST(ParsedFrame, HeadersChecksumsAndWhatIsNoReply)
{
    // "RPM" heads a frame as well as "STL"; the address is a decimal digit.
    Bytes rpm = WholeFrame("EC", "2", "RPM");
    EXPECT_EQ(Parsed(rpm).GetProtocol(), 2);
    Bytes addressed = vexar::obdsim::EncodeFrame({"STL", "7", "EC", "1"});
    EXPECT_EQ(Parsed(addressed).GetAddress(), 7);

    // Lower-case checksum digits; bytes after the ETX are ignored.
    Bytes lower = WholeFrame("SP", "10410D32");
    for (std::size_t i = lower.size() - 3; i < lower.size() - 1; ++i)
        lower[i] = static_cast<std::uint8_t>(std::tolower(lower[i]));
    EXPECT_EQ(Parsed(Concat(lower, Hex({0x55, 0x02}))).GetEntryCount(), 1u);

    Bytes wrongSum = WholeFrame("SP", "-");
    wrongSum[wrongSum.size() - 2] ^= 0x01;
    Parsed(wrongSum, false);
    Parsed(WholeFrame("SP", "", "XYZ"), false);          // another header
    Parsed(WholeFrame("ZZ", "1"), false);                // another type
    Parsed(WholeFrame("EC", ""), false);                 // no data
    Parsed(Bytes(rpm.begin() + 1, rpm.end()), false);    // no STX
    Parsed(Bytes(rpm.begin(), rpm.end() - 1), false);    // no ETX
    Parsed(Hex({0x02, 'A', 0x03}), false);               // no room for a checksum
}

TEST(ParsedFrame, AFailedParseKeepsTheLastGoodOne)
{
    ParsedFrame frame;
    const Bytes good = WholeFrame("SP", Etb("10410C1AF8|18410C0FA0"));
    ASSERT_TRUE(frame.ParseBytes(good.data(), good.size()));
    const Bytes bad = WholeFrame("SP", Etb("10410C|7"));
    EXPECT_FALSE(frame.ParseBytes(bad.data(), bad.size()));
    EXPECT_EQ(frame.GetEntryCount(), 2u);
    ParsedFrame copy;
    copy = frame;
    EXPECT_EQ(Entries(copy)[1].address, 0x18);
    frame.Clear();
    EXPECT_EQ(frame.GetEntryCount(), 0u);
}

TEST(ParsedFrame, LongBodiesFoldTheirSumAt65535)
{
    // Past 516 characters the running sum wraps at 65535, so the checksum is
    // no longer the low byte of the plain sum.
    const std::string data = "1041" + std::string(1000, 'F');
    std::string body = "STL\x17" "0\x17SP\x17" + data;
    unsigned plain = 0;
    int folded = 0;
    for (const char c : body) {
        plain += static_cast<std::uint8_t>(c);
        folded = (folded % 65536 + static_cast<signed char>(c)) % 65535;
    }
    ASSERT_NE(plain & 0xFF, static_cast<unsigned>(folded) & 0xFF);
    auto frameWith = [&](unsigned sum) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
        return Concat(Concat(Hex({0x02}), Bytes(body.begin(), body.end())), Hex({digits[0], digits[1], 0x03}));
    };
    EXPECT_EQ(Entries(Parsed(frameWith(static_cast<unsigned>(folded))))[0].data.size(), 1000u);
    Parsed(frameWith(plain), false);
}
