// The command bar by its button states: the shown buttons numbered with
// their function keys in slot order, the menu items that follow them, the
// keys that run them and the keys that pass; and the commands whose work
// is not here yet, kept in place and disabled.
#include "ShellHarness.h"

#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARForm.h"
#include "shell/CVEXARView.h"
#include "shell/MainMenu.h"
#include "shell/core/CommandTable.h"

#include <QLabel>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

void SetStates(CVEXARView& view, std::initializer_list<std::pair<int, int>> states)
{
    view.m_layout.buttonStates.fill(0);
    for (const auto& [action, state] : states)
        view.m_layout.buttonStates[static_cast<std::size_t>(kCommandButtons[static_cast<std::size_t>(action)].stateIndex)] =
            state;
    view.BuildFunctionKeyMenu(false);
}

// The demonstration's settings: every button shown.
void StartWithEveryButtonShown(ShellHarness& shell)
{
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [](const fixtures::SyntheticConfiguration& installed) {
        std::string error;
        ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
    });
}

}  // namespace

// States 1, 2, 0, 1 for the ECU selection, the ECU programming, the connect
// and the memory reset: F1 and F2 go to the first and the last, the
// programming item moves to the Functions popup, the reset item to File,
// and the items of hidden buttons (the calibration load) leave the bar.
TEST(CommandBar, ShownButtonsTakeTheKeysInSlotOrderAndTheirItemsMove)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    SetStates(view, {{0, 1}, {1, 2}, {2, 0}, {3, 1}});
    EXPECT_EQ(view.m_nKeyAction[0], 0);
    EXPECT_EQ(view.m_nKeyAction[1], 3);
    EXPECT_EQ(view.Button(0).text(), QStringLiteral("F1"));
    EXPECT_EQ(view.Button(3).text(), QStringLiteral("F2"));
    EXPECT_FALSE(view.Button(0).isHidden());
    EXPECT_FALSE(view.Button(3).isHidden());
    EXPECT_TRUE(view.Button(1).isHidden());
    EXPECT_TRUE(view.Label(2).isHidden());
    // The reset button stands in the second slot, its label under it.
    EXPECT_EQ(view.Button(3).geometry(), CVEXARForm::DesignButtonRect(1));
    EXPECT_EQ(view.Label(3).geometry(), CVEXARForm::DesignLabelRect(1));

    ui::Menu bar = shell.Frame().MenuBar();
    ui::Menu functions = bar.GetSubMenu(kMenuFunctions);
    // The public profile took the two export items out of Functions.
    EXPECT_EQ(functions.GetMenuItemID(0), static_cast<int>(ID_PRG_ECU));
    EXPECT_EQ(functions.GetMenuString(0), u"E3091");
    EXPECT_EQ(bar.GetSubMenu(kMenuFile).GetMenuItemID(0), static_cast<int>(ID_RESET_MEM));
    EXPECT_EQ(bar.GetSubMenu(kMenuTools).GetMenuItemID(3), static_cast<int>(ID_CENTRALINA));
    EXPECT_FALSE(bar.FindCommand(ID_CARICA_CNF).has_value());

    // F1 runs the ECU selection, which asks first; Ctrl+F1 and Shift+F8
    // are not the view's keys.
    shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3094");
    QTest::keyClick(&view.Button(0), Qt::Key_F1);
    EXPECT_EQ(shell.Dialogs().pending(), 0u);
    QTest::keyClick(&view.Button(0), Qt::Key_F1, Qt::ControlModifier);
    QTest::keyClick(&view.Button(0), Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(shell.Dialogs().shown().size(), 1u);
    EXPECT_EQ(shell.Exit(), 0);
}

// Thirteen shown buttons: the thirteenth is "Shift + F1" and that key runs
// it, here the exit, which takes the exit road to its end.
TEST(CommandBar, TheThirteenthButtonIsShiftF1AndRunsByItsKey)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    SetStates(view, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1},
                     {11, 1}, {12, 1}});
    EXPECT_EQ(view.Button(kActionExit).text(), QStringLiteral("Shift + F1"));
    EXPECT_EQ(view.m_nKeyAction[12], kActionExit);
    QTest::keyClick(&view.Button(0), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(WaitUntil([&] { return !shell.Frame().isVisible(); }));
    shell.App().JoinLinkThread();
    EXPECT_EQ(shell.App().ExitInstance(), 0);
}

