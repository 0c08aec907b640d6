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
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return vexar::fuzz::Targets().front().entry(data, size);
}
