// The per-ECU record and the small data sets it is made of: their start
// states, what each store changes, and every refusal with its message.
#include "obd/Ecu.h"
#include "obd/MonitorStatus.h"
#include "obd/ObdText.h"
#include "obd/ReceivedData.h"
#include "obd/ScantoolException.h"
#include "obd/SupportedData.h"

#include <gtest/gtest.h>
#include <functional>

using namespace obdvane;

namespace {

// The message of what `call` throws, or "" when it throws nothing.
std::string Refusal(const std::function<void()>& call)
{
    try {
        call();
        return {};
    } catch (const ScantoolException& e) {
        return e.GetMessage();
    }
}

// A positive service 01 answer of ECU 10 whose data text is `data` (PID first).
FRAME_ENTRY Answer(const std::string& data)
{
    return FRAME_ENTRY{0x10, false, "41", data};
}

// An ECU that has answered PID 00 with `bitmap` (8 hex digits) and the
// given PIDs with their data.
Ecu EcuWith(const std::string& bitmap00, std::initializer_list<std::pair<int, std::string>> answers = {})
{
    Ecu ecu;
    ecu.SetStatus(1, 0x00, ReceivedData::kReceived);
    EXPECT_TRUE(ecu.StoreSupportedPids(0x00, Answer("00" + bitmap00)));
    for (const auto& [pid, data] : answers) {
        ecu.SetStatus(1, pid, ReceivedData::kReceived);
        bool stored = false;
        if (pid == 0x20)
            stored = ecu.StoreSupportedPids(0x20, Answer(data));
        else if (pid == 0x01)
            stored = ecu.StoreMonitorStatus(Answer(data));
        else
            stored = ecu.StoreO2Locations(pid, Answer(data));
        EXPECT_TRUE(stored) << pid;
    }
    return ecu;
}

struct Position {
    int bank;
    int sensor;
    int group;
    bool operator==(const Position&) const = default;
};

std::vector<Position> Positions(const Ecu& ecu)
{
    std::vector<O2SensorLocation> locations;
    ecu.GetO2Locations(locations);
    std::vector<Position> positions;
    for (const O2SensorLocation& l : locations) {
        int bank = 0, sensor = 0;
        l.GetPosition(bank, sensor);
        positions.push_back({bank, sensor, l.GetGroup()});
    }
    return positions;
}

}  // namespace

TEST(ObdText, HexadecimalFieldsAndRanges)
{
    EXPECT_EQ(HexToInt("1d"), 29u);
    EXPECT_EQ(HexToInt("1D"), 29u);
    EXPECT_EQ(HexToInt("G1"), 1u) << "a character that is no digit counts 0";
    EXPECT_EQ(HexToInt(""), 0u);
    EXPECT_EQ(HexToInt("123456789"), 0x23456789u) << "the low 32 bits";
    EXPECT_TRUE(IsRangeInText("0011223344", 2, 8));
    EXPECT_FALSE(IsRangeInText("001122334", 2, 8));
    EXPECT_FALSE(IsRangeInText("abc", -5, 1));
    EXPECT_TRUE(IsIndexInText("abc", 3));
    EXPECT_FALSE(IsIndexInText("abc", 4));
    EXPECT_FALSE(IsIndexInText("abc", -1));
    EXPECT_EQ(Slice("abc", 5, 2), "");
    EXPECT_EQ(Slice("abc", 2, 2), "c");
}

TEST(ObdSupportedData, BitmapsMarkTheirRangeMostSignificantFirst)
{
    SupportedData data;
    EXPECT_EQ(data.GetEntry(0x0C), SupportedData::kNotReported);
    // Answer bytes BE 1F A8 13: A in the low bits of the bitmap.
    ASSERT_TRUE(data.SetRange(0x00, 0x13A81FBEu));
    for (const int pid : {0x01, 0x03, 0x04, 0x05, 0x06, 0x07, 0x20})
        EXPECT_TRUE(data.IsSupported(pid)) << pid;
    EXPECT_EQ(data.GetEntry(0x02), SupportedData::kNotSupported);
    EXPECT_EQ(data.GetEntry(0x21), SupportedData::kNotReported) << "outside the range stored";

    EXPECT_TRUE(data.SetRange(0xDF, 0xFFFFFFFFu)) << "the last range ends at PID 255";
    EXPECT_TRUE(data.IsSupported(0xFF));
    EXPECT_FALSE(data.SetRange(0xE0, 0)) << "would pass PID 255";
    EXPECT_TRUE(data.IsSupported(0xFF));

    EXPECT_EQ(Refusal([&] { data.GetEntry(256); }), "Index not valid.");
    EXPECT_EQ(Refusal([&] { data.GetEntry(0); }), "Index not valid.") << "PID 0 has no entry";
    data.Reset();
    EXPECT_EQ(data.GetEntry(0x01), SupportedData::kNotReported);
}

