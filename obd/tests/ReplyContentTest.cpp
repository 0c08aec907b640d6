// What the commands make of their replies' data: the ECU answers of an
// "SP" reply, the values, monitor statuses and trouble codes decoded from
// them, and the identification and connect replies. Data that breaks off
// keeps what came before it.
#include "obd/DtcReply.h"
#include "obd/IdentificationReply.h"
#include "obd/MonitorStatusReply.h"
#include "obd/NumericReply.h"
#include "obd/ValueReply.h"
#include "obd/tests/Frames.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace obdvane;
using obdvane::test::Etb;

namespace {

std::vector<int> Addresses(const ObdReply& reply)
{
    std::vector<int> addresses;
    for (std::size_t i = 0; i < reply.GetRecordCount(); ++i)
        addresses.push_back(reply.GetRecord(i).address);
    return addresses;
}

std::vector<double> Values(const ValueResult& result)
{
    std::vector<double> values;
    for (const VALUE_RECORD& r : result.values)
        values.push_back(r.value);
    return values;
}

std::vector<std::vector<std::string>> Codes(const DtcReply& reply)
{
    std::vector<std::vector<std::string>> codes;
    for (std::size_t i = 0; i < reply.GetDtcCount(); ++i)
        codes.push_back(reply.GetRecordAt(i).codes);
    return codes;
}

}  // namespace

TEST(ObdReplyContent, AnswersOfEveryEcuAndRefusals)
{
    ObdReply reply(1, 0x0C);
    reply.Parse(Etb("10410C1AF8|187F0112|E8410C0BB8"));
    EXPECT_FALSE(reply.IsNoData());
    ASSERT_EQ(Addresses(reply), (std::vector<int>{0x10, 0x18, 0xE8}));
    const OBD_RECORD positive = reply.GetRecord(0);
    EXPECT_FALSE(positive.negative);
    EXPECT_EQ(positive.serviceText, "41");
    EXPECT_EQ(positive.dataText, "0C1AF8");
    const OBD_RECORD refusal = reply.GetRecord(1);
    EXPECT_TRUE(refusal.negative);
    EXPECT_EQ(refusal.serviceText, "01");
    EXPECT_EQ(refusal.dataText, "12");
    EXPECT_EQ(refusal.negativeCode, 0x12);
    EXPECT_EQ(reply.GetText(), reply.GetData());
    EXPECT_TRUE(reply.GetRecord(3).negative) << "past the end: a new record";
}

TEST(ObdReplyContent, NoDataEmptyDataAndAnswersThatBreakOff)
{
    struct Case {
        std::string text;
        bool noData;
        std::vector<int> addresses;
    };
    const std::vector<Case> cases = {
        {"-", true, {}},
        {"", false, {}},
        {"10410C1AF8", false, {0x10}},
        {Etb("10410C1AF8|18"), false, {0x10}},           // the second answer has no response service
        {Etb("10410C1AF8|187F"), false, {0x10}},          // a refusal without its service
        {Etb("10410C1AF8|"), false, {0x10}},
        {Etb("1041|E8410C00"), false, {0x10, 0xE8}},     // an answer without data still counts
    };
    for (const Case& c : cases) {
        ObdReply reply;
        reply.Parse(c.text);
        EXPECT_EQ(reply.IsNoData(), c.noData) << c.text;
        EXPECT_EQ(Addresses(reply), c.addresses) << c.text;
    }
    ObdReply lower;
    lower.Parse("-");
    lower.Parse("10410C1AF8");
    EXPECT_FALSE(lower.IsNoData()) << "every parse starts over";
}

TEST(ObdValueReply, NegativeAndNoDataAnswers)
{
    ValueReply refused(1, 0x06, 0, 0);
    refused.Parse("107F0112");
    ASSERT_EQ(refused.GetResultCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const ValueResult result = refused.GetResult(i);
        ASSERT_EQ(result.values.size(), 1u);
        EXPECT_TRUE(std::isnan(result.values[0].value));
        EXPECT_TRUE(result.values[0].negative);
        EXPECT_EQ(result.values[0].negativeCode, 0x12);
    }
    ValueReply none(1, 0x0C, 0, 0);
    none.Parse("-");
    EXPECT_TRUE(none.IsNoData());
    ASSERT_EQ(none.GetResultCount(), 1u);
    EXPECT_TRUE(none.GetResult(0).values.empty());

    ValueReply plain;
    plain.Parse("10410C1AF8");
    EXPECT_EQ(plain.GetResultCount(), 0u) << "no definitions loaded";
    EXPECT_EQ(plain.GetRecordCount(), 1u);
}

