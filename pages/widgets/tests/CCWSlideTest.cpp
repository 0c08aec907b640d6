#include "pages/widgets/CCWSlide.h"

#include "InstrumentTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace instruments;
using vexar::ui::RGB;

namespace {

constexpr vexar::ui::COLORREF kPointer = RGB(0, 0, 255);

// A horizontal slide of 300 x 60 on 0 to 100 at 50. Its groove is filled in
// the pointer colour from the minimum to the value, where the thumb's
// reading line stands: the rendered image tells where the scale starts and
// where the thumb is.
struct SlideFixture {
    CCWSlide slide;
    double start = 0;   // x of the minimum
    double length = 0;  // pixels from the minimum to the maximum
    QPoint thumb;
    explicit SlideFixture(CCWSlide::Look look = CCWSlide::Look::HorizontalSlide)
    {
        slide.SetLook(look);
        slide.SetRange(0, 100);
        slide.SetValue(50);
        slide.SetPointerColor(kPointer);
        if (look == CCWSlide::Look::VerticalSlide)
            ShowSized(slide, 80, 300);
        else
            ShowSized(slide, 300, 60);
        const Patch patch = FindColour(Shot(slide), kPointer);
        if (look == CCWSlide::Look::VerticalSlide) {
            thumb = QPoint(patch.bounds.center().x(), patch.bounds.top() + 1);
            start = patch.bounds.bottom();
            length = 2 * (start - thumb.y());
        } else {
            thumb = QPoint(patch.bounds.right() - 1, patch.bounds.center().y());
            start = patch.bounds.left();
            length = 2 * (thumb.x() - start);
        }
    }
    void Drag(QPoint from, std::initializer_list<QPoint> through)
    {
        QTest::mousePress(&slide, Qt::LeftButton, {}, from);
        QPoint last = from;
        for (const QPoint& p : through) {
            QTest::mouseMove(&slide, p);
            last = p;
        }
        QTest::mouseRelease(&slide, Qt::LeftButton, {}, last);
    }
};

}  // namespace

