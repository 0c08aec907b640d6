#include "common/CFileTreeOps.h"

#include "TempDir.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace fs = std::filesystem;

namespace {

// Every file under `root` by its path relative to it, with its contents;
// folders appear with a trailing '/'.
std::map<std::string, std::string> Tree(const std::string& root)
{
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).string();
        if (e.is_directory())
            tree[rel + "/"] = "";
        else
            tree[rel] = ReadAll(e.path().string());
    }
    return tree;
}

std::u16string SystemText(int code) { return vexar::ToUtf16(std::strerror(code)); }

class FileTreeTest : public ::testing::Test {
protected:
    // <tmp>/a/b holding files, a nested folder and an empty folder.
    void SetUp() override
    {
        fs::create_directories(m_dir.file("a/b/sub/deep"));
        fs::create_directories(m_dir.file("a/b/empty"));
        WriteAll(m_dir.file("a/b/one.txt"), "one");
        WriteAll(m_dir.file("a/b/two"), "two");
        WriteAll(m_dir.file("a/b/sub/three.dat"), "three");
        WriteAll(m_dir.file("a/b/sub/deep/four"), "four");
        fs::create_directories(m_dir.file("x"));
    }

    std::string Path(const std::string& rel) const { return m_dir.file(rel); }

    static const std::map<std::string, std::string>& SourceTree()
    {
        static const std::map<std::string, std::string> tree = {
            {"empty/", ""},          {"one.txt", "one"},     {"sub/", ""},           {"sub/deep/", ""},
            {"sub/deep/four", "four"}, {"sub/three.dat", "three"}, {"two", "two"},
        };
        return tree;
    }

    TempDir m_dir;
};

TEST(FileTreeCopyName, NextNameForATakenName)
{
    const struct {
        const char* path;
        const char* next;
    } cases[] = {
        {"/d/r.txt", "/d/Copy of r.txt"},
        {"/d/Copy of r.txt", "/d/Copy (1) of r.txt"},
        {"/d/Copy (1) of r.txt", "/d/Copy (2) of r.txt"},
        {"/d/Copy (9) of r", "/d/Copy (10) of r"},
        {"/d.x/Copy (x.y", "/d.x/Copy of Copy (x.y"},
        {"/d/My Copy x.bin", "/d/Copy (1) of x.bin"},
        {"/d/Copy .bin", "/d/Copy (1) of .bin"},
        {"/d/Copy(3) of r", "/d/Copy of Copy(3) of r"},
        {"/d/Copy )(", "/d/Copy (1) of "},
        {"/d/.hidden", "/d/Copy of .hidden"},
        {"r.txt", "Copy of r.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFileTreeOps::MakeCopyName(c.path), c.next) << c.path;
}

TEST_F(FileTreeTest, FolderIntoAFolderMakesAFolderOfItsNameWithTheWholeTree)
{
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("x"))) << vexar::ToUtf8(ops.GetErrorText());
    EXPECT_EQ(Tree(Path("x/b")), SourceTree());
    EXPECT_EQ(ops.GetErrorText(), u"No error");
    EXPECT_EQ(ops.GetErrorCode(), 0u);
}

TEST_F(FileTreeTest, SecondCopyReplacesWithOverwriteAndAddsCopiesWithout)
{
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b/"), Path("x/")));
    WriteAll(Path("a/b/one.txt"), "one, changed");
    WriteAll(Path("a/b/sub/deep/four"), "four, changed");

    ops.SetOverwrite(true);
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("x")));
    std::map<std::string, std::string> expected = SourceTree();
    expected["one.txt"] = "one, changed";
    expected["sub/deep/four"] = "four, changed";
    EXPECT_EQ(Tree(Path("x/b")), expected);

    ops.SetOverwrite(false);
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("x")));
    expected["Copy of one.txt"] = "one, changed";
    expected["Copy of two"] = "two";
    expected["sub/Copy of three.dat"] = "three";
    expected["sub/deep/Copy of four"] = "four, changed";
    EXPECT_EQ(Tree(Path("x/b")), expected);
}

TEST_F(FileTreeTest, FileOverATakenNameGetsTheCopyNamesInTurn)
{
    WriteAll(Path("x/r.txt"), "first");
    CFileTreeOps ops;
    for (const char* content : {"second", "third", "fourth"}) {
        WriteAll(Path("a/r.txt"), content);
        ASSERT_TRUE(ops.Copy(Path("a/r.txt"), Path("x/r.txt")));
    }
    const std::map<std::string, std::string> expected = {
        {"r.txt", "first"}, {"Copy of r.txt", "second"}, {"Copy (1) of r.txt", "third"}, {"Copy (2) of r.txt", "fourth"}};
    EXPECT_EQ(Tree(Path("x")), expected);
}

TEST_F(FileTreeTest, FileOntoAFolderGoesInUnderItsOwnName)
{
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b/sub/three.dat"), Path("x")));
    EXPECT_EQ(ReadAll(Path("x/three.dat")), "three");
}

TEST_F(FileTreeTest, FolderIntoItsOwnHolderCopiesNothing)
{
    const auto before = Tree(Path("a"));
    CFileTreeOps ops;
    EXPECT_TRUE(ops.Copy(Path("a/b"), Path("a")));
    EXPECT_TRUE(ops.Copy(Path("a/b"), Path("a/b/sub/../..")));  // the holder by another path
    EXPECT_TRUE(ops.Copy(Path("a/b/"), Path("a/b")));          // "a/b/" is held by "a/b" itself
    EXPECT_EQ(Tree(Path("a")), before);
}

