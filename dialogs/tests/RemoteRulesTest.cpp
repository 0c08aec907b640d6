// The remote-assistance windows' rules: the client id as typed, the
// slave's complement, and the traffic statistics over 20 seconds.
#include "dialogs/core/RemoteRules.h"

#include "common/Text.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vexar::remote;

namespace {

using Id = std::array<std::uint8_t, 4>;

TEST(RemoteClientId, OnlyEightHexadecimalDigitsMakeAnId)
{
    struct Case {
        std::u16string text;
        std::optional<Id> id;
    };
    const Case cases[] = {
        {u"1234ABCD", Id{0x12, 0x34, 0xAB, 0xCD}},
        {u"1234abcd", Id{0x12, 0x34, 0xAB, 0xCD}},
        {u"00000000", Id{0, 0, 0, 0}},
        {u"FFFFFFFF", Id{0xFF, 0xFF, 0xFF, 0xFF}},
        {u"1234ABC", std::nullopt},
        {u"1234ABCDE", std::nullopt},
        {u"1234ABCG", std::nullopt},
        {u"0x34ABCD", std::nullopt},
        {u" 234ABCD", std::nullopt},
        {u"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClientIdFromText(c.text), c.id) << vexar::ToUtf8(c.text);
}

TEST(RemoteClientId, TheSlaveSendsEveryByteComplemented)
{
    EXPECT_EQ(ComplementId(Id{0x12, 0x34, 0xAB, 0xCD}), (Id{0xED, 0xCB, 0x54, 0x32}));
    EXPECT_EQ(ComplementId(Id{0x00, 0xFF, 0x0F, 0xF0}), (Id{0xFF, 0x00, 0xF0, 0x0F}));
}

struct Sample {
    std::int32_t expected;
    std::int32_t received;
};

RemoteStatistics After(std::initializer_list<Sample> samples)
{
    RemoteStatistics statistics;
    for (const Sample& sample : samples)
        statistics.Add(sample.expected, sample.received);
    return statistics;
}

TEST(RemoteStatistics, AverageAndRatioOverTheWrittenSlots)
{
    struct Case {
        const char* name;
        RemoteStatistics statistics;
        std::int32_t average;
        std::int32_t ratio;
    };
    const Case cases[] = {
        {"nothing written", RemoteStatistics(), 0, 0},
        {"an idle first second", After({{0, 0}}), 0, 100},
        {"all that was expected", After({{264, 264}, {136, 136}}), 200, 100},
        {"integer division of both", After({{3, 1}, {0, 2}}), 1, 100},
        {"two thirds", After({{300, 200}}), 200, 66},
        {"a lost reply", After({{264, 0}, {264, 264}}), 132, 50},
        {"bytes nobody expected", After({{0, 8}}), 8, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.statistics.AverageReceived(), c.average) << c.name;
        EXPECT_EQ(c.statistics.ReceivedRatio(), c.ratio) << c.name;
    }
}

TEST(RemoteStatistics, TheTwentyFirstSecondTakesTheFirstSlot)
{
    RemoteStatistics statistics;
    statistics.Add(1000, 1000);
    for (int second = 0; second < RemoteStatistics::kSlots - 1; ++second)
        statistics.Add(10, 5);
    // The first second still counts.
    EXPECT_EQ(statistics.AverageReceived(), (1000 + 19 * 5) / 20);
    statistics.Add(10, 5);
    EXPECT_EQ(statistics.AverageReceived(), 5);
    EXPECT_EQ(statistics.ReceivedRatio(), 50);

    statistics.Clear();
    EXPECT_EQ(statistics.AverageReceived(), 0);
    EXPECT_EQ(statistics.ReceivedRatio(), 0);
}

}  // namespace