TEST(CCWSlide, GesturesMoveTheValueAndAnnounceTheirEndOnce)
{
    struct Case {
        const char* name;
        CCWSlide::Look look;
        std::function<double(SlideFixture&)> act;  // returns the value expected
        double tolerance;
        int releases;
        int changes;  // -1: at least one
    };
    const Case cases[] = {
        {"the thumb dragged 60 pixels right moves by their share of the scale", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.Drag(f.thumb, {f.thumb + QPoint(30, 0), f.thumb + QPoint(60, 4)});
             return 50 + 60 / f.length * 100;
         },
         1.5, 1, -1},
        {"a press and release on the thumb changes nothing", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.Drag(f.thumb, {});
             return 50.0;
         },
         0, 1, 0},
        {"out and back gives the value back exactly", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.Drag(f.thumb, {f.thumb + QPoint(40, 0), f.thumb});
             return 50.0;
         },
         0, 1, 2},
        {"a press on the track beside the thumb moves it there", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             const QPoint quarter(static_cast<int>(f.start + f.length / 4), f.thumb.y());
             f.Drag(quarter, {});
             return 25.0;
         },
         1.5, 1, 1},
        {"a drag past the end stops at the maximum", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.Drag(f.thumb, {f.thumb + QPoint(400, 0)});
             return 100.0;
         },
         0, 1, 1},
        {"the vertical slide rises with the mouse", CCWSlide::Look::VerticalSlide,
         [](SlideFixture& f) {
             f.Drag(f.thumb, {f.thumb - QPoint(0, 50)});
             return 50 + 50 / f.length * 100;
         },
         1.5, 1, 1},
        {"a held Up key steps at each repeat and releases once", CCWSlide::Look::VerticalSlide,
         [](SlideFixture& f) {
             HoldKey(f.slide, Qt::Key_Up, 2);
             return 53.0;
         },
         0, 1, 3},
        {"Down steps down; Left and Right do nothing", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             QTest::keyClick(&f.slide, Qt::Key_Down);
             QTest::keyClick(&f.slide, Qt::Key_Right);
             return 49.0;
         },
         0, 1, 1},
        {"a bar takes neither mouse nor keys", CCWSlide::Look::HorizontalBar,
         [](SlideFixture& f) {
             f.Drag(QPoint(20, 20), {QPoint(200, 20)});
             HoldKey(f.slide, Qt::Key_Up, 1);
             return 50.0;
         },
         0, 0, 0},
        {"neither does a thermometer or a progress bar", CCWSlide::Look::Thermometer,
         [](SlideFixture& f) {
             f.Drag(QPoint(20, 20), {QPoint(200, 20)});
             f.slide.SetLook(CCWSlide::Look::Progress);
             f.Drag(QPoint(20, 20), {QPoint(200, 20)});
             QTest::keyClick(&f.slide, Qt::Key_Up);
             return 50.0;
         },
         0, 0, 0},
        {"without input the slide stays", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.slide.SetInputEnabled(false);
             f.Drag(f.thumb, {f.thumb + QPoint(60, 0)});
             QTest::keyClick(&f.slide, Qt::Key_Up);
             return 50.0;
         },
         0, 0, 0},
        {"hiding the slide in the middle of a drag ends it with its announcement", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             QTest::mousePress(&f.slide, Qt::LeftButton, {}, f.thumb);
             QTest::mouseMove(&f.slide, f.thumb + QPoint(30, 0));
             f.slide.hide();  // its release goes nowhere
             return 50 + 30 / f.length * 100;
         },
         1.5, 1, 1},
        {"discrete: whole numbers only", CCWSlide::Look::HorizontalSlide,
         [](SlideFixture& f) {
             f.slide.SetDiscrete(true);
             f.Drag(f.thumb, {f.thumb + QPoint(7, 0)});
             const double value = f.slide.GetValue();
             EXPECT_EQ(value, std::round(value));
             return 50 + 7 / f.length * 100;
         },
         0.51, 1, 1},
    };
    for (const Case& c : cases) {
        SlideFixture f(c.look);
        if (c.look == CCWSlide::Look::HorizontalSlide || c.look == CCWSlide::Look::VerticalSlide) {
            ASSERT_GT(f.length, 100) << c.name;
        }
        QSignalSpy released(&f.slide, &CCWSlide::released);
        QSignalSpy changed(&f.slide, &CCWSlide::valueChanged);
        const double expected = c.act(f);
        EXPECT_NEAR(f.slide.GetValue(), expected, c.tolerance) << c.name;
        EXPECT_EQ(released.count(), c.releases) << c.name;
        if (c.changes < 0) {
            EXPECT_GE(changed.count(), 1) << c.name;
        } else {
            EXPECT_EQ(changed.count(), c.changes) << c.name;
        }
    }
}

// The bar grows from zero in its colour, left for the negative item and
// right for the positive one; with neither shown it is empty. The items
// keep their values while the other one shows, and the value is apart.
TEST(CCWSlide, TheBarShowsTheChosenItemOnItsSideOfZero)
{
    constexpr vexar::ui::COLORREF kBar = RGB(220, 0, 0);
    CCWSlide bar;
    bar.SetLook(CCWSlide::Look::HorizontalBar);
    bar.SetRange(-10, 10);
    bar.SetPointerColor(kBar);
    bar.resize(300, 50);
    const int middle = 150;

    bar.SetBarValue(CCWSlide::BarItem::Negative, -5);
    bar.SetBarShown(CCWSlide::BarShown::Negative);
    Patch patch = FindColour(Shot(bar), kBar);
    ASSERT_GT(patch.count, 50);
    EXPECT_LE(patch.bounds.right(), middle + 1);
    EXPECT_NEAR(patch.bounds.width(), (300 - 2 * 30) / 4.0, 40);

    bar.SetBarValue(CCWSlide::BarItem::Positive, 10);
    bar.SetBarShown(CCWSlide::BarShown::Positive);
    patch = FindColour(Shot(bar), kBar);
    ASSERT_GT(patch.count, 50);
    EXPECT_GE(patch.bounds.left(), middle - 1);
    EXPECT_GE(patch.bounds.right(), 300 - 40);

    bar.SetBarShown(CCWSlide::BarShown::None);
    EXPECT_EQ(FindColour(Shot(bar), kBar).count, 0);
    EXPECT_EQ(bar.GetBarValue(CCWSlide::BarItem::Negative), -5);
    EXPECT_EQ(bar.GetBarValue(CCWSlide::BarItem::Positive), 10);
    EXPECT_EQ(bar.GetValue(), 0);

    // Upright, a positive bar rises from the bottom of a scale from 0.
    bar.SetLook(CCWSlide::Look::VerticalBar);
    bar.SetRange(0, 100);
    bar.SetBarValue(CCWSlide::BarItem::Positive, 30);
    bar.SetBarShown(CCWSlide::BarShown::Positive);
    bar.resize(70, 300);
    patch = FindColour(Shot(bar), kBar);
    ASSERT_GT(patch.count, 50);
    EXPECT_GT(patch.bounds.bottom(), 270);
    EXPECT_NEAR(patch.bounds.height(), 0.3 * 280, 20);
}

