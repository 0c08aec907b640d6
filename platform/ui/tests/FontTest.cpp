// Fonts and screen units at a window's resolution. The ScreenDpi tests run
// twice: on the off-screen platform's 96 pixels per inch, and at 120 (a
// second run with QT_FONT_DPI), where points, pixels and twips part.
#include "platform/ui/CUtilityUi.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QWidget>

namespace {

struct AtResolution {
    int dpi;
    std::int32_t heightOf12Points;  // a 12-point font's logical height there
    std::int32_t pointsOf16Pixels;
    std::int32_t twipsOf16Pixels;
    std::int32_t cyOf16Pixels;
    std::int32_t pixelsOf1000Twips;
    std::int32_t twipsOf50Pixels;
};

constexpr AtResolution kResolutions[] = {
    {96, -16, 12, 240, 120000, 67, 750},
    {120, -20, 10, 192, 100000, 83, 600},
};

class ScreenDpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const AtResolution& row : kResolutions) {
            if (row.dpi == window.logicalDpiY())
                at = &row;
        }
        if (!at)
            GTEST_SKIP() << "no figures for " << window.logicalDpiY() << " pixels per inch";
        ASSERT_EQ(window.logicalDpiX(), window.logicalDpiY());
    }

    QWidget window;
    const AtResolution* at = nullptr;
};

TEST_F(ScreenDpi, CreateFontPtSizesAtTheFixed96PixelsPerInchWhateverTheScreen)
{
    QFont font;
    ASSERT_TRUE(CUtility::CreateFontPt(font, u"DejaVu Sans", 12, true));
    EXPECT_EQ(font.family(), "DejaVu Sans");
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 16) << "the font found has that size";
    EXPECT_EQ(CUtility::LogicalFontHeight(window, font), -16);

    ASSERT_TRUE(CUtility::CreateFontPt(font, u"DejaVu Sans", 8, false));
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_EQ(font.weight(), QFont::Normal);
}

TEST_F(ScreenDpi, FontSizesAreMeasuredAtTheWindowsResolution)
{
    QFont pixels("DejaVu Sans");
    pixels.setPixelSize(16);
    EXPECT_EQ(CUtility::GetFontSizePt(window, pixels), at->pointsOf16Pixels);
    EXPECT_EQ(CUtility::GetFontSizeTwips(window, pixels), at->twipsOf16Pixels);
    EXPECT_EQ(CUtility::GetFontSizeCy(window, pixels), at->cyOf16Pixels);

    QFont points("DejaVu Sans", 12);
    EXPECT_EQ(CUtility::LogicalFontHeight(window, points), at->heightOf12Points);
    EXPECT_EQ(CUtility::GetFontSizePt(window, points), 12);
    EXPECT_EQ(CUtility::GetFontSizeTwips(window, points), 240);
    EXPECT_EQ(CUtility::GetFontSizeCy(window, points), 120000);
    EXPECT_EQ(QFontInfo(points).pixelSize(), -at->heightOf12Points) << "as Qt itself sizes it on this screen";
}

TEST_F(ScreenDpi, TwipsAndPixelsConvertAtTheWindowsResolution)
{
    for (bool horizontal : {true, false}) {
        EXPECT_EQ(CUtility::TwipsToPixels(window, 1440, horizontal), at->dpi);
        EXPECT_EQ(CUtility::PixelsToTwips(window, at->dpi, horizontal), 1440);
        EXPECT_EQ(CUtility::TwipsToPixels(window, 1000, horizontal), at->pixelsOf1000Twips);
        EXPECT_EQ(CUtility::PixelsToTwips(window, 50, horizontal), at->twipsOf50Pixels);
    }
}

TEST(CreateFontPt, ARotatedFontIsNotMadeAndLeavesTheFontAlone)
{
    QFont font("DejaVu Sans", 9);
    EXPECT_FALSE(CUtility::CreateFontPt(font, u"DejaVu Serif", 12, false, 900, 0));
    EXPECT_FALSE(CUtility::CreateFontPt(font, u"DejaVu Serif", 12, false, 0, 450));
    EXPECT_EQ(font.family(), "DejaVu Sans");
    EXPECT_EQ(font.pointSize(), 9);
}

}  // namespace
