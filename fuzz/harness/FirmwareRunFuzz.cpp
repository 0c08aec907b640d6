// Enciphered KD01 firmware (".run"), as st7flash and hhwriter load it:
// the input is the S-record text, enciphered as the maker's files are.

#include "FirmwareTargets.h"
#include "FuzzSeeds.h"
#include "FuzzWorkspace.h"

using namespace vexar::fuzz;
using namespace vexar::tools;

VEXAR_FUZZ_TARGET(FirmwareRun)
{
    static LOADER_IMAGE images[2];
    const Workspace& workspace = Workspace::Get();
    const std::string path = workspace.File("fw.run");
    workspace.WriteRunFile(path, std::span(data, size));
    const std::size_t fileSize = size + 64;
    CheckImageLoad(
        [&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadSt7RunImage(path, i, ToolLanguage::Italian, r); },
        images[0], fileSize);
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadHhwriterKd01Image(path, i, r); },
                   images[1], fileSize);
    vexar::testing::RecordingReporter reporter;
    CheckFirmwareFileSize(path, ToolLanguage::English, reporter);
    return 0;
}

VEXAR_FUZZ_SEEDS(FirmwareRun)
{
    SeedSet seeds;
    seeds.Add("kd01.s19", SRecordImage(0x9000));
    for (const char* word : {"S0", "S1", "S2", "S3", "S9", "FFFE", "FFE0", "\r\n"})
        seeds.words.emplace_back(word);
    return seeds;
}