// Every button shown (the demonstration's settings): the built commands
// are enabled by their rules, every other one stays disabled, button,
// label and menu item.
TEST(CommandBar, CommandsWhoseWorkIsNotHereStayDisabled)
{
    ShellHarness shell;
    StartWithEveryButtonShown(shell);
    CVEXARView& view = shell.View();
    for (int action = 0; action < kActionCount; ++action) {
        EXPECT_FALSE(view.Button(action).isHidden()) << action;
        // Not linked: a command of the link waits for it; DIAG BENZ waits
        // for the adapter's link.
        const bool enabled = IsActionBuilt(action) && action != kActionDiagPetrol &&
                             kCommandButtons[static_cast<std::size_t>(action)].rule != EnableRule::Linked;
        EXPECT_EQ(ui::IsWindowEnabled(view.Button(action)), enabled) << action;
        EXPECT_EQ(ui::IsWindowEnabled(view.Label(action)), enabled) << action;
    }
    EXPECT_EQ(view.Button(18).text(), QStringLiteral("Shift + F7"));
    // The public profile removed the two export items.
    for (unsigned id : kPendingCommands)
        if (id != ID_ESPORTA && id != ID_COMPARA)
            EXPECT_FALSE(ItemEnabled(shell.Frame(), id)) << id;
    EXPECT_FALSE(shell.Frame().MenuBar().FindCommand(ID_ESPORTA).has_value());
    EXPECT_FALSE(shell.Frame().MenuBar().FindCommand(ID_COMPARA).has_value());
    for (unsigned id : {ID_CENTRALINA, ID_CONNETTI, ID_TEST, ID_LINEA_K, ID_SERIALE, ID_BAUD_38400, ID_APP_ABOUT,
                        ID_APP_EXIT, ID_VIEW_STATUS_BAR, ID_IDENT_CENTR, ID_CONFIG_VETTURA, ID_ACQUISIZIONE})
        EXPECT_TRUE(ItemEnabled(shell.Frame(), id)) << id;
    EXPECT_FALSE(ItemEnabled(shell.Frame(), ID_DISCONNETTI));
    EXPECT_EQ(shell.Exit(), 0);
}

// The remote-assistance item leaving the bar takes its Tools popup with
// it; when the item comes back, shown or moved to Functions, the popup is
// back in its place with Master and Slave, once.
TEST(CommandBar, TheRemoteAssistancePopupGoesAndComesBackWithItsItem)
{
    ShellHarness shell;
    StartWithEveryButtonShown(shell);
    CVEXARView& view = shell.View();
    ui::Menu bar = shell.Frame().MenuBar();
    ui::Menu tools = bar.GetSubMenu(kMenuTools);
    auto popups = [&] {
        int count = 0;
        for (int position = 0; position < tools.GetMenuItemCount(); ++position)
            count += tools.GetMenuString(position) == u"E3185";
        return count;
    };
    ASSERT_EQ(popups(), 1);

    SetStates(view, {{kActionRemote, 0}});
    EXPECT_FALSE(bar.FindCommand(ID_ASS_REM).has_value());
    EXPECT_EQ(popups(), 0);
    EXPECT_FALSE(bar.FindCommand(ID_REMOTE_MASTER).has_value());
    EXPECT_FALSE(bar.FindCommand(ID_REMOTE_SLAVE).has_value());

    for (const int state : {2, 1}) {
        SetStates(view, {{kActionRemote, state}});
        EXPECT_TRUE(bar.FindCommand(ID_ASS_REM).has_value()) << state;
        EXPECT_EQ(popups(), 1) << state;
        // Last in Tools: the ECU selection's item is not there either.
        EXPECT_EQ(tools.FindText(u"E3185"), tools.GetMenuItemCount() - 1) << state;
        ui::Menu popup = tools.GetSubMenu(tools.FindText(u"E3185"));
        ASSERT_TRUE(popup.IsValid()) << state;
        EXPECT_EQ(popup.GetMenuItemID(0), static_cast<int>(ID_REMOTE_MASTER)) << state;
        EXPECT_EQ(popup.GetMenuString(0), u"E3186") << state;
        EXPECT_EQ(popup.GetMenuItemID(1), static_cast<int>(ID_REMOTE_SLAVE)) << state;
        EXPECT_EQ(popup.GetMenuString(1), u"E3188") << state;
        // The role commands are there to choose from.
        EXPECT_TRUE(ItemEnabled(shell.Frame(), ID_REMOTE_MASTER)) << state;
        EXPECT_TRUE(ItemEnabled(shell.Frame(), ID_REMOTE_SLAVE)) << state;
    }
    EXPECT_EQ(shell.Exit(), 0);
}

// In edition 5 the calibration load's item stays where it is when its
// button is shown; it is not added again.
TEST(CommandBar, InEditionFiveTheLoadItemIsNeverDoubled)
{
    ShellHarness shell;
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration&) {
        shell.Folder().WriteSettings({}, 0, 5);
    });
    SetStates(shell.View(), {{kActionLoadCalib, 1}});
    int items = 0;
    for (QAction* item : shell.Frame().menuBar()->findChildren<QAction*>())
        items += ui::Menu::CommandOf(*item) == ID_CARICA_CNF;
    EXPECT_EQ(items, 1);
    EXPECT_EQ(shell.Exit(), 0);
}
