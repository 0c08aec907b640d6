#include "common/CCriptFile.h"

#include "McryptReference.h"
#include "TempDir.h"
#include "Utf16File.h"
#include "common/CUtility.h"
#include "common/Text.h"
#include "sigilkit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

using vexar::crypt::McryptDecipher;
using vexar::crypt::McryptEncipher;
using vexar::crypt::SystemPlaintext;
using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

const std::u16string kMarker = u"<\u00A3\u00A3\u00A3\u00A3\u00A3\u00A3 FINE FILE \u00A3\u00A3\u00A3\u00A3\u00A3\u00A3>";

bool WriteText(const std::string& path, const std::u16string& text)
{
    CCriptFile file;
    EXPECT_EQ(file.Open(path, 0), 1);
    file.Write(text);
    return file.Close();
}

std::vector<std::u16string> ReadLines(const std::string& path)
{
    CCriptFile file;
    EXPECT_EQ(file.Open(path, 1), 1) << path;
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.ReadLine(line))
        lines.push_back(line);
    file.Close();
    return lines;
}

// The plaintext of a file as the cipher library itself deciphers it.
std::string SigilkitDecipher(const std::string& path)
{
    const char key[] = "3FA0C81D5E7B29640D1CE8A7B5F23961";
    if (CryptInit(reinterpret_cast<const unsigned char*>(key), 32, 32) != 0)
        return "cannot key";
    int length = 0;
    unsigned char* plain = FileDecrypt(path.c_str(), &length, SIGILKIT_CFB);
    if (!plain)
        return "cannot decipher";
    std::string result(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(length));
    DataFree(plain);
    return result;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(CCriptFile, LinesOfAWrittenTextReadBack)
{
    struct Case {
        const char* name;
        std::u16string text;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"CR LF and LF line ends", u"a\r\nb\nc", {u"a", u"b", u"c"}},
        {"two line feeds give an empty line", u"a\n\nb\n", {u"a", u"", u"b"}},
        {"a final line feed adds no line", u"a\n", {u"a"}},
        {"a lone CR stays in the line", u"a\rb\n\r", {u"a\rb", u"\r"}},
        {"CR CR LF keeps one CR", u"a\r\r\nb", {u"a\r", u"b"}},
        {"nothing written reads as no lines", u"", {}},
        {"last line without a line feed", u"x\ny", {u"x", u"y"}},
        {"only line feeds", u"\n\n", {u"", u""}},
        {"non-Latin text", u"\u00E8\u20AC\U0001F600\u00A3\n", {u"\u00E8\u20AC\U0001F600\u00A3"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.file("f.cfg");
        ASSERT_TRUE(WriteText(path, c.text)) << c.name;
        EXPECT_EQ(ReadLines(path), c.lines) << c.name;
    }
}

TEST(CCriptFile, WrittenFileHoldsMarkTextMarkerAndZeroPadding)
{
    TempDir dir;
    const std::string path = dir.file("f.cfg");
    for (std::size_t n : {0u, 1u, 2u, 3u, 7u, 8u, 15u, 16u, 17u, 100u}) {
        const std::u16string text(n, u'\u00E8');
        ASSERT_TRUE(WriteText(path, text));
        const std::string cipher = ReadAll(path);
        // 2 + 2n bytes, the marker's 25 units counted in n, rounded up to 32.
        const std::size_t units = n + 25;
        EXPECT_EQ(cipher.size(), (2 + 2 * units + 31) / 32 * 32) << n;

        const std::string plain = McryptDecipher(cipher);
        EXPECT_EQ(SigilkitDecipher(path), plain) << n;
        EXPECT_EQ(plain.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(FromUtf16Le(plain.substr(2, 2 * units)), text + kMarker) << n;
        EXPECT_EQ(plain.substr(2 + 2 * units), std::string(cipher.size() - 2 - 2 * units, '\0')) << n;
    }
}

TEST(CCriptFile, MarkerOnTheLastLineIsCutOff)
{
    TempDir dir;
    CCriptFile file;
    ASSERT_EQ(file.Open(dir.file("f.cfg"), 0), 1);
    file.Write(u"first\n");
    file.Write(u"no line feed");
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadLines(dir.file("f.cfg")), (std::vector<std::u16string>{u"first", u"no line feed"}));
}

TEST(CCriptFile, ReadsFilesOfAnIndependentCipher)
{
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string marker;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"pound marker", u"<CODICE_ECU>\tX1\t</CODICE_ECU>\n\u00E8\r\n", kMarker, {u"<CODICE_ECU>\tX1\t</CODICE_ECU>", u"\u00E8"}},
        {"L marker", u"a\nb\n", u"<LLLLLL FINE FILE LLLLLL>", {u"a", u"b"}},
        {"first marker wins", u"a\n" + kMarker + u"\nb\n", kMarker, {u"a"}},
        {"pound marker preferred over an earlier L marker", u"a\n<LLLLLL FINE FILE LLLLLL>\nb\n", kMarker,
         {u"a", u"<LLLLLL FINE FILE LLLLLL>", u"b"}},
        // Without a marker the padding's zero units end the last line.
        {"no marker", u"abc", u"", {u"abc" + std::u16string(12, u'\0')}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.file("ref.dat");
        WriteAll(path, McryptEncipher(SystemPlaintext(c.text, c.marker)));
        EXPECT_EQ(ReadLines(path), c.lines) << c.name;
    }
}

// The first lines read from the leading blocks alone are those that the
// whole file gives, whatever follows them: damaged or cut-short blocks, a
// line that runs on past the blocks first read, end markers that cut or do
// not cut the text, a file that is not enciphered, an empty file.
TEST(CCriptFile, HeadLinesAreThoseOfTheWholeFile)
{
    TempDir dir;
    const std::u16string header = u"<CODICE_ECU>\tGAS-4CIL\t</CODICE_ECU>\n<ID_FIRMWARE>\tR01\t</ID_FIRMWARE>\n";
    std::u16string body;
    for (int i = 0; i < 200; ++i)
        body += u"<RIGA>\t" + vexar::ToUtf16(std::to_string(i)) + u"\t</RIGA>\r\n";
    ASSERT_TRUE(WriteText(dir.file("good.cfg"), header + body));
    const std::string cipher = ReadAll(dir.file("good.cfg"));
    ASSERT_GT(cipher.size(), 4096u);  // several times the part first read
    std::string damaged = cipher;
    for (std::size_t i = 256; i < damaged.size(); i += 7)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    const std::u16string lMarker = u"<LLLLLL FINE FILE LLLLLL>";
    const std::u16string longLine(3000, u'b');
    const auto independent = [](std::u16string_view text, std::u16string_view marker) {
        return McryptEncipher(SystemPlaintext(text, marker));
    };

    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"whole file", cipher},
        {"later blocks damaged", damaged},
        {"cut short inside its last block", cipher.substr(0, cipher.size() - 5)},
        {"cut to the blocks first read", cipher.substr(0, 256)},
        {"one byte past the blocks first read", cipher.substr(0, 257)},
        {"one byte past twice those blocks", cipher.substr(0, 513)},
        {"cut inside the second line", cipher.substr(0, 100)},
        {"cut inside the first block", cipher.substr(0, 20)},
        {"one byte", cipher.substr(0, 1)},
        {"empty", ""},
        {"second line runs past the blocks first read", independent(u"a\n" + longLine + u"\nc\n", kMarker)},
        {"no line feed after a long second line", independent(u"a\n" + longLine, kMarker)},
        {"no marker and no second line feed", independent(u"a\nb", u"")},
        {"L marker in a line, pound marker further on", independent(u"a\nb" + lMarker + u"c\n" + longLine + u"\n", kMarker)},
        {"L marker in a line, no other", independent(u"a\nb" + lMarker + u"c\n" + longLine + u"\n", u"")},
        {"pound marker in the first line", independent(u"a" + kMarker + u"b\nc\n" + longLine, u"")},
        {"marker right after the header", independent(header + kMarker + body, lMarker)},
        {"not enciphered", std::string(5000, 'x')},
    };
    const std::string path = dir.file("f.cfg");
    for (const auto& c : cases) {
        WriteAll(path, c.bytes);
        for (int count = 1; count <= 3; ++count) {
            CCriptFile whole;
            CCriptFile head;
            const int opened = whole.Open(path, 1);
            EXPECT_EQ(head.OpenHead(path, count), opened) << c.name;
            std::vector<std::u16string> expected;
            std::u16string line;
            while (static_cast<int>(expected.size()) < count && whole.ReadLine(line))
                expected.push_back(line);
            std::vector<std::u16string> lines;
            while (head.ReadLine(line))
                lines.push_back(line);
            EXPECT_EQ(lines, expected) << c.name << ", " << count << " lines";
        }
    }

    CCriptFile head;
    EXPECT_EQ(head.OpenHead(dir.file("missing.cfg"), 2), 0);
    EXPECT_EQ(head.OpenHead(dir.path(), 2), 0);
    // Larger than the cipher library deciphers whole: refused as well,
    // without reading it.
    WriteAll(path, cipher);
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31);
    EXPECT_EQ(head.OpenHead(path, 2), 0);
    std::filesystem::remove(path);
}

