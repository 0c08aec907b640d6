// Raw binary images: KD02 ".bin" for kd02flash and hhwriter, and the
// handheld's language file; and the size check before a load.

#include "FirmwareTargets.h"
#include "FuzzSeeds.h"
#include "FuzzWorkspace.h"

using namespace vexar::fuzz;
using namespace vexar::tools;

VEXAR_FUZZ_TARGET(FirmwareBinary)
{
    static LOADER_IMAGE images[2];
    const std::string path = Workspace::Get().PlainInput("fw.bin", std::span(data, size));
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadKd02BinImage(path, i, r); },
                   images[0], size);
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadHhwriterKd02BinImage(path, i, r); },
                   images[1], size);

    std::vector<std::uint8_t> language;
    vexar::testing::RecordingReporter reporter;
    if (LoadHandheldLanguageFile(path, language, reporter))
        FUZZ_CHECK(language.size() == 32768);
    CheckFirmwareFileSize(path, ToolLanguage::Italian, reporter);
    return 0;
}

VEXAR_FUZZ_SEEDS(FirmwareBinary)
{
    SeedSet seeds;
    seeds.Add("kd02.bin", vexar::testing::RandomBytes(0x400, 9));
    seeds.Add("language.bin", vexar::testing::RandomBytes(0x90, 10));
    return seeds;
}
