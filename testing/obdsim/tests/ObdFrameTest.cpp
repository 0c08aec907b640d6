// The simulator's frame codec against the byte examples of the adapter's
// frame description.
#include "testing/obdsim/ObdFrame.h"

#include <gtest/gtest.h>

using namespace vexar::obdsim;

namespace {

Bytes Hex(std::initializer_list<int> values)
{
    Bytes bytes;
    for (const int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

std::string Inside(const Bytes& frame)
{
    return std::string(frame.begin() + 1, frame.end() - 1);
}

}  // namespace

TEST(ObdFrame, EncodesTheDescribedExamples)
{
    EXPECT_EQ(EncodeFrame({"STL", "0", "ID", ""}), Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x49, 0x44, 0x44, 0x45, 0x03}));
    EXPECT_EQ(EncodeFrame({"STL", "0", "SP", "0100"}),
              Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x53, 0x50, 0x17, 0x30, 0x31, 0x30, 0x30, 0x43, 0x43, 0x03}));
    EXPECT_EQ(EncodeFrame({"STL", "0", "EC", "3"}),
              Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x45, 0x43, 0x17, 0x33, 0x32, 0x33, 0x03}));
    // A checksum below 0x10 keeps its leading zero; letters are upper case.
    EXPECT_EQ(EncodeFrame({"STL", "0", "SP", "0CFF"}),
              Hex({0x02, 0x53, 0x54, 0x4C, 0x17, 0x30, 0x17, 0x53, 0x50, 0x17, 0x30, 0x43, 0x46, 0x46, 0x30, 0x41, 0x03}));
}

TEST(ObdFrame, DecodesWhatItEncodesAndChecksTheChecksum)
{
    const Frame multi{"STL", "0", "SP", "10410C1AF8\x17" "18410C0FA0"};
    Frame read;
    ASSERT_EQ(DecodeFrame(Inside(EncodeFrame(multi)), read), Decoded::Ok);
    EXPECT_EQ(read, multi);
    ASSERT_EQ(DecodeFrame(Inside(EncodeFrame({"RPM", "0", "ID", ""})), read), Decoded::Ok);
    EXPECT_EQ(read.header, "RPM");
    EXPECT_EQ(read.data, "");

    std::string lower = Inside(EncodeFrame({"STL", "0", "SP", "0CFF"}));
    lower.back() = 'a';
    EXPECT_EQ(DecodeFrame(lower, read), Decoded::Ok) << "either letter case";

    std::string wrong = Inside(EncodeFrame({"STL", "0", "ID", ""}));
    wrong.back() = 'F';
    EXPECT_EQ(DecodeFrame(wrong, read), Decoded::BadChecksum);
    EXPECT_EQ(DecodeFrame("STLID" + ChecksumOf("STLID"), read), Decoded::Malformed);
    EXPECT_EQ(DecodeFrame("A", read), Decoded::Malformed);
}

TEST(ObdFrame, ReadableNamesTheControlCharacters)
{
    EXPECT_EQ(Readable(EncodeFrame({"STL", "0", "SP", std::string(1, static_cast<char>(kNak))})),
              "<STX>STL<ETB>0<ETB>SP<ETB><NAK>" + ChecksumOf("STL\x17" "0\x17SP\x17\x15") + "<ETX>");
    EXPECT_EQ(Readable({0xBD}), "<BD>");
}
