#include "common/CUtilityToolbox.h"

#include "TempDir.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sys/stat.h>

using vexar::testing::Exists;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TEST(RoundToInt, HalvesAwayFromZeroAndThirtyTwoBits)
{
    struct Case {
        double value;
        std::uint32_t bits;
    };
    const Case cases[] = {
        {2.5, 3},
        {-2.5, static_cast<std::uint32_t>(-3)},
        {2.49, 2},
        {-0.5, static_cast<std::uint32_t>(-1)},
        {0.49999999999999994, 0},
        {4294967295.0, 0xFFFFFFFFu},  // unsigned range keeps its bits
        {4294967294.5, 0xFFFFFFFFu},
        {2147483648.0, 0x80000000u},
        {-2147483648.0, 0x80000000u},
        {1e12, 0xFFFFFFFFu},  // beyond the range: saturated
        {-1e12, 0x80000000u},
        {std::numeric_limits<double>::infinity(), 0xFFFFFFFFu},
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(CUtility::RoundToInt(c.value)), c.bits) << c.value;
}

TEST(RoundDecimals, Table)
{
    struct Case {
        double value;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {12.3456, 2, 12.35}, {1.25, 1, 1.3},   {-1.25, 1, -1.3}, {2.5, 0, 3.0},
        {1.5, -2, 2.0},      {0.5, 1, 0.5},    {-7.0, 3, -7.0},  {1e308, 3, 1e308},
        {-0.04, 1, -0.0},    {0.05, 1, 0.1},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CUtility::RoundDecimals(c.value, c.decimals), c.expected) << c.value << " " << c.decimals;
    // A value exact at that scale comes back as the very same double.
    const double third = 1.0 / 3.0 * 3.0;
    EXPECT_EQ(CUtility::RoundDecimals(third, 0), third);
}

