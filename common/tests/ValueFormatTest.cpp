#include "common/CStringForm.h"
#include "common/CStringMatrix.h"

#include "common/Text.h"

#include <gtest/gtest.h>

TEST(CStringForm, FormatTable)
{
    struct Case {
        std::u16string mask;
        double value;
        std::u16string text;
    };
    const Case cases[] = {
        {u".##", 3.14159, u"3.14"},
        {u".##", 2.5, u"2.5"},
        {u".##", 2.0, u"2"},
        {u".##0", 2.0, u"2.000"},
        {u".", 2.6, u"3"},
        {u".00", 2.25, u"2.3"},  // only the last '0' adds a decimal
        {u".#", -1.25, u"-1.3"},
        {u".##", 1234567.891, u"1234567.89"},  // point, no grouping, whatever the locale
        {u".##", 10.0, u"10"},
        {u"4X", 255, u"00FF"},
        {u"x", 255, u"ff"},
        {u"4X", 254.5, u"00FF"},
        {u"4X", -1, u"FFFFFFFF"},
        {u"\"0x\"2x", 10, u"0x0a"},
        {u"\"0x\"X", 255, u"0xFF"},
        {u"8X", 4294967295.0, u"FFFFFFFF"},
        {u"8X", 1e12, u"FFFFFFFF"},
        {u"8X", -1e12, u"80000000"},
        {u"8b", 5, u"00000101"},
        {u"b", 5, u"101"},
        {u"\"b\"4b", 5, u"b0101"},
        {u"2b", 5, u"101"},
        {u"b", 0, u"0"},
        {u"b", -1, std::u16string(32, u'1')},
        {u"%", 0.5, u"0.5%"},
        {u"%*100", 0.5, u"50%"},
        {u"%*100", 0.1234, u"12.34%"},
        {u"%abc", 0.5, u"0%"},
        {u"", 1, u""},
        {u"abc", 1, u""},
        {u"#.#", 1, u""},
    };
    const CStringForm form;
    for (const Case& c : cases)
        EXPECT_EQ(form.Format(c.mask, c.value), c.text) << vexar::ToUtf8(c.mask) << " " << c.value;
}

TEST(CStringForm, HugeBinaryWidthIsBounded)
{
    const std::u16string text = CStringForm().Format(u"99999999999b", 1);
    EXPECT_EQ(text.size(), 1024u);
    EXPECT_EQ(text.back(), u'1');
}

TEST(CStringForm, RoundAndCountChar)
{
    const CStringForm form;
    EXPECT_DOUBLE_EQ(form.Round(-1.25, 1), -1.3);
    EXPECT_DOUBLE_EQ(form.Round(2.5, 0), 3.0);
    EXPECT_EQ(form.CountChar(u"a#b##", '#', 0), 3);
    EXPECT_EQ(form.CountChar(u"a#b##", '#', 2), 2);
    EXPECT_EQ(form.CountChar(u"a#b##", '#', 10), 0);
    EXPECT_EQ(form.CountChar(u"a#b##", '#', -1), 3);
    EXPECT_EQ(form.CountChar(u"\u00E9\u00E9", '\xE9', 0), 2);  // the byte widens as Latin-1
}

TEST(CStringMatrix, CellsAreAddressedWithinRowsAndColumns)
{
    CStringMatrix m;
    m.SetColumns(3);
    m.AddRow(u"r0");
    m.AddRow(u"r1");
    EXPECT_EQ(m.GetSize(), 6);
    EXPECT_EQ(m.GetRows(), 2);
    EXPECT_TRUE(m.SetCell(1, 2, u"x"));
    EXPECT_EQ(m.GetCell(1, 2), u"x");
    EXPECT_EQ(m.GetCell(1, 1), u"r1");
    EXPECT_EQ(m.GetCell(0, 2), u"r0");

    struct Outside {
        int row, column;
    };
    for (const Outside o : {Outside{2, 0}, Outside{0, 3}, Outside{-1, 0}, Outside{0, -1}}) {
        EXPECT_FALSE(m.SetCell(o.row, o.column, u"y")) << o.row << "," << o.column;
        EXPECT_EQ(m.GetCell(o.row, o.column), u"") << o.row << "," << o.column;
    }

    m.SetColumns(2);  // the cells stay; they are now three rows of two
    EXPECT_EQ(m.GetRows(), 3);
    EXPECT_EQ(m.GetCell(2, 1), u"x");

    m.RemoveAll();
    EXPECT_EQ(m.GetSize(), 0);
    EXPECT_EQ(m.GetColumns(), 0);
    m.AddRow(u"z");  // no columns: nothing added, nothing reachable
    EXPECT_EQ(m.GetSize(), 0);
    EXPECT_FALSE(m.SetCell(0, 0, u"z"));
}
