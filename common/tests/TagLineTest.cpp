#include "common/TagLine.h"

#include "Dates.h"
#include "TempDir.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>

using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::UtcTime;
using vexar::testing::WriteAll;

TEST(GetTagValue, Table)
{
    struct Case {
        std::u16string line;
        std::u16string name;
        std::optional<std::u16string> value;
    };
    const Case cases[] = {
        {u"<ID_GUI>\t 12 \t</ID_GUI>", u"ID_GUI", u"12"},
        {u"<ID_GUI>\t 12 \t</ID_GUI>", u"ID", std::nullopt},
        {u"\t<DATA>\t\tMonday, 03/11/2008\t</DATA>", u"DATA", u"Monday, 03/11/2008"},
        {u"</X> junk <X>", u"X", u""},  // closing tag before the opening one
        {u"<X></X>", u"X", u""},
        {u"<X> a  b </X> <X>c</X>", u"X", u"a  b"},
        {u"<X>\u00A0v\r\n</X>", u"X", u"v"},
        {u"<x>1</x>", u"X", std::nullopt},  // names are case-sensitive
        {u"<X>1", u"X", std::nullopt},
        {u"1</X>", u"X", std::nullopt},
        {u"", u"X", std::nullopt},
    };
    for (const Case& c : cases) {
        std::u16string value = u"untouched";
        EXPECT_EQ(GetTagValue(c.line, value, c.name), c.value.has_value()) << vexar::ToUtf8(c.line);
        EXPECT_EQ(value, c.value.value_or(u"untouched")) << vexar::ToUtf8(c.line);
    }
}

TEST(HasTags, Table)
{
    struct Case {
        std::u16string line;
        bool open;
        bool close;
    };
    const Case cases[] = {
        {u"\t<CONTROLLO>", true, false},
        {u"<CONTROLLO>x</CONTROLLO>", true, true},
        {u"<controllo>", false, false},
        {u"\t</CONTROLLO>", false, true},
        {u"<CONTROLLO_X>", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasOpenTag(c.line, u"CONTROLLO"), c.open) << vexar::ToUtf8(c.line);
        EXPECT_EQ(HasCloseTag(c.line, u"CONTROLLO"), c.close) << vexar::ToUtf8(c.line);
    }
}

TEST(StrToLong, Table)
{
    struct Case {
        std::u16string text;
        std::optional<std::int32_t> value;
        std::u16string trimmed;
    };
    const Case cases[] = {
        {u" -12 ", -12, u"-12"},
        {u"+7", 7, u"+7"},
        {u"-", 0, u"-"},
        {u"\t0042\n", 42, u"0042"},
        {u"2147483647", 2147483647, u"2147483647"},
        {u"-2147483648", -2147483647 - 1, u"-2147483648"},
        {u"2147483648", std::nullopt, u"2147483648"},  // beyond 32 bits: refused, not wrapped
        {u"-99999999999999999999999", std::nullopt, u"-99999999999999999999999"},
        {u"--5", std::nullopt, u"--5"},
        {u"5-", std::nullopt, u"5-"},
        {u"+-5", std::nullopt, u"+-5"},
        {u"1 2", std::nullopt, u"1 2"},
        {u"1.5", std::nullopt, u"1.5"},
        {u"", std::nullopt, u""},
        {u"   ", std::nullopt, u""},
        {u"0x10", std::nullopt, u"0x10"},
        {u"\uFF11", std::nullopt, u"\uFF11"},  // a full-width digit is no digit
    };
    for (const Case& c : cases) {
        std::u16string text = c.text;
        std::int32_t value = 555;
        EXPECT_EQ(StrToLong(text, value), c.value.has_value()) << vexar::ToUtf8(c.text);
        EXPECT_EQ(value, c.value.value_or(555)) << vexar::ToUtf8(c.text);
        EXPECT_EQ(text, c.trimmed);

        text = c.text;
        int intValue = 555;
        EXPECT_EQ(StrToInt(text, intValue), c.value.has_value()) << vexar::ToUtf8(c.text);
        EXPECT_EQ(intValue, c.value.value_or(555));
    }
}

