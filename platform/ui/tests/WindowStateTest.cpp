// Window ids, show commands, the two notions of enabled, showing with the
// focus, and proportional placement of dialog children.
#include "TestWindow.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
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

// Offscreen windows get a thin frame as soon as they show: the window lies
// within the outer rectangle, frame included, and placing it again moves
// it there without a second watch of the frame.
TEST(WindowFrame, OffscreenTheFrameLiesWithinTheRectangle)
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "the desktop case is the next test";
    QWidget window;
    SetWindowRect(window, QRect(0, 0, 640, 480));
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() == QRect(0, 0, 640, 480); }, 2000));
    SetWindowRect(window, QRect(10, 20, 300, 200));
    EXPECT_EQ(window.frameGeometry(), QRect(10, 20, 300, 200));
    EXPECT_LE(window.findChildren<QObject*>(QStringLiteral("vexar-frame-watch")).size(), 1);
}

// On a desktop with a window manager the title bar lies inside the outer
// rectangle: a window placed at the screen's top-left corner shows its
// title bar at the top of the screen, not above it. The first window is
// placed before any frame is known (corrected once framed), the second
// from the first one's frame; a user's later move stays.
TEST(WindowFrame, OnADesktopTheFrameLiesWithinTheRectangle)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty())
        GTEST_SKIP() << "openbox is not installed";
    QProcess manager;
    manager.start(openbox, {});
    ASSERT_TRUE(manager.waitForStarted(5000));
    auto framed = [](const QWidget& w) { return w.frameGeometry() != w.geometry(); };

    // The window manager is up once it frames a probe window.
    bool managed = false;
    for (int attempt = 0; attempt < 50 && !managed; ++attempt) {
        QWidget probe;
        probe.resize(100, 100);
        probe.show();
        managed = QTest::qWaitFor([&] { return framed(probe); }, 200);
    }
    ASSERT_TRUE(managed) << "openbox did not frame a window";

    const QRect outer(0, 0, 700, 500);
    QWidget first;
    SetWindowRect(first, outer);
    first.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return framed(first) && first.frameGeometry() == outer; }, 5000))
        << "frame at " << first.frameGeometry().x() << "," << first.frameGeometry().y() << " size "
        << first.frameGeometry().width() << "x" << first.frameGeometry().height();
    EXPECT_LT(first.geometry().height(), outer.height()) << "the client left room for the title bar";

    QWidget second;
    const QRect other(50, 40, 500, 300);
    SetWindowRect(second, other);
    second.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return framed(second) && second.frameGeometry() == other; }, 5000));

    first.move(120, 90);
    QTest::qWait(300);
    EXPECT_EQ(first.frameGeometry().topLeft(), QPoint(120, 90)) << "a later move is the user's";

    manager.terminate();
    manager.waitForFinished(3000);
}

}  // namespace
}  // namespace vexar::uitest
