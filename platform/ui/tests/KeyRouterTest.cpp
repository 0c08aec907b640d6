// The pre-translation of keys and mouse events: from the focused control up
// through page and frame, accelerators delivered to the window that
// translated them, and function keys read from key events.
#include "TestWindow.h"
#include "platform/ui/AcceleratorTable.h"
#include "platform/ui/CUtilityUi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

namespace vexar::uitest {
namespace {

using ui::AcceleratorTable;

constexpr unsigned kUndo = 32846;
constexpr unsigned kCut = 501;

// The value controls' table: its result does not stop the key.
const AcceleratorTable& ControlTable()
{
    static const AcceleratorTable table{{Qt::CTRL | Qt::Key_Z, kUndo}, {Qt::CTRL | Qt::Key_C, 32844}};
    return table;
}

// A page's table, consumed when translated.
const AcceleratorTable& PageTable()
{
    static const AcceleratorTable table{{Qt::CTRL | Qt::Key_Z, kUndo}, {Qt::CTRL | Qt::Key_X, kCut},
                                        {Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_E, 32779}};
    return table;
}

// A frame holding a page holding a control, shown and active, with the
// focus on the control.
class KeyRouterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.resize(300, 200);
        page = new TestWindow(&frame);
        page->setGeometry(0, 0, 300, 200);
        control = new TestWindow(page);
        control->setGeometry(10, 10, 100, 30);
        control->preTranslate = [this](QWidget&, QEvent& event) {
            ControlTable().Translate(*control, event);
            return false;
        };
        page->preTranslate = [this](QWidget&, QEvent& event) { return PageTable().Translate(*page, event); };
        frame.show();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control);
    }

    TestWindow frame;
    TestWindow* page = nullptr;
    TestWindow* control = nullptr;
};

TEST_F(KeyRouterTest, CtrlZOnTheFocusedControlReachesItsCommandHandler)
{
    int undone = 0;
    control->commands().On(kUndo, [&] { ++undone; });

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);

    EXPECT_EQ(undone, 1);
    EXPECT_EQ(control->commandsRun, (std::vector<unsigned>{kUndo}));
    // The page translated it as well and consumed it: the frame did not see
    // the key and the control's own key handling did not get it.
    EXPECT_EQ(page->commandsRun, (std::vector<unsigned>{kUndo}));
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_Z), 0u);
    EXPECT_TRUE(frame.commandsRun.empty());
    EXPECT_EQ(std::count(control->keysPressed.begin(), control->keysPressed.end(), Qt::Key_Z), 0);
}

TEST_F(KeyRouterTest, AnAcceleratorTranslatedByAPageIsDeliveredToThatPage)
{
    int cut = 0;
    page->commands().On(kCut, [&] { ++cut; });

    QTest::keyClick(control, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(control, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);

    EXPECT_EQ(cut, 1);
    EXPECT_EQ(page->commandsRun, (std::vector<unsigned>{kCut, 32779}));
    EXPECT_TRUE(control->commandsRun.empty());
    EXPECT_TRUE(frame.commandsRun.empty());
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_X), 0u);
}

TEST_F(KeyRouterTest, AcceleratorsNeedExactlyTheirModifiers)
{
    QTest::keyClick(control, Qt::Key_X);
    QTest::keyClick(control, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(control, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(page->commandsRun.empty());
    // Not consumed, so the keys went on to the frame and the control.
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_X), 2u);
    EXPECT_EQ(std::count(control->keysPressed.begin(), control->keysPressed.end(), Qt::Key_X), 2);
}

TEST_F(KeyRouterTest, EachWindowSeesAnUnconsumedKeyOnceAlsoWhenQtPassesItToTheParents)
{
    control->acceptKeys = false;
    page->acceptKeys = false;
    QTest::keyClick(control, Qt::Key_Q);

    for (TestWindow* window : {control, page, &frame}) {
        EXPECT_EQ(window->Seen(QEvent::KeyPress, Qt::Key_Q), 1u);
        EXPECT_EQ(window->Seen(QEvent::KeyRelease, Qt::Key_Q), 1u);
        // The key was pressed on the control, also for the outer windows.
        EXPECT_EQ(window->preTranslated.front().target, control);
    }
    // Ignored by control and page, Qt passed it on up to the frame.
    EXPECT_EQ(control->keysPressed, (std::vector<int>{Qt::Key_Q}));
    EXPECT_EQ(page->keysPressed, (std::vector<int>{Qt::Key_Q}));
    EXPECT_EQ(frame.keysPressed, (std::vector<int>{Qt::Key_Q}));
}

