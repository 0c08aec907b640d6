// The menu operations by position and by command over a menu bar and its
// popups.
#include "TestWindow.h"
#include "platform/ui/Menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace vexar::uitest {
namespace {

using ui::Menu;

// "&File" (Open 100, a separator, Exit 101), the placeholder "&Lingua"
// (65535), "&?" (About 102), owned by a frame.
class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Menu file = menu.InsertPopup(-1, u"&File");
        file.InsertCommand(-1, 100, u"&Open");
        file.InsertSeparator(-1);
        file.InsertCommand(-1, 101, u"&Exit");
        menu.InsertCommand(-1, 65535, u"&Lingua");
        menu.InsertPopup(-1, u"&?").InsertCommand(-1, 102, u"&About");
        menu.SetOwner(frame);
    }

    std::vector<std::u16string> Texts(Menu m) const
    {
        std::vector<std::u16string> texts;
        for (int i = 0; i < m.GetMenuItemCount(); ++i)
            texts.push_back(m.GetMenuString(i));
        return texts;
    }

    TestWindow frame;
    QMenuBar* bar = new QMenuBar(&frame);
    Menu menu{bar};
};

TEST_F(MenuTest, ItemsByPosition)
{
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(0), Menu::kPopupId);
    EXPECT_EQ(menu.GetMenuItemID(1), 65535);
    EXPECT_EQ(menu.GetMenuItemID(3), Menu::kPopupId) << "no item there";
    EXPECT_EQ(menu.GetMenuString(0), u"&File");
    EXPECT_FALSE(menu.GetSubMenu(1).IsValid());

    Menu file = menu.GetSubMenu(0);
    ASSERT_TRUE(file.IsValid());
    EXPECT_EQ(file.GetMenuItemCount(), 3);
    EXPECT_EQ(file.GetMenuItemID(0), 100);
    EXPECT_EQ(file.GetMenuItemID(1), 0) << "a separator";
    EXPECT_EQ(file.GetMenuItemID(2), 101);
    EXPECT_EQ(menu.FindText(u"&?"), 2);
    EXPECT_EQ(menu.FindText(u"&Connessione"), -1);
}

TEST_F(MenuTest, CommandsAreFoundInThePopupsBelow)
{
    const auto found = menu.FindCommand(101);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->menu.widget(), menu.GetSubMenu(0).widget());
    EXPECT_EQ(found->position, 2);
    EXPECT_EQ(menu.GetCommandString(102), u"&About");
    EXPECT_FALSE(menu.FindCommand(999));
    EXPECT_EQ(menu.GetCommandString(999), u"");
}

TEST_F(MenuTest, InsertingBeforeAPositionOrAtTheEnd)
{
    Menu file = menu.GetSubMenu(0);
    file.InsertCommand(0, 110, u"&New");
    file.InsertCommand(-1, 111, u"Last");
    file.InsertCommand(99, 112, u"After last");
    file.InsertCommand(2, 113, u"Third");
    EXPECT_EQ(Texts(file), (std::vector<std::u16string>{u"&New", u"&Open", u"Third", u"", u"&Exit", u"Last",
                                                       u"After last"}));
    EXPECT_EQ(file.GetMenuItemID(2), 113);
}

TEST_F(MenuTest, TextsChangeByCommandAndByPositionAndAPopupKeepsItsItems)
{
    EXPECT_TRUE(menu.SetCommandString(101, u"&Uscita"));
    EXPECT_TRUE(menu.SetMenuString(0, u"&Archivio"));
    EXPECT_FALSE(menu.SetCommandString(999, u"x"));
    EXPECT_FALSE(menu.SetMenuString(7, u"x"));
    EXPECT_EQ(menu.GetMenuString(0), u"&Archivio");
    EXPECT_EQ(menu.GetSubMenu(0).GetMenuString(2), u"&Uscita");
    EXPECT_EQ(menu.GetSubMenu(0).GetMenuItemCount(), 3);
}

