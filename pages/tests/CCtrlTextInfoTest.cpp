// The graph's floating value text: nothing before CreateInfo or after
// DestroyInfo; a hidden bordered child with id 0xFFFF once created; shown
// at the given corner, sized to its text, black on RGB(255, 255, 225).
#include "pages/CCtrlTextInfo.h"

#include "DisplayTestSupport.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

using namespace displaytest;

namespace {

class TextInfo : public ::testing::Test {
protected:
    TextInfo() : chart(400, 300) { chart.ShowAndWait(); }

    RecordingParent chart;
    CCtrlTextInfo info;
};

TEST_F(TextInfo, ShowInfoBeforeCreateInfoDoesNothing)
{
    info.ShowInfo(u"1520 rpm", 30, 40);
    info.HideInfo();
    EXPECT_EQ(info.Window(), nullptr);
    EXPECT_TRUE(chart.findChildren<QWidget*>().isEmpty());
}

TEST_F(TextInfo, CreateInfoMakesAHiddenChild)
{
    ASSERT_TRUE(info.CreateInfo(chart));
    ASSERT_NE(info.Window(), nullptr);
    EXPECT_EQ(info.Window()->parentWidget(), &chart);
    EXPECT_TRUE(info.Window()->isHidden());
    EXPECT_EQ(info.Window()->geometry(), QRect(0, 0, 50, 20));
    EXPECT_EQ(vexar::ui::GetDlgItem(chart, 0xFFFF), info.Window());
    EXPECT_FALSE(info.CreateInfo(chart)) << "one window at a time";
}

TEST_F(TextInfo, ShowInfoSizesToTheTextAtTheCorner)
{
    ASSERT_TRUE(info.CreateInfo(chart));
    info.ShowInfo(u"1520 rpm", 30, 40);
    QWidget* window = info.Window();
    ASSERT_TRUE(window->isVisible());
    const QFontMetrics metrics(window->font());
    EXPECT_EQ(window->geometry(),
              QRect(30, 40, metrics.horizontalAdvance("1520 rpm") + 6, metrics.height() + 5));
    EXPECT_EQ(static_cast<QLabel*>(window)->text(), "1520 rpm");

    const QImage shot = Shot(*window);
    EXPECT_TRUE(Near(shot.pixelColor(0, 0), Qt::black)) << "the border";
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 1, shot.height() - 1), Qt::black));
    EXPECT_TRUE(Near(shot.pixelColor(1, 1), vexar::ui::RGB(255, 255, 225)));
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 2, shot.height() - 2), vexar::ui::RGB(255, 255, 225)));
    const int inkLeft = [&] {
        for (int x = 1; x < shot.width() - 1; ++x)
            if (CountNear(shot, QRect(x, 1, 1, shot.height() - 2), Qt::black, 90) > 0)
                return x;
        return -1;
    }();
    EXPECT_GE(inkLeft, 2) << "the text starts inside the border";

    info.ShowInfo(u"12.5 bar", 100, 120);
    EXPECT_EQ(window->pos(), QPoint(100, 120));
    info.HideInfo();
    EXPECT_TRUE(window->isHidden());
}

// Destroyed, the window is gone and the object is as before CreateInfo;
// the same holds when its parent takes the window with it.
TEST_F(TextInfo, NothingAfterDestroyInfoOrWithoutItsParent)
{
    ASSERT_TRUE(info.CreateInfo(chart));
    info.DestroyInfo();
    EXPECT_EQ(info.Window(), nullptr);
    info.ShowInfo(u"1520 rpm", 30, 40);
    EXPECT_TRUE(chart.findChildren<QWidget*>().isEmpty());

    {
        QWidget graph;
        ASSERT_TRUE(info.CreateInfo(graph));
    }
    EXPECT_EQ(info.Window(), nullptr);
    info.ShowInfo(u"1520 rpm", 30, 40);
    info.HideInfo();
    ASSERT_TRUE(info.CreateInfo(chart)) << "made again after its window went";
}

}  // namespace