TEST_F(KeyRouterTest, MouseEventsArePreTranslatedOnceWithTheirTargetAndConsumedEventsGoNoFurther)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(control->clicks, 1);
    EXPECT_EQ(page->Seen(QEvent::MouseButtonPress), 1u);
    EXPECT_EQ(frame.Seen(QEvent::MouseButtonPress), 1u);
    EXPECT_EQ(frame.preTranslated.back().target, control);

    page->preTranslate = [](QWidget&, QEvent& event) { return event.type() == QEvent::MouseButtonPress; };
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(control->clicks, 1) << "the page consumed the press";
    EXPECT_EQ(frame.Seen(QEvent::MouseButtonPress), 1u);
    EXPECT_EQ(control->Seen(QEvent::MouseButtonPress), 2u) << "the control is asked first";
}

TEST_F(KeyRouterTest, APlainQtWidgetInsideAPageIsRoutedThroughThePage)
{
    auto* edit = new QLineEdit(page);
    edit->show();
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "ab") << "Ctrl+X was the page's, not the field's";
    EXPECT_EQ(page->commandsRun, (std::vector<unsigned>{kCut}));
    EXPECT_EQ(page->Seen(QEvent::KeyPress, Qt::Key_A), 1u);
}

TEST_F(KeyRouterTest, TheWalkGoesOnToAnOwningWindowButNotOutOfAModalDialog)
{
    TestWindow host(&frame);
    host.setWindowFlag(Qt::Window);
    auto* hostControl = new TestWindow(&host);
    host.show();
    QTest::keyClick(hostControl, Qt::Key_F3);
    EXPECT_EQ(host.Seen(QEvent::KeyPress, Qt::Key_F3), 1u);
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_F3), 1u) << "a page host's keys reach its frame";

    QDialog dialog(&frame);
    auto* dialogControl = new TestWindow(&dialog);
    dialog.setModal(true);
    dialog.show();
    QTest::keyClick(dialogControl, Qt::Key_F4);
    EXPECT_EQ(dialogControl->Seen(QEvent::KeyPress, Qt::Key_F4), 1u);
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_F4), 0u) << "a modal dialog keeps its keys";
}

TEST_F(KeyRouterTest, AWindowThatDeletesTheTargetWhileTranslatingEndsTheWalk)
{
    page->preTranslate = [this](QWidget& target, QEvent& event) {
        if (event.type() == QEvent::KeyPress && &target == control) {
            delete control;
            control = nullptr;
        }
        return false;
    };
    QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    EXPECT_EQ(control, nullptr);
    EXPECT_EQ(frame.Seen(QEvent::KeyPress, Qt::Key_K), 0u);
}

struct FunctionKeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expected;
};

class FunctionKeyTest : public KeyRouterTest, public ::testing::WithParamInterface<FunctionKeyCase> {};

// The page asks every event it pre-translates, as the pages and the view
// do; one key click gives one function key at the most.
TEST_P(FunctionKeyTest, ThePressedFunctionKeyIsReadFromTheKeyEvent)
{
    std::vector<int> keys;
    page->preTranslate = [&](QWidget&, QEvent& event) {
        if (const int key = CUtility::GetFunctionKey(event))
            keys.push_back(key);
        return false;
    };
    QTest::keyClick(control, GetParam().key, GetParam().modifiers);
    if (GetParam().expected == 0)
        EXPECT_TRUE(keys.empty());
    else
        EXPECT_EQ(keys, (std::vector<int>{GetParam().expected}));
}

INSTANTIATE_TEST_SUITE_P(Keys, FunctionKeyTest,
                         ::testing::Values(FunctionKeyCase{Qt::Key_F5, Qt::NoModifier, 5},
                                           FunctionKeyCase{Qt::Key_F5, Qt::ShiftModifier, 17},
                                           FunctionKeyCase{Qt::Key_F5, Qt::ControlModifier, 0},
                                           FunctionKeyCase{Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier, 0},
                                           FunctionKeyCase{Qt::Key_F1, Qt::NoModifier, 1},
                                           FunctionKeyCase{Qt::Key_F12, Qt::NoModifier, 12},
                                           FunctionKeyCase{Qt::Key_F1, Qt::ShiftModifier, 13},
                                           FunctionKeyCase{Qt::Key_F12, Qt::ShiftModifier, 24},
                                           FunctionKeyCase{Qt::Key_F5, Qt::AltModifier, 5},
                                           FunctionKeyCase{Qt::Key_F13, Qt::NoModifier, 0},
                                           FunctionKeyCase{Qt::Key_5, Qt::NoModifier, 0},
                                           FunctionKeyCase{Qt::Key_Shift, Qt::ShiftModifier, 0}));

TEST(GetFunctionKey, AReleaseAnAutoRepeatAndOtherEventsPressNoKey)
{
    EXPECT_EQ(CUtility::GetFunctionKey(QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier)), 5);
    EXPECT_EQ(CUtility::GetFunctionKey(QKeyEvent(QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier)), 0);
    EXPECT_EQ(CUtility::GetFunctionKey(QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, QString(), true)), 0);
    EXPECT_EQ(CUtility::GetFunctionKey(QEvent(QEvent::FocusIn)), 0);
}

}  // namespace
}  // namespace vexar::uitest
