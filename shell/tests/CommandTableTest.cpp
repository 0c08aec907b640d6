// The command bar's table: every button, label and button state used once.
#include "shell/core/CommandTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace vexar::shell;

TEST(CommandTable, EveryControlAndStateBelongsToOneAction)
{
    std::set<int> controls;
    std::set<int> states;
    for (const COMMAND_BUTTON& entry : kCommandButtons) {
        EXPECT_TRUE(controls.insert(entry.button).second) << entry.button;
        EXPECT_TRUE(controls.insert(entry.label).second) << entry.label;
        EXPECT_TRUE(states.insert(entry.stateIndex).second) << entry.stateIndex;
    }
    EXPECT_EQ(states.size(), 19u);
    EXPECT_EQ(*states.rbegin(), 18);
}

TEST(CommandTable, TextsFollowTheEdition)
{
    EXPECT_EQ(ActionLabelText(kActionVehicleConfig, 3), 3262);
    EXPECT_EQ(ActionLabelText(kActionVehicleConfig, 2), 3022);
    EXPECT_EQ(ActionMenuText(kActionDiagGas, 4), 3257);
    EXPECT_EQ(ActionMenuText(kActionDiagGas, 5), 3082);
    EXPECT_EQ(MenuItemText(ID_APP_ABOUT, 5), 3225);
    EXPECT_EQ(MenuItemText(ID_APP_ABOUT, 7), 3004);
    EXPECT_EQ(MenuPromptText(ID_ACQUISIZIONE, 2), 3260);
    EXPECT_FALSE(MenuPromptText(ID_BAUD_9600, 0).has_value());
    EXPECT_FALSE(MenuPromptText(ID_APP_ABOUT, 0).has_value());
}