// StrToDouble reads a text as far as it forms a number; StrToDoubleWhole
// takes only a text that is one number from end to end (`whole`), with the
// same value, and 0.0 otherwise.
TEST(StrToDouble, TableUnderACommaDecimalLocale)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    struct Case {
        std::u16string text;
        bool ok;
        double value;
        bool whole;
    };
    const Case cases[] = {
        {u"-.5", true, -0.5, true},
        {u"3.", true, 3.0, true},
        {u"1.2.3", true, 1.2, false},
        {u" +2.25 ", true, 2.25, true},
        {u"0.1", true, 0.1, true},
        {u"-", true, 0.0, false},
        {u".", true, 0.0, false},
        {u"1e5", false, 0.0, false},
        {u"1,5", false, 0.0, false},
        {u"1.-5", false, 0.0, false},
        {u"", false, 0.0, false},
        {u"inf", false, 0.0, false},
        {u"1" + std::u16string(400, u'0'), false, 0.0, false},
    };
    for (const Case& c : cases) {
        const std::string name = vexar::ToUtf8(c.text).substr(0, 20);
        std::u16string text = c.text;
        double value = 9.5;
        EXPECT_EQ(StrToDouble(text, value), c.ok) << name;
        EXPECT_DOUBLE_EQ(value, c.value) << name;
        text = c.text;
        value = 9.5;
        EXPECT_EQ(StrToDoubleWhole(text, value), c.whole) << name;
        EXPECT_DOUBLE_EQ(value, c.whole ? c.value : 0.0) << name;
    }
}

TEST(HexStr, Table)
{
    struct Case {
        std::u16string text;
        std::optional<std::uint8_t> byte;
        std::optional<std::uint32_t> dword;
    };
    const Case cases[] = {
        {u"0x1F", 0x1F, std::nullopt},
        {u"0X1f", 0x1F, std::nullopt},
        {u"0xff", 0xFF, std::nullopt},
        {u"0x00", 0x00, std::nullopt},
        {u"1F", std::nullopt, std::nullopt},
        {u"0x1", std::nullopt, std::nullopt},
        {u"0x1FF", std::nullopt, std::nullopt},
        {u"0b11", std::nullopt, std::nullopt},
        {u"0xZZ", std::nullopt, std::nullopt},
        {u" 0x1F", std::nullopt, std::nullopt},
        {u"0x0000FFFF", std::nullopt, 0x0000FFFF},
        {u"0XdeadBEEF", std::nullopt, 0xDEADBEEF},
        {u"0xFFFF", std::nullopt, std::nullopt},
        {u"0x0000FFFG", std::nullopt, std::nullopt},
        {u"1x0000FFFF", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        std::uint8_t byte = 0x5A;
        EXPECT_EQ(HexStrToByte(c.text, byte), c.byte.has_value()) << vexar::ToUtf8(c.text);
        EXPECT_EQ(byte, c.byte.value_or(0x5A)) << vexar::ToUtf8(c.text);
        std::uint32_t dword = 0x5A5A;
        EXPECT_EQ(HexStrToDword(c.text, dword), c.dword.has_value()) << vexar::ToUtf8(c.text);
        EXPECT_EQ(dword, c.dword.value_or(0x5A5A)) << vexar::ToUtf8(c.text);
    }
}

TEST(CodePageConversions, StatusAndOwnedResults)
{
    std::u16string wide = u"old";
    EXPECT_EQ(ToWideAlloc("Caf\xC3\xA9/\xE2\x82\xAC", wide), 0u);
    EXPECT_EQ(wide, u"Caf\u00E9/\u20AC");
    EXPECT_EQ(ToWideAlloc("", wide), 0u);
    EXPECT_EQ(wide, u"");
    wide = u"old";
    EXPECT_EQ(ToWideAlloc("bad \xFF", wide), kNoUnicodeTranslation);
    EXPECT_EQ(wide, u"");

    std::string narrow = "old";
    EXPECT_EQ(ToNarrowAlloc(u"\u00E8/x", narrow), 0u);
    EXPECT_EQ(narrow, "\xC3\xA8/x");
    EXPECT_EQ(ToNarrowAlloc(std::u16string(1, char16_t(0xD800)), narrow), kNoUnicodeTranslation);
    EXPECT_EQ(narrow, "");
}

namespace {

constexpr std::uint32_t kReadText = CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone;

class DateTimeTags : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The daylight-saving cases below are written for this zone.
        setenv("TZ", "Europe/Rome", 1);
        tzset();
    }

    std::optional<std::time_t> RoundTrip(std::time_t when, std::uint32_t writeFlags)
    {
        const std::string path = m_dir.file("tags.txt");
        {
            CStdioFileEx file;
            EXPECT_TRUE(file.Open(path, writeFlags | CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
            EXPECT_TRUE(WriteDateTimeTags(file, when));
        }
        return Read(path);
    }

    std::optional<std::time_t> ReadText(const std::string& bytes)
    {
        WriteAll(m_dir.file("given.txt"), bytes);
        return Read(m_dir.file("given.txt"));
    }

    std::optional<std::time_t> Read(const std::string& path)
    {
        CStdioFileEx file;
        EXPECT_TRUE(file.Open(path, kReadText));
        std::time_t time = 12345;
        if (!ReadDateTimeTags(file, time)) {
            EXPECT_EQ(time, 12345);
            return std::nullopt;
        }
        return time;
    }

    TempDir m_dir;
};

}  // namespace

TEST_F(DateTimeTags, WritesTheTwoLinesWithEnglishWeekday)
{
    const std::string path = m_dir.file("tags.txt");
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    ASSERT_TRUE(WriteDateTimeTags(file, UtcTime(2008, 11, 3, 13, 5, 9)));
    EXPECT_EQ(ReadAll(path), "\t<DATA>\t\tMonday, 03/11/2008\t</DATA>\n\t<ORA>\t\t14:05:09\t</ORA>\n");

    CStdioFileEx closed;
    EXPECT_FALSE(WriteDateTimeTags(closed));
    std::time_t time = 7;
    EXPECT_FALSE(ReadDateTimeTags(closed, time));
    EXPECT_EQ(time, 7);
}

TEST_F(DateTimeTags, RoundTripAcrossDaylightSavingChanges)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const std::time_t instants[] = {
        UtcTime(2024, 3, 31, 0, 30, 0),    // 01:30 winter time, spring change day
        UtcTime(2024, 3, 31, 0, 59, 59),   // last second before the change
        UtcTime(2024, 3, 31, 1, 0, 0),     // 03:00 summer time
        UtcTime(2024, 3, 31, 12, 0, 0),
        UtcTime(2024, 10, 26, 23, 30, 0),  // 01:30 summer time, autumn change day
        UtcTime(2024, 10, 27, 2, 30, 0),   // 03:30 winter time
        UtcTime(2024, 10, 27, 22, 59, 59),
        UtcTime(2024, 2, 29, 22, 59, 59),  // 23:59:59 on a leap day
        UtcTime(2000, 1, 1, 0, 0, 0),
    };
    for (std::uint32_t flags : {0u, static_cast<std::uint32_t>(CStdioFileEx::modeWriteUnicode)}) {
        for (std::time_t when : instants)
            EXPECT_EQ(RoundTrip(when, flags), when) << when << " unicode " << flags;
        // Inside the repeated hour the local time names two instants; either is right.
        const std::time_t repeated = UtcTime(2024, 10, 27, 0, 30, 0);  // 02:30 summer time
        const std::optional<std::time_t> read = RoundTrip(repeated, flags);
        ASSERT_TRUE(read.has_value());
        EXPECT_TRUE(*read == repeated || *read == repeated + 3600) << *read;
    }
}