TEST(CCWSlide, TheThermometerAndTheProgressBarRiseWithTheValue)
{
    constexpr vexar::ui::COLORREF kRed = RGB(255, 0, 0);
    CCWSlide thermometer;
    thermometer.SetLook(CCWSlide::Look::Thermometer);
    thermometer.SetRange(-20, 120);
    thermometer.SetPointerColor(kRed);
    thermometer.SetBorderVisible(false);
    thermometer.resize(90, 260);
    int tops[2];
    int i = 0;
    for (const double value : {-20.0, 100.0}) {
        thermometer.SetValue(value);
        const Patch patch = FindColour(Shot(thermometer), kRed);
        ASSERT_GT(patch.count, 30);
        EXPECT_GT(patch.bounds.bottom(), 240);  // the bulb is always full
        tops[i++] = patch.bounds.top();
    }
    EXPECT_LT(tops[1], tops[0] - 150);

    CCWSlide progress;
    progress.SetLook(CCWSlide::Look::Progress);
    progress.SetRange(0, 200);
    progress.SetValue(50);
    progress.SetPointerColor(RGB(0, 120, 0));
    progress.resize(400, 24);
    const Patch patch = FindColour(Shot(progress), RGB(0, 120, 0), 40);
    ASSERT_GT(patch.count, 50);
    EXPECT_NEAR(patch.bounds.right(), 400 / 4.0, 8);
    EXPECT_LE(patch.bounds.left(), 8);
}

TEST(CCWSlide, TheBorderCanBeHidden)
{
    CCWSlide bar;
    bar.SetLook(CCWSlide::Look::VerticalBar);
    bar.resize(80, 200);
    const QColor background = bar.palette().color(QPalette::Window);
    EXPECT_FALSE(Near(Shot(bar).pixelColor(0, 100), background, 4));
    bar.SetBorderVisible(false);
    EXPECT_TRUE(Near(Shot(bar).pixelColor(0, 100), background, 2));
}

TEST(CCWSlide, PaintsAtAnySizeAndOnAnyScale)
{
    const QSize sizes[] = {{0, 0}, {1, 1}, {4, 200}, {200, 4}, {30, 30}};
    const std::pair<double, double> ranges[] = {{0, 100}, {5, 5}, {100, -100}, {-1e12, 1e12}};
    const CCWSlide::Look looks[] = {CCWSlide::Look::HorizontalSlide, CCWSlide::Look::VerticalSlide,
                                    CCWSlide::Look::HorizontalBar,   CCWSlide::Look::VerticalBar,
                                    CCWSlide::Look::Thermometer,     CCWSlide::Look::Progress};
    for (const CCWSlide::Look look : looks) {
        for (const QSize& size : sizes) {
            for (const auto& [minimum, maximum] : ranges) {
                CCWSlide slide;
                slide.SetLook(look);
                slide.SetRange(minimum, maximum);
                slide.SetTicks(CWScale::kMaxDivisions);
                slide.SetValue(minimum);
                slide.SetBarValue(CCWSlide::BarItem::Positive, 1e300);
                slide.SetBarShown(CCWSlide::BarShown::Positive);
                slide.resize(size);
                (void)slide.grab();
                EXPECT_EQ(slide.GetValue(), minimum);
            }
        }
    }
}
