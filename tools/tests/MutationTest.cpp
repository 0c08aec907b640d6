// The firmware image loaders against a few hundred seeded corruptions of
// realistic images: whatever the bytes, a loader answers loaded or refused,
// says the same in the image, and a loaded image lies inside its buffer.

#include "tools/common/ImageLoaders.h"

#include "Mutator.h"
#include "ReferenceImages.h"
#include "TempDir.h"
#include "sigilkit.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vexar::tools;
using namespace vexar::testing;
using namespace std::string_literals;

namespace {

using Loader = std::function<bool(const std::string&, LOADER_IMAGE&, CLoaderReporter&)>;

std::string SRecordImage()
{
    const std::string code = RandomBytes(0x100, 7);
    std::string text = SRecordLine(0, 0, "fw.s19") + "\r\n";
    for (std::uint32_t at = 0; at < code.size(); at += 0x20)
        text += SRecordLine(1, 0x9000 + at, code.substr(at, 0x20)) + "\r\n";
    text += SRecordLine(2, 0x00A000, code.substr(0, 0x10)) + "\r\n";
    text += SRecordLine(3, 0x0000B000, code.substr(0, 0x10)) + "\r\n";
    text += SRecordLine(1, 0xFFFE, "\x90\x00"s) + "\r\n";
    return text + SRecordLine(9, 0x9000, "") + "\r\n";
}

std::string HexImage()
{
    const std::string code = RandomBytes(0x100, 8);
    std::string text = HexLine(4, 0, "\x00\x01"s) + "\r\n";
    for (std::uint32_t at = 0; at < code.size(); at += 0x10)
        text += HexLine(0, 0x8000 + at, code.substr(at, 0x10)) + "\r\n";
    text += HexLine(2, 0, "\x10\x00"s) + "\r\n";
    text += HexLine(0, 0x8100, code.substr(0, 0x10)) + "\r\n";
    return text + HexLine(1, 0, "") + "\r\n";
}

struct MutationCase {
    const char* name;
    Loader load;
    const char* fileName;
    std::function<std::string()> content;
    bool binary;  // mutate bytes rather than lines and tokens
    int count;
};

void PrintTo(const MutationCase& c, std::ostream* os) { *os << c.name; }

class CorruptImage : public ::testing::TestWithParam<MutationCase> {};

TEST_P(CorruptImage, IsLoadedWholeOrRefused)
{
    const MutationCase& c = GetParam();
    TempDir dir;
    const std::string original = c.content();
    const std::string path = dir.file(c.fileName);
    const int count = MutationCount(c.count);
    for (int seed = 0; seed < count; ++seed) {
        Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        const std::string bytes = c.binary ? mutator.MutateBytes(original, what) : mutator.Mutate(original, what);
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);
        WriteAll(path, bytes);

        LOADER_IMAGE image;
        RecordingReporter reporter;
        const bool loaded = c.load(path, image, reporter);
        ASSERT_EQ(image.loaded, loaded);
        if (!loaded)
            continue;
        EXPECT_TRUE(reporter.messages.empty());
        EXPECT_LE(image.start, image.stop);
        EXPECT_LT(image.stop, image.buffer.size());
    }
}

// A ".run" file is the enciphered S-record text; its ciphertext is
// corrupted here, so the decipher step sees the damage first.
std::string RunImage()
{
    TempDir dir;
    WriteAll(dir.file("plain.s19"), SRecordImage());
    EXPECT_EQ(CryptInit(reinterpret_cast<const unsigned char*>("3FA0C81D5E7B29640D1CE8A7B5F23961"), 32, 32), 0);
    EXPECT_EQ(FileEncrypt(dir.file("plain.s19").c_str(), dir.file("fw.run").c_str(), SIGILKIT_CFB), 0);
    return ReadAll(dir.file("fw.run"));
}

const Loader kSt7 = [](const std::string& p, LOADER_IMAGE& i, CLoaderReporter& r) {
    return LoadSt7RunImage(p, i, ToolLanguage::English, r);
};
const Loader kLanguage = [](const std::string& p, LOADER_IMAGE& i, CLoaderReporter& r) {
    // The language file has no image: stand for it with one of its bytes.
    std::vector<std::uint8_t> language;
    const bool loaded = LoadHandheldLanguageFile(p, language, r);
    i.buffer = language;
    i.loaded = loaded;
    i.start = 0;
    i.stop = language.empty() ? 0 : static_cast<std::uint32_t>(language.size() - 1);
    return loaded && language.size() == 32768;
};

INSTANTIATE_TEST_SUITE_P(
    Loaders, CorruptImage,
    ::testing::Values(MutationCase{"Hc08SRecord", LoadHc08Image, "fw.s19", SRecordImage, false, 200},
                      MutationCase{"HhwriterKd01SRecord", LoadHhwriterKd01Image, "fw.s19", SRecordImage, false, 200},
                      MutationCase{"St7Run", kSt7, "fw.run", RunImage, true, 150},
                      MutationCase{"HhwriterKd01Run", LoadHhwriterKd01Image, "fw.run", RunImage, true, 150},
                      MutationCase{"Kd02Hex", LoadKd02HexImage, "fw.hex", HexImage, false, 200},
                      MutationCase{"HhwriterKd02Hex", LoadHhwriterKd02HexImage, "fw.hex", HexImage, false, 200},
                      MutationCase{"Kd02Bin", LoadKd02BinImage, "fw.bin", [] { return RandomBytes(0x800, 9); },
                                   true, 100},
                      MutationCase{"HhwriterKd02Bin", LoadHhwriterKd02BinImage, "fw.bin",
                                   [] { return RandomBytes(0x800, 9); }, true, 100},
                      MutationCase{"HandheldLanguage", kLanguage, "lang.bin", [] { return RandomBytes(0x900, 10); },
                                   true, 100}),
    [](const ::testing::TestParamInfo<MutationCase>& info) { return std::string(info.param.name); });

}  // namespace