TEST_F(FileTreeTest, FolderIntoItsOwnSubfolderSkipsOnlyTheCopy)
{
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("a/b/sub"))) << vexar::ToUtf8(ops.GetErrorText());
    // Everything of b arrives, its subfolders included; the copy itself
    // (a/b/sub/b) is not copied into itself.
    EXPECT_EQ(Tree(Path("a/b/sub/b")), SourceTree());
}

TEST_F(FileTreeTest, DestinationWhoseNameStartsLikeTheSourceGetsEverything)
{
    fs::create_directories(Path("a/bc"));
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("a/bc")));
    EXPECT_EQ(Tree(Path("a/bc/b")), SourceTree());
}

TEST_F(FileTreeTest, LinksBackIntoTheTreeAreNotFollowed)
{
    fs::create_directory_symlink(Path("a/b"), Path("a/b/sub/loop"));
    CFileTreeOps ops;
    ASSERT_TRUE(ops.Copy(Path("a/b"), Path("x")));
    EXPECT_EQ(Tree(Path("x/b")), SourceTree());
}

TEST_F(FileTreeTest, ReplacesByRenameAndKeepsThePermissionBits)
{
    WriteAll(Path("a/prog"), "new program");
    ::chmod(Path("a/prog").c_str(), 0755);
    WriteAll(Path("x/prog"), "running program");
    ::chmod(Path("x/prog").c_str(), 0644);
    const int running = ::open(Path("x/prog").c_str(), O_RDONLY);
    ASSERT_GE(running, 0);

    CFileTreeOps ops;
    ops.SetOverwrite(true);
    ASSERT_TRUE(ops.Copy(Path("a/prog"), Path("x/prog")));
    fs::create_directories(Path("x/new"));
    ASSERT_TRUE(ops.Copy(Path("a/prog"), Path("x/new")));

    // The file that was open keeps its bytes: it was replaced, not rewritten.
    char buffer[32] = {};
    EXPECT_EQ(::pread(running, buffer, sizeof buffer - 1, 0), 15);
    EXPECT_STREQ(buffer, "running program");
    ::close(running);
    EXPECT_EQ(ReadAll(Path("x/prog")), "new program");
    for (const char* name : {"x/prog", "x/new/prog"}) {
        struct stat st {};
        ASSERT_EQ(::stat(Path(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0755u) << name;
    }
}

TEST_F(FileTreeTest, FailuresGiveTheirTextAndCode)
{
    fs::create_symlink(Path("nowhere"), Path("x/one.txt"));  // taken, but cannot be opened
    WriteAll(Path("x/file"), "f");
    fs::create_symlink(Path("x/loop"), Path("x/loop"));
    const struct {
        const char* what;
        std::string source;
        std::string destination;
        std::u16string text;
        std::uint32_t code;
    } cases[] = {
        {"missing source", Path("a/none"), Path("x"), vexar::ToUtf16(Path("a/none")) + u" not found", 0},
        {"missing destination", Path("a/b"), Path("x/none/"), vexar::ToUtf16(Path("x/none/")) + u" not found", 0},
        {"folder onto a file", Path("a/b"), Path("x/file"), u"Wrong operation", 0},
        {"unreadable name taken", Path("a/b/one.txt"), Path("x"), SystemText(EEXIST), EEXIST},
        {"source below a file", Path("x/file/y"), Path("x"), vexar::ToUtf16(Path("x/file/y")) + u" not found", 0},
        {"source of no known kind", Path("x/loop"), Path("x"), SystemText(ELOOP), ELOOP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFileTreeOps ops;
        EXPECT_FALSE(ops.Copy(c.source, c.destination));
        EXPECT_EQ(ops.GetErrorText(), c.text);
        EXPECT_EQ(ops.GetErrorCode(), c.code);
        // A later success keeps the failure for the caller.
        EXPECT_TRUE(ops.Copy(Path("a/b/two"), Path("x")));
        EXPECT_EQ(ops.GetErrorText(), c.text);
    }
}

TEST_F(FileTreeTest, FirstFailureEndsTheCopyAndKeepsWhatWasCopied)
{
    // x/b/sub is a file: the copy of b stops there, after "one.txt" and
    // before "two" in name order, and the previous file stays.
    fs::create_directories(Path("x/b"));
    WriteAll(Path("x/b/sub"), "in the way");
    CFileTreeOps ops;
    ops.SetOverwrite(true);
    EXPECT_FALSE(ops.Copy(Path("a/b"), Path("x")));
    EXPECT_NE(ops.GetErrorCode(), 0u);
    EXPECT_EQ(ops.GetErrorText(), SystemText(static_cast<int>(ops.GetErrorCode())));
    const std::map<std::string, std::string> expected = {{"empty/", ""}, {"one.txt", "one"}, {"sub", "in the way"}};
    EXPECT_EQ(Tree(Path("x/b")), expected);
}

TEST_F(FileTreeTest, FailedWriteLeavesThePreviousFile)
{
    WriteAll(Path("x/two"), "previous");
    CFileTreeOps ops;
    ops.SetOverwrite(true);
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "write", 1);
    const bool done = ops.Copy(Path("a/b/two"), Path("x"));
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_FALSE(done);
    EXPECT_NE(ops.GetErrorCode(), 0u);
    EXPECT_EQ(Tree(Path("x")), (std::map<std::string, std::string>{{"two", "previous"}}));
}

}  // namespace