TEST(ObdReceivedData, StatusesCodesAndRefusals)
{
    ReceivedData data;
    EXPECT_EQ(data.GetStatus(0x0C), ReceivedData::kNeverAsked);
    data.SetNegativeCode(0x0C, 0x12);
    EXPECT_EQ(data.GetStatus(0x0C), ReceivedData::kNegative);
    EXPECT_EQ(data.GetNegativeCode(0x0C), 0x12);
    data.SetStatus(0x0C, ReceivedData::kReceived);
    EXPECT_TRUE(data.IsReceived(0x0C));
    EXPECT_EQ(data.GetNegativeCode(0x0C), 0) << "a positive answer clears the code";

    // Every code an ECU refuses with is kept, the common 31 (out of range)
    // and 00 as well as the six that have a meaning for the caller.
    for (const int code : {0x10, 0x11, 0x12, 0x21, 0x22, 0x78, 0x31, 0x00, 0xFF}) {
        data.SetNegativeCode(0x0D, code);
        EXPECT_EQ(data.GetStatus(0x0D), ReceivedData::kNegative) << code;
        EXPECT_EQ(data.GetNegativeCode(0x0D), code);
    }
    EXPECT_EQ(Refusal([&] { data.SetNegativeCode(0x0D, 0x100); }), "Negative code not valid.") << "one byte";
    EXPECT_EQ(data.GetNegativeCode(0x0D), 0xFF) << "a refusal changes nothing";
    EXPECT_EQ(Refusal([&] { data.SetStatus(0x0D, 2); }), "Status not valid.");
    EXPECT_EQ(Refusal([&] { data.SetStatus(256, 1); }), "Index not valid.");
    EXPECT_EQ(Refusal([&] { data.GetStatus(-1); }), "Index not valid.");
}

TEST(ObdMonitorStatus, ReadinessTestsFromBytesBAndC)
{
    MonitorStatus status;
    EXPECT_EQ(Refusal([&] { status.IsTestSupported(0); }), "Data not initialized.");
    EXPECT_EQ(Refusal([&] { status.NoTestSupported(); }), "Data not initialized.");
    ASSERT_TRUE(status.Set(0x81, 0x07, 0x65, 0x04));
    const bool expected[12] = {true, true, true, false, true, false, true, false, false, true, true, false};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(status.IsTestSupported(i), expected[i]) << i;
    EXPECT_FALSE(status.NoTestSupported());
    EXPECT_EQ(Refusal([&] { status.IsTestSupported(12); }), "Readiness test index not valid.");
    EXPECT_EQ(Refusal([&] { status.IsTestSupported(-1); }), "Readiness test index not valid.");
    status.Set(0x00, 0xF0, 0x00, 0xFF);
    EXPECT_TRUE(status.NoTestSupported()) << "completion bits alone support nothing";
}

TEST(ObdO2SensorLocation, PositionsOneToFour)
{
    O2SensorLocation location;
    int bank = 9, sensor = 9;
    EXPECT_FALSE(location.GetPosition(bank, sensor));
    EXPECT_FALSE(location.SetPosition(5, 1));
    EXPECT_FALSE(location.SetPosition(1, 0));
    EXPECT_FALSE(location.GetPosition(bank, sensor)) << "nothing stored by a refused position";
    EXPECT_TRUE(location.SetPosition(4, 2));
    EXPECT_TRUE(location.GetPosition(bank, sensor));
    EXPECT_EQ(bank, 4);
    EXPECT_EQ(sensor, 2);
}

TEST(ObdEcu, ServicesWithoutPidsAreRefusedAndOthersIgnored)
{
    Ecu ecu;
    EXPECT_FALSE(ecu.IsSupported(1, 0x0C)) << "not yet reported is not supported";
    EXPECT_EQ(Refusal([&] { ecu.IsReceived(3, 0); }), "Service 0x03 has no PIDs.");
    EXPECT_EQ(Refusal([&] { ecu.SetStatus(4, 0, 1); }), "Service 0x04 has no PIDs.");
    EXPECT_EQ(Refusal([&] { ecu.IsSupported(7, 0); }), "Service 0x07 has no PIDs.");
    EXPECT_FALSE(ecu.IsReceived(2, 0x0C));
    EXPECT_FALSE(ecu.SetStatus(2, 0x0C, 1));

    EXPECT_TRUE(ecu.SetNegativeCode(1, 0x0C, 0x12));
    EXPECT_EQ(ecu.GetService01().received.GetStatus(0x0C), ReceivedData::kNegative);
    EXPECT_TRUE(ecu.SetNegativeCode(1, 0x0C, 0x31));
    EXPECT_EQ(ecu.GetService01().received.GetNegativeCode(0x0C), 0x31);
    EXPECT_EQ(Refusal([&] { ecu.SetStatus(1, 0x0C, 2); }), "Status not valid.");
    EXPECT_TRUE(ecu.SetStatus(1, 0x0C, 1));
    EXPECT_EQ(ecu.GetService01().received.GetNegativeCode(0x0C), 0);
}

