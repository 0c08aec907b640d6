#include "common/CStdioFileEx.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

constexpr std::uint32_t kReadText = CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone;
constexpr std::uint32_t kWriteUnicode =
    CStdioFileEx::modeWriteUnicode | CStdioFileEx::modeCreate | CStdioFileEx::modeWrite;
constexpr std::uint32_t kWriteAnsi = CStdioFileEx::modeCreate | CStdioFileEx::modeWrite;

std::vector<std::u16string> ReadLines(const std::string& path)
{
    CStdioFileEx file;
    EXPECT_TRUE(file.Open(path, kReadText));
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.ReadString(line))
        lines.push_back(line);
    EXPECT_FALSE(file.Failed());
    return lines;
}

std::string Written(const std::string& path, std::uint32_t flags, std::u16string_view text)
{
    CStdioFileEx file;
    EXPECT_TRUE(file.Open(path, flags));
    EXPECT_TRUE(file.WriteString(text));
    EXPECT_TRUE(file.Close());
    return ReadAll(path);
}

// The same text written to a file in memory.
std::string WrittenInMemory(std::uint32_t flags, std::u16string_view text)
{
    CStdioFileEx file;
    EXPECT_TRUE(file.OpenInMemory(flags));
    EXPECT_TRUE(file.WriteString(text));
    std::string bytes = "untouched";
    EXPECT_TRUE(file.CloseInMemory(bytes));
    EXPECT_FALSE(file.IsOpen());
    return bytes;
}

}  // namespace

TEST(CStdioFileEx, WritesExactBytes)
{
    struct Case {
        const char* name;
        std::uint32_t flags;
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {"unicode line", kWriteUnicode, u"x\n", std::string("\xFF\xFE" "x\0\n\0", 6)},
        {"unicode no CR added", kWriteUnicode, u"a\r\nb\n", std::string("\xFF\xFE" "a\0\r\0\n\0b\0\n\0", 12)},
        {"unicode non-Latin", kWriteUnicode, u"\u20AC\U0001F600", std::string("\xFF\xFE\xAC\x20\x3D\xD8\x00\xDE", 8)},
        {"unicode empty text still marks", kWriteUnicode, u"", "\xFF\xFE"},
        {"ansi line", kWriteAnsi, u"x\n", "x\n"},
        {"ansi code page", kWriteAnsi, u"\u20AC\u00E8\u0081\n", "\x80\xE8\x81\n"},
        {"ansi unmappable", kWriteAnsi, u"\u0416\u65E5!", "##!"},
        {"ansi empty", kWriteAnsi, u"", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(Written(dir.file("out.txt"), c.flags, c.text), c.bytes) << c.name;
        EXPECT_EQ(WrittenInMemory(c.flags, c.text), c.bytes) << c.name << " in memory";
    }
}

TEST(CStdioFileEx, AFileInMemoryGivesItsBytesOnce)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.OpenInMemory(kWriteUnicode));
    EXPECT_TRUE(file.WriteString(u"a\n"));
    EXPECT_TRUE(file.WriteString(u"b"));
    std::string bytes;
    ASSERT_TRUE(file.CloseInMemory(bytes));
    EXPECT_EQ(bytes, std::string("\xFF\xFE" "a\0\n\0b\0", 8));
    // Closed, and a file on disk is not in memory: nothing more is given.
    bytes = "kept";
    EXPECT_FALSE(file.CloseInMemory(bytes));
    TempDir dir;
    ASSERT_TRUE(file.Open(dir.file("disk.txt"), kWriteAnsi));
    EXPECT_FALSE(file.CloseInMemory(bytes));
    EXPECT_EQ(bytes, "kept");
    // A file in memory closed the ordinary way frees what it held.
    ASSERT_TRUE(file.OpenInMemory(kWriteAnsi));
    EXPECT_TRUE(file.WriteString(u"dropped"));
    EXPECT_TRUE(file.Close());
}

