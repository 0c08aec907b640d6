// Command routing by id along a window's route, and the update handlers
// that set up a popup's items before it shows.
#include "TestWindow.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace vexar::uitest {
namespace {

using ui::CmdUI;
using ui::Menu;

// A frame that routes commands to its view first, then to itself.
class Frame : public TestWindow {
public:
    std::vector<const ui::CommandMap*> commandRoute() const override
    {
        return {&view.commands(), &commands()};
    }
    TestWindow view;
};

TEST(CommandRouting, TheFirstMapAlongTheRouteThatHandlesAnIdRunsIt)
{
    Frame frame;
    std::vector<std::string> ran;
    frame.view.commands().On(100, [&] { ran.push_back("view 100"); });
    frame.commands().On(100, [&] { ran.push_back("frame 100"); });
    frame.commands().On(101, [&] { ran.push_back("frame 101"); });
    frame.commands().OnRange(2000, 2049, [&](unsigned id) { ran.push_back("language " + std::to_string(id)); });

    EXPECT_TRUE(frame.onCommand(100));
    EXPECT_TRUE(frame.onCommand(101));
    EXPECT_TRUE(frame.onCommand(2049));
    EXPECT_FALSE(frame.onCommand(2050));
    EXPECT_EQ(ran, (std::vector<std::string>{"view 100", "frame 101", "language 2049"}));
}

TEST(CommandRouting, AHandlerMayAddHandlersWhileItRuns)
{
    TestWindow window;
    int added = 0;
    window.commands().On(1, [&] {
        for (unsigned id = 10; id < 40; ++id)
            window.commands().On(id, [&] { ++added; });
    });
    EXPECT_TRUE(window.onCommand(1));
    EXPECT_TRUE(window.onCommand(39));
    EXPECT_EQ(added, 1);
}

// A menu bar owned by a frame, with one popup of four items.
class UpdateUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar = new QMenuBar(&frame);
        Menu popup = Menu(bar).InsertPopup(-1, u"&Funzioni");
        menu = popup.popup();
        popup.InsertCommand(-1, 10, u"Disabled by its handler");
        popup.InsertCommand(-1, 11, u"Handled, no update handler");
        popup.InsertCommand(-1, 12, u"Nobody handles it");
        popup.InsertCommand(-1, 13, u"Checked and renamed");
        Menu(bar).SetOwner(frame);
        frame.commands().On(10, [] {});
        frame.commands().OnUpdate(10, [](CmdUI& item) { item.Enable(false); });
        frame.view.commands().On(11, [] {});
        frame.commands().OnUpdate(13, [this](CmdUI& item) {
            item.SetCheck(checked);
            item.SetText(u"Renamed");
        });
        frame.show();
    }

    QAction* Item(unsigned id) const { return Menu(bar).FindCommand(id)->item; }

    Frame frame;
    QMenuBar* bar = nullptr;
    QMenu* menu = nullptr;
    bool checked = true;
};

TEST_F(UpdateUiTest, ItemsAreSetUpBeforeThePopupShows)
{
    for (unsigned id : {10u, 11u, 12u})
        EXPECT_TRUE(Item(id)->isEnabled()) << id << " before the popup shows";

    menu->popup(frame.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_FALSE(Item(10)->isEnabled()) << "its update handler disabled it";
    EXPECT_TRUE(Item(11)->isEnabled()) << "the view along the route handles it";
    EXPECT_FALSE(Item(12)->isEnabled()) << "no map along the route handles it";
    EXPECT_TRUE(Item(13)->isChecked());
    EXPECT_EQ(Item(13)->text(), "Renamed");
    menu->hide();

    checked = false;
    menu->popup(frame.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_FALSE(Item(13)->isChecked());
    menu->hide();
}

TEST_F(UpdateUiTest, AClickOnAnItemSendsItsCommandToTheOwner)
{
    menu->popup(frame.mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(Item(11)).center());
    EXPECT_EQ(frame.commandsRun, (std::vector<unsigned>{11}));
    EXPECT_FALSE(menu->isVisible());
}

}  // namespace
}  // namespace vexar::uitest