TEST_F(DateTimeTags, ReadingIgnoresTheWeekdayAndRefusesMissingFields)
{
    const std::time_t expected = UtcTime(2008, 11, 3, 13, 5, 9);
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::time_t> time;
    };
    const Case cases[] = {
        {"Italian weekday", "\t<DATA>\t\tLuned\xEC, 03/11/2008\t</DATA>\n\t<ORA>\t\t14:05:09\t</ORA>\n", expected},
        {"no weekday", "<DATA>, 3/11/2008</DATA>\n<ORA>14:5:9</ORA>\n", expected},
        {"text after a second comma", "<DATA>x, 03/11/2008, y</DATA>\n<ORA>14:05:09</ORA>\n", expected},
        {"blanks before fields", "<DATA>x,  03/ 11/ 2008</DATA>\r\n<ORA> 14: 05: 09</ORA>\r\n", expected},
        {"no comma", "<DATA>03/11/2008</DATA>\n<ORA>14:05:09</ORA>\n", std::nullopt},
        {"no year", "<DATA>x, 03/11</DATA>\n<ORA>14:05:09</ORA>\n", std::nullopt},
        {"empty field", "<DATA>x, 03//2008</DATA>\n<ORA>14:05:09</ORA>\n", std::nullopt},
        {"no seconds", "<DATA>x, 03/11/2008</DATA>\n<ORA>14:05</ORA>\n", std::nullopt},
        {"no time line", "<DATA>x, 03/11/2008</DATA>\n", std::nullopt},
        {"time line without its tag", "<DATA>x, 03/11/2008</DATA>\n14:05:09\n", std::nullopt},
        {"no date tag", "<ORA>14:05:09</ORA>\n<DATA>x, 03/11/2008</DATA>\n", std::nullopt},
        {"empty file", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadText(c.text), c.time) << c.name;
}
