#pragma once

// The operator profile as one number 0 to 5, as the profile dialog shows
// it (public, privileged, remote, development, limited, public limited),
// and what a profile decides without a window: whether a change asks
// first, and the command buttons' states.

#include "shell/core/CSessionFile.h"

#include <array>
#include <cstdint>

namespace vexar::shell {

inline constexpr int kProfileDevelopment = 3;
inline constexpr int kProfileLimit = 4;
inline constexpr int kProfilePublicLimit = 5;

// 3 for privileged with the development flag, 4 and 5 for public with the
// limited or public-limited flag, otherwise the profile number.
int CombinedProfile(const OPERATOR_PROFILE& profile);
// The profile of a combined number (an unknown number is public).
OPERATOR_PROFILE ProfileOfCombined(int combined);
// A change into or out of 3, 4 or 5 interrupts the link and asks first.
bool ProfileChangeInterrupts(int from, int to);
// Privileged profiles (1, 2 and the development one) see every button a
// configuration left hidden (state 0) as shown disabled (2).
bool IsPrivileged(const OPERATOR_PROFILE& profile);
template <std::size_t N>
std::array<std::int32_t, N> ButtonStatesForProfile(const std::array<std::int32_t, N>& saved,
                                                   const OPERATOR_PROFILE& profile)
{
    std::array<std::int32_t, N> states = saved;
    if (IsPrivileged(profile))
        for (std::int32_t& state : states)
            if (state == 0)
                state = 2;
    return states;
}

}  // namespace vexar::shell
