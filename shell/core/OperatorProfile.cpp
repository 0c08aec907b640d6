#include "shell/core/OperatorProfile.h"

namespace vexar::shell {

int CombinedProfile(const OPERATOR_PROFILE& profile)
{
    if (profile.oprator == 1 && profile.svil)
        return kProfileDevelopment;
    if (profile.oprator == 0 && profile.limit)
        return kProfileLimit;
    if (profile.oprator == 0 && profile.pblLimit)
        return kProfilePublicLimit;
    return profile.oprator;
}

OPERATOR_PROFILE ProfileOfCombined(int combined)
{
    switch (combined) {
    case 1:
    case 2: return {combined, false, false, false};
    case kProfileDevelopment: return {1, true, false, false};
    case kProfileLimit: return {0, false, true, false};
    case kProfilePublicLimit: return {0, false, false, true};
    default: return {};
    }
}

bool ProfileChangeInterrupts(int from, int to)
{
    return from >= kProfileDevelopment || to >= kProfileDevelopment;
}

bool IsPrivileged(const OPERATOR_PROFILE& profile) { return profile.oprator == 1 || profile.oprator == 2; }

}  // namespace vexar::shell
