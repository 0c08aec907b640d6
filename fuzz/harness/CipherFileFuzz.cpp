// The enciphered text file of the main program, from its raw bytes: the
// cipher library deciphers whatever is there, and the lines come out each
// once, never more text than the file's blocks hold.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "FuzzWorkspace.h"
#include "common/CCriptFile.h"
#include "common/CUtility.h"

#include <fstream>
#include <iterator>

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(CipherFile)
{
    const std::string path = Workspace::Get().PlainInput("fuzz.DAT", std::span(data, size));

    // The cipher works on whole 32-byte blocks: a short last block is
    // deciphered as if padded, never more.
    const std::size_t units = (size + 31) / 32 * 32 / 2;
    CCriptFile file;
    const int opened = file.Open(path, 1);
    FUZZ_CHECK(opened == 0 || opened == 1);
    std::u16string line;
    std::size_t read = 0;
    while (file.ReadLine(line)) {
        read += line.size() + 1;
        FUZZ_CHECK(read <= units + 1);
    }
    FUZZ_CHECK(file.ReadLine(line) == 0);
    FUZZ_CHECK(file.Close());

    // The data-line reader of the definition files over the same text.
    CCriptFile again;
    if (again.Open(path, 1)) {
        std::size_t lines = 0;
        while (CUtility::ReadNextDataLine(again, line)) {
            FUZZ_CHECK(!line.empty());
            FUZZ_CHECK(++lines <= units);
        }
    }
    return 0;
}

VEXAR_FUZZ_SEEDS(CipherFile)
{
    // Written by the program's own writer, then taken as they lie on disk.
    const Workspace& workspace = Workspace::Get();
    SeedSet seeds;
    const std::pair<const char*, std::u16string> texts[] = {
        {"calibration", FixtureText("calibration/VXG4_R0107_City.DAT.txt")},
        {"layout", SyntheticText("VXG4_R0107.GVS")},
        {"parser", SyntheticText("Parser.txt")},
        {"empty", u""},
        {"one-line", u"a\r\nb\nc"},
    };
    for (const auto& [name, text] : texts) {
        const std::string path = workspace.File("seed.DAT");
        workspace.WriteEnciphered(path, text);
        std::ifstream in(path, std::ios::binary);
        seeds.Add(name, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    return seeds;
}
