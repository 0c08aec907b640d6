// The list box's horizontal extent: an item's text extent plus 6, the
// widest item after additions and deletions, tab stops converted from
// dialog units with the font's average letter, and the scroll bar that
// follows the extent.
#include "dialogs/CHorzListBox.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>

#include <optional>

namespace {

QFont TestFont(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

// A text and font whose extent is `width` pixels.
std::optional<std::pair<QFont, QString>> TextOfWidth(int width)
{
    for (int pixels = 8; pixels <= 24; ++pixels) {
        const QFont font = TestFont(pixels);
        const QFontMetrics metrics(font);
        for (const char* text : {"ab", "Ok", "iii", "abc", "mm", "Wi", "xy", "A", "W", "tt", "llll"}) {
            if (metrics.horizontalAdvance(QString::fromLatin1(text)) == width)
                return std::make_pair(font, QString::fromLatin1(text));
        }
    }
    return std::nullopt;
}

int Advance(const QFont& font, const QString& text) { return QFontMetrics(font).horizontalAdvance(text); }

int DialogBase(const QFont& font)
{
    return (Advance(font, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
}

TEST(CHorzListBox, AFirstItemEighteenPixelsWideMakesTheExtent24)
{
    const auto sample = TextOfWidth(18);
    ASSERT_TRUE(sample) << "no sample text of 18 pixels";
    CHorzListBox list;
    list.setFont(sample->first);
    EXPECT_EQ(list.GetHorizontalExtent(), 0);
    EXPECT_EQ(list.AddString(sample->second.toStdU16String()), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), 24);
}

struct DeleteCase {
    const char* name;
    int deleted;      // index among the three items below
    int widestLeft;   // index of the widest item left, -1 for the extent kept
};

class Deletion : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(Deletion, RecomputesTheExtentOnlyWhenTheWidestGoes)
{
    const QFont font = TestFont(13);
    const std::vector<QString> items = {QStringLiteral("medium line"), QStringLiteral("a much longer line of text"),
                                        QStringLiteral("short")};
    CHorzListBox list;
    list.setFont(font);
    for (const QString& item : items)
        list.AddString(item.toStdU16String());
    ASSERT_EQ(list.GetHorizontalExtent(), Advance(font, items[1]) + 6);

    EXPECT_EQ(list.DeleteString(GetParam().deleted), 2);
    const int expected = GetParam().widestLeft < 0 ? Advance(font, items[1]) + 6
                                                   : Advance(font, items[GetParam().widestLeft]) + 6;
    EXPECT_EQ(list.GetHorizontalExtent(), expected);
}

INSTANTIATE_TEST_SUITE_P(Items, Deletion,
                         ::testing::Values(DeleteCase{"Widest", 1, 0}, DeleteCase{"Narrower", 0, -1},
                                           DeleteCase{"Narrowest", 2, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CHorzListBox, WidthsFollowTheirItemsThroughInsertionsAndDeletions)
{
    const QFont font = TestFont(12);
    CHorzListBox list;
    list.setFont(font);
    list.AddString(u"one");
    list.AddString(u"three");
    EXPECT_EQ(list.InsertString(0, u"the widest of them all"), 0);
    EXPECT_EQ(list.InsertString(7, u"past the end"), CHorzListBox::LB_ERR);
    EXPECT_EQ(list.InsertString(-1, u"four"), 3);
    EXPECT_EQ(list.GetText(1), u"one");
    EXPECT_EQ(list.GetHorizontalExtent(), Advance(font, QStringLiteral("the widest of them all")) + 6);
    EXPECT_EQ(list.DeleteString(0), 3);
    EXPECT_EQ(list.GetHorizontalExtent(), Advance(font, QStringLiteral("three")) + 6);
    EXPECT_EQ(list.DeleteString(9), CHorzListBox::LB_ERR);
    list.DeleteString(0);
    list.DeleteString(0);
    list.DeleteString(0);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), 0) << "nothing left";

    list.AddString(u"again");
    list.ResetContent();
    list.AddString(u"x");
    EXPECT_EQ(list.GetHorizontalExtent(), Advance(font, QStringLiteral("x")) + 6) << "no width left from before";
}

TEST(CHorzListBox, TabStopsAreConvertedFromDialogUnitsAndMeasureEveryItemAgain)
{
    const QFont font = TestFont(13);
    const int base = DialogBase(font);
    CHorzListBox list(nullptr, true);
    list.setFont(font);
    list.AddString(u"ab\tcd");
    // The first measurement set one stop of 2 dialog units: tabs every
    // that many pixels.
    const int small = (2 * base + 2) / 4;
    ASSERT_EQ(list.TabStopPixels(), std::vector<int>{small});
    const int ab = Advance(font, QStringLiteral("ab"));
    EXPECT_EQ(list.GetHorizontalExtent(), (ab / small + 1) * small + Advance(font, QStringLiteral("cd")) + 6);

    ASSERT_TRUE(list.SetTabStops({20, 40, 60}));
    const std::vector<int> stops = {(20 * base + 2) / 4, (40 * base + 2) / 4, (60 * base + 2) / 4};
    EXPECT_EQ(list.TabStopPixels(), stops);
    ASSERT_LT(ab, stops[0]);
    EXPECT_EQ(list.GetHorizontalExtent(), stops[0] + Advance(font, QStringLiteral("cd")) + 6);

    list.AddString(u"a\tb\tc");
    EXPECT_EQ(list.GetHorizontalExtent(), stops[1] + Advance(font, QStringLiteral("c")) + 6);
    // Past the last stop a tab is one blank wide.
    list.AddString(u"\t\t\t\tz");
    EXPECT_EQ(list.GetHorizontalExtent(),
              stops[2] + Advance(font, QStringLiteral(" ")) + Advance(font, QStringLiteral("z")) + 6);
    EXPECT_EQ(list.DeleteString(2), 2);
    EXPECT_EQ(list.GetHorizontalExtent(), stops[1] + Advance(font, QStringLiteral("c")) + 6);
    EXPECT_FALSE(list.SetTabStops({-4}));
}

TEST(CHorzListBox, WithoutTheTabStyleTextIsMeasuredPlain)
{
    const QFont font = TestFont(13);
    CHorzListBox list;
    list.setFont(font);
    list.SetTabStops({40});
    list.AddString(u"ab\tcd");
    EXPECT_EQ(list.GetHorizontalExtent(), Advance(font, QStringLiteral("ab\tcd")) + 6);
}

TEST(CHorzListBox, TheScrollBarReachesTheEndOfTheWidestItem)
{
    const QFont font = TestFont(13);
    CHorzListBox list;
    list.setFont(font);
    list.resize(120, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.AddString(u"short");
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    const std::u16string longLine = u"a line far wider than the list box that shows it";
    list.AddString(longLine);
    const int extent = Advance(font, QString::fromStdU16String(longLine)) + 6;
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.horizontalScrollBar()->isVisible(); }, 2000));
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), extent - list.viewport()->width());
    list.DeleteString(1);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

}  // namespace
