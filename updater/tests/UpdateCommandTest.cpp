#include "updater/UpdateCommand.h"
#include "updater/Update.h"

#include <cstdlib>
#include <gtest/gtest.h>

using vexar::updater::ParseUpdateCommand;

namespace {

struct ArgumentCase {
    const char* argument;
    bool accepted;
    const char* source;
    const char* destination;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << '"' << c.argument << '"'; }

class UpdateArgument : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(UpdateArgument, SplitsAtTheFirstCommaAndItsBlank)
{
    const ArgumentCase& c = GetParam();
    const auto command = ParseUpdateCommand(c.argument);
    ASSERT_EQ(command.has_value(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(command->source, c.source);
        EXPECT_EQ(command->destination, c.destination);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpdateArgument,
    ::testing::Values(
        ArgumentCase{"/media/new/VEXAR, /opt/vexar/VEXAR", true, "/media/new/VEXAR", "/opt/vexar/VEXAR"},
        ArgumentCase{"/media/my stick/VEXAR, /opt/my vexar/VEXAR", true, "/media/my stick/VEXAR",
                     "/opt/my vexar/VEXAR"},
        // Only the first comma splits: the destination keeps its own commas
        // and blanks, to the very end of the text.
        ArgumentCase{"/n/VEXAR, /opt/a, b/VEXAR ", true, "/n/VEXAR", "/opt/a, b/VEXAR "},
        ArgumentCase{"/n/VEXAR,  /opt/VEXAR", true, "/n/VEXAR", " /opt/VEXAR"},
        // Refused rather than guessed.
        ArgumentCase{"", false, "", ""},
        ArgumentCase{"/media/new/VEXAR /opt/vexar/VEXAR", false, "", ""},
        ArgumentCase{"a.exe,b.exe", false, "", ""},
        ArgumentCase{"/a,b/VEXAR, /opt/VEXAR", false, "", ""},
        ArgumentCase{", /opt/vexar/VEXAR", false, "", ""},
        ArgumentCase{"/media/new/VEXAR, ", false, "", ""},
        ArgumentCase{"/media/new/VEXAR,", false, "", ""}));

struct WaitCase {
    const char* value;  // nullptr: not set
    long milliseconds;
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << (!c.value ? "(unset)" : *c.value ? c.value : "(empty)"); }

class UpdateWaitTime : public ::testing::TestWithParam<WaitCase> {
protected:
    void TearDown() override { unsetenv("VEXAR_TEST_UPDATE_WAIT_MS"); }
};

TEST_P(UpdateWaitTime, IsFourSecondsUnlessATestShortensIt)
{
    if (GetParam().value)
        setenv("VEXAR_TEST_UPDATE_WAIT_MS", GetParam().value, 1);
    else
        unsetenv("VEXAR_TEST_UPDATE_WAIT_MS");
    EXPECT_EQ(vexar::updater::UpdateWait().count(), GetParam().milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Table, UpdateWaitTime,
                         ::testing::Values(WaitCase{nullptr, 4000}, WaitCase{"", 4000}, WaitCase{"0", 0},
                                           WaitCase{"25", 25}, WaitCase{"25ms", 4000},
                                           WaitCase{"-5", 4000}));

}  // namespace
