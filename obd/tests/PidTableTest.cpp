// The service 01 PID table over PIDs 00 to 51: every row with every field,
// the ECU's own scalings, and one decoded answer per PID.
#include "obd/PidTable.h"
#include "obd/ValueReply.h"

#include <gtest/gtest.h>
#include <map>

using namespace obdvane;

namespace {

constexpr double kBitmapMax = 4294967295.0;
constexpr double kPercent = 100.0 / 255;
constexpr double kTrim = 0.78125;  // 100/128

ValueDefinition Def(const char* format, int unit, int bytes, double minimum, double maximum, double scale,
                    bool optional = false)
{
    return {format, unit, bytes, minimum, maximum, scale, optional};
}

// A PID as the two hexadecimal digits of an answer.
std::string PidText(int pid)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[pid >> 4], kDigits[pid & 15]};
}

// The rows of every PID that has some, with both scalings 0.
std::map<int, std::vector<ValueDefinition>> ExpectedTable()
{
    const ValueDefinition bitmap = Def("%d", 0, 4, 0, kBitmapMax, 1);
    const ValueDefinition percent = Def("%3.1f", 4, 1, 0, 100, kPercent);
    const ValueDefinition temperature = Def("%3.0f", 1, 1, -40, 215, 1);
    const ValueDefinition trim = Def("%3.1f", 4, 1, -100, 99.22, kTrim);
    const ValueDefinition secondTrim = Def("%3.1f", 4, 1, -100, 99.22, kTrim, true);
    const ValueDefinition ratio = Def("%3.3f", 0, 2, 0, 1.999, 2 * (1.0 / 65535));
    const ValueDefinition layout = Def("%d", 0, 1, 0, 255, 1);
    std::map<int, std::vector<ValueDefinition>> table = {
        {0x00, {bitmap}},
        {0x20, {bitmap}},
        {0x40, {bitmap}},
        {0x03, {Def("%d", 0, 2, 0, kBitmapMax, 1)}},
        {0x04, {percent}},
        {0x05, {temperature}},
        {0x0A, {Def("%3.0f", 3, 1, 0, 765, 3)}},
        {0x0B, {Def("%4.1f", 3, 1, 0, 255, 1)}},
        {0x0C, {Def("%5.0f", 2, 2, 0, 16383.5, 0.25)}},
        {0x0D, {Def("%3.0f", 7, 1, 0, 255, 1)}},
        {0x0E, {Def("%2.1f", 8, 1, -64, 63.5, 0.5)}},
        {0x0F, {temperature}},
        {0x10, {Def("%4.2f", 9, 2, 0, 655.35, 0.01)}},
        {0x11, {percent}},
        {0x13, {layout}},
        {0x1D, {layout}},
        {0x1F, {Def("%5.0f", 10, 2, 0, 65535, 1)}},
        {0x22, {Def("%4.1f", 3, 2, 0, 5177.27, 5178.0 / 65535)}},
        {0x23, {Def("%6.0f", 3, 2, 0, 65535, 10)}},
        {0x33, {Def("%3.0f", 3, 1, 0, 255, 1)}},
        {0x43, {Def("%5.1f", 4, 2, 0, 25700, kPercent)}},
        {0x44, {ratio}},
        {0x45, {percent}},
        {0x46, {temperature}},
        {0x4F, {layout, layout, layout, Def("%d", 0, 1, 0, 2550, 10)}},
        {0x50, {Def("%d", 0, 1, 0, 2550, 10), Def("%d", 0, 1, 0, 0, 1), Def("%d", 0, 1, 0, 0, 1), Def("%d", 0, 1, 0, 0, 1)}},
    };
    for (int pid = 0x06; pid <= 0x09; ++pid)
        table[pid] = {trim, secondTrim};
    for (int pid = 0x14; pid <= 0x1B; ++pid)
        table[pid] = {Def("%1.3f", 5, 1, 0, 1.275, 0.005), trim};
    for (int pid = 0x24; pid <= 0x2B; ++pid)
        table[pid] = {ratio, Def("%3.3f", 5, 2, 0, 7.999, 8 * (1.0 / 65535))};
    for (int pid = 0x34; pid <= 0x3B; ++pid)
        table[pid] = {ratio, Def("%3.2f", 6, 2, -128, 127.996, 1.0 / 256)};
    for (int pid = 0x3C; pid <= 0x3F; ++pid)
        table[pid] = {Def("%4.0f", 1, 2, -40, 6513.5, 0.1)};
    for (int pid = 0x47; pid <= 0x4C; ++pid)
        table[pid] = {percent};
    return table;
}

