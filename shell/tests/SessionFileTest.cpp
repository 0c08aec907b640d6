// "VEXARDef.cfg": the profile keys, the nine lines, a write that fails
// keeping the old file, and the messages of a file that cannot be read.
#include "shell/core/CSessionFile.h"

#include "RecordingReporter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using vexar::shell::CSessionFile;
using vexar::shell::OPERATOR_PROFILE;
using vexar::shell::SESSION;
using vexar::shelltest::RecordingReporter;

TEST(SessionFile, EveryProfileHasItsKeyAndComesBackFromIt)
{
    const struct {
        OPERATOR_PROFILE profile;
        const char16_t* key;
    } cases[] = {
        {{0, false, false, false}, u"OPR_PBL"},      {{1, false, false, false}, u"OPR_PRV"},
        {{2, false, false, false}, u"OPR_REM"},      {{1, true, false, false}, u"OPR_SVIL"},
        {{0, false, true, false}, u"OPR_LIMIT"},     {{0, false, false, true}, u"OPR_PBL_LIMIT"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSessionFile::ProfileKey(c.profile), c.key);
        const OPERATOR_PROFILE back = CSessionFile::ProfileOfKey(c.key);
        EXPECT_EQ(back.oprator, c.profile.oprator) << vexar::ToUtf8(c.key);
        EXPECT_EQ(back.svil, c.profile.svil);
        EXPECT_EQ(back.limit, c.profile.limit);
        EXPECT_EQ(back.pblLimit, c.profile.pblLimit);
    }
    // An unknown key, and a profile number outside the keys, are public.
    EXPECT_EQ(CSessionFile::ProfileOfKey(u"opr_prv").oprator, 0);
    EXPECT_EQ(CSessionFile::ProfileKey({7, false, false, false}), u"OPR_PBL");
}

TEST(SessionFile, NineLinesWrittenAreReadBackInOrder)
{
    vexar::testing::TempDir dir;
    SESSION session;
    session.profile = {2, false, false, false};
    session.langFileName = u"Italiano.lng";
    session.comPort = 7;
    session.comPath = u"\\\\.\\COM7";
    session.configPaths = {"/c/A/R/R.PAR", "/c/A/R/R.GPC", "/c/A/R/R.VAR", "/c/A/R/R.GVS", "/c/A/R/R.GDG"};
    ASSERT_TRUE(CSessionFile::WriteSession(dir.file("VEXARDef.cfg"), session));
    std::vector<std::u16string> lines;
    ASSERT_TRUE(CSessionFile::ReadLines(dir.file("VEXARDef.cfg"), lines));
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"OPR_REM", u"Italiano.lng", u"7", u"\\\\.\\COM7", u"/c/A/R/R.PAR",
                                                  u"/c/A/R/R.GPC", u"/c/A/R/R.VAR", u"/c/A/R/R.GVS",
                                                  u"/c/A/R/R.GDG"}));
}

TEST(SessionFile, AFailedWriteIsReportedAndKeepsTheOldFile)
{
    vexar::testing::TempDir dir;
    const std::string path = dir.file("VEXARDef.cfg");
    ASSERT_TRUE(CSessionFile::WriteSession(path, SESSION{}));
    const std::string before = vexar::testing::ReadAll(path);
    SESSION other;
    other.comPort = 9;
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "rename", 1);
    RecordingReporter reporter;
    EXPECT_FALSE(CSessionFile::WriteSession(path, other));
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error to write file " + path + "!"});
    EXPECT_EQ(vexar::testing::ReadAll(path), before);
}

TEST(SessionFile, AFileThatCannotBeReadIsReportedOnce)
{
    vexar::testing::TempDir dir;
    RecordingReporter reporter;
    std::vector<std::u16string> lines{u"stale"};
    EXPECT_FALSE(CSessionFile::ReadLines(dir.file("VEXARDef.cfg"), lines));
    EXPECT_TRUE(lines.empty());
    std::filesystem::create_directory(dir.file("Folder.cfg"));
    EXPECT_FALSE(CSessionFile::ReadLines(dir.file("Folder.cfg"), lines));
    EXPECT_EQ(reporter.shown, (std::vector<std::string>{"Error to access file " + dir.file("VEXARDef.cfg") + "!",
                                                         "Error to open file " + dir.file("Folder.cfg") + "!"}));
}