TEST_F(MenuTest, RemovingByCommandAndByPosition)
{
    EXPECT_TRUE(menu.RemoveCommand(100));
    EXPECT_FALSE(menu.RemoveCommand(100));
    EXPECT_EQ(Texts(menu.GetSubMenu(0)), (std::vector<std::u16string>{u"", u"&Exit"}));

    QPointer<QMenu> help = menu.GetSubMenu(2).popup();
    EXPECT_TRUE(menu.RemovePosition(2));
    EXPECT_TRUE(help.isNull()) << "a removed popup is destroyed";
    EXPECT_FALSE(menu.RemovePosition(2));
    EXPECT_EQ(Texts(menu), (std::vector<std::u16string>{u"&File", u"&Lingua"}));
}

TEST_F(MenuTest, AMovedItemKeepsItsTextStateAndOwner)
{
    menu.EnableCommand(101, false);
    Menu help = menu.GetSubMenu(2);
    ASSERT_TRUE(menu.MoveCommand(101, help, 0));
    EXPECT_EQ(Texts(help), (std::vector<std::u16string>{u"&Exit", u"&About"}));
    EXPECT_EQ(menu.GetSubMenu(0).GetMenuItemCount(), 2);
    QAction* exit = help.ItemAt(0);
    EXPECT_FALSE(exit->isEnabled());

    exit->setEnabled(true);
    exit->trigger();
    EXPECT_EQ(frame.commandsRun, (std::vector<unsigned>{101}));
    EXPECT_FALSE(menu.MoveCommand(999, help, 0));
}

TEST_F(MenuTest, ARadioMarkMovesOnlyWhenTheProgramMovesIt)
{
    Menu languages = menu.GetSubMenu(2);
    for (unsigned id : {2000u, 2001u, 2002u})
        languages.InsertCommand(-1, id, u"Language " + std::u16string(1, char16_t(u'0' + id - 2000)));

    ASSERT_TRUE(menu.CheckRadio(2000, 2002, 2001));
    auto marked = [&](unsigned id) { return menu.FindCommand(id)->item->isChecked(); };
    EXPECT_FALSE(marked(2000));
    EXPECT_TRUE(marked(2001));
    EXPECT_FALSE(marked(2002));
    ASSERT_TRUE(menu.FindCommand(2001)->item->actionGroup());
    EXPECT_TRUE(menu.FindCommand(2001)->item->actionGroup()->isExclusive()) << "drawn as a radio mark";

    // Choosing another language runs its command; the handler decides.
    menu.FindCommand(2002)->item->trigger();
    menu.FindCommand(2001)->item->trigger();
    EXPECT_TRUE(marked(2001));
    EXPECT_FALSE(marked(2002));
    EXPECT_EQ(frame.commandsRun, (std::vector<unsigned>{2002, 2001}));

    ASSERT_TRUE(menu.CheckRadio(2000, 2002, 2002));
    EXPECT_FALSE(marked(2001));
    EXPECT_TRUE(marked(2002));
    EXPECT_FALSE(menu.CheckRadio(2000, 2002, 2003));
}

TEST_F(MenuTest, APlainCheckMarkStaysWhenItsItemIsChosen)
{
    ASSERT_TRUE(menu.CheckCommand(100, true));
    menu.FindCommand(100)->item->trigger();
    EXPECT_TRUE(menu.FindCommand(100)->item->isChecked());
    ASSERT_TRUE(menu.CheckCommand(100, false));
    EXPECT_FALSE(menu.FindCommand(100)->item->isCheckable());
}

TEST_F(MenuTest, APopupTakesThePlaceOfAPlaceholderWithItsText)
{
    auto popup = std::make_unique<QMenu>();
    Menu(popup.get()).InsertCommand(-1, 2000, u"Italiano");
    QPointer<QMenu> languages = popup.get();
    ASSERT_TRUE(menu.SetSubMenu(1, std::move(popup)));

    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(1), Menu::kPopupId);
    EXPECT_EQ(menu.GetMenuString(1), u"&Lingua");
    EXPECT_EQ(menu.GetSubMenu(1).widget(), languages.data());
    EXPECT_FALSE(menu.FindCommand(65535));

    menu.FindCommand(2000)->item->trigger();
    EXPECT_EQ(frame.commandsRun, (std::vector<unsigned>{2000}));
}

}  // namespace
}  // namespace vexar::uitest
