// Window ids, show commands, the two notions of enabled, showing with the
// focus, and proportional placement of dialog children.
#include "TestWindow.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace vexar::uitest {
namespace {

using namespace ui;

TEST(WindowState, ControlsAreFoundByTheirIdAmongTheDirectChildren)
{
    QWidget dialog;
    auto* button = new QPushButton(&dialog);
    auto* group = new QWidget(&dialog);
    auto* nested = new QPushButton(group);
    SetDlgCtrlID(*button, 1009);
    SetDlgCtrlID(*nested, 1010);
    EXPECT_EQ(GetDlgCtrlID(*button), 1009);
    EXPECT_EQ(GetDlgCtrlID(*group), 0);
    EXPECT_EQ(GetDlgItem(dialog, 1009), button);
    EXPECT_EQ(GetDlgItem(dialog, 1010), nullptr);
    EXPECT_EQ(GetDlgItem(*group, 1010), nested);
}

TEST(WindowState, ShowWindowTellsWhetherTheWidgetWasShown)
{
    QWidget window;
    auto* child = new QWidget(&window);
    window.show();
    EXPECT_TRUE(ShowWindow(*child, SW_HIDE));
    EXPECT_FALSE(child->isVisible());
    EXPECT_FALSE(ShowWindow(*child, SW_SHOWMAXIMIZED));
    EXPECT_TRUE(child->isVisible());
    EXPECT_TRUE(ShowWindow(window, SW_SHOWMAXIMIZED));
    EXPECT_TRUE(window.isMaximized());
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(window.isMaximized());
}

TEST(WindowState, AWindowsOwnEnabledStateIsApartFromItsParents)
{
    QWidget page;
    auto* control = new QWidget(&page);
    EnableWindow(page, false);
    EXPECT_FALSE(IsWindowEnabled(page));
    EXPECT_TRUE(IsWindowEnabled(*control)) << "its own state is enabled";
    EXPECT_FALSE(control->isEnabled()) << "but it takes no input while the page is disabled";
    EnableWindow(page, true);
    EnableWindow(*control, false);
    EXPECT_FALSE(IsWindowEnabled(*control));
}

// The link and the operator profile switch a control's input apart: the
// link enables the window, the profile the input.
TEST(WindowState, InputSwitchedOffStaysOffWhileTheWindowIsEnabledAgain)
{
    TestWindow page;
    page.resize(200, 100);
    auto* button = new QPushButton("Press", &page);
    button->setGeometry(10, 10, 80, 30);
    int pressed = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    SetInputEnabled(*button, false);
    EnableWindow(*button, false);
    EnableWindow(*button, true);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(IsInputEnabled(*button));
    QTest::mouseClick(button, Qt::LeftButton);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(page.Seen(QEvent::MouseButtonPress), 1u) << "the page still sees the mouse, for its tooltips";

    SetInputEnabled(*button, true);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pressed, 1);
    EnableWindow(*button, false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pressed, 1) << "a disabled window takes no input either";
}

TEST(WindowState, ShowAndFocusShowsActivatesAndFocusesTheWindow)
{
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    QWidget window;
    window.setFocusPolicy(Qt::StrongFocus);
    window.showMinimized();
    CUtility::ShowAndFocus(window, SW_RESTORE);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), &window);
}

struct RescaleCase {
    QRect design;
    QSize to;
    QSize from;
    bool dropDown;
    QRect expected;
};

class RescaleChild : public ::testing::TestWithParam<RescaleCase> {};

TEST_P(RescaleChild, PositionAndExtentScaleEachByItsAxis)
{
    QWidget dialog;
    QComboBox child(&dialog);
    child.setGeometry(GetParam().design);
    CUtility::RescaleChild(GetParam().to.width(), GetParam().to.height(), GetParam().from.width(),
                           GetParam().from.height(), child, GetParam().dropDown);
    EXPECT_EQ(child.geometry(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RescaleChild,
    ::testing::Values(
        // A 1280 x 960 screen against the 1024 x 768 design.
        RescaleCase{{10, 20, 100, 30}, {1280, 960}, {1024, 768}, false, {12, 25, 125, 37}},
        // 96 over 120 pixels per inch: smaller, truncated.
        RescaleCase{{10, 20, 100, 30}, {96, 96}, {120, 120}, false, {8, 16, 80, 24}},
        // Equal sizes leave everything.
        RescaleCase{{10, 20, 100, 30}, {1024, 768}, {1024, 768}, false, {10, 20, 100, 30}},
        // A value that would scale to 0 keeps its old value.
        RescaleCase{{0, 1, 3, 30}, {1, 768}, {1024, 768}, false, {0, 1, 3, 30}},
        // A drop-down list keeps its own height.
        RescaleCase{{10, 20, 100, 30}, {1280, 960}, {1024, 768}, true, {12, 25, 125, 30}}));

}  // namespace
}  // namespace vexar::uitest
