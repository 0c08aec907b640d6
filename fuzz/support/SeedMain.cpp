// fuzz_seeds: writes the seed corpus and the dictionary of every fuzz
// target linked in, from the fixtures under testing/data and through the
// program's own writers where a target reads enciphered bytes.
//
//     fuzz_seeds <folder>
//
// gives <folder>/<Target>/<seed> for every seed and <folder>/<Target>.dict for
// every target with dictionary words.

#include "FuzzSeeds.h"
#include "FuzzWorkspace.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// One libFuzzer dictionary line: the word in quotes, every byte that is not
// plain printable ASCII (and the quote and backslash) as \xNN.
std::string DictionaryLine(const std::string& word)
{
    std::string line = "\"";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            line.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            line += escaped;
        }
    }
    return line + "\"\n";
}

bool WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    vexar::fuzz::PrepareFuzzProcess();
    const fs::path folder = argv[1];
    for (const auto& [name, maker] : vexar::fuzz::SeedMakers()) {
        const vexar::fuzz::SeedSet seeds = maker();
        const fs::path target = folder / name;
        fs::remove_all(target);
        fs::create_directories(target);
        for (const auto& [file, bytes] : seeds.inputs) {
            if (!WriteFile(target / file, bytes)) {
                std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", (target / file).c_str());
                return 1;
            }
        }
        std::string dictionary;
        std::set<std::string> written;
        for (const std::string& word : seeds.words)
            if (!word.empty() && written.insert(word).second)
                dictionary += DictionaryLine(word);
        // libFuzzer refuses an empty dictionary: a target without words has none.
        const fs::path dictionaryFile = folder / (std::string(name) + ".dict");
        fs::remove(dictionaryFile);
        if (!dictionary.empty() && !WriteFile(dictionaryFile, dictionary)) {
            std::fprintf(stderr, "fuzz_seeds: cannot write the dictionary of %s\n", name);
            return 1;
        }
    }
    return 0;
}
