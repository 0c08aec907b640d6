#include "common/Text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

using namespace vexar;

TEST(Utf, StrictConversionsRefuseMalformedInput)
{
    struct Case {
        std::string utf8;
        bool valid;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", true, u""},
        {"abc", true, u"abc"},
        {"\xC3\xA8\xE2\x82\xAC", true, u"\u00E8\u20AC"},
        {"\xF0\x9F\x98\x80", true, u"\U0001F600"},
        {"\xC3", false, u""},              // truncated
        {"\xE2\x82", false, u""},          // truncated at the end
        {"\xC0\xAF", false, u""},          // overlong
        {"\xE0\x80\xAF", false, u""},      // overlong
        {"\xED\xA0\x80", false, u""},      // encoded surrogate
        {"\xF4\x90\x80\x80", false, u""},  // beyond U+10FFFF
        {"a\x80z", false, u""},            // stray continuation byte
    };
    for (const Case& c : cases) {
        std::u16string out = u"unchanged";
        EXPECT_EQ(Utf8ToUtf16(c.utf8, out), c.valid) << c.utf8;
        EXPECT_EQ(out, c.valid ? c.utf16 : u"unchanged") << c.utf8;
        if (c.valid) {
            std::string back;
            EXPECT_TRUE(Utf16ToUtf8(c.utf16, back));
            EXPECT_EQ(back, c.utf8);
        }
    }
    std::string narrow = "unchanged";
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x", narrow));
    EXPECT_FALSE(Utf16ToUtf8(u"x" + std::u16string(1, char16_t(0xDC00)), narrow));
    EXPECT_EQ(narrow, "unchanged");
}

TEST(Utf, LenientConversionsReplaceWhatCannotBeConverted)
{
    EXPECT_EQ(ToUtf16("a\xC3z"), u"a\uFFFDz");
    EXPECT_EQ(ToUtf8(u"a" + std::u16string(1, char16_t(0xDBFF)) + u"z"), "a\xEF\xBF\xBDz");
}

TEST(Cp1252, EveryByteMapsToACharacterAndBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(ToCp1252(text), all);
}

TEST(Cp1252, KnownCharacters)
{
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"\u20AC", "\x80"},
        {u"\u00E8", "\xE8"},
        {u"\u0081", "\x81"},
        {u"\u0178", "\x9F"},
        {u"\u2122\u0160", "\x99\x8A"},
        {u"e\u0300", "\xE8"},            // combining grave composed
        {u"S\u030C", "\x8A"},            // combining caron composed into the 0x8x row
        {u"\u65E5x", "#x"},              // no such character
        {u"q\u0301", "q#"},              // no precomposed form: the accent is lost
        {u"\U0001F600!", "#!"},          // one character outside the BMP, one '#'
        {u"\u0080", "#"},                // U+0080 is not in the code page (0x80 is the euro)
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToCp1252(c.text), c.bytes) << ToUtf8(c.text);
    EXPECT_EQ(FromCp1252("\x80\xE8\x81\x9F"), u"\u20AC\u00E8\u0081\u0178");
}

TEST(Trim, RemovesWhiteSpaceOnBothEndsOnly)
{
    struct Case {
        std::u16string in;
        std::u16string out;
    };
    const Case cases[] = {
        {u"", u""},
        {u" \t\r\n", u""},
        {u"\t a b \n", u"a b"},
        {u"\u00A0x\u3000", u"x"},
        {u"x\u200B", u"x\u200B"},  // zero-width space is no white space
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trim(c.in), c.out);
        std::u16string s = c.in;
        TrimInPlace(s);
        EXPECT_EQ(s, c.out);
    }
    std::u16string left = u"  a  ";
    TrimLeftInPlace(left);
    EXPECT_EQ(left, u"a  ");
    std::u16string right = u"  a  ";
    TrimRightInPlace(right);
    EXPECT_EQ(right, u"  a");
}

TEST(Format, NumbersUseTheCLocaleWhateverTheProcessLocale)
{
    // The test main applies LC_ALL from the environment: a comma-decimal locale.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(Format(u"%.2f", 3.5), u"3.50");
    EXPECT_EQ(Format(u"%g|%e", 0.25, 1500.0), u"0.25|1.500000e+03");
    EXPECT_EQ(Format(u"%08.3f", -2.5), u"-002.500");
}

TEST(Format, Conversions)
{
    EXPECT_EQ(Format(u"plain"), u"plain");
    EXPECT_EQ(Format(u"100%%"), u"100%");
    EXPECT_EQ(Format(u"%d|%5d|%-5d|%05d", 7, -42, 3, 9), u"7|  -42|3    |00009");
    EXPECT_EQ(Format(u"%ld %lu %I64d", 1L, 2UL, 3LL), u"1 2 3");
    EXPECT_EQ(Format(u"%x %X %02X %o", 255, 255, 10, 8), u"ff FF 0A 10");
    EXPECT_EQ(Format(u"%x", -1), u"ffffffff");  // the argument's own width
    EXPECT_EQ(Format(u"%d", 0xFFFFFFFFu), u"-1");
    EXPECT_EQ(Format(u"%u", static_cast<unsigned char>(200)), u"200");
    EXPECT_EQ(Format(u"%c%c", u'\u00E8', 'x'), u"\u00E8x");
    EXPECT_EQ(Format(u"[%s] [%s]", u"\u00E8t\u00E9", std::string("caf\xC3\xA9")), u"[\u00E8t\u00E9] [caf\u00E9]");
    // Widths and precisions of texts count UTF-16 units, not UTF-8 bytes.
    EXPECT_EQ(Format(u"[%5s][%-4s][%.2s]", u"\u00E8\u00E8", u"\u00E8", u"\u00E8\u00E9\u00EA"),
              u"[   \u00E8\u00E8][\u00E8   ][\u00E8\u00E9]");
    EXPECT_EQ(Format(u"[%*d][%-*s][%.*f]", 4, 1, 3, u"a", 1, 2.25), u"[   1][a  ][2.2]");
    EXPECT_EQ(Format(u"%d", 2.9), u"2");  // a mismatched argument is converted, never misread
    EXPECT_EQ(Format(u"%f", 3), u"3.000000");
}

TEST(Format, MissingArgumentsAndBrokenConversionsAreSafe)
{
    EXPECT_EQ(Format(u"a%db%sc"), u"abc");
    EXPECT_EQ(Format(u"%d %d", 1), u"1 ");
    EXPECT_EQ(Format(u"50%"), u"50%");
    EXPECT_EQ(Format(u"%5"), u"%5");
    EXPECT_EQ(Format(u"%y", 1), u"%y");
    EXPECT_EQ(Format(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
}

TEST(FormatLocalTime, EnglishNamesAndFixedWidthFields)
{
    // 2008-11-03 14:05:09 in Rome (UTC+1).
    setenv("TZ", "Europe/Rome", 1);
    tzset();
    const std::time_t when = 1225717509;
    EXPECT_EQ(FormatLocalTime(when, u"%A, %d/%m/%Y %H:%M:%S"), u"Monday, 03/11/2008 14:05:09");
    EXPECT_EQ(FormatLocalTime(when, u"%a %d %B %b %y %% %Q"), u"Mon 03 November Nov 08 % %Q");
}
