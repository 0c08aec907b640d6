// The controls' tooltip: it shows once the pointer has rested over the
// control for the show delay and not before, over an enabled control from
// the control's own pointer events and over a disabled one from the
// events its page relays; its text stays on one line however long; it
// goes when the pointer leaves or clicks.
#include "pages/CCtrlToolTip.h"

#include "DisplayTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace displaytest;

namespace {

class ToolTip : public ::testing::Test {
protected:
    ToolTip() : page(400, 200)
    {
        box = new QCheckBox("Changeover on temperature", &page);
        box->setGeometry(20, 20, 240, 24);
        other = new QCheckBox("Cut-off", &page);
        other->setGeometry(20, 80, 240, 24);
        page.ShowAndWait();
    }

    void Attach(const std::u16string& text)
    {
        ASSERT_TRUE(CUtility::AttachToolTip(*box, tip, attached, text));
        ASSERT_TRUE(attached);
        ASSERT_NE(tip, nullptr);
    }

    QPoint Over(QWidget& control) const { return control.mapToGlobal(control.rect().center()); }

    // The pointer rests over the box (`move` puts it there); the tip must
    // show, and not before the delay has passed since.
    void RestAndWait(const std::function<void()>& move)
    {
        QElapsedTimer clock;
        clock.start();
        move();
        while (!tip->IsShown() && clock.elapsed() < 3000)
            QTest::qWait(5);
        ASSERT_TRUE(tip->IsShown());
        EXPECT_GE(clock.elapsed(), CCtrlToolTip::kInitialMs) << "not before the delay";
    }

    void RestAndWait()
    {
        RestAndWait([this] { tip->RelayEvent(QEvent::MouseMove, Over(*box)); });
    }

    RecordingParent page;
    QCheckBox* box = nullptr;
    QCheckBox* other = nullptr;
    std::unique_ptr<CCtrlToolTip> tip;
    bool attached = false;
};

TEST_F(ToolTip, ShowsAfterTheDelayOverAnEnabledControlFromItsOwnPointer)
{
    Attach(u"Changes over to gas once the reducer is warm");
    EXPECT_EQ(tip->Text(), QString("Changes over to gas once the reducer is warm"));
    RestAndWait([this] { QTest::mouseMove(box, box->rect().center()); });
    ASSERT_EQ(ShownTips().size(), 1u);
    EXPECT_EQ(static_cast<QLabel*>(ShownTips().front())->text(), tip->Text());

    QTest::mouseMove(other, other->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tip->IsShown(); }, 2000));
    EXPECT_TRUE(ShownTips().empty());
}

TEST_F(ToolTip, ShowsOverADisabledControlFromRelayedEvents)
{
    box->setEnabled(false);
    Attach(u"Changes over to gas once the reducer is warm");
    RestAndWait();
}

// Three hundred characters of comment stay on one line, whole.
TEST_F(ToolTip, KeepsALongTextOnOneLine)
{
    std::u16string text;
    while (text.size() < 300)
        text += u"Reducer temperature threshold ";
    text.resize(300);
    Attach(text);
    RestAndWait();
    ASSERT_EQ(ShownTips().size(), 1u);
    QWidget* shown = ShownTips().front();
    const QFontMetrics metrics(shown->font());
    EXPECT_GE(shown->width(), metrics.horizontalAdvance(QString::fromStdU16String(text)));
    EXPECT_LT(shown->height(), 2 * metrics.lineSpacing());
}

// Leaving, or moving on past the control's edge, takes the tip down; so
// does a click, after which it stays down until the pointer has left.
TEST_F(ToolTip, GoesWhenThePointerLeavesOrClicks)
{
    box->setEnabled(false);
    Attach(u"Changes over to gas once the reducer is warm");
    RestAndWait();
    tip->RelayEvent(QEvent::Leave, {});
    EXPECT_FALSE(tip->IsShown());
    EXPECT_TRUE(ShownTips().empty());

    RestAndWait();
    tip->RelayEvent(QEvent::MouseMove, Over(*other));
    EXPECT_FALSE(tip->IsShown());

    RestAndWait();
    tip->RelayEvent(QEvent::MouseButtonPress, Over(*box));
    EXPECT_FALSE(tip->IsShown());
    tip->RelayEvent(QEvent::MouseMove, Over(*box) + QPoint(3, 0));
    QTest::qWait(3 * CCtrlToolTip::kInitialMs);
    EXPECT_FALSE(tip->IsShown()) << "not back while the pointer stays";

    tip->RelayEvent(QEvent::Leave, {});
    RestAndWait();
}

// A control without a comment shows no empty box; a control that goes
// while its tip shows takes the tip with it.
TEST_F(ToolTip, NoTipWithoutTextAndNoneLeftByAControlThatGoes)
{
    Attach(u"");
    tip->RelayEvent(QEvent::MouseMove, Over(*box));
    QTest::qWait(3 * CCtrlToolTip::kInitialMs);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_TRUE(ShownTips().empty());

    Attach(u"Changes over to gas once the reducer is warm");
    RestAndWait();
    delete box;
    box = nullptr;
    EXPECT_FALSE(tip->IsShown());
    EXPECT_TRUE(ShownTips().empty());
}

}  // namespace
