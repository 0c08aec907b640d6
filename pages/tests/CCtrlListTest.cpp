// The list view tells its parent when a scroll with the scroll bar ended:
// once, at the release, whatever the bar was pressed on; never while the
// thumb moves. A left double-click tells it too and still does what a
// double-click does.
#include "pages/CCtrlList.h"

#include "DisplayTestSupport.h"
#include "link/LinkMessages.h"

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <gtest/gtest.h>

using namespace displaytest;
using vexar::link::WM_LIST_SCROLL_END;

namespace {

QRect BarPart(QScrollBar& bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
}

class ListView : public ::testing::Test {
protected:
    ListView() : parent(320, 240)
    {
        list = new CCtrlList(&parent);
        list->setGeometry(10, 10, 300, 220);
        list->setHeaderLabels({"Code", "Description"});
        for (int row = 0; row < 200; ++row)
            list->addTopLevelItem(new QTreeWidgetItem({QString("P%1").arg(row, 4, 10, QChar('0')), "Injector circuit"}));
        parent.ShowAndWait();
        QCoreApplication::processEvents();
        parent.messages.clear();
    }

    QScrollBar& Bar() { return *list->verticalScrollBar(); }

    RecordingParent parent;
    CCtrlList* list = nullptr;
};

struct BarPress {
    const char* name;
    QStyle::SubControl part;
    bool drag;  // the thumb dragged down in steps before the release
    friend void PrintTo(const BarPress& press, std::ostream* out) { *out << press.name; }
};

class ListScrollBar : public ListView, public ::testing::WithParamInterface<BarPress> {};

TEST_P(ListScrollBar, PostsOneScrollEndAtTheReleaseOnly)
{
    ASSERT_TRUE(Bar().isVisible());
    const QPoint start = BarPart(Bar(), GetParam().part).center();
    int steps = 0;
    QObject::connect(&Bar(), &QAbstractSlider::actionTriggered, [&steps] { ++steps; });
    QTest::mousePress(&Bar(), Qt::LeftButton, {}, start);
    if (GetParam().drag) {
        for (int step = 1; step <= 5; ++step) {
            QTest::mouseMove(&Bar(), start + QPoint(0, 8 * step));
            QCoreApplication::processEvents();
        }
    } else {
        QTest::qWait(650);  // past the wait before a held press repeats its step
    }
    EXPECT_GT(Bar().value(), 0) << "the list scrolled";
    EXPECT_GE(steps, 2) << "steps taken while the button is held";
    EXPECT_EQ(parent.Count(WM_LIST_SCROLL_END), 0u) << "nothing while the button is held";

    QTest::mouseRelease(&Bar(), Qt::LeftButton, {}, start + QPoint(0, GetParam().drag ? 40 : 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.messages, (std::vector<Posted>{{WM_LIST_SCROLL_END, 0}}));
}

INSTANTIATE_TEST_SUITE_P(Parts, ListScrollBar,
                         ::testing::Values(BarPress{"ThumbDragged", QStyle::SC_ScrollBarSlider, true},
                                           BarPress{"ArrowHeld", QStyle::SC_ScrollBarAddLine, false},
                                           BarPress{"PageHeld", QStyle::SC_ScrollBarAddPage, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A step taken with no button held on the bar (its menu, its keys) is a
// whole scroll; the program's own scrolling and the wheel are none.
TEST_F(ListView, AStepWithoutTheMouseEndsAScrollTheProgramsScrollingDoesNot)
{
    Bar().setValue(30);
    list->scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.Count(WM_LIST_SCROLL_END), 0u);

    Bar().triggerAction(QAbstractSlider::SliderPageStepSub);
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.Count(WM_LIST_SCROLL_END), 1u);
}

// The double-click is told to the parent and still opens the row.
TEST_F(ListView, LeftDoubleClickPostsAndIsStillHandled)
{
    QTreeWidgetItem* row = list->topLevelItem(3);
    const QPoint at = list->visualItemRect(row).center();
    DoubleClick(*list->viewport(), Qt::RightButton, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.Count(WM_LIST_SCROLL_END), 0u) << "only the left button";

    std::vector<QTreeWidgetItem*> opened;
    QObject::connect(list, &QTreeWidget::itemDoubleClicked,
                     [&opened](QTreeWidgetItem* item, int) { opened.push_back(item); });

    DoubleClick(*list->viewport(), Qt::LeftButton, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(parent.messages, (std::vector<Posted>{{WM_LIST_SCROLL_END, 0}}));
    EXPECT_EQ(opened, std::vector<QTreeWidgetItem*>{row});
    EXPECT_EQ(list->currentItem(), row);
}

TEST_F(ListView, IsAFlatListWithColumns)
{
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->topLevelItem(5)->text(0), "P0005");
}

}  // namespace