TEST(CCriptFile, OpeningForReadingFailsCleanly)
{
    TempDir dir;
    CCriptFile file;
    EXPECT_EQ(file.Open(dir.file("missing.cfg"), 1), 0);
    std::u16string line = u"x";
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, u"");

    // Reading a file that is not enciphered gives garbage, never a crash.
    WriteAll(dir.file("plain.txt"), "just some text");
    ASSERT_EQ(file.Open(dir.file("plain.txt"), 1), 1);
    while (file.ReadLine(line)) {
    }
    WriteAll(dir.file("empty.cfg"), "");
    if (file.Open(dir.file("empty.cfg"), 1) == 1) {
        EXPECT_EQ(file.ReadLine(line), 0);
    }
}

TEST(CCriptFile, CloseWritesOnlyWhatWasOpenedForWriting)
{
    TempDir dir;
    const std::string path = dir.file("settings.cfg");
    ASSERT_TRUE(WriteText(path, u"keep me\n"));
    const std::string before = ReadAll(path);

    {  // Close after reading writes nothing, even with text written into the object.
        CCriptFile file;
        ASSERT_EQ(file.Open(path, 1), 1);
        file.Write(u"stray");
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(ReadAll(path), before);
    }
    {  // The destructor does not close: nothing is written.
        CCriptFile file;
        ASSERT_EQ(file.Open(path, 0), 1);
        file.Write(u"never saved\n");
    }
    EXPECT_EQ(ReadAll(path), before);
    {  // A second Close must not replace the saved file with an empty one.
        CCriptFile file;
        ASSERT_EQ(file.Open(path, 0), 1);
        file.Write(u"new\n");
        EXPECT_TRUE(file.Close());
        const std::string saved = ReadAll(path);
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(ReadAll(path), saved);
        EXPECT_EQ(ReadLines(path), std::vector<std::u16string>{u"new"});
    }
    {  // Opening for writing touches nothing on disk.
        CCriptFile file;
        ASSERT_EQ(file.Open(dir.file("not-yet.cfg"), 0), 1);
        EXPECT_FALSE(Exists(dir.file("not-yet.cfg")));
    }
}