std::vector<ValueDefinition> Lookup(int service, int pid, unsigned s1 = 0, unsigned s2 = 0)
{
    std::vector<ValueDefinition> rows{ValueDefinition{}};
    const bool found = LookupPidDefinitions(service, pid, s1, s2, rows);
    EXPECT_EQ(found, !rows.empty()) << pid;
    return rows;
}

// One answer per PID with rows: the data after the ECU address and the
// response service, and the values it decodes to.
struct Decoding {
    std::string data;
    std::vector<double> values;
};

std::map<int, Decoding> Decodings()
{
    const double halfRatio = 32768 * 2 / 65535.0;
    std::map<int, Decoding> cases = {
        {0x00, {"00BE1FA813", {static_cast<double>(static_cast<std::int32_t>(0xBE1FA813u))}}},
        {0x20, {"2080000001", {-2147483647.0}}},
        {0x40, {"4000000060", {96}}},
        {0x03, {"030200", {512}}},
        {0x04, {"04FF", {255 * (100.0 / 255)}}},
        {0x05, {"057B", {83}}},
        {0x0A, {"0A64", {300}}},
        {0x0B, {"0B65", {101}}},
        {0x0C, {"0C1AF8", {1726}}},
        {0x0D, {"0D32", {50}}},
        {0x0E, {"0E90", {8}}},
        {0x0F, {"0F50", {40}}},
        {0x10, {"1001F4", {5}}},
        {0x11, {"1133", {20}}},
        {0x13, {"1333", {51}}},
        {0x1D, {"1D11", {17}}},
        {0x1F, {"1F0E10", {3600}}},
        {0x22, {"221234", {0x1234 * 5178.0 / 65535}}},
        {0x23, {"230102", {2580}}},
        {0x33, {"3365", {101}}},
        {0x43, {"430100", {256 * (100.0 / 255)}}},
        {0x44, {"448000", {halfRatio}}},
        {0x45, {"4533", {20}}},
        {0x46, {"4650", {40}}},
        {0x4F, {"4F020880FF", {2, 8, 128, 2550}}},
        {0x50, {"500A000102", {100, 0, 1, 2}}},
    };
    for (int pid = 0x06; pid <= 0x09; ++pid)
        cases[pid] = {PidText(pid) + "9070", {12.5, -12.5}};
    for (int pid = 0x14; pid <= 0x1B; ++pid)
        cases[pid] = {PidText(pid) + "A000", {0.8, -100}};
    for (int pid = 0x24; pid <= 0x2B; ++pid)
        cases[pid] = {PidText(pid) + "80008000", {halfRatio, 32768 * 8 / 65535.0}};
    for (int pid = 0x34; pid <= 0x3B; ++pid)
        cases[pid] = {PidText(pid) + "80008080", {halfRatio, 0.5}};
    for (int pid = 0x3C; pid <= 0x3F; ++pid)
        cases[pid] = {PidText(pid) + "0FA0", {360}};
    for (int pid = 0x47; pid <= 0x4C; ++pid)
        cases[pid] = {PidText(pid) + "33", {20}};
    return cases;
}

}  // namespace

TEST(ObdPidTable, EveryPidFrom00To51WithEveryField)
{
    const auto expected = ExpectedTable();
    for (int pid = 0x00; pid <= 0x51; ++pid) {
        const auto row = expected.find(pid);
        if (row == expected.end())
            EXPECT_TRUE(Lookup(1, pid).empty()) << "PID " << std::hex << pid << " has no rows";
        else
            EXPECT_EQ(Lookup(1, pid), row->second) << "PID " << std::hex << pid;
    }
    EXPECT_EQ(expected.size(), 64u) << "without rows: 01 02 12 1C 1E 21 2C-32 41 42 4D 4E 51";
}

