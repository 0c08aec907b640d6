// The libFuzzer entry of a program built from exactly one fuzz target.

#include "FuzzTarget.h"
#include "FuzzWorkspace.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (vexar::fuzz::Targets().size() != 1) {
        std::fprintf(stderr, "a fuzz program holds exactly one target, this one %zu\n",
                     vexar::fuzz::Targets().size());
        std::abort();
    }
    vexar::fuzz::PrepareFuzzProcess();
    // One empty input before libFuzzer starts timing them: what a target
    // builds once and keeps (the synthetic definitions, the firmware images)
    // is then built here, not inside the first input, which on a loaded
    // machine would take longer than the hang limit.
    static const std::uint8_t none = 0;
    vexar::fuzz::Targets().front().entry(&none, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return vexar::fuzz::Targets().front().entry(data, size);
}
