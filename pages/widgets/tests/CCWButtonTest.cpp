#include "pages/widgets/CCWButton.h"

#include "InstrumentTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace instruments;
using vexar::ui::RGB;

TEST(CCWButton, TheToggleFlipsOnPressAndIsClickedOnceAtTheRelease)
{
    struct Case {
        const char* name;
        CCWButton::Look look;
        std::function<void(CCWButton&)> act;
        bool value;
        int clicks;
        std::vector<bool> changes;
    };
    const QPoint middle(30, 15);
    const Case cases[] = {
        {"a click flips it", CCWButton::Look::Toggle,
         [&](CCWButton& b) { QTest::mouseClick(&b, Qt::LeftButton, {}, middle); }, true, 1, {true}},
        {"a second click flips it back", CCWButton::Look::Toggle,
         [&](CCWButton& b) {
             QTest::mouseClick(&b, Qt::LeftButton, {}, middle);
             QTest::mouseClick(&b, Qt::LeftButton, {}, middle);
         },
         false, 2, {true, false}},
        {"released outside, the flip stays and is clicked", CCWButton::Look::Toggle,
         [&](CCWButton& b) {
             QTest::mousePress(&b, Qt::LeftButton, {}, middle);
             QTest::mouseMove(&b, QPoint(200, 200));
             QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(200, 200));
         },
         true, 1, {true}},
        {"Space and Enter flip it like the button", CCWButton::Look::Toggle,
         [](CCWButton& b) {
             QTest::keyClick(&b, Qt::Key_Space);
             QTest::keyClick(&b, Qt::Key_Return);
         },
         false, 2, {true, false}},
        {"a held key flips once", CCWButton::Look::Toggle, [](CCWButton& b) { HoldKey(b, Qt::Key_Space, 4); }, true, 1,
         {true}},
        {"hidden in the middle of a press, the flip is clicked and the next press works", CCWButton::Look::Toggle,
         [&](CCWButton& b) {
             QTest::mousePress(&b, Qt::LeftButton, {}, middle);
             b.hide();  // its release goes nowhere
             b.show();
             QTest::mouseClick(&b, Qt::LeftButton, {}, middle);
         },
         false, 2, {true, false}},
        {"the right button does nothing", CCWButton::Look::Toggle,
         [&](CCWButton& b) { QTest::mouseClick(&b, Qt::RightButton, {}, middle); }, false, 0, {}},
        {"without input nothing flips or clicks", CCWButton::Look::Toggle,
         [&](CCWButton& b) {
             b.SetInputEnabled(false);
             QTest::mouseClick(&b, Qt::LeftButton, {}, middle);
             QTest::keyClick(&b, Qt::Key_Space);
         },
         false, 0, {}},
        {"a lamp is clicked but never flipped by the user", CCWButton::Look::RoundLamp,
         [&](CCWButton& b) { QTest::mouseClick(&b, Qt::LeftButton, {}, middle); }, false, 1, {}},
        {"the program's value changes it without a click", CCWButton::Look::SquareLamp,
         [](CCWButton& b) {
             b.SetValue(true);
             b.SetValue(true);
             b.SetValue(false);
         },
         false, 0, {true, false}},
    };
    for (const Case& c : cases) {
        CCWButton button;
        button.SetLook(c.look);
        ShowSized(button, 60, 30);
        std::vector<bool> valueAtClick;
        QObject::connect(&button, &CCWButton::clicked, [&] { valueAtClick.push_back(button.GetValue()); });
        QSignalSpy changed(&button, &CCWButton::valueChanged);
        c.act(button);
        EXPECT_EQ(button.GetValue(), c.value) << c.name;
        EXPECT_EQ(static_cast<int>(valueAtClick.size()), c.clicks) << c.name;
        std::vector<bool> changes;
        for (const QList<QVariant>& call : changed)
            changes.push_back(call.at(0).toBool());
        EXPECT_EQ(changes, c.changes) << c.name;
        // By the time the release is announced the toggle holds its new value.
        if (c.look == CCWButton::Look::Toggle && !valueAtClick.empty()) {
            EXPECT_EQ(valueAtClick.back(), c.value) << c.name;
        }
    }
}

TEST(CCWButton, OnlyAToggleThatTakesInputIsATabStop)
{
    CCWButton button;
    EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus);
    button.SetLook(CCWButton::Look::RoundLamp);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    button.SetLook(CCWButton::Look::Toggle);
    button.SetInputEnabled(false);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
}

// A lamp lights its lens in the on or off colour; a square lens reaches
// into the corners that a round one leaves to the bezel.
TEST(CCWButton, LampsShowTheirColoursAndShapes)
{
    constexpr vexar::ui::COLORREF kOn = RGB(255, 0, 0);
    constexpr vexar::ui::COLORREF kOff = RGB(0, 0, 160);
    for (const CCWButton::Look look : {CCWButton::Look::RoundLamp, CCWButton::Look::SquareLamp}) {
        CCWButton lamp;
        lamp.SetLook(look);
        lamp.SetOnColor(kOn);
        lamp.SetOffColor(kOff);
        lamp.resize(40, 40);
        lamp.SetValue(true);
        QImage image = Shot(lamp);
        EXPECT_TRUE(Near(image.pixelColor(20, 24), kOn, 8)) << static_cast<int>(look);
        const bool cornerLit = Near(image.pixelColor(8, 32), kOn, 8);
        EXPECT_EQ(cornerLit, look == CCWButton::Look::SquareLamp);
        lamp.SetValue(false);
        image = Shot(lamp);
        EXPECT_TRUE(Near(image.pixelColor(20, 24), kOff, 8)) << static_cast<int>(look);
        EXPECT_EQ(FindColour(image, kOn, 40).count, 0);
    }
}

TEST(CCWButton, TheTogglesLeverStandsRightWhenOn)
{
    constexpr vexar::ui::COLORREF kOn = RGB(0, 200, 0);
    CCWButton toggle;
    toggle.SetOnColor(kOn);
    toggle.resize(80, 40);
    EXPECT_EQ(FindColour(Shot(toggle), kOn).count, 0);
    toggle.SetValue(true);
    const QImage image = Shot(toggle);
    const Patch lit = FindColour(image, kOn);
    ASSERT_GT(lit.count, 30);
    // The lit track shows left of the lever, which covers the right end.
    EXPECT_LT(lit.centre.x(), 40 - 8);
    EXPECT_FALSE(Near(image.pixelColor(60, 20), kOn, 40));
}

TEST(CCWButton, PaintsAtAnySize)
{
    using Look = CCWButton::Look;
    for (const Look look : {Look::Toggle, Look::SquareLamp, Look::RoundLamp}) {
        for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(3, 60), QSize(60, 3)}) {
            CCWButton button;
            button.SetLook(look);
            button.SetValue(true);
            button.resize(size);
            (void)button.grab();
        }
    }
}
