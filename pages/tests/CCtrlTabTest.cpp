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
    TabStrip() : host(640, 320)
    {
        strip = new CCtrlTab(&host);
        strip->setGeometry(0, 0, 640, 320);
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

// Each tab is as wide as its title needs, the tabs side by side in a row
// along the top.
TEST_F(TabStrip, EachTabFitsItsTitle)
{
    const std::u16string titles[] = {u"F1 - Injection", u"F2 - Advanced injection settings", u"F3 - Gas"};
    for (const std::u16string& title : titles)
        strip->InsertItem(strip->GetItemCount(), title);
    const QFontMetrics metrics(strip->font());
    for (int index = 0; index < 3; ++index) {
        const int text = metrics.horizontalAdvance(QString::fromStdU16String(titles[index]));
        EXPECT_GE(strip->GetItemRect(index).width(), text + 8) << index;
        EXPECT_LE(strip->GetItemRect(index).width(), text + 40) << index;
        EXPECT_EQ(strip->GetItemRect(index).top(), 0);
        EXPECT_EQ(strip->GetItemRect(index).height(), strip->GetItemRect(0).height());
    }
    EXPECT_LT(strip->GetItemRect(0).right(), strip->GetItemRect(1).left());
    EXPECT_LT(strip->GetItemRect(1).right(), strip->GetItemRect(2).left());
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

// A page host as the workshop sees it: the strip with its tabs, a page
// under them with coloured labels, mode buttons, a list with rows, a
// chart area with its value text, and a control's tooltip. Nothing is cut:
// every title fits its tab, the page sits inside the page area, the value
// text and the tip hold their whole text. With VEXAR_SHOT_DIR set the
// picture is written there as display.png.
#include "pages/CCtrlList.h"
#include "pages/CCtrlRdb.h"
#include "pages/CCtrlStatic.h"
#include "pages/CCtrlTextInfo.h"
#include "pages/CCtrlToolTip.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPainter>

namespace {

TEST_F(TabStrip, AHostPageReadsWell)
{
    const std::u16string titles[] = {u"F1 - Injection", u"F2 - Gas", u"F3 - Reducer and temperatures",
                                     u"F4 - Diagnosis"};
    for (const std::u16string& title : titles)
        strip->InsertItem(strip->GetItemCount(), title);
    strip->m_textColour = RGB(0, 0, 128);
    const QRect first = strip->GetItemRect(0);
    auto* page = new QWidget(strip);
    page->setGeometry(QRect(QPoint(first.left() + 1, first.bottom() + 3),
                            QPoint(strip->width() - 3, strip->height() - 3)));

    auto* caption = new CCtrlStatic(page);
    caption->m_textColour = RGB(0, 0, 128);
    caption->setText("Trouble codes");
    caption->setGeometry(10, 8, caption->sizeHint().width(), 20);
    auto* state = new CCtrlStatic(page);
    state->setText("Reading");
    state->setAlignment(Qt::AlignCenter);
    state->setGeometry(340, 8, 80, 20);
    state->SetBkColor(RGB(120, 220, 120));

    auto* list = new CCtrlList(page);
    list->setGeometry(10, 34, 310, 150);
    list->setHeaderLabels({"Code", "Description"});
    list->header()->resizeSection(0, 70);
    const char* rows[][2] = {{"P0201", "Injector circuit, cylinder 1"}, {"P0300", "Random misfire"},
                             {"P0115", "Coolant temperature circuit"}, {"P0562", "System voltage low"}};
    for (const auto& row : rows)
        list->addTopLevelItem(new QTreeWidgetItem({row[0], row[1]}));

    const char* modes[] = {"Absolute", "Linear", "Percentage"};
    for (int i = 0; i < 3; ++i) {
        auto* mode = new CCtrlRdb(page);
        mode->setText(modes[i]);
        mode->setGeometry(340, 40 + 26 * i, 150, 24);
        mode->setChecked(i == 1);
    }
    auto* box = new QCheckBox("Changeover on temperature", page);
    box->setGeometry(340, 124, box->sizeHint().width(), 24);
    box->setEnabled(false);

    auto* chart = new QWidget(page);
    chart->setGeometry(10, 196, 600, 70);
    chart->setAutoFillBackground(true);
    chart->setPalette(QPalette(Qt::black));
    page->show();  // with everything on it
    CCtrlTextInfo info;
    ASSERT_TRUE(info.CreateInfo(*chart));
    info.ShowInfo(u"1520 rpm", 180, 18);

    std::unique_ptr<CCtrlToolTip> tip;
    bool attached = false;
    ASSERT_TRUE(CUtility::AttachToolTip(*box, tip, attached, u"Changes over to gas once the reducer is warm"));
    tip->RelayEvent(QEvent::MouseMove, box->mapToGlobal(QPoint(40, 12)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tip->IsShown(); }, 3000));
    ASSERT_EQ(ShownTips().size(), 1u);
    QWidget* tipWindow = ShownTips().front();

    const QFontMetrics metrics(strip->font());
    for (int i = 0; i < strip->GetItemCount(); ++i)
        EXPECT_GE(strip->GetItemRect(i).width(), metrics.horizontalAdvance(QString::fromStdU16String(titles[i])) + 8);
    EXPECT_LT(strip->GetItemRect(3).right(), strip->width());
    EXPECT_TRUE(QRect(QPoint(0, 0), strip->size()).contains(page->geometry()));
    EXPECT_GT(page->y(), strip->GetItemRect(0).bottom());
    EXPECT_TRUE(chart->rect().contains(info.Window()->geometry()));
    EXPECT_GE(info.Window()->width(), info.Window()->fontMetrics().horizontalAdvance("1520 rpm") + 6);
    EXPECT_GE(tipWindow->width(), tipWindow->fontMetrics().horizontalAdvance(tip->Text()));

    const QRect tipAt(host.mapFromGlobal(tipWindow->pos()), tipWindow->size());
    const QRect whole = host.rect().united(tipAt);
    QImage picture(whole.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.translate(-whole.topLeft());
        painter.drawPixmap(0, 0, host.grab());
        painter.drawPixmap(tipAt.topLeft(), tipWindow->grab());
    }
    if (const char* folder = std::getenv("VEXAR_SHOT_DIR")) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(folder) + "/display.png"));
    }
}

}  // namespace