TEST(ObdValueReply, AMissingSecondBankDropsTheOptionalValueForTheWholeReply)
{
    ValueReply reply(1, 0x06, 0, 0);
    reply.Parse(Etb("10410690|18410690A0|E8410670"));
    ASSERT_EQ(reply.GetResultCount(), 1u) << "the optional result goes";
    EXPECT_EQ(Values(reply.GetResult(0)), (std::vector<double>{12.5, 12.5, -12.5}));

    ValueReply full(1, 0x06, 0, 0);
    full.Parse(Etb("104106A090|E8410670"));
    ASSERT_EQ(full.GetResultCount(), 1u) << "values of the second bank already decoded go with it";
    EXPECT_EQ(Values(full.GetResult(0)), (std::vector<double>{25, -12.5}));
}

TEST(ObdValueReply, DataThatBreaksOffEndsTheDecoding)
{
    ValueReply rpm(1, 0x0C, 0, 0);
    rpm.Parse(Etb("10410C1AF8|18410C1A|E8410C0BB8"));
    EXPECT_EQ(Values(rpm.GetResult(0)), (std::vector<double>{1726})) << "the short answer and those after it are lost";

    ValueReply trims(1, 0x06, 0, 0);
    trims.Parse(Etb("1041069070|184106|E841069070"));
    ASSERT_EQ(trims.GetResultCount(), 2u) << "too short even for the first bank: nothing dropped";
    EXPECT_EQ(Values(trims.GetResult(1)), (std::vector<double>{-12.5}));

    ValueReply twice(1, 0x07, 0, 0);
    twice.Parse(Etb("10410790|184107|E841079070"));
    ASSERT_EQ(twice.GetResultCount(), 1u);
    EXPECT_EQ(Values(twice.GetResult(0)), (std::vector<double>{12.5})) << "a second short answer keeps the first bank";

    ValueReply pidByte(1, 0x0C, 0, 0);
    pidByte.Parse(Etb("10410C1AF8|18410"));
    EXPECT_EQ(Values(pidByte.GetResult(0)), (std::vector<double>{1726}));
    EXPECT_FALSE(pidByte.AnswersAnotherPid());
}

TEST(ObdValueReply, AnAnswerForAnotherPidGivesNoValue)
{
    ValueReply rpm(1, 0x0C, 0, 0);
    rpm.Parse(Etb("10410D1AF8|18410C0BB8"));
    EXPECT_EQ(Values(rpm.GetResult(0)), (std::vector<double>{750})) << "only ECU 18 answered PID 0C";
    EXPECT_TRUE(rpm.AnswersAnotherPid());
    rpm.Parse(Etb("10410C1AF8"));
    EXPECT_FALSE(rpm.AnswersAnotherPid()) << "each parse says it anew";
}

TEST(ObdMonitorStatusReply, LampCodesAndReadinessPerEcu)
{
    MonitorStatusReply reply;
    EXPECT_EQ(reply.GetService(), 1);
    EXPECT_EQ(reply.GetPid(), 1);
    reply.Parse(Etb("1041018107650422|187F0122|E8410102F00000"));
    ASSERT_EQ(reply.GetStatusCount(), 3u);
    const STATUS_RECORD first = reply.GetRecordAt(0);
    EXPECT_EQ(first.troubleCodeCount, 1);
    EXPECT_EQ(first.lamp, 1);
    EXPECT_EQ(first.available, (std::array<int, 12>{1, 1, 1, 0, 1, 0, 1, 0, 0, 1, 1, 0}));
    EXPECT_EQ(first.complete, (std::array<int, 12>{2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2}));
    EXPECT_TRUE(reply.GetRecordAt(1).negative);
    EXPECT_EQ(reply.GetRecordAt(1).negativeCode, 0x22);
    const STATUS_RECORD third = reply.GetRecordAt(2);
    EXPECT_EQ(third.address, 0xE8);
    EXPECT_EQ(third.troubleCodeCount, 2);
    EXPECT_EQ(third.lamp, 0);
    EXPECT_EQ(third.complete, (std::array<int, 12>{3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2}));

    reply.Parse(Etb("104101810765|E841010200F000"));
    EXPECT_EQ(reply.GetStatusCount(), 0u) << "a status that breaks off ends the decoding";
    EXPECT_EQ(reply.GetRecordCount(), 2u);
}

