#include "pages/widgets/CCWKnob.h"

#include "InstrumentTestSupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace instruments;
using vexar::ui::RGB;

namespace {

// A knob of 200 x 200 on the range 0 to 100 at 50: its pointer points up.
// Points on a circle of 90 pixels round the middle name the clock.
struct KnobFixture {
    CCWKnob knob;
    KnobFixture()
    {
        knob.SetRange(0, 100);
        knob.SetTicks(10);
        knob.SetValue(50);
        ShowSized(knob, 200, 200);
    }
    QPoint Clock(double degrees) const
    {
        const double a = degrees * M_PI / 180.0;
        return QPoint(100 + static_cast<int>(std::lround(90 * std::cos(a))),
                      100 - static_cast<int>(std::lround(90 * std::sin(a))));
    }
    // Drags from one angle through the others, a few degrees at a time.
    void Drag(std::initializer_list<double> angles, Qt::MouseButton button = Qt::LeftButton)
    {
        auto at = angles.begin();
        double current = *at;
        QTest::mousePress(&knob, button, {}, Clock(current));
        for (++at; at != angles.end(); ++at) {
            const double target = *at;
            const double step = target > current ? 5.0 : -5.0;
            while (std::fabs(target - current) > 5.0) {
                current += step;
                QTest::mouseMove(&knob, Clock(current));
            }
            current = target;
            QTest::mouseMove(&knob, Clock(current));
        }
        QTest::mouseRelease(&knob, button, {}, Clock(current));
    }
};

}  // namespace

TEST(CCWKnob, GesturesMoveTheValueAndAnnounceTheirEndOnce)
{
    struct Case {
        const char* name;
        std::function<void(KnobFixture&)> act;
        double value;
        double tolerance;
        int releases;
        int changes;  // -1: at least one
    };
    const Case cases[] = {
        {"a quarter turn clockwise adds a third of the scale", [](KnobFixture& f) { f.Drag({90, 0}); },
         50 + 100.0 / 3, 3, 1, -1},
        {"a quarter turn back takes it off", [](KnobFixture& f) { f.Drag({90, 180}); }, 50 - 100.0 / 3, 3, 1, -1},
        {"a press and release without travel changes nothing", [](KnobFixture& f) { f.Drag({90}); }, 50, 0, 1, 0},
        {"out and back to the same point gives the value back exactly", [](KnobFixture& f) { f.Drag({90, 0, 90}); },
         50, 0, 1, -1},
        {"turning on past the maximum stops there; turning back moves at once",
         [](KnobFixture& f) { f.Drag({90, -90, -180, -90}); }, 100 - 100.0 / 3, 3, 1, -1},
        {"the right button turns nothing", [](KnobFixture& f) { f.Drag({90, 0}, Qt::RightButton); }, 50, 0, 0, 0},
        {"discrete: the drag picks whole numbers",
         [](KnobFixture& f) {
             f.knob.SetRange(0, 10);
             f.knob.SetValue(5);
             f.knob.SetDiscrete(true);
             f.Drag({90, 70});
         },
         6, 0, 1, 3},  // the program's two, then the drag's one
        {"a held Up key steps at each repeat and releases once",
         [](KnobFixture& f) { HoldKey(f.knob, Qt::Key_Up, 3); }, 54, 0, 1, 4},
        {"Down steps down", [](KnobFixture& f) { QTest::keyClick(&f.knob, Qt::Key_Down); }, 49, 0, 1, 1},
        {"Left, Right and the wheel move nothing",
         [](KnobFixture& f) {
             QTest::keyClick(&f.knob, Qt::Key_Left);
             QTest::keyClick(&f.knob, Qt::Key_Right);
             const QPointF at(100, 100);
             QWheelEvent wheel(at, f.knob.mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase,
                               false);
             QApplication::sendEvent(&f.knob, &wheel);
         },
         50, 0, 0, 0},
        {"without input nothing moves and nothing is announced",
         [](KnobFixture& f) {
             f.knob.SetInputEnabled(false);
             f.Drag({90, 0});
             HoldKey(f.knob, Qt::Key_Up, 2);
         },
         50, 0, 0, 0},
        {"input switched off while a key is held ends the gesture with its announcement",
         [](KnobFixture& f) {
             SendKey(f.knob, QEvent::KeyPress, Qt::Key_Up, false);
             f.knob.SetInputEnabled(false);
             SendKey(f.knob, QEvent::KeyRelease, Qt::Key_Up, false);
         },
         51, 0, 1, 1},
        {"the program's values are kept inside the scale and never announced as released",
         [](KnobFixture& f) {
             f.knob.SetValue(70);
             f.knob.SetValue(150);
             f.knob.SetValue(std::nan(""));
         },
         100, 0, 0, 2},
        {"a narrower range pulls the value in",
         [](KnobFixture& f) { f.knob.SetRange(0, 20); }, 20, 0, 0, 1},
    };
    for (const Case& c : cases) {
        KnobFixture f;
        QSignalSpy released(&f.knob, &CCWKnob::released);
        QSignalSpy changed(&f.knob, &CCWKnob::valueChanged);
        c.act(f);
        EXPECT_NEAR(f.knob.GetValue(), c.value, c.tolerance) << c.name;
        EXPECT_EQ(released.count(), c.releases) << c.name;
        if (c.changes < 0) {
            EXPECT_GE(changed.count(), 1) << c.name;
        } else {
            EXPECT_EQ(changed.count(), c.changes) << c.name;
        }
        if (!changed.isEmpty()) {
            EXPECT_EQ(changed.last().at(0).toDouble(), f.knob.GetValue()) << c.name;
        }
    }
}