TEST(ObdPidTable, OtherServicesAndPidsHaveNoRows)
{
    EXPECT_TRUE(Lookup(2, 0x0C).empty());
    EXPECT_TRUE(Lookup(1, 0x51).empty());
    EXPECT_TRUE(Lookup(1, 0xFF).empty());
    EXPECT_TRUE(Lookup(1, -1).empty());
    EXPECT_TRUE(Lookup(1, 0x01).empty()) << "the monitor status has its own decoding";
}

TEST(ObdPidTable, TheEcusOwnMaximaSetTheScale)
{
    struct Case {
        int pid;
        unsigned s1, s2;
        std::vector<double> scales;
    };
    const std::vector<Case> cases = {
        {0x0B, 2550, 0, {10.0}},
        {0x0B, 255, 99, {1.0}},
        {0x10, 655, 0, {655 * (1.0 / 65535)}},
        {0x10, 0, 0, {0.01}},
        {0x24, 0, 0, {2 * (1.0 / 65535), 8 * (1.0 / 65535)}},
        {0x2B, 4, 16, {4 * (1.0 / 65535), 16 * (1.0 / 65535)}},
        {0x34, 0, 0, {2 * (1.0 / 65535), 1.0 / 256}},
        {0x3B, 3, 200, {3 * (1.0 / 65535), 200 * (1.0 / 32768)}},
        {0x44, 5, 0, {5 * (1.0 / 65535)}},
        {0x0C, 999, 999, {0.25}},
    };
    for (const Case& c : cases) {
        const auto rows = Lookup(1, c.pid, c.s1, c.s2);
        ASSERT_EQ(rows.size(), c.scales.size()) << c.pid;
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i].scale, c.scales[i]) << "PID " << std::hex << c.pid << " value " << i;
    }
    EXPECT_EQ(Lookup(1, 0x34)[1].minimum, -128.0);
}

TEST(ObdPidTable, OneAnswerOfEveryPidDecodes)
{
    const auto expected = ExpectedTable();
    const auto decodings = Decodings();
    for (const auto& [pid, rows] : expected) {
        const auto decoding = decodings.find(pid);
        ASSERT_NE(decoding, decodings.end()) << "no answer for PID " << std::hex << pid;
        ValueReply reply(1, pid, 0, 0);
        reply.Parse("1041" + decoding->second.data);
        ASSERT_EQ(reply.GetResultCount(), decoding->second.values.size()) << "PID " << std::hex << pid;
        for (std::size_t i = 0; i < reply.GetResultCount(); ++i) {
            const ValueResult result = reply.GetResult(i);
            EXPECT_EQ(result.definition, rows[i]);
            ASSERT_EQ(result.values.size(), 1u) << "PID " << std::hex << pid;
            EXPECT_DOUBLE_EQ(result.values[0].value, decoding->second.values[i]) << "PID " << std::hex << pid << " value " << i;
            EXPECT_EQ(result.values[0].address, 0x10);
            EXPECT_FALSE(result.values[0].negative);
        }
    }
}

TEST(ObdPidTable, ScaledAnswersDecodeWithTheEcusMaxima)
{
    ValueReply pressure(1, 0x0B, 2550, 0);
    pressure.Parse("10410B65");
    EXPECT_DOUBLE_EQ(pressure.GetResult(0).values.at(0).value, 1010.0);
    ValueReply flow(1, 0x10, 1000, 0);
    flow.Parse("1041108000");
    EXPECT_DOUBLE_EQ(flow.GetResult(0).values.at(0).value, 32768 * 1000 / 65535.0);
    ValueReply current(1, 0x34, 4, 64);
    current.Parse("104134FFFF4000");
    EXPECT_DOUBLE_EQ(current.GetResult(0).values.at(0).value, 4.0);
    EXPECT_DOUBLE_EQ(current.GetResult(1).values.at(0).value, 0x4000 * 64 / 32768.0 - 128);
}
