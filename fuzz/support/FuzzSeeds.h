#pragma once

// The seed inputs and dictionary words of a fuzz target, written at build
// time by the fuzz_seeds program (fuzz/support/SeedMain.cpp) next to the
// corpora kept in the tree. Each target's source says how its seeds are
// made, beside the target itself:
//
//     VEXAR_FUZZ_SEEDS(CipherFile)
//     {
//         SeedSet seeds;
//         seeds.Add("calibration", ...bytes...);
//         return seeds;
//     }

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexar::fuzz {

struct SeedSet {
    std::vector<std::pair<std::string, std::string>> inputs;  // file name, bytes
    std::vector<std::string> words;                           // dictionary entries, as bytes

    void Add(std::string name, std::string bytes) { inputs.emplace_back(std::move(name), std::move(bytes)); }
    void AddWords(const std::vector<std::string>& more) { words.insert(words.end(), more.begin(), more.end()); }
};

using SeedMaker = SeedSet (*)();

struct SeedRegistration {
    SeedRegistration(const char* name, SeedMaker maker);
};

const std::vector<std::pair<const char*, SeedMaker>>& SeedMakers();

// A plaintext fixture under testing/data (UTF-8), as UTF-16.
std::u16string FixtureText(std::string_view relative);
// A source file of the synthetic configuration (testing/data/config/...).
std::u16string SyntheticText(std::string_view fileName);

// The tags ("<NAME>", "</NAME>") and the upper-case keywords (runs of
// capitals, digits and '_' of three or more with at least one '_') of a
// text, each once, in the order first met.
std::vector<std::u16string> TextKeywords(std::u16string_view text);
// Dictionary words as a target reads them: UTF-16 code units (little
// endian) or 8-bit characters.
std::vector<std::string> Utf16Words(const std::vector<std::u16string>& words);
std::vector<std::string> AsciiWords(const std::vector<std::u16string>& words);

}  // namespace vexar::fuzz

#define VEXAR_FUZZ_SEEDS(name)                                                                   \
    static ::vexar::fuzz::SeedSet name##FuzzSeeds();                                             \
    static const ::vexar::fuzz::SeedRegistration name##SeedRegistration{#name, name##FuzzSeeds}; \
    static ::vexar::fuzz::SeedSet name##FuzzSeeds()
