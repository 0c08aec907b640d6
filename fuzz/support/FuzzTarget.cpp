#include "FuzzTarget.h"

#include <cstdio>
#include <cstdlib>

namespace vexar::fuzz {

namespace {

std::vector<Target>& Registry()
{
    static std::vector<Target> targets;
    return targets;
}

}  // namespace

const std::vector<Target>& Targets() { return Registry(); }

Registration::Registration(const char* name, TargetEntry entry) { Registry().push_back({name, entry}); }

void CheckFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "FUZZ_CHECK failed: %s at %s:%d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace vexar::fuzz
