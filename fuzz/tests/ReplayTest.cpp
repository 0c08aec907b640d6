// Every fuzz target over every input kept for it: the minimised corpus in
// the tree (fuzz/corpus/<Target>), the saved cases of what fuzzing found
// (fuzz/crashes/<Target>) and the seeds written at build time. Built by any
// compiler, this keeps each mended fault mended on every machine; a
// sanitizer report or a failed check of a target ends the test.

#include "FuzzTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

namespace vexar::fuzz {

// The target by its name in the test's listing.
void PrintTo(const Target& target, std::ostream* out)
{
    *out << target.name;
}

}  // namespace vexar::fuzz

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (!fs::is_directory(folder))
        return files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the target over the files; the longest run, in seconds.
double RunAll(const vexar::fuzz::Target& target, const std::vector<fs::path>& files)
{
    double longest = 0.0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = ReadBytes(file);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(target.entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        longest = std::max(longest, took.count());
    }
    return longest;
}

class Replay : public ::testing::TestWithParam<vexar::fuzz::Target> {};

TEST_P(Replay, CorpusAndSeedsRunThrough)
{
    const std::string name = GetParam().name;
    std::vector<fs::path> inputs = FilesIn(fs::path(VEXAR_FUZZ_SOURCE_DIR) / "corpus" / name);
    const std::vector<fs::path> seeds = FilesIn(fs::path(VEXAR_FUZZ_SEED_DIR) / name);
    ASSERT_FALSE(seeds.empty()) << "no seeds were written for " << name;
    inputs.insert(inputs.end(), seeds.begin(), seeds.end());
    RunAll(GetParam(), inputs);
}

// A case kept from a hang ran for more than a second before its mend; with
// the sanitizers of the test build on a busy machine a few seconds are
// still far from that.
TEST_P(Replay, SavedCasesStayMended)
{
    const std::vector<fs::path> cases = FilesIn(fs::path(VEXAR_FUZZ_SOURCE_DIR) / "crashes" / GetParam().name);
    EXPECT_LT(RunAll(GetParam(), cases), 5.0);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, Replay, ::testing::ValuesIn(vexar::fuzz::Targets()),
                         [](const ::testing::TestParamInfo<vexar::fuzz::Target>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
