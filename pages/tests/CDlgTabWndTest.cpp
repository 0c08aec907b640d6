// A configured page in its host: function keys reach the host, letters
// press buttons (but not when typed into a field or a list, nor after
// Ctrl+C), an oversize page scrolls by lines of 10 pixels with its design
// grid under its controls, Enter leaves the host and Escape hides it
// unless a recording runs, and the page relays the pointer to the tooltip
// of a disabled control.
#include "HostTestSupport.h"
#include "RecordingFixedPage.h"

#include "link/LinkMessages.h"
#include "pages/CCtrlCheck.h"
#include "pages/CCtrlTab.h"
#include "pages/CUtilityFactory.h"
#include "pages/PageScroller.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace vexar::pagestest;
using vexar::pagesfixture::RecordingFixedPage;

namespace {

class PageInHost : public ::testing::Test {
protected:
    PageInHost()
    {
        app.ResizeImages(64, 64);
        definitions = {CheckBoxDef(1, u"Changeover"), CheckBoxDef(2, u"Second page box")};
    }
    ~PageInHost() override
    {
        host.ClosePages();
        host.FreePages();
    }

    // Two tabs; the first is `height` x `width` pixels.
    void Build(bool fixedPages = false, std::int32_t height = 200, std::int32_t width = 400)
    {
        if (fixedPages) {
            FIXED_PAGES pages;
            auto page = std::make_unique<RecordingFixedPage>(u"Acquisition");
            acq = page.get();
            pages.acq = std::move(page);
            host.SetFixedPages(std::move(pages));
        }
        Prepare(host, fixedPages);
        host.CreatePages(1, OPR_PRV, Layout({Tab(u"Engine", {1}, OPR_PBL, height, width), Tab(u"Injection", {2})}),
                         definitions, {});
        ShowAndWait(host);
        page = host.ConfiguredPages().at(0);
        box = CUtility::CtrlWidget(page->m_table.at(0));
        ASSERT_NE(box, nullptr);
    }

    // A control of a category without a class, put on the first page.
    template <class Control>
    Control& Add(REC_CONTROLLO definition)
    {
        auto* control = new Control(app, std::move(definition), page);
        const std::int32_t row = static_cast<std::int32_t>(page->m_table.size());
        control->setGeometry(10 + 100, 10 + row * 40, 90, 24);
        control->show();
        page->m_table.push_back(control->Entry());
        return *control;
    }

    void ReleaseOn(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyRelease(&widget, key, modifiers);
        QTest::qWait(30);  // the press is posted
    }

    RecordingApp app;
    std::vector<REC_CONTROLLO> definitions;
    CDlgTabSB host{app};
    CDlgTabWnd* page = nullptr;
    QWidget* box = nullptr;
    RecordingFixedPage* acq = nullptr;
};

// F2 pressed on the first page shows the host's second tab.
TEST_F(PageInHost, F2OnAPageShowsTheSecondTab)
{
    Build();
    ASSERT_EQ(host.CurrentTab(), 0);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.CurrentTab() == 1; }, 2000));
    EXPECT_EQ(host.Strip().GetCurSel(), 1);
    EXPECT_TRUE(host.ConfiguredPages().at(1)->isVisible());
    EXPECT_FALSE(page->isVisible());
}

// Both buttons' names begin with S (in either case): releasing S presses
// the first visible one in table order, which also takes the focus.
TEST_F(PageInHost, ALetterPressesTheFirstVisibleButtonNamedWithIt)
{
    Build();
    TestButton& hidden = Add<TestButton>(PageDef(10, CTRL_BUTTON_CMD, u"Skip"));
    TestButton& command = Add<TestButton>(PageDef(11, CTRL_BUTTON_CMD, u"Start injector test"));
    TestButton& reset = Add<TestButton>(PageDef(12, CTRL_RESET, u"stop counters"));
    hidden.hide();
    box->setFocus();
    ReleaseOn(*box, Qt::Key_S);
    EXPECT_EQ(command.presses, 1);
    EXPECT_EQ(reset.presses, 0);
    EXPECT_EQ(hidden.presses, 0);
    EXPECT_TRUE(command.hasFocus());
    ReleaseOn(command, Qt::Key_S, Qt::ShiftModifier);
    ReleaseOn(command, Qt::Key_T);
    EXPECT_EQ(command.presses, 1) << "Shift held, or no button of that letter";
}

// S typed into a text field or picking an item of a drop-down list is the
// control's own: no button is pressed (a press would write to the ECU).
TEST_F(PageInHost, ALetterTypedIntoAFieldOrAListPressesNothing)
{
    Build();
    TestButton& command = Add<TestButton>(PageDef(11, CTRL_BUTTON_CMD, u"Start injector test"));
    TestEdit& field = Add<TestEdit>(PageDef(13, CTRL_EDIT, u""));
    TestList& list = Add<TestList>(PageDef(14, CTRL_COMBO, u""));
    TestList& actions = Add<TestList>(PageDef(15, CTRL_RIPR, u""));
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_S);
    QTest::qWait(30);
    EXPECT_EQ(field.text(), "s");
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_S);
    QTest::qWait(30);
    EXPECT_EQ(list.currentText(), "Steady");
    actions.setFocus();
    QTest::keyClick(&actions, Qt::Key_S);
    QTest::qWait(30);
    EXPECT_EQ(command.presses, 0);
}