TEST(CCriptFile, ReopenedObjectStartsAfresh)
{
    TempDir dir;
    ASSERT_TRUE(WriteText(dir.file("a.cfg"), u"a1\na2\n"));
    ASSERT_TRUE(WriteText(dir.file("b.cfg"), u"b1\n"));
    CCriptFile file;
    std::u16string line;
    ASSERT_EQ(file.Open(dir.file("a.cfg"), 1), 1);
    ASSERT_EQ(file.ReadLine(line), 1);
    ASSERT_EQ(file.Open(dir.file("b.cfg"), 1), 1);
    ASSERT_EQ(file.ReadLine(line), 1);
    EXPECT_EQ(line, u"b1");
    EXPECT_EQ(file.ReadLine(line), 0);

    // A file being read can be rewritten by another object meanwhile.
    ASSERT_EQ(file.Open(dir.file("a.cfg"), 1), 1);
    ASSERT_TRUE(WriteText(dir.file("a.cfg"), u"replaced\n"));
    ASSERT_EQ(file.ReadLine(line), 1);
    EXPECT_EQ(line, u"a1");
}

TEST(CCriptFile, FailedWriteLeavesThePreviousFileIntact)
{
    TempDir dir;
    const std::string path = dir.file("calib.dat");
    ASSERT_TRUE(WriteText(path, u"previous calibration\n"));
    const std::string before = ReadAll(path);
    for (const char* step : {"create", "write", "flush", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        CCriptFile file;
        ASSERT_EQ(file.Open(path, 0), 1);
        file.Write(u"new calibration that must not half-replace the old one\n");
        EXPECT_FALSE(file.Close()) << step;
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(ReadAll(path), before) << step;
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"calib.dat"}) << step;
    }
    EXPECT_FALSE(WriteText(dir.file("no/such/folder.dat"), u"x"));
}

TEST(CCriptFile, KeepsTheTargetsPermissionBits)
{
    TempDir dir;
    const std::string path = dir.file("calib.dat");
    ASSERT_TRUE(WriteText(path, u"one\n"));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(WriteText(path, u"two\n"));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST(ReadNextDataLine, SkipsBlankAndCommentLinesAndTrims)
{
    TempDir dir;
    const std::string path = dir.file("VEXAR.cfg");
    ASSERT_TRUE(WriteText(path, u"   // note\n\n\t\n  A=1  \nA=1 // note\n\u00A0//x\n/ single slash\n\r\n  last"));
    CCriptFile file;
    ASSERT_EQ(file.Open(path, 1), 1);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (CUtility::ReadNextDataLine(file, line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"A=1", u"A=1 // note", u"/ single slash", u"last"}));
    EXPECT_FALSE(CUtility::ReadNextDataLine(file, line));
}
