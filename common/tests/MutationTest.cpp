// The text readers of the common layer against a few hundred seeded
// corruptions of realistic files: whatever the bytes, a reader gives its
// documented answer, ends, and holds no more than the file could give.

#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/CUtilityLang.h"
#include "common/TagLine.h"
#include "common/Text.h"

#include "DefinitionFixtures.h"
#include "McryptReference.h"
#include "Mutator.h"
#include "TempDir.h"
#include "common/ErrorReporter.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <sys/stat.h>

using vexar::testing::Mutator;
using vexar::testing::MutationCount;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

std::u16string Fixture(const std::string& relative)
{
    return vexar::ToUtf16(ReadAll(vexar::fixtures::DataFolder() + "/" + relative));
}

std::string Utf16Bytes(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

const std::u16string kEndMarker = u"<\u00A3\u00A3\u00A3\u00A3\u00A3\u00A3 FINE FILE \u00A3\u00A3\u00A3\u00A3\u00A3\u00A3>";

// Damaged ciphertext and damaged plaintext: the file is refused, or its
// lines come out, each read once, never more text than its blocks hold.
TEST(CorruptFiles, CipherFileIsRefusedOrReadToItsEnd)
{
    TempDir dir;
    const std::u16string text = Fixture("calibration/VXG4_R0107_City.DAT.txt");
    const std::string cipher = vexar::crypt::McryptEncipher(vexar::crypt::SystemPlaintext(text, kEndMarker));
    const std::string path = dir.file("f.DAT");
    const int count = MutationCount(300);
    for (int seed = 0; seed < count; ++seed) {
        Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        std::string bytes;
        if (seed % 2 == 0)
            bytes = mutator.MutateBytes(cipher, what);
        else
            bytes = vexar::crypt::McryptEncipher(
                vexar::crypt::SystemPlaintext(mutator.Mutate(text, what), seed % 3 ? kEndMarker : u""));
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);
        WriteAll(path, bytes);

        CCriptFile file;
        const int opened = file.Open(path, 1);
        ASSERT_TRUE(opened == 0 || opened == 1);
        std::u16string line;
        std::size_t units = 0;
        if (opened == 0) {
            EXPECT_EQ(file.ReadLine(line), 0);  // nothing to read from a refused file
            continue;
        }
        // The cipher works on whole 32-byte blocks: a short last block is
        // deciphered as if padded, never more.
        const std::size_t blocks = (bytes.size() + 31) / 32 * 32;
        while (file.ReadLine(line)) {
            units += line.size() + 1;
            ASSERT_LE(units, blocks);
        }
        EXPECT_EQ(file.ReadLine(line), 0);
    }
}

// UTF-16 and 8-bit text files with damaged bytes: every line is read once
// and the reader stops at the end without a read error.
TEST(CorruptFiles, TextFileIsReadToItsEnd)
{
    TempDir dir;
    const std::u16string text = Fixture("acquisition/VXG4_R0107_Prova.ACQ.txt");
    const std::string path = dir.file("f.ACQ");
    const int count = MutationCount(300);
    for (int seed = 0; seed < count; ++seed) {
        Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        const std::string original = seed % 2 ? Utf16Bytes(text) : vexar::ToCp1252(text);
        const std::string bytes = mutator.MutateBytes(original, what);
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);
        WriteAll(path, bytes);

        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
        std::u16string line;
        std::size_t units = 0;
        while (file.ReadString(line)) {
            units += line.size() + 1;
            ASSERT_LE(units, bytes.size() + 1);
        }
        EXPECT_FALSE(file.Failed());
        EXPECT_FALSE(file.ReadString(line));
        EXPECT_TRUE(file.Close());
    }
}

// A damaged language file: every look-up answers with a text no longer
// than the file, or the empty text.
TEST(CorruptFiles, LanguageFileLookUpsEnd)
{
    TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    ASSERT_EQ(::mkdir(home.file("Lang").c_str(), 0777), 0);
    class Quiet : public vexar::ErrorReporter {
    public:
        void ShowError(const std::u16string&) override {}
    } quiet;
    vexar::ScopedErrorReporter scope{quiet};
    const std::u16string text = Fixture("Lang/English.lng");
    const std::string path = home.file("Lang/English.lng");
    const int count = MutationCount(200);
    for (int seed = 0; seed < count; ++seed) {
        Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        const std::string bytes = seed % 4 == 0 ? mutator.MutateBytes(Utf16Bytes(text), what)
                                                : Utf16Bytes(mutator.Mutate(text, what));
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what);
        WriteAll(path, bytes);
        for (std::int32_t id : {-1, 0, 100, 101, 105, 2147483647})
            EXPECT_LE(CUtility::LoadLangString(path, id).size(), bytes.size());
    }
    unsetenv("VEXAR_HOME");
}

// Damaged tag lines of the data files: a tag value is found only between
// its tags, and a whole number is accepted only when the standard library
// reads the whole trimmed text to the same value (a lone sign being zero).
TEST(CorruptFiles, TagLinesAndNumbersParseOrRefuse)
{
    const std::u16string lines[] = {
        u"<NUM_VAR>\t 4 \t</NUM_VAR>",
        u"\t<LSB>16</LSB>",
        u"<MASCHERA>0x000000FF</MASCHERA>",
        u"\t\t<PRECEDENTE>\t-12.5\t</PRECEDENTE>",
    };
    const int count = MutationCount(400);
    for (int seed = 0; seed < count; ++seed) {
        Mutator mutator(static_cast<std::uint64_t>(seed));
        std::string what;
        const std::u16string line = mutator.Mutate(lines[seed % 4], what);
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + what + " -> " + vexar::ToUtf8(line));
        for (const char16_t* name : {u"NUM_VAR", u"LSB", u"MASCHERA", u"PRECEDENTE"}) {
            std::u16string value = u"untouched";
            if (!GetTagValue(line, value, name)) {
                EXPECT_EQ(value, u"untouched");
                continue;
            }
            EXPECT_LE(value.size(), line.size());
            std::u16string copy = value;
            std::int32_t number = 7;
            if (StrToLong(copy, number)) {
                const std::string narrow = vexar::ToUtf8(copy);
                long long expected = 0;
                const char* first = narrow.data() + (narrow.starts_with('+') ? 1 : 0);
                if (narrow == "-" || narrow == "+") {
                    EXPECT_EQ(number, 0);  // a lone sign reads as zero
                } else {
                    const auto [end, error] = std::from_chars(first, narrow.data() + narrow.size(), expected);
                    EXPECT_EQ(error, std::errc()) << narrow;
                    EXPECT_EQ(end, narrow.data() + narrow.size()) << narrow;
                    EXPECT_EQ(number, expected) << narrow;
                }
            }
            copy = value;
            std::uint32_t dword = 0;
            if (HexStrToDword(copy, dword)) {
                EXPECT_EQ(copy.size(), 10u);
            }
            copy = value;
            double real = 0;
            StrToDouble(copy, real);
        }
    }
}

}  // namespace
