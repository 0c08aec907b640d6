// Fitting a page dialog to its tab control and the screen, scaling its
// controls (the 1280 x 1024 example, values that would scale to 0, large
// fonts), and scrolling its content by the scroll codes and by its bars.
#include "dialogs/CScrollResizeFunc.h"

#include "pages/CCtrlTab.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

namespace {

struct ScreenCase {
    int width;
    int height;
    bool fitted;
    int numX;
    int numY;
};

class FitToScreen : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(FitToScreen, ReducesTheScreenToTheDesignAlongItsNearerSide)
{
    CCtrlTab tab;
    tab.resize(900, 600);
    tab.InsertItem(0, u"Acquisizione");
    QWidget page(&tab);
    page.setGeometry(5, 5, 400, 300);
    CScrollResizeFunc fit;
    fit.m_screenSize = [] { return QSize(GetParam().width, GetParam().height); };
    fit.Attach(&page);
    EXPECT_EQ(fit.FitToScreen(), GetParam().fitted);
    if (!GetParam().fitted) {
        EXPECT_EQ(page.geometry(), QRect(5, 5, 400, 300)) << "left where it was";
        return;
    }
    EXPECT_EQ(fit.ScaleNumX(), GetParam().numX);
    EXPECT_EQ(fit.ScaleNumY(), GetParam().numY);
    EXPECT_EQ(fit.ScaleDenX(), 1024);
    EXPECT_EQ(fit.ScaleDenY(), 768);
    const QRect first = tab.GetItemRect(0);
    const QRect target(first.left() + 1, first.bottom() + 1 + 3, 0, 0);
    EXPECT_EQ(page.pos(), target.topLeft()) << "under the first tab";
    EXPECT_EQ(page.geometry().right() + 1, 900 - 2);
    EXPECT_EQ(page.geometry().bottom() + 1, 600 - 2);
    EXPECT_EQ(fit.ContentRect(), page.rect());
}

INSTANTIATE_TEST_SUITE_P(Screens, FitToScreen,
                         ::testing::Values(ScreenCase{1024, 768, false, 0, 0},
                                           ScreenCase{1280, 1024, true, 1280, 960},   // 1365 x 1024 would not fit
                                           ScreenCase{800, 600, true, 800, 600},
                                           ScreenCase{1920, 1080, true, 1440, 1080},
                                           ScreenCase{1280, 800, true, 1066, 800},
                                           ScreenCase{1100, 600, true, 800, 600}),   // 1100 x 825 would not fit
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(ScaleCoord, KeepsAValueThatWouldScaleToZeroOrWhenTheRatioIsOne)
{
    struct Case {
        int numerator, denominator, value, expected;
    };
    for (const Case& c : {Case{1365, 1024, 100, 133}, Case{1024, 768, 20, 26}, Case{800, 1024, 1, 1},
                          Case{800, 1024, 0, 0}, Case{800, 1024, 10, 7}, Case{96, 96, 55, 55},
                          Case{96, 120, -10, -10}}) {
        int value = c.value;
        CScrollResizeFunc::ScaleCoord(c.numerator, c.denominator, value);
        EXPECT_EQ(value, c.expected) << c.numerator << "/" << c.denominator << " of " << c.value;
    }
}

TEST(ScaleControl, PlacesAControlByTheRatiosOfTheFitting)
{
    CCtrlTab tab;
    tab.resize(900, 600);
    tab.InsertItem(0, u"Pagina");
    QWidget page(&tab);
    page.resize(400, 300);
    QWidget control(&page);
    control.setGeometry(0, 1, 100, 20);
    CScrollResizeFunc fit;
    fit.m_screenSize = [] { return QSize(1280, 1024); };
    fit.Attach(&page);
    ASSERT_TRUE(fit.FitToScreen());
    fit.ScaleControl(control, false, false);
    EXPECT_EQ(control.geometry(), QRect(0, 1, 125, 25)) << "0 and 1 pixel places stay";
}

TEST(CheckLargeFonts, ScalesByNinetySixOverTheResolution)
{
    QWidget page;
    page.resize(400, 300);
    QWidget control(&page);
    control.setGeometry(120, 30, 240, 60);
    CScrollResizeFunc fit;
    fit.Attach(&page);
    fit.m_dpi = [] { return QSize(96, 96); };
    EXPECT_FALSE(fit.CheckLargeFonts());
    fit.m_dpi = [] { return QSize(120, 96); };
    ASSERT_TRUE(fit.CheckLargeFonts());
    EXPECT_EQ(fit.ScaleNumX(), 96);
    EXPECT_EQ(fit.ScaleDenX(), 120);
    fit.ScaleControl(control, true, false);
    EXPECT_EQ(control.geometry(), QRect(96, 30, 192, 60));
}

// A design laid out at 96 pixels per inch grows with the resolution.
TEST(CheckLargeFonts, GrowsByTheResolutionOverNinetySixWhenAsked)
{
    QWidget page;
    page.resize(400, 300);
    QWidget control(&page);
    control.setGeometry(96, 30, 192, 60);
    CScrollResizeFunc fit({.growWithResolution = true});
    fit.Attach(&page);
    fit.m_dpi = [] { return QSize(120, 144); };
    ASSERT_TRUE(fit.CheckLargeFonts());
    fit.ScaleControl(control, false, false);
    EXPECT_EQ(control.geometry(), QRect(120, 45, 240, 90));
}

// A page whose content is 400 x 300, shown in a window of 200 x 150.
class ScrollTest : public ::testing::Test {
protected:
    ScrollTest() : child(&page)
    {
        page.resize(400, 300);
        child.setGeometry(50, 40, 30, 20);
        fit.Attach(&page);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
        page.resize(200, 150);
        fit.OnSize();
    }

    int PageX() const { return 200 - fit.VerticalBar()->sizeHint().width(); }
    int PageY() const { return 150 - fit.HorizontalBar()->sizeHint().height(); }

    QWidget page;
    QWidget child;
    CScrollResizeFunc fit;
};

TEST_F(ScrollTest, BothBarsShowWhileTheWindowIsSmallerThanItsContent)
{
    EXPECT_TRUE(fit.HorizontalBar()->isVisible());
    EXPECT_TRUE(fit.VerticalBar()->isVisible());
    EXPECT_EQ(fit.HorizontalBar()->pageStep(), PageX());
    EXPECT_EQ(fit.HorizontalBar()->maximum(), 400 - PageX());
    EXPECT_EQ(fit.VerticalBar()->maximum(), 300 - PageY());
}

struct ScrollCase {
    const char* name;
    int start;     // vertical position before
    int code;
    int thumb;
    int expected;  // -1: a page further than the start, clamped
};

class ScrollCodes : public ScrollTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollCodes, MoveTheContentByTheChangeOfPosition)
{
    const int limit = fit.VerticalBar()->maximum();
    fit.OnVScroll(CScrollResizeFunc::SB_THUMBTRACK, GetParam().start);
    ASSERT_EQ(child.y(), 40 - GetParam().start);
    fit.OnVScroll(GetParam().code, GetParam().thumb);
    const int expected = GetParam().expected == -1 ? std::min(GetParam().start + PageY(), limit)
                         : GetParam().expected == -2 ? std::max(GetParam().start - PageY(), 0)
                         : GetParam().expected == -3 ? limit
                                                     : GetParam().expected;
    EXPECT_EQ(fit.VerticalBar()->value(), expected);
    EXPECT_EQ(fit.OffsetY(), -expected);
    EXPECT_EQ(child.y(), 40 - expected);
    EXPECT_EQ(child.x(), 50) << "the other axis stays";
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ScrollCodes,
    ::testing::Values(ScrollCase{"LineDown", 0, CScrollResizeFunc::SB_LINEDOWN, 0, 10},
                      ScrollCase{"LineUp", 25, CScrollResizeFunc::SB_LINEUP, 0, 15},
                      ScrollCase{"LineUpAtTheTop", 4, CScrollResizeFunc::SB_LINEUP, 0, 0},
                      ScrollCase{"PageDown", 10, CScrollResizeFunc::SB_PAGEDOWN, 0, -1},
                      ScrollCase{"PageUp", 150, CScrollResizeFunc::SB_PAGEUP, 0, -2},
                      ScrollCase{"ThumbTrack", 10, CScrollResizeFunc::SB_THUMBTRACK, 37, 37},
                      ScrollCase{"ThumbPosition", 10, CScrollResizeFunc::SB_THUMBPOSITION, 80, 10},
                      ScrollCase{"EndScroll", 20, CScrollResizeFunc::SB_ENDSCROLL, 0, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollTest, LinesAndPagesStopAtTheLimit)
{
    const int limit = fit.VerticalBar()->maximum();
    fit.OnVScroll(CScrollResizeFunc::SB_THUMBTRACK, limit - 4);
    fit.OnVScroll(CScrollResizeFunc::SB_LINEDOWN, 0);
    EXPECT_EQ(fit.OffsetY(), -limit);
    fit.OnHScroll(CScrollResizeFunc::SB_PAGERIGHT, 0);
    fit.OnHScroll(CScrollResizeFunc::SB_PAGERIGHT, 0);
    EXPECT_EQ(fit.OffsetX(), -fit.HorizontalBar()->maximum());
    EXPECT_EQ(child.x(), 50 - fit.HorizontalBar()->maximum());
}

TEST_F(ScrollTest, TheUsersBarMovesTheContentToo)
{
    fit.HorizontalBar()->setValue(60);
    EXPECT_EQ(fit.OffsetX(), -60);
    EXPECT_EQ(child.x(), -10);
    fit.HorizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(child.x(), -20);
}

TEST_F(ScrollTest, AGrowingWindowTakesTheContentBack)
{
    fit.OnVScroll(CScrollResizeFunc::SB_THUMBTRACK, 120);
    fit.OnHScroll(CScrollResizeFunc::SB_THUMBTRACK, 150);
    ASSERT_EQ(child.pos(), QPoint(-100, -80));

    // Taller, still short of the content: the limit drops below the offset.
    page.resize(200, 250);
    fit.OnSize();
    const int limit = 300 - (250 - fit.HorizontalBar()->sizeHint().height());
    ASSERT_LT(limit, 120);
    EXPECT_EQ(fit.OffsetY(), -limit);
    EXPECT_EQ(child.y(), 40 - limit);
    EXPECT_EQ(fit.VerticalBar()->value(), limit);

    // Wide enough: the horizontal bar goes and the content is back at 0.
    page.resize(450, 250);
    fit.OnSize();
    EXPECT_FALSE(fit.HorizontalBar()->isVisible());
    EXPECT_EQ(fit.OffsetX(), 0);
    EXPECT_EQ(child.x(), 50);
    // Without the horizontal bar the whole height fits too.
    page.resize(450, 320);
    fit.OnSize();
    EXPECT_FALSE(fit.VerticalBar()->isVisible());
    EXPECT_EQ(child.pos(), QPoint(50, 40));
}

}  // namespace
