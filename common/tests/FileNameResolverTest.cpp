#include "common/FileNameResolver.h"

#include "TempDir.h"
#include "common/NoCase.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using vexar::EntryKind;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

TEST(NoCase, FoldsTheLettersOfTheSystemsNames)
{
    EXPECT_EQ(vexar::ToUpper(u"Italiano"), u"ITALIANO");
    EXPECT_EQ(vexar::ToUpper(u"àéîõüÿ÷ß"), u"ÀÉÎÕÜŸ÷ß");
    EXPECT_EQ(vexar::ToUpper(u"ąĺňžıſ"), u"ĄĹŇŽıſ");
    EXPECT_EQ(vexar::ToUpper(u"русский ελληνικά ёς"), u"РУССКИЙ ΕΛΛΗΝΙΚά Ёς");  // accented and final forms stay
    EXPECT_TRUE(vexar::EqualsNoCase(u"GestLang.cfg", u"GESTLANG.CFG"));
    EXPECT_FALSE(vexar::EqualsNoCase(u"GestLang.cfg", u"GestLang.cf"));
    EXPECT_LT(vexar::CompareNoCase(u"abc", u"ABD"), 0);
    EXPECT_GT(vexar::CompareNoCase(u"b", u"A"), 0);
    EXPECT_LT(vexar::CompareNoCase(u"ab", u"ABC"), 0);
}

TEST(MatchesNoCase, Table)
{
    struct Case {
        std::u16string name;
        std::u16string pattern;
        bool matches;
    };
    const Case cases[] = {
        {u"CAL01.PAR", u"*.PAR", true},
        {u"cal01.par", u"*.PAR", true},
        {u".PAR", u"*.PAR", true},
        {u"CAL01.PARX", u"*.PAR", false},
        {u"CAL01PAR", u"*.PAR", false},
        {u"a.b.PAR", u"*.PAR", true},
        {u"gestlang.CFG", u"GestLang.cfg", true},
        {u"GestLang.cfg.bak", u"GestLang.cfg", false},
        {u"ab", u"a?", true},
        {u"a", u"a?", false},
        {u"abcabd", u"*abd", true},
        {u"", u"*", true},
        {u"", u"?", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vexar::MatchesNoCase(c.name, c.pattern), c.matches)
            << vexar::ToUtf8(c.name) << " ~ " << vexar::ToUtf8(c.pattern);
}

// A folder with files and sub-folders in mixed case, links among them.
class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"b.PAR", "a.PAR", "A.par", "C.VAR", "x.PARX"})
            WriteAll(m_dir.file(name), "x");
        for (const char* name : {"Z", "y", "R.PAR"})
            ASSERT_EQ(::mkdir(m_dir.file(name).c_str(), 0777), 0);
        ASSERT_EQ(::symlink(m_dir.file("y").c_str(), m_dir.file("link-to-folder").c_str()), 0);
        ASSERT_EQ(::symlink(m_dir.file("gone").c_str(), m_dir.file("broken").c_str()), 0);
    }
    TempDir m_dir;
};

TEST_F(FolderFixture, ListingsAreSortedRegardlessOfCaseThenExactly)
{
    std::vector<std::string> files;
    ASSERT_TRUE(vexar::ListFolder(m_dir.path(), EntryKind::File, files));
    EXPECT_EQ(files, (std::vector<std::string>{"A.par", "a.PAR", "b.PAR", "C.VAR", "x.PARX"}));

    std::vector<std::string> folders;
    ASSERT_TRUE(vexar::ListFolder(m_dir.path() + "/", EntryKind::Folder, folders));
    EXPECT_EQ(folders, (std::vector<std::string>{"link-to-folder", "R.PAR", "y", "Z"}));

    std::vector<std::string> none{"stale"};
    EXPECT_FALSE(vexar::ListFolder(m_dir.file("missing"), EntryKind::File, none));
    EXPECT_TRUE(none.empty());
}

TEST_F(FolderFixture, FirstMatchIsTheFirstFileOfTheSortedListing)
{
    EXPECT_EQ(vexar::FindFirstMatch(m_dir.path(), "*.par", EntryKind::File), "A.par");
    EXPECT_EQ(vexar::FindFirstMatch(m_dir.path(), "c.var", EntryKind::File), "C.VAR");
    EXPECT_EQ(vexar::FindFirstMatch(m_dir.path(), "*.GDG", EntryKind::File), std::nullopt);
    EXPECT_EQ(vexar::FindFirstMatch(m_dir.path(), "r.par", EntryKind::Folder), "R.PAR");
    EXPECT_EQ(vexar::FindFirstMatch(m_dir.file("missing"), "*", EntryKind::File), std::nullopt);
}

TEST(ResolvePathNoCase, FindsTheOnDiskNameOfEachComponent)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("Lang").c_str(), 0777), 0);
    WriteAll(dir.file("Lang/Italiano.lng"), "x");

    EXPECT_EQ(vexar::ResolvePathNoCase(dir.file("lang/ITALIANO.LNG")), dir.file("Lang/Italiano.lng"));
    EXPECT_EQ(vexar::ResolvePathNoCase(dir.file("LANG/")), dir.file("Lang/"));
    EXPECT_EQ(vexar::ResolvePathNoCase(dir.file("Lang/Italiano.lng")), dir.file("Lang/Italiano.lng"));
    EXPECT_EQ(vexar::ResolvePathNoCase(dir.file("lang/Deutsch.lng")), dir.file("lang/Deutsch.lng"));
    EXPECT_EQ(vexar::ResolvePathNoCase(""), "");
}
