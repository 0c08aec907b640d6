#include "tools/common/RecordReaders.h"

#include "ReferenceImages.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vexar::tools;
using namespace vexar::testing;

namespace {

using namespace std::string_literals;

const std::string kSixteen = "\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF"s;

// The image a reader should leave: 0xFF everywhere except `bytes` at `at`.
std::vector<std::uint8_t> ImageWith(std::size_t size, std::uint32_t at, const std::string& bytes)
{
    std::vector<std::uint8_t> image(size, 0xFF);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        image[at + i] = static_cast<std::uint8_t>(bytes[i]);
    return image;
}

// ---- S-records ---------------------------------------------------------

struct SRecordCase {
    std::string name;
    std::string line;
    std::uint32_t vectorBound;
    int result;
    std::uint32_t start, stop;  // after the line, from start 0xFFFF and stop 0
    std::uint32_t storedAt;
    std::string stored;
};

std::vector<SRecordCase> SRecordCases()
{
    const std::string s1 = SRecordLine(1, 0x0000, kSixteen);
    return {
        {"DataAtZero", s1, 0xFFE0, 1, 0x0000, 0x000F, 0, kSixteen},
        {"CrLfEnding", s1 + "\r", 0xFFE0, 1, 0x0000, 0x000F, 0, kSixteen},
        {"RaisesStop", SRecordLine(1, 0xA000, kSixteen), 0xFFE0, 1, 0xA000, 0xA00F, 0xA000, kSixteen},
        {"ResetVectorStoresWithoutMovingStop", SRecordLine(1, 0xFFFE, "\x81\x23"), 0xFFE0, 1, 0xFFFE, 0x0000,
         0xFFFE, "\x81\x23"},
        {"HandheldVectorAtItsBound", SRecordLine(1, 0xFFCC, "\x12\x34"), 0xFFCC, 1, 0xFFCC, 0x0000, 0xFFCC,
         "\x12\x34"},
        {"FFD0IsAVectorForTheHandheld", SRecordLine(1, 0xFFD0, kSixteen), 0xFFCC, 1, 0xFFD0, 0x0000, 0xFFD0,
         kSixteen},
        {"FFD0IsCodeForTheKd01", SRecordLine(1, 0xFFD0, kSixteen), 0xFFE0, 1, 0xFFD0, 0xFFDF, 0xFFD0, kSixteen},
        {"LowerCaseDigits", "S1050010abcd7c", 0xFFE0, 1, 0x0010, 0x0011, 0x0010, "\xAB\xCD"},
        {"ChecksumIsNotVerified", "S1050010ABCD00", 0xFFE0, 1, 0x0010, 0x0011, 0x0010, "\xAB\xCD"},
        {"S2WithinTheImage", SRecordLine(2, 0x00B000, "\x01\x02"), 0xFFE0, 2, 0xB000, 0xB001, 0xB000, "\x01\x02"},
        {"S3WithinTheImage", SRecordLine(3, 0x0000B000, "\x01\x02"), 0xFFE0, 3, 0xB000, 0xB001, 0xB000,
         "\x01\x02"},
        {"DataRecordWithoutData", SRecordLine(1, 0x1000, ""), 0xFFE0, 1, 0xFFFF, 0x0000, 0, ""},
        {"Header", SRecordLine(0, 0, "HDR"), 0xFFE0, 0, 0xFFFF, 0x0000, 0, ""},
        {"Count", SRecordLine(5, 3, ""), 0xFFE0, 5, 0xFFFF, 0x0000, 0, ""},
        {"Termination", SRecordLine(9, 0x8000, ""), 0xFFE0, 9, 0xFFFF, 0x0000, 0, ""},
        {"NotAnSRecord", ":020000040001F9", 0xFFE0, kNotARecord, 0xFFFF, 0x0000, 0, ""},
        {"EmptyLine", "", 0xFFE0, kNotARecord, 0xFFFF, 0x0000, 0, ""},
        {"LoneS", "S", 0xFFE0, kRecordInvalid, 0xFFFF, 0x0000, 0, ""},
        {"NoTypeDigit", "SX130000", 0xFFE0, kRecordInvalid, 0xFFFF, 0x0000, 0, ""},
        {"ShorterThanItsCount", s1.substr(0, s1.size() - 2), 0xFFE0, kRecordInvalid, 0xFFFF, 0x0000, 0, ""},
        {"CountBelowAddressAndChecksum", "S1020000FD", 0xFFE0, kRecordInvalid, 0xFFFF, 0x0000, 0, ""},
        {"NotHexadecimal", "S1050010ABXD00", 0xFFE0, kRecordInvalid, 0xFFFF, 0x0000, 0, ""},
        {"RunsPastTheImage", SRecordLine(1, 0xFFF8, kSixteen), 0xFFE0, kRecordOutside, 0xFFFF, 0x0000, 0, ""},
        {"S2BeyondTheImage", SRecordLine(2, 0x018000, kSixteen), 0xFFE0, kRecordOutside, 0xFFFF, 0x0000, 0, ""},
        {"S3FarBeyondTheImage", SRecordLine(3, 0xFFFFFFF8, kSixteen), 0xFFE0, kRecordOutside, 0xFFFF, 0x0000, 0,
         ""},
    };
}

void PrintTo(const SRecordCase& c, std::ostream* os) { *os << c.name; }

class SRecordLine_ : public ::testing::TestWithParam<SRecordCase> {};

TEST_P(SRecordLine_, StoresItsDataAndMovesTheRange)
{
    const SRecordCase& c = GetParam();
    std::vector<std::uint8_t> image(0x10000, 0xFF);
    std::uint32_t start = 0xFFFF, stop = 0;
    EXPECT_EQ(ParseSRecord(image, c.line, start, stop, c.vectorBound), c.result);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(stop, c.stop);
    EXPECT_EQ(image, ImageWith(0x10000, c.storedAt, c.stored));
}

INSTANTIATE_TEST_SUITE_P(Table, SRecordLine_, ::testing::ValuesIn(SRecordCases()),
                         [](const auto& info) { return info.param.name; });

// ---- Intel HEX, one line at a time --------------------------------------

struct HexCase {
    std::string name;
    std::string line;
    int result;
    std::vector<std::string> messages;
    std::uint32_t start, stop;  // from start 0xFFFFFF and stop 0, start bound 0x18000, base 0x10000
    std::uint32_t storedAt;
    std::string stored;
};

std::vector<HexCase> HexCases()
{
    const std::string data = HexLine(0, 0x8000, kSixteen);
    std::string badData = data;
    badData.back() = badData.back() == '0' ? '1' : '0';
    return {
        {"Data", data, 0, {}, 0x18000, 0x1800F, 0x18000, kSixteen},
        {"DataCrLf", data + "\r", 0, {}, 0x18000, 0x1800F, 0x18000, kSixteen},
        {"DataBelowTheStartBound", HexLine(0, 0x0100, "\x01\x02"), 0, {}, 0xFFFFFF, 0x10101, 0x10100, "\x01\x02"},
        {"DataWithWrongChecksumIsStoredAndRefused", badData, -1, {"Checksum Error!! Data Record "}, 0x18000,
         0x1800F, 0x18000, kSixteen},
        {"DataWithoutBytes", HexLine(0, 0x8000, ""), 0, {}, 0xFFFFFF, 0, 0, ""},
        {"EndOfFile", ":00000001FF", 0, {}, 0xFFFFFF, 0, 0, ""},
        {"EndOfFileWithData", HexLine(1, 0, "\x00"s), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"EndOfFileWithAddress", HexLine(1, 0x10, ""), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"EndOfFileWithWrongChecksum", ":00000001FE", -1, {"Checksum Error!! End Record"}, 0xFFFFFF, 0, 0, ""},
        {"SegmentOfOneByte", HexLine(2, 0, "\x10"), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"SegmentWithWrongChecksum", ":020000021000ED", -1, {"Checksum Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"LinearWithAddress", HexLine(4, 0x0002, "\x00\x01"), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"StartLinearStandardForm", HexLine(5, 0, "\x00\x01\x80\x00"s), 0, {}, 0xFFFFFF, 0, 0, ""},
        {"StartSegmentStandardForm", HexLine(3, 0, "\x00\x00\x01\x00"s), 0, {}, 0xFFFFFF, 0, 0, ""},
        {"StartLinearOfTwoBytes", HexLine(5, 0, "\x80\x00"), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"StartSegmentWrongInEveryWay", ":020000030000FF", -1, {"HEX Record Error!!", "Checksum Error!!"},
         0xFFFFFF, 0, 0, ""},
        {"UnknownTypeIsIgnored", HexLine(6, 0x1234, "\x01"), 0, {}, 0xFFFFFF, 0, 0, ""},
        {"NotAHexLine", "S1130000", -1, {}, 0xFFFFFF, 0, 0, ""},
        {"BlankLine", "", -1, {}, 0xFFFFFF, 0, 0, ""},
        {"ShorterThanItsCount", data.substr(0, data.size() - 4), -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"MissingChecksum", ":0100000041", -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"NotHexadecimal", ":02800000G1020000", -1, {"HEX Record Error!!"}, 0xFFFFFF, 0, 0, ""},
        {"RunsPastTheImage", HexLine(0, 0xFFF8, kSixteen), 0, {}, 0x1FFF8, 0x20007, 0x1FFF8,
         kSixteen.substr(0, 8)},
    };
}

void PrintTo(const HexCase& c, std::ostream* os) { *os << c.name; }

class HexRecordLine : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexRecordLine, StoresItsDataOrReportsTheError)
{
    const HexCase& c = GetParam();
    std::vector<std::uint8_t> image(0x20000, 0xFF);
    std::uint32_t start = 0xFFFFFF, stop = 0;
    HexAddressBase base;
    base.linear = 0x10000;
    base.linearSeen = true;
    RecordingReporter reporter;
    EXPECT_EQ(ParseHexRecord(reporter, image, c.line, start, stop, 0x18000, base), c.result);
    EXPECT_EQ(reporter.messages, c.messages);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(stop, c.stop);
    EXPECT_EQ(image, ImageWith(0x20000, c.storedAt, c.stored));
}

INSTANTIATE_TEST_SUITE_P(Table, HexRecordLine, ::testing::ValuesIn(HexCases()),
                         [](const auto& info) { return info.param.name; });

// ---- Intel HEX extended addresses, over several lines -------------------

struct BaseCase {
    std::string name;
    std::vector<std::string> lines;  // the last one is a data record of two bytes
    std::uint32_t storedAt;
};

void PrintTo(const BaseCase& c, std::ostream* os) { *os << c.name; }

class HexExtendedAddress : public ::testing::TestWithParam<BaseCase> {};

TEST_P(HexExtendedAddress, PlacesLaterDataRecords)
{
    std::vector<std::uint8_t> image(0x40000, 0xFF);
    std::uint32_t start = 0xFFFFFF, stop = 0;
    HexAddressBase base;
    RecordingReporter reporter;
    for (const std::string& line : GetParam().lines)
        ASSERT_EQ(ParseHexRecord(reporter, image, line, start, stop, 0x8000, base), 0) << line;
    EXPECT_EQ(image, ImageWith(0x40000, GetParam().storedAt, "\xA5\x5A"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HexExtendedAddress,
    ::testing::ValuesIn(std::vector<BaseCase>{
        {"NoBase", {HexLine(0, 0x8000, "\xA5\x5A")}, 0x8000},
        {"Linear", {HexLine(4, 0, "\x00\x01"s), HexLine(0, 0x8000, "\xA5\x5A")}, 0x18000},
        {"Segment", {HexLine(2, 0, "\x10\x00"s), HexLine(0, 0x8000, "\xA5\x5A")}, 0x18000},
        {"LinearWinsOverALaterSegment",
         {HexLine(4, 0, "\x00\x02"s), HexLine(2, 0, "\x10\x00"s),
          HexLine(0, 0x8000, "\xA5\x5A")},
         0x28000},
        {"LinearWinsOverAnEarlierSegment",
         {HexLine(2, 0, "\x10\x00"s), HexLine(4, 0, "\x00\x02"s),
          HexLine(0, 0x8000, "\xA5\x5A")},
         0x28000},
        {"SegmentNotOnA64KBoundary", {HexLine(2, 0, "\x12\x34"s), HexLine(0, 0x0010, "\xA5\x5A")},
         0x12350},
    }),
    [](const auto& info) { return info.param.name; });

TEST(HexExtendedAddress, DataFarBeyondTheImageIsNotStoredAndRaisesStop)
{
    std::vector<std::uint8_t> image(0x3FFFC, 0xFF);
    std::uint32_t start = 0xFFFFFF, stop = 0;
    HexAddressBase base;
    RecordingReporter reporter;
    ASSERT_EQ(ParseHexRecord(reporter, image, HexLine(4, 0, "\xFF\xFF"), start, stop, 0x18000, base), 0);
    ASSERT_EQ(ParseHexRecord(reporter, image, HexLine(0, 0xFFF8, kSixteen), start, stop, 0x18000, base), 0);
    EXPECT_EQ(stop, 0xFFFFFFFFu);
    EXPECT_EQ(image, std::vector<std::uint8_t>(0x3FFFC, 0xFF));
}

// ---- Checksum helpers ---------------------------------------------------

TEST(ChecksumHelpers, SumImageWordsPairsBytesBigEndian)
{
    const std::vector<std::uint8_t> image{0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(SumImageWords(image, 0, 4), 0x1234 + 0x5678);
    EXPECT_EQ(SumImageWords(image, 0, 3), 0x1234 + 0x5678);  // the odd byte takes the next one along
    EXPECT_EQ(SumImageWords(image, 1, 2), 0x3456);
    EXPECT_EQ(SumImageWords(image, 4, 4), 0xFFFE);  // 16 bits, wrapped
    EXPECT_EQ(SumImageWords(image, 0, 0), 0);
    const std::vector<std::uint8_t> odd{0x12, 0x34, 0x56};
    EXPECT_EQ(SumImageWords(odd, 0, 3), 0x1234 + 0x56FF);  // past the image: erased flash
}

TEST(ChecksumHelpers, HexBytesAndNegation)
{
    std::uint8_t value = 0;
    EXPECT_TRUE(ParseHexByte('a', 'F', value));
    EXPECT_EQ(value, 0xAF);
    EXPECT_TRUE(ParseHexByte('0', '9', value));
    EXPECT_EQ(value, 0x09);
    EXPECT_FALSE(ParseHexByte('G', '0', value));
    EXPECT_FALSE(ParseHexByte('0', '\r', value));
    EXPECT_EQ(NegateChecksum(0x00), 0x00);
    EXPECT_EQ(NegateChecksum(0x01), 0xFF);
    EXPECT_EQ(NegateChecksum(0xB3), 0x4D);
}

}  // namespace