TEST(MulDiv, RoundsAndRefusesWhatDoesNotFit)
{
    struct Case {
        std::int32_t a, b, c, expected;
    };
    const Case cases[] = {
        {-16, 72, 96, -12}, {10, 1, 3, 3},     {5, 1, 2, 3},       {-5, 1, 2, -3},        {5, -1, 2, -3},
        {-5, -1, -2, -3},   {1, 1, 0, -1},     {kMax, kMax, 1, -1}, {kMax, 2, 2, kMax},   {kMin, 1, 1, kMin},
        {kMin, -1, 1, -1},  {kMax, kMax, kMax, kMax},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtility::MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(FontArithmetic, PointsTwipsAndPixels)
{
    EXPECT_EQ(CUtility::FontHeightFromPoints(12), -16);
    EXPECT_EQ(CUtility::FontSizePt(-16, 96), 12);
    EXPECT_EQ(CUtility::FontSizeTwips(-16, 96), 240);
    EXPECT_EQ(CUtility::FontSizeCy(-16, 96), 120000);
    EXPECT_EQ(CUtility::FontSizePt(-20, 120), 12);
    EXPECT_EQ(CUtility::TwipsToPixelsAt(1440, 120), 120);
    EXPECT_EQ(CUtility::PixelsToTwipsAt(96, 96), 1440);
    EXPECT_EQ(CUtility::PixelsToTwipsAt(kMax, 96), -1);  // does not fit
    EXPECT_EQ(CUtility::FontSizePt(kMin, 72), kMax);     // negating the smallest value must not overflow
}

TEST(CreateFullPath, CreatesTheFoldersUpToTheLastSlash)
{
    TempDir dir;
    CUtility::CreateFullPath(dir.file("a/b/c"));
    EXPECT_TRUE(IsFolder(dir.file("a/b")));
    EXPECT_FALSE(Exists(dir.file("a/b/c")));

    CUtility::CreateFullPath(dir.file("x/y/"));
    EXPECT_TRUE(IsFolder(dir.file("x/y")));

    CUtility::CreateFullPath(dir.file("d/e/file.txt"));
    EXPECT_TRUE(IsFolder(dir.file("d/e")));
    EXPECT_FALSE(Exists(dir.file("d/e/file.txt")));

    WriteAll(dir.file("plain"), "x");  // a file in the way: nothing is created, nothing breaks
    CUtility::CreateFullPath(dir.file("plain/g/"));
    EXPECT_FALSE(Exists(dir.file("plain/g")));
    EXPECT_EQ(vexar::testing::ReadAll(dir.file("plain")), "x");
}

TEST(ExtractTabField, Table)
{
    struct Case {
        std::u16string line;
        bool taken;
        std::u16string field;
        std::u16string rest;
    };
    const Case cases[] = {
        {u" one ", true, u"one", u""},
        {u"\trest\t x ", true, u"", u"rest\t x "},
        {u" a \t b ", true, u"a", u" b "},
        {u"\t", true, u"", u""},
        {u"", false, u"", u""},
    };
    for (const Case& c : cases) {
        std::u16string line = c.line;
        std::u16string field = u"stale";
        EXPECT_EQ(CUtility::ExtractTabField(line, field), c.taken) << vexar::ToUtf8(c.line);
        EXPECT_EQ(field, c.field) << vexar::ToUtf8(c.line);
        EXPECT_EQ(line, c.rest) << vexar::ToUtf8(c.line);
    }
}

TEST(CompareEcuCodes, Table)
{
    struct Case {
        std::u16string a, b;
        bool match;
    };
    const Case cases[] = {
        {u"ABCDEFG-HIJ", u"ABCDEFG-HIJ", true},
        {u"ABCDEFG-HIJ", u"ABCDEFG+HIJ", true},  // position 7 is not compared
        {u"ABCDEFG-HIJ", u"ABCDEFG-HIX", true},  // nor position 10
        {u"ABCDEFG-HIJ", u"ABCDEFG-HIJKLM", true},
        {u"ABCDEFG-HIJ", u"ABCDEFG-XIJ", false},
        {u"ABCDEFG-HIJ", u"ABCDEFG-HXJ", false},
        {u"ABCDEFG-HIJ", u"XBCDEFG-HIJ", false},
        {u"ABCDEFG-HIJ", u"ABcDEFG-HIJ", false},
        {u"ABCDEFG-HI", u"ABCDEFG-HI", false},  // 10 characters
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CUtility::CompareEcuCodes(c.a, c.b), c.match) << vexar::ToUtf8(c.a) << " / " << vexar::ToUtf8(c.b);
        EXPECT_EQ(CUtility::CompareEcuCodes(c.b, c.a), c.match) << vexar::ToUtf8(c.b) << " / " << vexar::ToUtf8(c.a);
    }
}

TEST(ScaleValue, Table)
{
    struct Case {
        std::int32_t numerator, denominator, value, expected;
    };
    const Case cases[] = {
        {1024, 768, 300, 400}, {2, 1, 10, 20},  {1, 1, 10, 10},
        {1, 3, 2, 2},          // scales to 0: kept
        {-1, 1, 5, 5},         // scales below 0: kept
        {1, 0, 5, 5},          // no denominator: kept
        {kMax, 1, 3, 3},       // beyond 32 bits: kept
        {96, 120, 250, 200},
    };
    for (const Case& c : cases) {
        std::int32_t value = c.value;
        CUtility::ScaleValue(c.numerator, c.denominator, value);
        EXPECT_EQ(value, c.expected) << c.numerator << "/" << c.denominator << " of " << c.value;
    }
}

TEST(ParseHex, Table)
{
    struct Case {
        std::u16string text;
        bool read;
        std::uint32_t value;
    };
    const Case cases[] = {
        {u"0x1A", true, 26},
        {u"1a", true, 26},
        {u"0X1a", true, 26},
        {u" 1A", false, 0},
        {u"0x", false, 0},
        {u"0XG", false, 0},
        {u"12G4", true, 18},
        {u"10X5", true, 5},  // what follows the first "0X"
        {u"0X0X5", true, 5},
        {u"1X5", true, 1},
        {u"X5", false, 0},
        {u"FFFFFFFF", true, 0xFFFFFFFFu},
        {u"0x00000000FF", true, 255},  // leading zeros are not significant
        {u"100000000", false, 0},      // nine significant digits do not fit
        {u"", false, 0},
        {u"-1", false, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t value = 12345;
        EXPECT_EQ(CUtility::ParseHex(c.text, value), c.read) << vexar::ToUtf8(c.text);
        EXPECT_EQ(value, c.value) << vexar::ToUtf8(c.text);
    }
}
