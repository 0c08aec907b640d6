#include "pages/widgets/CWScale.h"
#include "pages/widgets/CWValueText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// Every notation shows its value and reads its own text back (the test
// runs under a comma-decimal locale: nothing may follow it).
TEST(CWValueText, EachMaskShowsItsNotationAndReadsItBack)
{
    struct Case {
        std::u16string mask;
        double value;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"", 3.25, u"3.25"},
        {u"", -0.0000001, u"0"},
        {u"", 12.0, u"12"},
        {u"junk", 7.5, u"7.5"},  // no notation: the plain number
        {u".##", 12.5, u"12.5"},
        {u".#0", 12.5, u"12.50"},
        {u".", 12.6, u"13"},
        {u"\"0x\"8X", 4660, u"0x00001234"},
        {u"4X", 255, u"00FF"},
        {u"4x", 255, u"00ff"},
        {u"8b", 5, u"00000101"},
        {u"\"b\"4b", 5, u"b0101"},
        {u"%*100", 0.25, u"25%"},
        {u"%", 12.5, u"12.5%"},
    };
    for (const Case& c : cases) {
        const std::u16string shown = CWValueText::Format(c.mask, c.value);
        EXPECT_EQ(Narrow(shown), Narrow(c.shown)) << Narrow(c.mask);
        const std::optional<double> back = CWValueText::Parse(c.mask, shown);
        ASSERT_TRUE(back.has_value()) << Narrow(c.mask);
        EXPECT_EQ(CWValueText::Format(c.mask, *back), shown) << Narrow(c.mask);
    }
}

TEST(CWValueText, TypedTextIsReadInTheMasksNotationOrRefused)
{
    struct Case {
        std::u16string mask;
        std::u16string typed;
        std::optional<double> value;
    };
    const Case cases[] = {
        {u".##", u" 12.5 ", 12.5},
        {u".##", u"12,5", 12.5},
        {u"", u"-3", -3.0},
        {u"", u"+.5", 0.5},
        {u"", u"1.2.3", std::nullopt},
        {u"", u"12a", std::nullopt},
        {u"", u"-", std::nullopt},
        {u"", u"", std::nullopt},
        {u"", u"1e3", std::nullopt},
        {u"\"0x\"8X", u"0x1f", 31.0},
        {u"\"0x\"8X", u"1F", 31.0},
        {u"4X", u"FFFFFFFF", 4294967295.0},
        {u"4X", u"100000000", std::nullopt},  // beyond what the mask can show
        {u"4X", u"0x", std::nullopt},
        {u"4X", u"12G", std::nullopt},
        {u"8b", u"b101", 5.0},
        {u"8b", u"102", std::nullopt},
        {u"%*100", u"25%", 0.25},
        {u"%*100", u"25", 0.25},
        {u"%*0", u"25", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWValueText::Parse(c.mask, c.typed), c.value) << Narrow(c.mask) << " / " << Narrow(c.typed);
}

TEST(CWScale, KeepsValuesInsideAndPicksWholeNumbersWhenDiscrete)
{
    CWScale scale;
    scale.SetRange(-0.5, 10.5);
    EXPECT_EQ(scale.Coerce(11.0), 10.5);
    EXPECT_EQ(scale.UserValue(3.4), 3.4);
    scale.SetDiscrete(true);
    EXPECT_EQ(scale.UserValue(3.4), 3.0);
    EXPECT_EQ(scale.UserValue(10.49), 10.0);  // 10.5 rounds out of the range: the whole number inside
    EXPECT_EQ(scale.UserValue(-0.5), 0.0);
    EXPECT_EQ(scale.KeyStep(), 1.0);

    // A backwards scale: the minimum above the maximum.
    scale.SetDiscrete(false);
    scale.SetRange(100, 0);
    EXPECT_EQ(scale.Fraction(25), 0.75);
    EXPECT_EQ(scale.ValueAt(0.25), 75.0);
    EXPECT_EQ(scale.Coerce(-5), 0.0);
    EXPECT_EQ(scale.KeyStep(), 1.0);

    scale.SetRange(0, 5000);
    EXPECT_EQ(scale.KeyStep(), 10.0);
    scale.SetRange(0, 1);
    EXPECT_DOUBLE_EQ(scale.KeyStep(), 0.01);
    scale.SetRange(3, 3);
    EXPECT_EQ(scale.KeyStep(), 0.0);
    EXPECT_EQ(scale.Fraction(3), 0.0);

    scale.SetDivisions(0);
    EXPECT_EQ(scale.Divisions(), 1);
    scale.SetDivisions(100000);
    EXPECT_EQ(scale.Divisions(), CWScale::kMaxDivisions);
    scale.SetRange(0, 0.3);
    scale.SetDivisions(3);
    EXPECT_EQ(scale.MarkValue(3), 0.3);  // the last mark is the maximum exactly
}
