#include "common/CLogFile.h"

#include "TempDir.h"
#include "Utf16File.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

const std::u16string kStars(79, u'*');

std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

// Points the program folder at a fresh temporary folder for each test.
class CLogFileTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("VEXAR_HOME", m_home.path().c_str(), 1); }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    std::string LogPath(const std::string& name) const { return m_home.path() + "/Log/" + name + ".log"; }
    std::vector<std::u16string> LogLines(const std::string& name) const
    {
        const std::string bytes = ReadAll(LogPath(name));
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        return SplitLines(FromUtf16Le(bytes.substr(2)));
    }

    TempDir m_home;
};

// A time line is right when it shows one of the seconds the step took.
bool ShowsTimeBetween(const std::u16string& line, std::time_t from, std::time_t to, std::u16string_view pattern)
{
    for (std::time_t t = from; t <= to; ++t)
        if (line == vexar::FormatLocalTime(t, pattern))
            return true;
    return false;
}

}  // namespace

TEST_F(CLogFileTest, BannerEntriesAndClosingLineByLine)
{
    const std::string cwd = CurrentDirectory();
    const std::time_t start = std::time(nullptr);
    {
        CLogFile log(u"InfoSeriale", u"Protocollo seriale \u00E8");
        EXPECT_TRUE(log.IsOpen());
        EXPECT_EQ(log.GetPath(), LogPath("InfoSeriale"));
        log.Write(u"prima riga\nseconda riga");
        log.Write(u"");
    }
    const std::time_t end = std::time(nullptr);
    EXPECT_EQ(CurrentDirectory(), cwd);

    const std::vector<std::u16string> lines = LogLines("InfoSeriale");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[0], kStars);
    EXPECT_EQ(lines[1], u"Apertura sessione di Log : \tProtocollo seriale \u00E8");
    EXPECT_EQ(lines[2], kStars);
    EXPECT_TRUE(ShowsTimeBetween(lines[3], start, end, u"%A, %d %B %Y  -  %H:%M:%S ")) << vexar::ToUtf8(lines[3]);
    EXPECT_EQ(lines[4], kStars);
    for (std::size_t timeLine : {5u, 8u, 10u})
        EXPECT_TRUE(ShowsTimeBetween(lines[timeLine], start, end, u"** %H:%M:%S **  ")) << vexar::ToUtf8(lines[timeLine]);
    EXPECT_EQ(lines[6], u"prima riga");
    EXPECT_EQ(lines[7], u"seconda riga");
    EXPECT_EQ(lines[9], u"");
    EXPECT_EQ(lines[11], u"Chiusura Sessione di Log");
    EXPECT_EQ(lines[12], kStars);
    EXPECT_EQ(lines[13], u"");
    EXPECT_EQ(lines[14], u"");
}

TEST_F(CLogFileTest, EveryEntryIsOnDiskWhenWriteReturns)
{
    CLogFile log(u"InfoFlush", u"d");
    log.Write(u"entry one");
    const std::vector<std::u16string> lines = LogLines("InfoFlush");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines.back(), u"entry one");
}

TEST_F(CLogFileTest, EveryConstructionReplacesTheLog)
{
    {
        CLogFile first(u"InfoRun", u"first run");
        first.Write(std::u16string(500, u'x'));
    }
    { CLogFile second(u"InfoRun", u"second run"); }
    const std::vector<std::u16string> lines = LogLines("InfoRun");
    EXPECT_EQ(lines[1], u"Apertura sessione di Log : \tsecond run");
    for (const std::u16string& line : lines)
        EXPECT_EQ(line.find(u"x"), std::u16string::npos);
}

TEST_F(CLogFileTest, ASecondLogOfTheSameNameStaysClosedAndLeavesTheFirstIntact)
{
    CLogFile first(u"InfoShared", u"owner");
    first.Write(u"before");
    {
        CLogFile second(u"InfoShared", u"intruder");
        EXPECT_FALSE(second.IsOpen());
        second.Write(u"from the second");
    }
    first.Write(u"after");

    const std::vector<std::u16string> lines = LogLines("InfoShared");
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], u"Apertura sessione di Log : \towner");
    EXPECT_EQ(lines[6], u"before");
    EXPECT_EQ(lines[8], u"after");

    first.Close();
    CLogFile third(u"InfoShared", u"next owner");
    EXPECT_TRUE(third.IsOpen());
}

TEST_F(CLogFileTest, LogFolderIsCreatedOneLevelOnly)
{
    EXPECT_FALSE(Exists(m_home.path() + "/Log"));
    { CLogFile log(u"InfoNew", u"d"); }
    EXPECT_TRUE(Exists(LogPath("InfoNew")));

    setenv("VEXAR_HOME", (m_home.path() + "/missing/deeper").c_str(), 1);
    CLogFile nowhere(u"InfoNowhere", u"d");
    EXPECT_FALSE(nowhere.IsOpen());
    nowhere.Write(u"swallowed");
    EXPECT_FALSE(Exists(m_home.path() + "/missing"));
}

TEST_F(CLogFileTest, WhenTheFolderCannotBeMadeTheOwnerWorksOnWithoutALog)
{
    WriteAll(m_home.path() + "/Log", "a file where the folder should be");
    const std::string cwd = CurrentDirectory();
    CLogFile log(u"InfoBlocked", u"d");
    EXPECT_FALSE(log.IsOpen());
    log.Write(u"swallowed");
    log.Close();
    log.Close();
    EXPECT_EQ(CurrentDirectory(), cwd);
    EXPECT_EQ(ReadAll(m_home.path() + "/Log"), "a file where the folder should be");
}
