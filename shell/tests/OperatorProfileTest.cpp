#include "shell/core/OperatorProfile.h"

#include <gtest/gtest.h>

using namespace vexar::shell;

TEST(OperatorProfile, CombinedNumbersGoBothWays)
{
    const struct {
        OPERATOR_PROFILE profile;
        int combined;
    } cases[] = {
        {{0, false, false, false}, 0}, {{1, false, false, false}, 1}, {{2, false, false, false}, 2},
        {{1, true, false, false}, 3},  {{0, false, true, false}, 4},  {{0, false, false, true}, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CombinedProfile(c.profile), c.combined);
        const OPERATOR_PROFILE back = ProfileOfCombined(c.combined);
        EXPECT_EQ(back.oprator, c.profile.oprator) << c.combined;
        EXPECT_EQ(back.svil, c.profile.svil) << c.combined;
        EXPECT_EQ(back.limit, c.profile.limit) << c.combined;
        EXPECT_EQ(back.pblLimit, c.profile.pblLimit) << c.combined;
    }
    // A flag that does not fit the profile number is not read.
    EXPECT_EQ(CombinedProfile({2, true, false, false}), 2);
    EXPECT_EQ(CombinedProfile({1, false, true, false}), 1);
    EXPECT_EQ(ProfileOfCombined(9).oprator, 0);
}

TEST(OperatorProfile, OnlyChangesTouchingTheSpecialProfilesInterrupt)
{
    for (int from = 0; from < 6; ++from)
        for (int to = 0; to < 6; ++to)
            EXPECT_EQ(ProfileChangeInterrupts(from, to), from >= 3 || to >= 3) << from << " " << to;
}

TEST(OperatorProfile, PrivilegedProfilesShowHiddenButtonsDisabled)
{
    const std::array<std::int32_t, 4> saved{0, 1, 2, 0};
    for (int combined = 0; combined < 6; ++combined) {
        const bool privileged = combined >= 1 && combined <= 3;
        EXPECT_EQ(ButtonStatesForProfile(saved, ProfileOfCombined(combined)),
                  privileged ? (std::array<std::int32_t, 4>{2, 1, 2, 2}) : saved)
            << combined;
    }
}