TEST(CCWKnob, GaugesAndDisabledKnobsTakeNoFocus)
{
    CCWKnob knob;
    EXPECT_EQ(knob.focusPolicy(), Qt::StrongFocus);
    knob.SetLook(CCWKnob::Look::Dial);
    knob.SetInputEnabled(false);
    EXPECT_EQ(knob.focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(knob.GetInputEnabled());
    // The window's own enabled state is another thing.
    EXPECT_TRUE(knob.isEnabled());
}

// The pointer of each look stands on the side of its value: left of the
// pivot at the minimum, right of it at the maximum, up in the middle.
TEST(CCWKnob, EachLookDrawsItsPointerOnTheSideOfTheValue)
{
    struct Case {
        CCWKnob::Look look;
        double value;
        int side;  // -1 left of the middle, +1 right, 0 above it
    };
    const Case cases[] = {
        {CCWKnob::Look::Knob, 0, -1},  {CCWKnob::Look::Knob, 100, 1},  {CCWKnob::Look::Knob, 50, 0},
        {CCWKnob::Look::Dial, 0, -1},  {CCWKnob::Look::Dial, 100, 1},  {CCWKnob::Look::Dial, 50, 0},
        {CCWKnob::Look::Meter, 0, -1}, {CCWKnob::Look::Meter, 100, 1}, {CCWKnob::Look::Meter, 50, 0},
    };
    const vexar::ui::COLORREF pointer = RGB(255, 0, 255);
    for (const Case& c : cases) {
        CCWKnob knob;
        knob.SetLook(c.look);
        knob.SetRange(0, 100);
        knob.SetPointerColor(pointer);
        knob.SetValue(c.value);
        knob.resize(220, 180);
        const QImage image = Shot(knob);
        const Patch patch = FindColour(image, pointer, 40);
        ASSERT_GT(patch.count, 20) << static_cast<int>(c.look) << " " << c.value;
        const double dx = patch.centre.x() - image.width() / 2.0;
        if (c.side == 0) {
            EXPECT_LT(std::fabs(dx), 6) << static_cast<int>(c.look);
        } else {
            EXPECT_GT(dx * c.side, 10) << static_cast<int>(c.look) << " " << c.value;
        }
    }
}

TEST(CCWKnob, TheMeterShowsItsColourAndDropsBorderAndHousing)
{
    CCWKnob meter;
    meter.SetLook(CCWKnob::Look::Meter);
    meter.SetRange(0, 100);
    meter.SetValue(80);
    meter.SetPointerColor(RGB(0, 0, 255));
    meter.SetLabelColor(RGB(0, 150, 0));
    meter.SetFormat(u".#0");
    meter.resize(240, 140);
    const QColor background = meter.palette().color(QPalette::Window);

    QImage image = Shot(meter);
    EXPECT_GT(FindColour(image, RGB(0, 0, 255)).count, 20);
    EXPECT_GT(FindColour(image, RGB(0, 150, 0), 40).count, 20);  // the labels
    EXPECT_FALSE(Near(image.pixelColor(120, 0), background, 4));  // the border's edge

    meter.SetBorderVisible(false);
    meter.SetHousingVisible(false);
    image = Shot(meter);
    // Outside the scale the page shows through: edges and the case's corner.
    EXPECT_TRUE(Near(image.pixelColor(120, 0), background, 2));
    EXPECT_TRUE(Near(image.pixelColor(2, 139), background, 2));
    EXPECT_TRUE(Near(image.pixelColor(239, 70), background, 2));
    EXPECT_GT(FindColour(image, RGB(0, 0, 255)).count, 20);
}

TEST(CCWKnob, LabelsStayInsideTheWidgetAtAnySize)
{
    // A long label format on a small knob: whatever is written is whole.
    for (const int size : {60, 90, 140, 260}) {
        CCWKnob knob;
        knob.SetRange(-1000, 1000);
        knob.SetTicks(10);
        knob.SetLabelColor(RGB(255, 0, 0));
        knob.SetPointerColor(RGB(0, 0, 255));
        knob.SetBorderVisible(false);
        knob.resize(size, size);
        const QImage image = Shot(knob);
        const Patch labels = FindColour(image, RGB(255, 0, 0), 60);
        if (labels.count == 0)
            continue;
        EXPECT_GE(labels.bounds.left(), 1) << size;
        EXPECT_LE(labels.bounds.right(), size - 2) << size;
        EXPECT_GE(labels.bounds.top(), 1) << size;
        EXPECT_LE(labels.bounds.bottom(), size - 2) << size;
    }
}

// Sizes and scales that leave no room: drawn without fault (the sanitizers
// watch), whatever is drawn.
TEST(CCWKnob, PaintsAtAnySizeAndOnAnyScale)
{
    const QSize sizes[] = {{0, 0}, {1, 1}, {4, 200}, {200, 4}, {30, 30}};
    const std::pair<double, double> ranges[] = {{0, 100}, {5, 5}, {100, -100}, {-1e12, 1e12}};
    for (const CCWKnob::Look look : {CCWKnob::Look::Knob, CCWKnob::Look::Dial, CCWKnob::Look::Meter}) {
        for (const QSize& size : sizes) {
            for (const auto& [minimum, maximum] : ranges) {
                CCWKnob knob;
                knob.SetLook(look);
                knob.SetRange(minimum, maximum);
                knob.SetTicks(CWScale::kMaxDivisions);
                knob.SetValue(maximum);
                knob.resize(size);
                (void)knob.grab();
                EXPECT_EQ(knob.GetValue(), maximum);
            }
        }
    }
}
