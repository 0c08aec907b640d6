// KD02 firmware in Intel HEX, as kd02flash and hhwriter load it.

#include "FirmwareTargets.h"
#include "FuzzSeeds.h"
#include "FuzzWorkspace.h"

using namespace vexar::fuzz;
using namespace vexar::tools;

VEXAR_FUZZ_TARGET(FirmwareHex)
{
    static LOADER_IMAGE images[2];
    const std::string path = Workspace::Get().PlainInput("fw.hex", std::span(data, size));
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadKd02HexImage(path, i, r); },
                   images[0], size);
    CheckImageLoad([&](LOADER_IMAGE& i, CLoaderReporter& r) { return LoadHhwriterKd02HexImage(path, i, r); },
                   images[1], size);
    return 0;
}

VEXAR_FUZZ_SEEDS(FirmwareHex)
{
    using vexar::testing::HexLine;
    const std::string code = vexar::testing::RandomBytes(0x80, 8);
    std::string linear = HexLine(4, 0, std::string("\x00\x01", 2)) + "\r\n";
    for (std::uint32_t at = 0; at < code.size(); at += 0x10)
        linear += HexLine(0, 0x8000 + at, code.substr(at, 0x10)) + "\r\n";
    linear += HexLine(5, 0, std::string("\x00\x01\x80\x00", 4)) + "\r\n";
    linear += HexLine(1, 0, "") + "\r\n";
    std::string segment = HexLine(2, 0, std::string("\x18\x00", 2)) + "\n";
    segment += HexLine(0, 0x0000, code.substr(0, 0x10)) + "\n";
    segment += HexLine(3, 0, std::string("\x18\x00\x00\x00", 4)) + "\n";
    segment += HexLine(1, 0, "") + "\n";

    SeedSet seeds;
    seeds.Add("linear.hex", linear);
    seeds.Add("segment.hex", segment);
    for (const char* word : {":10", ":02000004", ":02000002", ":04000005", ":04000003", ":00000001FF", "\r\n"})
        seeds.words.emplace_back(word);
    return seeds;
}
