#include "updater/ProgramReplacer.h"

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

using vexar::updater::ReplaceProgramFile;
using namespace vexar::testing;

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string ProgramBytes(char fill, std::size_t size)
{
    std::string bytes(size, fill);
    bytes[0] = '\x7f';
    bytes[size / 2] = '\0';
    return bytes;
}

TEST(ReplaceProgramFile, ReplacesTheContentAndKeepsTheOldModeBits)
{
    TempDir dir;
    const std::string fresh = ProgramBytes('N', 300000);
    WriteAll(dir.file("new"), fresh);
    ASSERT_EQ(::chmod(dir.file("new").c_str(), 0600), 0);
    WriteAll(dir.file("VEXAR"), ProgramBytes('O', 1000));
    ASSERT_EQ(::chmod(dir.file("VEXAR").c_str(), 0751), 0);

    ASSERT_TRUE(ReplaceProgramFile(dir.file("new"), dir.file("VEXAR")));
    EXPECT_EQ(ReadAll(dir.file("VEXAR")), fresh);
    EXPECT_EQ(ModeOf(dir.file("VEXAR")), 0751u);
    EXPECT_EQ(ReadAll(dir.file("new")), fresh);
    EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"VEXAR", "new"}));
}

TEST(ReplaceProgramFile, AFirstInstallationTakesTheSourcesModeBits)
{
    TempDir dir;
    WriteAll(dir.file("new"), "program");
    ASSERT_EQ(::chmod(dir.file("new").c_str(), 0755), 0);
    ASSERT_TRUE(ReplaceProgramFile(dir.file("new"), dir.file("VEXAR")));
    EXPECT_EQ(ReadAll(dir.file("VEXAR")), "program");
    EXPECT_EQ(ModeOf(dir.file("VEXAR")), 0755u);
}

TEST(ReplaceProgramFile, AnUnusableSourceLeavesTheDestinationAlone)
{
    TempDir dir;
    WriteAll(dir.file("VEXAR"), "old program");
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(ReplaceProgramFile(dir.file("missing"), dir.file("VEXAR")));
    EXPECT_FALSE(ReplaceProgramFile(dir.file("folder"), dir.file("VEXAR")));
    EXPECT_EQ(ReadAll(dir.file("VEXAR")), "old program");
    EXPECT_FALSE(ReplaceProgramFile(dir.file("VEXAR"), dir.file("no/such/VEXAR")));
    EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"VEXAR", "folder"}));
}

class ReplaceProgramFault : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { unsetenv("VEXAR_FAULT_ATOMIC_WRITE"); }
};

TEST_P(ReplaceProgramFault, ACopyFailingAtAnyStepLeavesTheOldProgramAndNoTemporary)
{
    TempDir dir;
    const std::string old = ProgramBytes('O', 5000);
    WriteAll(dir.file("new"), ProgramBytes('N', 7000));
    WriteAll(dir.file("VEXAR"), old);
    ASSERT_EQ(::chmod(dir.file("VEXAR").c_str(), 0755), 0);

    setenv("VEXAR_FAULT_ATOMIC_WRITE", GetParam(), 1);
    EXPECT_FALSE(ReplaceProgramFile(dir.file("new"), dir.file("VEXAR")));
    EXPECT_EQ(ReadAll(dir.file("VEXAR")), old);
    EXPECT_EQ(ModeOf(dir.file("VEXAR")), 0755u);
    EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"VEXAR", "new"}));
}

INSTANTIATE_TEST_SUITE_P(EachStep, ReplaceProgramFault,
                         ::testing::Values("create", "write", "flush", "rename"));

}  // namespace
