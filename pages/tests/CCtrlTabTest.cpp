// The page host's tab strip: what the pages post to it reaches the host;
// tabs filled with the background colour, text in the text colour, cut to
// 62 characters; the selection and the click the host acts on.
#include "pages/CCtrlTab.h"

#include "DisplayTestSupport.h"
#include "link/LinkMessages.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OwnerDraw.h"

#include <gtest/gtest.h>

using namespace displaytest;
using vexar::link::WM_SELECT_PAGE;
using vexar::ui::RGB;
using vexar::ui::WM_CLOSE;

namespace {

class TabStrip : public ::testing::Test {
protected:
    TabStrip() : host(520, 300)
    {
        strip = new CCtrlTab(&host);
        strip->setGeometry(0, 0, 520, 300);
        host.ShowAndWait();
    }

    QImage Item(int index) { return Shot(*strip).copy(GetInner(index)); }

    // The inside of a tab, clear of its edge.
    QRect GetInner(int index) const { return strip->GetItemRect(index).adjusted(4, 6, -4, -2); }

    RecordingParent host;
    CCtrlTab* strip = nullptr;
};

// A page posts to its parent, the strip; the host gets both messages with
// the page's wParam, and the strip itself stays.
TEST_F(TabStrip, PassesSelectPageAndCloseToTheHost)
{
    vexar::ui::PostMessage(strip, {WM_SELECT_PAGE, 3, 0, {}});
    vexar::ui::PostMessage(strip, {WM_CLOSE, 0, 0, {}});
    vexar::ui::PostMessage(strip, {WM_SELECT_PAGE, 14, 0, {}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.messages.size() >= 3; }, 2000));
    EXPECT_EQ(host.messages, (std::vector<Posted>{{WM_SELECT_PAGE, 3}, {WM_CLOSE, 0}, {WM_SELECT_PAGE, 14}}));
    EXPECT_TRUE(strip->isVisible());
}

// Each tab is filled with the strip's background (the button face) and
// shows its text in the text colour; the selected tab is painted the same.
TEST_F(TabStrip, FillsTabsWithTheBackgroundAndWritesInTheTextColour)
{
    strip->m_textColour = RGB(0, 0, 200);
    strip->InsertItem(0, u"F1 - Injection");
    strip->InsertItem(1, u"F2 - Injection");
    ASSERT_EQ(strip->GetCurSel(), 0);
    const QColor face = vexar::ui::SystemColour(vexar::ui::SysColour::ButtonFace, strip->palette());
    for (int index : {0, 1}) {
        const QImage item = Item(index);
        EXPECT_TRUE(Near(item.pixelColor(0, 0), face)) << index;
        EXPECT_TRUE(Near(item.pixelColor(item.width() - 1, item.height() - 1), face)) << index;
        EXPECT_GT(CountNear(item, item.rect(), QColor(0, 0, 200), 60), 10) << index;
    }
    EXPECT_EQ(CountNear(Item(0), Item(0).rect(), QColor(0, 0, 200), 60),
              CountNear(Item(1), Item(1).rect(), QColor(0, 0, 200), 60))
        << "the same text drawn the same, selected or not";
}

// A title of 70 characters shows as its first 62: drawn exactly as a tab
// titled with those 62, and unlike one with 61.
TEST_F(TabStrip, CutsALongTitleTo62Characters)
{
    std::u16string title = u"F1 - ";
    for (char16_t c = u'A'; title.size() < 70; c = c == u'Z' ? u'A' : c + 1)
        title += c;
    ASSERT_EQ(title.size(), 70u);

    CCtrlTab cut62(&host), cut61(&host);
    for (CCtrlTab* other : {&cut62, &cut61})
        other->setGeometry(strip->geometry());
    strip->InsertItem(0, title);
    cut62.InsertItem(0, title.substr(0, 62));
    cut61.InsertItem(0, title.substr(0, 61));

    EXPECT_EQ(strip->GetItemRect(0), cut62.GetItemRect(0));
    const QImage drawn = Item(0);
    EXPECT_EQ(drawn, Shot(cut62).copy(GetInner(0)));
    EXPECT_NE(drawn.copy(0, 0, cut61.GetItemRect(0).width() - 8, drawn.height()),
              Shot(cut61).copy(GetInner(0)).copy(0, 0, cut61.GetItemRect(0).width() - 8, drawn.height()));
}

// All tabs are as wide as the widest title needs; the page area starts
// under them.
TEST_F(TabStrip, TabsShareTheWidthOfTheWidestTitle)
{
    strip->InsertItem(0, u"F1 - Injection");
    strip->InsertItem(1, u"F2 - Advanced injection settings");
    strip->InsertItem(2, u"F3 - Gas");
    const QFontMetrics metrics(strip->font());
    const int widest = metrics.horizontalAdvance("F2 - Advanced injection settings");
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(strip->GetItemRect(index).width(), strip->GetItemRect(0).width());
        EXPECT_GE(strip->GetItemRect(index).width(), widest + 8);
        EXPECT_EQ(strip->GetItemRect(index).top(), 0);
    }
    EXPECT_LT(strip->GetItemRect(0).right(), strip->GetItemRect(1).left());
}

// The first tab is selected as it comes; -1 selects none; a tab past the
// last is refused. A click selects its tab and says so once, at the
// release; the wheel changes nothing.
TEST_F(TabStrip, SelectionAndClick)
{
    EXPECT_EQ(strip->GetCurSel(), -1);
    strip->InsertItem(0, u"F1 - Injection");
    strip->InsertItem(1, u"F2 - Gas");
    strip->InsertItem(2, u"F3 - Diagnosis");
    EXPECT_EQ(strip->GetCurSel(), 0);
    EXPECT_EQ(strip->SetCurSel(3), -1);
    EXPECT_EQ(strip->GetCurSel(), 0);
    EXPECT_EQ(strip->SetCurSel(-1), 0);
    EXPECT_EQ(strip->GetCurSel(), -1);

    int clicks = 0;
    QObject::connect(strip, &CCtrlTab::clicked, [&] { ++clicks; });
    QWidget* bar = strip->childAt(strip->GetItemRect(1).center());
    ASSERT_NE(bar, nullptr);
    const QPoint at = bar->mapFrom(strip, strip->GetItemRect(1).center());
    QTest::mousePress(bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(strip->GetCurSel(), 1);
    EXPECT_EQ(clicks, 0);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(clicks, 1);

    QWheelEvent wheel(at, bar->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_EQ(strip->GetCurSel(), 1);

    strip->DeleteAllItems();
    EXPECT_EQ(strip->GetItemCount(), 0);
    EXPECT_EQ(strip->GetCurSel(), -1);
}

}  // namespace