// Ctrl+C with Ctrl let go first: the release of C that follows is no
// shortcut; the next C is one again.
TEST_F(PageInHost, ALetterReleasedAfterCtrlPressesNothing)
{
    Build();
    TestButton& calibrate = Add<TestButton>(PageDef(11, CTRL_BUTTON_CMD, u"Calibrate"));
    box->setFocus();
    QTest::keyPress(box, Qt::Key_Control);
    QTest::keyPress(box, Qt::Key_C, Qt::ControlModifier);
    ReleaseOn(*box, Qt::Key_Control);
    ReleaseOn(*box, Qt::Key_C);
    EXPECT_EQ(calibrate.presses, 0);
    ReleaseOn(*box, Qt::Key_C);
    EXPECT_EQ(calibrate.presses, 1);
}

// A page taller and wider than the strip's display area shows both bars;
// one line moves the content by 10 pixels.
TEST_F(PageInHost, AnOversizePageScrollsTenPixelsALine)
{
    Build(false, 2000, 3000);
    QScrollBar* vertical = page->Scroller().Vertical();
    QScrollBar* horizontal = page->Scroller().Horizontal();
    ASSERT_TRUE(vertical->isVisible());
    ASSERT_TRUE(horizontal->isVisible());
    EXPECT_EQ(vertical->pageStep(), page->Scroller().Viewport().height());
    const QPoint before = box->pos();
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(box->pos(), before - QPoint(0, 10));
    horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(box->pos(), before - QPoint(20, 10));
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(page->Scroller().Offset().y(), 2000 - page->Scroller().Viewport().height());
    vertical->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(box->pos(), before - QPoint(20, 0));

    host.ConfiguredPages().at(1)->Scroller();
    EXPECT_FALSE(host.ConfiguredPages().at(1)->Scroller().Vertical()->isVisibleTo(host.ConfiguredPages().at(1)));
}

// Ctrl+Alt+Shift+E shows the design grid; after scrolling it still lies
// under the controls: the box stands at its cell's corner, where the
// lines of its column and row cross.
TEST_F(PageInHost, TheDesignGridStaysUnderTheControlsAfterScrolling)
{
    definitions.push_back(CheckBoxDef(3, u"Far box"));
    Build(false, 2000, 3000);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_TRUE(page->m_grid.showDesignGrid);
    page->Scroller().Vertical()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    page->Scroller().Vertical()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    page->Scroller().Vertical()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    page->Scroller().Horizontal()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    page->Scroller().Horizontal()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(page->Scroller().Offset(), QPoint(20, 30));

    const QImage shot = page->grab().toImage();
    // The box of row 0 now stands at (margin - 20, margin - 30); the line
    // of column 1 runs 100 pixels right of it, the line of row 3 120
    // pixels below it, through empty cells.
    const QPoint corner = box->pos();
    const int columnLine = corner.x() + 100;
    const int rowLine = corner.y() + 3 * 40;
    for (int y : {rowLine + 10, rowLine + 25})
        EXPECT_EQ(shot.pixelColor(columnLine, y), QColor(Qt::black)) << y;
    for (int x : {columnLine + 10, columnLine + 60})
        EXPECT_EQ(shot.pixelColor(x, rowLine), QColor(Qt::black)) << x;
    EXPECT_NE(shot.pixelColor(columnLine + 3, rowLine + 10), QColor(Qt::black));
}

// Enter on a page leaves the host as it is; Escape hides it, except while
// the acquisition page records.
TEST_F(PageInHost, EnterKeepsTheHostAndEscapeHidesItUnlessRecording)
{
    Build(true);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_TRUE(host.isVisible());

    ASSERT_TRUE(acq->IsCreated());
    app.m_bRecording = true;
    QTest::keyClick(box, Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_TRUE(host.isVisible());

    app.m_bRecording = false;
    app.requests.clear();
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !host.isVisible(); }, 2000));
    EXPECT_EQ(app.Count(vexar::link::WM_LINK_REBUILD_POLL_LIST), 1u);
}

// The pointer resting on a disabled box, as the page sees it, shows the
// box's tooltip.
TEST_F(PageInHost, ThePageRelaysThePointerToADisabledControlsTooltip)
{
    Build();
    vexar::ui::EnableWindow(*box, false);
    const QPoint over = box->geometry().center();
    QMouseEvent move(QEvent::MouseMove, QPointF(over), QPointF(page->mapToGlobal(over)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(page, &move);
    auto tipShown = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* tip = qobject_cast<QLabel*>(widget);
                tip && widget->windowType() == Qt::ToolTip && widget->isVisible() && tip->text() == "Tip of Changeover")
                return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(tipShown, 2000));
}

}  // namespace
