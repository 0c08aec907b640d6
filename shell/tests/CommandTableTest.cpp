// The command table: every button, label and button state used once,
// one row per command, the texts it names shipped.
#include "shell/core/CommandTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

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

// One row per command: no id, and no id of the languages' range, twice.
TEST(CommandTable, EachCommandHasOneRow)
{
    for (const COMMAND_ROW& row : kCommandTable) {
        const unsigned last = row.lastId != 0 ? row.lastId : row.id;
        for (unsigned id = row.id; id <= last; ++id)
            EXPECT_EQ(FindCommandRow(id), &row) << id;
    }
    EXPECT_EQ(FindCommandRow(ID_LINGUA_PLACEHOLDER), nullptr);
}

// Every language text the table names, for items, prompts and labels in
// every edition, is in both shipped language files.
TEST(CommandTable, EveryTextItNamesIsShipped)
{
    for (const char* file : {"English.lng.txt", "Italiano.lng.txt"}) {
        std::set<int> shipped;
        std::ifstream in(std::string(DATA_SOURCE_FOLDER) + "/Lang/" + file);
        ASSERT_TRUE(in) << file;
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] >= '0' && line[0] <= '9')
                shipped.insert(std::atoi(line.c_str()));
        for (const COMMAND_ROW& row : kCommandTable)
            for (std::int32_t edition = 0; edition < 8; ++edition)
                for (const LANG_TEXT& text : {row.text, row.prompt, row.button.captionText})
                    if (text.At(edition) != 0) {
                        EXPECT_TRUE(shipped.contains(text.At(edition)))
                            << file << ": " << text.At(edition) << " of command " << row.id;
                    }
    }
}
