#include "testing/bootsim/BootFaults.h"
#include "testing/bootsim/BootSums.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vexar::bootsim;

namespace {

std::vector<std::uint8_t> Of(const std::string& text)
{
    return {text.begin(), text.end()};
}

TEST(BootSumsTest, KnownAnswers)
{
    EXPECT_EQ(ApplicationCrc(Of("123456789")), 0xBB3D);
    const std::vector<std::uint8_t> reset{0x04, 0x08};
    EXPECT_EQ(ApplicationCrc(reset), 0x0603);
    EXPECT_EQ(ByteSum8(std::vector<std::uint8_t>{0xFF, 0x02}), 0x01);
    EXPECT_EQ(ByteSum16(std::vector<std::uint8_t>(300, 0xFF)), (300 * 0xFF) & 0xFFFF);
    const std::vector<std::uint8_t> words{0x12, 0x34, 0xFF, 0xFF, 0x01};
    EXPECT_EQ(WordSum16(words, 0x02), (0x1234 + 0xFFFF + 0x0102) & 0xFFFF);
}

TEST(BootFaultsTest, OnceAlwaysAndNth)
{
    BootFaults faults;
    faults.Arm(5, {FaultKind::Silence, {}}, false, 3);
    faults.Arm(7, {FaultKind::Negative, {}}, true);
    faults.Arm(1, {FaultKind::BadSum, {}});
    EXPECT_FALSE(faults.Take(5));
    EXPECT_FALSE(faults.Take(5));
    EXPECT_EQ(faults.Take(5)->kind, FaultKind::Silence);
    EXPECT_FALSE(faults.Take(5));
    EXPECT_EQ(faults.Take(7)->kind, FaultKind::Negative);
    EXPECT_EQ(faults.Take(7)->kind, FaultKind::Negative);
    EXPECT_EQ(faults.Take(1)->kind, FaultKind::BadSum);
    EXPECT_FALSE(faults.Take(1));
}

TEST(BootFaultsTest, CommandLineForm)
{
    BootFaults faults;
    std::string error;
    EXPECT_TRUE(faults.ArmFromText("0x03:late:250", error)) << error;
    EXPECT_TRUE(faults.ArmFromText("5:unplug@4", error)) << error;
    EXPECT_TRUE(faults.ArmFromText("4:negative:always", error)) << error;
    for (const char* bad : {"", "3", "3:frobnicate", "300:silence", "3:late", "3:late:x", "3:silence:1", "5:unplug@0"})
        EXPECT_FALSE(faults.ArmFromText(bad, error)) << bad;
    const auto late = faults.Take(3);
    ASSERT_TRUE(late);
    EXPECT_EQ(late->kind, FaultKind::Late);
    EXPECT_EQ(late->late.count(), 250);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(faults.Take(5));
    EXPECT_EQ(faults.Take(5)->kind, FaultKind::Unplug);
    EXPECT_EQ(faults.Take(4)->kind, FaultKind::Negative);
    EXPECT_EQ(faults.Take(4)->kind, FaultKind::Negative);
}

}  // namespace
