// Firmware images in Motorola S-records, as hc08flash and hhwriter (KD01
// ".s19") load them.

#include "FirmwareTargets.h"
#include "FuzzSeeds.h"
#include "FuzzWorkspace.h"

using namespace vexar::fuzz;
using namespace vexar::tools;

VEXAR_FUZZ_TARGET(FirmwareSRecord)
{
    static LOADER_IMAGE images[2];
    const std::string path = Workspace::Get().PlainInput("fw.s19", std::span(data, size));
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadHc08Image(path, i, r); },
                   images[0], size);
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadHhwriterKd01Image(path, i, r); },
                   images[1], size);
    return 0;
}

VEXAR_FUZZ_SEEDS(FirmwareSRecord)
{
    SeedSet seeds;
    seeds.Add("kd01.s19", SRecordImage(0x9000));
    seeds.Add("handheld.s19", SRecordImage(0x1000));
    for (const char* word : {"S0", "S1", "S2", "S3", "S5", "S7", "S8", "S9", "FFFE", "FFCC", "FFE0", "\r\n"})
        seeds.words.emplace_back(word);
    return seeds;
}