// An ECU answering another PID (rpm bytes under 0C) gives no status: read
// as one it would claim the lamp on and 26 stored codes.
TEST(ObdMonitorStatusReply, AnAnswerForAnotherPidGivesNoStatus)
{
    MonitorStatusReply reply;
    reply.Parse(Etb("10410C9AF80000|1841010207E500"));
    ASSERT_EQ(reply.GetStatusCount(), 1u);
    EXPECT_EQ(reply.GetRecordAt(0).address, 0x18);
    EXPECT_EQ(reply.GetRecordAt(0).troubleCodeCount, 2);
    EXPECT_TRUE(reply.AnswersAnotherPid());
    reply.Parse(Etb("1041010207E500"));
    EXPECT_FALSE(reply.AnswersAnotherPid()) << "each parse says it anew";
}

TEST(ObdDtcReply, CodesOnEveryProtocol)
{
    EXPECT_EQ(DtcText(0x0133), "P0133");
    EXPECT_EQ(DtcText(0x4123), "C0123");
    EXPECT_EQ(DtcText(0x8123), "B0123");
    EXPECT_EQ(DtcText(0xC100), "U0100");
    EXPECT_EQ(DtcText(0x3FFF), "P3FFF");
    EXPECT_EQ(DtcText(0), "");

    DtcReply older(3);
    EXPECT_EQ(older.GetService(), 3);
    EXPECT_EQ(older.GetPid(), -1);
    older.Parse(Etb("104301330000|10430420E3000000|18430000"));
    EXPECT_EQ(Codes(older), (std::vector<std::vector<std::string>>{{"P0133"}, {"P0420", "U2300"}, {}}));

    DtcReply can(5);
    can.Parse(Etb("E843020133042|E943010300"));
    EXPECT_TRUE(Codes(can).empty()) << "1 to 3 characters left after whole codes end the decoding";
    can.Parse(Etb("E8430201330420|E943010300|EA7F0311"));
    EXPECT_EQ(Codes(can), (std::vector<std::vector<std::string>>{{"P0133", "P0420"}, {"P0300"}, {}}));
    EXPECT_TRUE(can.GetRecordAt(2).negative);
    EXPECT_EQ(can.GetRecordAt(2).negativeCode, 0x11);

    DtcReply countOnly(5);
    countOnly.Parse("E8430");
    EXPECT_EQ(countOnly.GetDtcCount(), 0u) << "no room for the number of codes";
}

TEST(ObdIdentificationReply, FieldsUpToEachEtb)
{
    IdentificationReply reply;
    reply.Parse(Etb("A|B||D|E|F|G|H"));
    const std::vector<std::string> fields = {"A", "B", "", "D", "E", "F", Etb("G|H")};
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(reply.GetField(i), fields[static_cast<std::size_t>(i - 1)]) << i;
    reply.Parse("WHOLE");
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(reply.GetField(i), "") << i;
    EXPECT_EQ(reply.GetField(7), "WHOLE");
    reply.Parse(Etb("A|B"));
    EXPECT_EQ(reply.GetField(1), "A");
    EXPECT_EQ(reply.GetField(2), "") << "no ETB left: empty, and the rest stays";
    EXPECT_EQ(reply.GetField(7), "B");
}

TEST(ObdNumericReply, DecimalInTheMannerOfAtoi)
{
    const std::vector<std::pair<std::string, int>> cases = {{"3", 3}, {" 5x", 5}, {"-2", -2}, {"", 0}, {"X", 0}};
    for (const auto& [text, value] : cases) {
        NumericReply reply;
        reply.Parse(text);
        EXPECT_EQ(reply.GetValue(), value) << text;
        EXPECT_EQ(reply.GetText(), text);
    }
}
