// The language menu as a Qt menu: built from the language list beside the
// program, the current language radio-checked, its choices routed to the
// frame, and a listed file that is missing reported in a message box.
#include "ScriptedResponder.h"
#include "TempDir.h"
#include "TestWindow.h"
#include "common/Text.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBoxErrorReporter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <sys/stat.h>

namespace vexar::uitest {
namespace {

using testing::TempDir;
using testing::WriteAll;

class LangMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::mkdir(home.file("Lang").c_str(), 0777), 0);
        WriteAll(home.file("Lang/GestLang.cfg"), "Italiano.lng\r\n\r\nMissing.lng\r\nEnglish.lng\r\n");
        WriteAll(home.file("Lang/Italiano.lng"), "3000\tVEXAR\r\n");
        WriteAll(home.file("Lang/English.lng"), "3000\tVEXAR\r\n");
    }

    std::string Program() const { return home.path() + "/"; }

    TempDir home;
    ScriptedResponder dialogs;
    ui::MessageBoxErrorReporter reporter;
    ScopedErrorReporter scope{reporter};
};

TEST_F(LangMenuTest, OneItemPerListedLanguageWithTheCurrentOneChecked)
{
    dialogs.ExpectMessageBox(ui::IDOK, u"Error to access file " + ToUtf16(Program()) + u"Lang/Missing.lng!");
    QMenu menu;
    menu.addAction("left from before");

    EXPECT_EQ(CUtility::FillLangMenu(Program(), Program() + "Lang/English.lng", menu), 2);

    ui::Menu items(&menu);
    ASSERT_EQ(items.GetMenuItemCount(), 2);
    EXPECT_EQ(items.GetMenuString(0), u"Italiano");
    EXPECT_EQ(items.GetMenuItemID(0), 2000);
    EXPECT_EQ(items.GetMenuString(1), u"English");
    EXPECT_EQ(items.GetMenuItemID(1), 2001) << "the missing file takes no id";
    EXPECT_FALSE(items.ItemAt(0)->isChecked());
    EXPECT_TRUE(items.ItemAt(1)->isChecked());

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, u"");
    EXPECT_EQ(dialogs.shown()[0].style, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

TEST_F(LangMenuTest, TheFrameInsertsThePopupAndGetsItsCommands)
{
    dialogs.ExpectMessageBox(ui::IDOK, u"Missing.lng");
    TestWindow frame;
    std::vector<unsigned> chosen;
    frame.commands().OnRange(2000, 2049, [&](unsigned id) { chosen.push_back(id); });
    auto* bar = new QMenuBar(&frame);
    ui::Menu menu(bar);
    menu.InsertCommand(-1, 65535, u"&Lingua");
    menu.SetOwner(frame);
    reporter.SetOwner(&frame);

    auto languages = std::make_unique<QMenu>();
    ASSERT_EQ(CUtility::FillLangMenu(Program(), Program() + "Lang/Italiano.lng", *languages), 2);
    ASSERT_TRUE(menu.SetSubMenu(0, std::move(languages)));
    menu.FindCommand(2001)->item->trigger();
    EXPECT_EQ(chosen, (std::vector<unsigned>{2001}));
    EXPECT_EQ(dialogs.shown()[0].owner.data(), &frame) << "the main window owns the message";
}

TEST_F(LangMenuTest, WithoutALanguageListTheMenuIsEmpty)
{
    ASSERT_EQ(::remove(home.file("Lang/GestLang.cfg").c_str()), 0);
    dialogs.ExpectMessageBox(ui::IDOK, u"Error to access file " + ToUtf16(Program()) + u"Lang/GestLang.cfg!");
    QMenu menu;
    EXPECT_EQ(CUtility::FillLangMenu(Program(), "", menu), 0);
    EXPECT_TRUE(menu.actions().isEmpty());
}

}  // namespace
}  // namespace vexar::uitest
