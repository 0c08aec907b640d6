// The reply receiver's state machine, cell by cell: every state meets every
// event, and the cell's effect on the reply record is checked.
#include "obd/ObdText.h"
#include "obd/ReplyFrame.h"
#include "obd/ReplyState.h"
#include "obd/tests/Frames.h"

#include <functional>
#include <gtest/gtest.h>

using namespace obdvane;
using namespace obdvane::test;

namespace {

constexpr int kTimeout = -1;

Bytes Prefix(const std::string& text)
{
    Bytes bytes{kStx};
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

// The frame of "ID" without data up to, not including, its ETX.
Bytes UpToEtx(bool rightChecksum)
{
    Bytes bytes = WholeFrame("ID", "");
    bytes.pop_back();
    if (!rightChecksum)
        bytes.back() = bytes.back() == 'E' ? 'F' : 'E';
    return bytes;
}

struct Cell {
    const char* name;
    Bytes prefix;
    const char* from;
    int event;  // a byte, or kTimeout
    const char* to;
    std::function<void(const ReplyFrame&)> check;
};

void Texts(const ReplyFrame& f, const char* header, const char* address, const char* type, const std::string& data)
{
    EXPECT_EQ(f.GetHeader(), header);
    EXPECT_EQ(f.GetAddress(), address);
    EXPECT_EQ(f.GetType(), type);
    EXPECT_EQ(f.GetData(), data);
}

}  // namespace

TEST(ReplyStates, EveryStateMeetsEveryEvent)
{
    const Bytes stl = Prefix("S");
    const Bytes address = Prefix("STL");
    const Bytes type = Prefix("STL\x17" "0\x17");
    const Bytes data = Prefix("STL\x17" "0\x17" "ID");
    const Bytes stop = WholeFrame("ID", "");
    const std::vector<Cell> cells = {
        {"start STX", {}, "start", kStx, "stl", [](const ReplyFrame& f) { EXPECT_EQ(f.GetRawCount(), 0); }},
        {"start ETX", {}, "start", kEtx, "start", [](const ReplyFrame& f) { EXPECT_EQ(f.GetRawCount(), 0); }},
        {"start char", {}, "start", 'Z', "start", [](const ReplyFrame& f) { EXPECT_EQ(f.GetRawCount(), 0); }},
        {"start time-out", {}, "start", kTimeout, "start", [](const ReplyFrame& f) { EXPECT_TRUE(f.IsTimedOut()); }},

        {"stl STX", stl, "stl", kStx, "stl", [](const ReplyFrame& f) { Texts(f, "", "", "", ""); EXPECT_EQ(f.GetRawCount(), 0); }},
        {"stl ETX", stl, "stl", kEtx, "start", [](const ReplyFrame& f) { EXPECT_EQ(f.GetHeader(), "S"); }},
        {"stl char", stl, "stl", 'T', "stl", [](const ReplyFrame& f) { EXPECT_EQ(f.GetHeader(), "ST"); EXPECT_EQ(f.GetRawCount(), 3); }},
        {"stl third char", Prefix("RP"), "stl", 'M', "address", [](const ReplyFrame& f) { EXPECT_EQ(f.GetHeader(), "RPM"); }},
        {"stl time-out", stl, "stl", kTimeout, "stl", [](const ReplyFrame& f) { EXPECT_TRUE(f.IsTimedOut()); }},

        {"address STX", address, "address", kStx, "stl", [](const ReplyFrame& f) { Texts(f, "", "", "", ""); }},
        {"address ETX", address, "address", kEtx, "start", [](const ReplyFrame&) {}},
        {"address ETB", address, "address", kEtb, "address", [](const ReplyFrame& f) { EXPECT_EQ(f.GetAddress(), ""); EXPECT_EQ(f.GetRawCount(), 5); }},
        {"address char", Prefix("STL\x17"), "address", '0', "type", [](const ReplyFrame& f) { EXPECT_EQ(f.GetAddress(), "0"); }},
        {"address time-out", address, "address", kTimeout, "address", [](const ReplyFrame& f) { EXPECT_TRUE(f.IsTimedOut()); }},

        {"type STX", type, "type", kStx, "stl", [](const ReplyFrame& f) { Texts(f, "", "", "", ""); }},
        {"type ETX", type, "type", kEtx, "start", [](const ReplyFrame&) {}},
        {"type ETB", Prefix("STL\x17" "0"), "type", kEtb, "type", [](const ReplyFrame& f) { EXPECT_EQ(f.GetType(), ""); EXPECT_EQ(f.GetRawCount(), 7); }},
        {"type char", type, "type", 'I', "type", [](const ReplyFrame& f) { EXPECT_EQ(f.GetType(), "I"); }},
        {"type second char", Prefix("STL\x17" "0\x17I"), "type", 'D', "data", [](const ReplyFrame& f) { Texts(f, "STL", "0", "ID", ""); }},
        {"type time-out", type, "type", kTimeout, "type", [](const ReplyFrame& f) { EXPECT_TRUE(f.IsTimedOut()); }},

        {"data STX", data, "data", kStx, "stl", [](const ReplyFrame& f) { Texts(f, "", "", "", ""); EXPECT_EQ(f.GetRawCount(), 0); }},
        {"data ETX, right checksum", UpToEtx(true), "data", kEtx, "stop", [](const ReplyFrame& f) { Texts(f, "STL", "0", "ID", ""); EXPECT_EQ(f.GetRawCount(), 12); }},
        {"data ETX, wrong checksum", UpToEtx(false), "data", kEtx, "start", [](const ReplyFrame& f) { EXPECT_EQ(f.GetType(), "ID"); }},
        {"data ETX, no room for a checksum", Prefix("STL\x17" "0\x17IDx"), "data", kEtx, "start", [](const ReplyFrame&) {}},
        {"data first ETB", data, "data", kEtb, "data", [](const ReplyFrame& f) { EXPECT_EQ(f.GetData(), ""); EXPECT_EQ(f.GetRawCount(), 10); }},
        {"data later ETB", Prefix("STL\x17" "0\x17" "ID\x17" "ab"), "data", kEtb, "data", [](const ReplyFrame& f) { EXPECT_EQ(f.GetData(), "ab\x17"); }},
        {"data char", data, "data", 'x', "data", [](const ReplyFrame& f) { EXPECT_EQ(f.GetData(), "x"); }},
        {"data time-out", data, "data", kTimeout, "data", [](const ReplyFrame& f) { EXPECT_TRUE(f.IsTimedOut()); }},

        {"stop STX", stop, "stop", kStx, "stop", [](const ReplyFrame& f) { Texts(f, "STL", "0", "ID", ""); EXPECT_EQ(f.GetRawCount(), 12); }},
        {"stop ETX", stop, "stop", kEtx, "stop", [](const ReplyFrame& f) { EXPECT_EQ(f.GetRawCount(), 12); }},
        {"stop char", stop, "stop", 'Z', "stop", [](const ReplyFrame& f) { EXPECT_EQ(f.GetRawCount(), 12); }},
        {"stop time-out", stop, "stop", kTimeout, "stop", [](const ReplyFrame& f) { EXPECT_FALSE(f.IsTimedOut()); }},
    };
    for (const Cell& cell : cells) {
        SCOPED_TRACE(cell.name);
        ReplyFrame frame;
        for (const std::uint8_t b : cell.prefix)
            RaiseByteEvent(frame, b);
        ASSERT_STREQ(frame.GetState().GetName(), cell.from);
        if (cell.event == kTimeout)
            frame.GetState().OnTimeout(frame);
        else
            RaiseByteEvent(frame, static_cast<std::uint8_t>(cell.event));
        EXPECT_STREQ(frame.GetState().GetName(), cell.to);
        cell.check(frame);
    }
}

TEST(ReplyStates, ANewFrameClearsTheTimeoutOfTheLast)
{
    ReplyFrame frame;
    frame.GetState().OnTimeout(frame);
    ASSERT_TRUE(frame.IsTimedOut());
    for (const std::uint8_t b : WholeFrame("EC", "3"))
        RaiseByteEvent(frame, b);
    EXPECT_TRUE(frame.IsComplete());
    EXPECT_FALSE(frame.IsTimedOut());
    EXPECT_EQ(frame.Describe("EC"), "Timeout: 0 CmdSent: EC CmdRecv: EC Nack: 0");
}
