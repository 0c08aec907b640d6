#include "platform/AtomicFile.h"

#include "TempDir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using vexar::platform::WriteFileAtomically;
using namespace vexar::testing;

namespace {

std::size_t EntriesIn(const std::string& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

}  // namespace

TEST(AtomicFile, CreatesNewFileWithContent)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.bin"), std::string("\x00\x01\xff", 3)));
    EXPECT_EQ(ReadAll(dir.file("a.bin")), std::string("\x00\x01\xff", 3));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, ReplacingKeepsTheTargetsPermissionBits)
{
    TempDir dir;
    WriteAll(dir.file("a.cfg"), "old");
    ASSERT_EQ(::chmod(dir.file("a.cfg").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.cfg"), std::string("new")));
    EXPECT_EQ(ReadAll(dir.file("a.cfg")), "new");
    EXPECT_EQ(ModeOf(dir.file("a.cfg")), 0640u);
}

TEST(AtomicFile, EmptyContentGivesEmptyFile)
{
    TempDir dir;
    WriteAll(dir.file("a"), "something");
    ASSERT_TRUE(WriteFileAtomically(dir.file("a"), std::string()));
    EXPECT_EQ(ReadAll(dir.file("a")), "");
}

TEST(AtomicFile, MissingFolderFails)
{
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir.file("no/such/folder/a"), std::string("x")));
}

class AtomicFileFault : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { unsetenv("VEXAR_FAULT_ATOMIC_WRITE"); }
};

TEST_P(AtomicFileFault, FailureAtAnyStepLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string old("previous calibration\n");
    WriteAll(dir.file("cal.dat"), old);
    setenv("VEXAR_FAULT_ATOMIC_WRITE", GetParam(), 1);
    EXPECT_FALSE(WriteFileAtomically(dir.file("cal.dat"), std::string("replacement")));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(ReadAll(dir.file("cal.dat")), old);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_TRUE(WriteFileAtomically(dir.file("cal.dat"), std::string("replacement")));
    EXPECT_EQ(ReadAll(dir.file("cal.dat")), "replacement");
}

TEST_P(AtomicFileFault, FailureOnANewFileCreatesNothing)
{
    TempDir dir;
    setenv("VEXAR_FAULT_ATOMIC_WRITE", GetParam(), 1);
    EXPECT_FALSE(WriteFileAtomically(dir.file("new.dat"), std::string("x")));
    EXPECT_EQ(EntriesIn(dir.path()), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, AtomicFileFault,
                         ::testing::Values("create", "write", "flush", "rename"));

// The folder's flush comes after the rename: when it fails the new file is
// already in place and nothing is left behind, but the caller hears of a
// failed save.
TEST(AtomicFile, AFolderThatCannotBeSyncedIsAFailedSave)
{
    TempDir dir;
    WriteAll(dir.file("cal.dat"), "previous calibration\n");
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "syncdir", 1);
    errno = 0;
    EXPECT_FALSE(WriteFileAtomically(dir.file("cal.dat"), std::string("replacement")));
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(ReadAll(dir.file("cal.dat")), "replacement");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}
