#include "tools/kd02flash/Kd02Frames.h"

#include "tools/common/LoaderImage.h"

#include <gtest/gtest.h>

using namespace vexar::tools;
using namespace vexar::tools::kd02;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes WithSum(Bytes frame)
{
    unsigned sum = 0;
    for (const std::uint8_t b : frame)
        sum += b;
    frame.push_back(static_cast<std::uint8_t>(sum));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    return frame;
}

TEST(Kd02FramesTest, RequestsByteForByte)
{
    const Bytes query = ApplicationQueryFrame();
    ASSERT_EQ(query.size(), 6u);
    EXPECT_EQ(Bytes(query.begin(), query.begin() + 4), (Bytes{0x00, 0x06, 0x09, 0x01}));
    EXPECT_EQ(ApplicationResetFrame().size(), 5u);
    EXPECT_EQ(BootFrame(CMD_CONNECT, Bytes{0xAA, 0x55, 0xAA, 0x55}),
              WithSum({0x01, 0x0B, 0x00, 0x00, 0x01, 0xAA, 0x55, 0xAA, 0x55}));
    EXPECT_EQ(BootFrame(CMD_ERASE_RESULT, {}), WithSum({0x04, 0x07, 0x00, 0x00, 0x01}));
    // ERASE of 0x20000 bytes from 0x18000 carries 00 00 02 00.
    LOADER_IMAGE image;
    image.Reset(0x3FFFC, 0xFFFFFF);
    image.start = 0x18000;
    image.stop = 0x37FFF;
    const std::uint32_t length = Kd02ProgrammedRange(image).Length();
    EXPECT_EQ(length, 0x20000u);
    const Bytes erase = BootFrame(CMD_ERASE, Bytes{std::uint8_t(length), std::uint8_t(length >> 8),
                                                   std::uint8_t(length >> 16), std::uint8_t(length >> 24)});
    EXPECT_EQ(Bytes(erase.begin() + 5, erase.begin() + 9), (Bytes{0x00, 0x00, 0x02, 0x00}));
    // A last block of n bytes is n + 7 long.
    EXPECT_EQ(BootFrame(CMD_WRITE, Bytes(300, 0x11)).size(), 307u);
}

TEST(Kd02FramesTest, ReplyChecks)
{
    const Bytes connect = WithSum({0x01, 0x0B, 0x00, 0x01, 0x00, 0xAA, 0x55, 0xAA, 0x55});
    EXPECT_TRUE(ConnectReplyAccepted(connect));
    Bytes badSum = connect;
    badSum.back() ^= 1;
    EXPECT_FALSE(ConnectReplyAccepted(badSum));
    // Bytes 5-8 other than the pattern: the sum is not looked at.
    Bytes zeros{0x01, 0x0B, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12, 0x34};
    EXPECT_TRUE(ConnectReplyAccepted(zeros));
    zeros[3] = 0x00;
    EXPECT_FALSE(ConnectReplyAccepted(zeros));

    const Bytes erased = WithSum({0x04, 0x08, 0x00, 0x01, 0x77, 0x01});
    EXPECT_TRUE(BootReplyAccepted(erased, CMD_ERASE_RESULT));
    EXPECT_FALSE(BootReplyAccepted(erased, CMD_WRITE_VERIFY)) << "another command's reply";
    Bytes bytes124 = erased;
    bytes124[1] = 0x99;  // bytes 1, 2 and 4 are not looked at, but they count in the sum
    EXPECT_FALSE(BootReplyAccepted(bytes124, CMD_ERASE_RESULT));
    EXPECT_TRUE(BootReplyAccepted(WithSum({0x04, 0x99, 0x98, 0x01, 0x00, 0x01}), CMD_ERASE_RESULT));

    // The application's reply: command, 0x06, and the CRC of bytes 0-3 low
    // byte first (CRC-16/ARC of 00 06 09 06 computed here bit by bit).
    Bytes reply{0x00, 0x06, 0x09, 0x06};
    unsigned crc = 0;
    for (const std::uint8_t b : reply) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    reply.push_back(static_cast<std::uint8_t>(crc));
    reply.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_TRUE(ApplicationReplyAccepted(reply, 0x09));
    EXPECT_FALSE(ApplicationReplyAccepted(reply, 0x08));
    Bytes swapped = reply;
    std::swap(swapped[4], swapped[5]);
    EXPECT_FALSE(ApplicationReplyAccepted(swapped, 0x09)) << "the CRC's low byte comes first";
    Bytes refused = reply;
    refused[3] = 0x15;
    EXPECT_FALSE(ApplicationReplyAccepted(refused, 0x09));
}

}  // namespace