TEST(ObdEcu, SupportedPidsFromAnAnswerAndAnswersThatBreakOff)
{
    Ecu ecu;
    ASSERT_TRUE(ecu.StoreSupportedPids(0x00, Answer("00BE1FA813")));
    EXPECT_TRUE(ecu.IsSupported(1, 0x01));
    EXPECT_FALSE(ecu.IsSupported(1, 0x02));
    EXPECT_TRUE(ecu.IsSupported(1, 0x20));
    EXPECT_FALSE(ecu.StoreSupportedPids(0x20, Answer("20FFFFFF"))) << "one byte short";
    EXPECT_EQ(ecu.GetService01().supported.GetEntry(0x21), SupportedData::kNotReported);
    EXPECT_FALSE(ecu.StoreMonitorStatus(Answer("0100")));
    EXPECT_TRUE(ecu.GetService01().monitorStatus.IsEmpty());
    EXPECT_FALSE(ecu.StoreO2Locations(0x13, Answer("13")));
    EXPECT_TRUE(ecu.IsReceivedOrSupported(1, 0x20));
    EXPECT_FALSE(ecu.IsReceivedAndSupported(1, 0x20));
}

TEST(ObdEcu, SensorLayoutsOfPids13And1D)
{
    // Supported: 13 and 14; bank 2 sensor 2 of the four-sensor layout is PID 19.
    Ecu two = EcuWith("00003000", {{0x13, "1321"}});
    EXPECT_EQ(Positions(two), (std::vector<Position>{{1, 1, 1}, {2, 2, 0}}));
    // Supported: 14 and 1D; bank 3 sensor 2 of the two-sensor layout is PID 19.
    Ecu four = EcuWith("00001008", {{0x1D, "1D21"}});
    EXPECT_EQ(Positions(four), (std::vector<Position>{{1, 1, 1}, {3, 2, 0}}));

    // Bank 2 sensor 4 is PID 1B, unsupported, but its PID 2B is.
    Ecu groups = EcuWith("00002001", {{0x20, "2000200000"}, {0x13, "1380"}});
    EXPECT_EQ(Positions(groups), (std::vector<Position>{{2, 4, 2}}));
    O2SensorLocation found;
    EXPECT_TRUE(groups.GetO2Location(2, 4, found));
    EXPECT_EQ(found.GetGroup(), 2);
    EXPECT_FALSE(groups.GetO2Location(1, 1, found));
    int bank = 0, sensor = 0;
    EXPECT_FALSE(found.GetPosition(bank, sensor)) << "a reset location when none matches";

    // Before the layout PID is received and supported the groups stay 0.
    Ecu unknown = EcuWith("00000000", {{0x13, "1303"}});
    EXPECT_EQ(Positions(unknown), (std::vector<Position>{{1, 1, 0}, {1, 2, 0}}));
}

TEST(ObdEcu, WithBothLayoutPidsEachLocatesItsOwnSensors)
{
    // PIDs 13 and 1D both supported and answered, and 14, 19, 1B: PID 1D's
    // bank 4 sensor 2 is PID 1B (PID 13's numbering would make it 21), and
    // its bank 3 sensor 2 is PID 19.
    Ecu ecu = EcuWith("000030A8", {{0x13, "1301"}});
    ecu.SetStatus(1, 0x1D, ReceivedData::kReceived);
    ASSERT_EQ(Refusal([&] { EXPECT_TRUE(ecu.StoreO2Locations(0x1D, Answer("1DA1"))); }), "");
    EXPECT_EQ(Positions(ecu), (std::vector<Position>{{1, 1, 1}, {3, 2, 1}, {4, 2, 1}}));
    // The next PID 13 answer numbers by its own layout again: bank 2 sensor
    // 1 is PID 18, which is not supported.
    ecu.StoreO2Locations(0x13, Answer("1311"));
    EXPECT_EQ(Positions(ecu), (std::vector<Position>{{1, 1, 1}, {2, 1, 0}}));
}

TEST(ObdEcu, MonitorStatusNeedsPid01DeclaredAnsweredAndATest)
{
    Ecu ecu = EcuWith("80000000", {{0x01, "0100076504"}});
    EXPECT_TRUE(ecu.HasMonitorStatus());

    Ecu undeclared = EcuWith("00000000", {{0x01, "0100076504"}});
    EXPECT_FALSE(undeclared.HasMonitorStatus()) << "PID 00 answered without PID 01";

    Ecu noTests = EcuWith("80000000", {{0x01, "0181F000FF"}});
    EXPECT_FALSE(noTests.HasMonitorStatus()) << "all availability bits clear";

    Ecu noBitmap;
    noBitmap.SetStatus(1, 0x01, 1);
    ASSERT_TRUE(noBitmap.StoreMonitorStatus(Answer("0100010000")));
    EXPECT_TRUE(noBitmap.HasMonitorStatus()) << "PID 00 never asked";
    noBitmap.SetStatus(1, 0x00, ReceivedData::kNoData);
    EXPECT_FALSE(noBitmap.HasMonitorStatus()) << "PID 00 answered without data";

    Ecu copy = ecu;
    EXPECT_TRUE(copy.HasMonitorStatus()) << "a copy holds all of it";
}
