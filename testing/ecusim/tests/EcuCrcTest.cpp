#include "testing/ecusim/EcuCrc.h"
#include "testing/ecusim/EcuFrame.h"
#include "testing/ecusim/EcuResponder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vexar::ecusim;

TEST(EcuSimCrc, KnownAnswers)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint16_t crc;
    };
    const std::string check = "123456789";
    const Case cases[] = {
        {{0x05, 0x01, 0x10}, 0x5D10},        // carried on the line as 10 5D
        {{0x06, 0x01, 0x10, 0x3C}, 0x995C},  // carried as 5C 99
        {{check.begin(), check.end()}, 0xBB3D},  // the published check value of this CRC
        {{}, 0x0000},
        {{0x00}, 0x0000},
        {{0xFF}, 0x4040},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EcuCrc16(c.bytes), c.crc) << "over " << c.bytes.size() << " bytes";
}

TEST(EcuSimFrame, LengthFieldOfBothForms)
{
    struct Case {
        Protocol protocol;
        std::vector<std::uint8_t> bytes;
        std::optional<std::size_t> length;
    };
    const Case cases[] = {
        {Protocol::First, {}, std::nullopt},
        {Protocol::First, {0x03}, 0},  // too short for command and CRC
        {Protocol::First, {0x04}, 4},
        {Protocol::First, {0xFF, 0x01}, 255},
        {Protocol::Second, {0x00}, std::nullopt},
        {Protocol::Second, {0x00, 0x04}, 0},
        {Protocol::Second, {0x00, 0x05}, 5},
        {Protocol::Second, {0x01, 0x0B}, 267},  // a block write of 256 bytes
        {Protocol::Second, {0x02, 0x01}, 0},    // beyond any request
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeclaredLength(c.protocol, c.bytes), c.length)
            << "protocol " << static_cast<int>(c.protocol) << ", " << c.bytes.size() << " bytes";
}

TEST(EcuSimFrame, SealedFramesCarryLengthAndCrc)
{
    std::vector<std::uint8_t> first = BeginFrame(Protocol::First, 0x01);
    first.push_back(0x10);
    SealFrame(Protocol::First, first);
    EXPECT_EQ(first, (std::vector<std::uint8_t>{0x05, 0x01, 0x10, 0x10, 0x5D}));

    std::vector<std::uint8_t> second = BeginFrame(Protocol::Second, 0x07);
    SealFrame(Protocol::Second, second);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[0], 0x00);
    EXPECT_EQ(second[1], 0x05);
    EXPECT_TRUE(CrcMatches(second));
    second[2] = 0x08;
    EXPECT_FALSE(CrcMatches(second));
}

TEST(EcuSimResponder, SpeedCodes)
{
    const std::pair<std::uint8_t, long> cases[] = {
        {0, 4800}, {1, 9600}, {2, 19200}, {3, 38400}, {4, 57600}, {5, 115200}, {9, 9600}, {255, 9600},
    };
    for (const auto& [code, baud] : cases)
        EXPECT_EQ(BaudForSpeedCode(code), baud) << "code " << int(code);
}