TEST(CStdioFileEx, CreateReplacesAndAppendingGetsNoSecondMark)
{
    TempDir dir;
    const std::string path = dir.file("log.txt");
    WriteAll(path, "old contents that are longer");
    EXPECT_EQ(Written(path, kWriteUnicode, u"a"), std::string("\xFF\xFE" "a\0", 4));

    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, kWriteUnicode | CStdioFileEx::modeNoTruncate));
    ASSERT_TRUE(file.SeekToEnd());
    EXPECT_TRUE(file.WriteString(u"b"));
    file.Close();
    EXPECT_EQ(ReadAll(path), std::string("\xFF\xFE" "a\0b\0", 6));
}

TEST(CStdioFileEx, ReadsLines)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::u16string> lines;
        bool unicode;
    };
    const std::string ansi5000 = std::string(5000, 'q') + "\n";
    const Case cases[] = {
        {"unicode CR LF", std::string("\xFF\xFE" "A\0\r\0\n\0B\0", 10), {u"A", u"B"}, true},
        {"unicode lone CR stays", std::string("\xFF\xFE" "a\0\r\0b\0\n\0", 10), {u"a\rb"}, true},
        {"unicode empty lines", std::string("\xFF\xFE\n\0\n\0x\0\n\0", 10), {u"", u"", u"x"}, true},
        {"unicode wide", std::string("\xFF\xFE\xAC\x20\x3D\xD8\x00\xDE\n\0", 10), {u"\u20AC\U0001F600"}, true},
        {"unicode only mark", "\xFF\xFE", {}, true},
        {"unicode odd last byte", std::string("\xFF\xFE" "a\0b", 5), {u"a"}, true},
        {"ansi final line without LF", "one\ntwo", {u"one", u"two"}, false},
        {"ansi CR LF", "one\r\ntwo\r\n", {u"one", u"two"}, false},
        {"ansi code page", "\x80\xE8\x81\n", {u"\u20AC\u00E8\u0081"}, false},
        {"ansi lone CR stays", "a\rb\n", {u"a\rb"}, false},
        {"ansi 5000 bytes in two pieces", ansi5000, {std::u16string(4095, u'q'), std::u16string(905, u'q')}, false},
        {"ansi empty file", "", {}, false},
        {"one byte FF", "\xFF", {u"\u00FF"}, false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.file("in.txt");
        WriteAll(path, c.bytes);
        EXPECT_EQ(ReadLines(path), c.lines) << c.name;
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, kReadText));
        EXPECT_EQ(file.IsUnicode(), c.unicode) << c.name;
    }
}

TEST(CStdioFileEx, UnicodeFileWrittenReadsBack)
{
    TempDir dir;
    const std::string path = dir.file("round.txt");
    const std::u16string text = u"prima riga \u00E8\n\tseconda \u20AC\n\nultima";
    Written(path, kWriteUnicode, text);
    EXPECT_EQ(ReadLines(path), (std::vector<std::u16string>{u"prima riga \u00E8", u"\tseconda \u20AC", u"", u"ultima"}));
}

TEST(CStdioFileEx, FailuresAreResultsNotExceptions)
{
    TempDir dir;
    CStdioFileEx file;
    int error = 0;
    EXPECT_FALSE(file.Open(dir.file("missing.txt"), kReadText, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(file.IsOpen());
    std::u16string line = u"kept";
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_EQ(line, u"kept");
    EXPECT_FALSE(file.WriteString(u"x"));
    EXPECT_FALSE(file.Open(dir.file("no/such/folder.txt"), kWriteAnsi, &error));
    EXPECT_EQ(error, ENOENT);

    // Writing into a file opened for reading fails and says so.
    WriteAll(dir.file("ro.txt"), "abc\n");
    ASSERT_TRUE(file.Open(dir.file("ro.txt"), kReadText));
    EXPECT_FALSE(file.WriteString(u"x"));
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(ReadAll(dir.file("ro.txt")), "abc\n");
}
