#include "tools/common/CIniFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace vexar::tools;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

struct RoundTrip {
    const char* what;
    IniLastLine lastLine;
    std::string file;
    std::vector<std::string> lines;  // as loaded
    std::string saved;               // as written back
};

class IniRoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

// A file read and saved without change comes out as it was, except that
// kd02flash always ends its last line.
TEST_P(IniRoundTripTest, LoadsLinesAndSavesTheSameShape)
{
    const RoundTrip& c = GetParam();
    TempDir dir;
    WriteAll(dir.file("t.ini"), c.file);
    CIniFile ini(c.lastLine);
    ASSERT_TRUE(ini.Load(dir.file("t.ini")));
    EXPECT_EQ(ini.Lines(), c.lines);
    ASSERT_TRUE(ini.Save(dir.file("t.ini")));
    EXPECT_EQ(ReadAll(dir.file("t.ini")), c.saved);
    // And once more: the saved shape is stable.
    ini.Load(dir.file("t.ini"));
    ini.Save(dir.file("t.ini"));
    EXPECT_EQ(ReadAll(dir.file("t.ini")), c.saved);
}

const std::string kLong(5000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Shapes, IniRoundTripTest,
    ::testing::Values(
        RoundTrip{"open_last_line", IniLastLine::Open, "[COM]\r\nport = 3", {"[COM]", "port = 3"}, "[COM]\r\nport = 3"},
        RoundTrip{"open_final_break", IniLastLine::Open, "[COM]\r\nport = 3\r\n", {"[COM]", "port = 3", ""},
                  "[COM]\r\nport = 3\r\n"},
        RoundTrip{"kd02_final_break", IniLastLine::Terminated, "[COM]\r\nport = 3\r\n", {"[COM]", "port = 3"},
                  "[COM]\r\nport = 3\r\n"},
        RoundTrip{"kd02_no_final_break", IniLastLine::Terminated, "[COM]\r\nport = 3", {"[COM]", "port = 3"},
                  "[COM]\r\nport = 3\r\n"},
        RoundTrip{"bare_lf", IniLastLine::Open, "a\nb\n", {"a", "b", ""}, "a\r\nb\r\n"},
        RoundTrip{"lone_cr_kept", IniLastLine::Open, "a\rb\r\n", {"a\rb", ""}, "a\rb\r\n"},
        RoundTrip{"blank_lines_kept", IniLastLine::Open, "\r\n\r\n[X]", {"", "", "[X]"}, "\r\n\r\n[X]"},
        RoundTrip{"long_line_whole", IniLastLine::Open, "k = " + kLong, {"k = " + kLong}, "k = " + kLong},
        RoundTrip{"empty_file", IniLastLine::Terminated, "", {}, ""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(IniFileTest, MissingFileLeavesNoLinesAndDefaults)
{
    TempDir dir;
    CIniFile ini;
    EXPECT_TRUE(ini.Load(dir.file("absent.ini")));
    EXPECT_TRUE(ini.Lines().empty());
    int port = 1;
    EXPECT_EQ(ini.GetInt("COM", "port", port), 0);
    EXPECT_EQ(port, 1);
    EXPECT_EQ(ini.FindSection("COM"), -1) << "a Get adds no section";
}

TEST(IniFileTest, ValuesNeedExactlyOneBlankAroundEqualAndTheirOwnSection)
{
    CIniFile ini;
    TempDir dir;
    WriteAll(dir.file("t.ini"),
             "[COM]\r\nbaud=9600\r\nport =4\r\n[FILE]\r\nbaud = 1200\r\n[CONFIG]\r\nlogo = 12abc\r\n"
             "path = \r\n[COM2]\r\n");
    ini.Load(dir.file("t.ini"));
    long baud = 19200;
    int port = 1;
    EXPECT_EQ(ini.GetLong("COM", "baud", baud), 0) << "baud=9600 is not a value line";
    EXPECT_EQ(ini.GetInt("COM", "port", port), 0);
    EXPECT_EQ(baud, 19200);
    int logo = 0;
    EXPECT_EQ(ini.GetInt("CONFIG", "logo", logo), 1);
    EXPECT_EQ(logo, 12) << "numbers read as by atoi";
    std::string path = "keep";
    EXPECT_EQ(ini.GetString("CONFIG", "path", path), 1);
    EXPECT_EQ(path, "");
    EXPECT_EQ(ini.GetString("com", "port", path), 0) << "section names are case-sensitive";

    // The correct line is added at exit, after the header; the wrong one stays.
    ini.SetLong("COM", "baud", baud);
    ini.SetInt("COM", "port", port);
    EXPECT_EQ(ini.Text(),
              "[COM]\r\nport = 1\r\nbaud = 19200\r\nbaud=9600\r\nport =4\r\n[FILE]\r\nbaud = 1200\r\n[CONFIG]\r\n"
              "logo = 12abc\r\npath = \r\n[COM2]\r\n");
}

TEST(IniFileTest, SetReplacesInPlaceAndAddsMissingSectionsAtTheEnd)
{
    CIniFile ini;
    ini.SetString("FILE", "path", "/img");
    ini.SetString("FILE", "filename", "a.hex");
    ini.SetInt("COM", "port", 2);
    ini.SetString("FILE", "path", "/other");
    ini.SetInt("COM", "port", -3);
    EXPECT_EQ(ini.Text(), "[FILE]\r\nfilename = a.hex\r\npath = /other\r\n[COM]\r\nport = -3");
    EXPECT_EQ(ini.SetInt(nullptr, "port", 1), 0);
    EXPECT_EQ(ini.AddSection(nullptr), -1);
    EXPECT_EQ(ini.FindSection(nullptr), -1);
}

TEST(IniFileTest, SectionHeaderEndsTheSearchOnlyWhenLongerThanTwo)
{
    CIniFile ini;
    TempDir dir;
    WriteAll(dir.file("t.ini"), "[A]\r\n[]\r\nk = 1\r\n[B]\r\nj = 2");
    ini.Load(dir.file("t.ini"));
    int k = 0;
    EXPECT_EQ(ini.GetInt("A", "k", k), 1) << "\"[]\" is no header";
    EXPECT_EQ(k, 1);
    int j = 0;
    EXPECT_EQ(ini.GetInt("A", "j", j), 0) << "\"[B]\" ends section A";
}

// kd02flash's wait keys, two of which end in a blank, written last to
// first so that a new file lists them in their natural order.
TEST(IniFileTest, Kd02WaitKeysInNaturalOrderInANewFile)
{
    const char* keys[] = {"Wait CONNECT - ERASE ",        "Wait ERASE - ERASE_RESULT",
                          "Wait ERASE_RESULT - WRITE",    "Wait WRITE ",
                          "Wait WRITE - STOPDOWNLOAD",    "Wait STOPDOWNLOAD - WRITE_VERIFY",
                          "Wait WRITE_VERIFY - DISCONNECT"};
    const long waits[] = {10, 10, 200, 200, 500, 500, 500};
    CIniFile ini(IniLastLine::Terminated);
    for (int i = 6; i >= 0; --i)
        ini.SetLong("WAIT", keys[i], waits[i]);
    EXPECT_EQ(ini.Text(),
              "[WAIT]\r\n"
              "Wait CONNECT - ERASE  = 10\r\n"
              "Wait ERASE - ERASE_RESULT = 10\r\n"
              "Wait ERASE_RESULT - WRITE = 200\r\n"
              "Wait WRITE  = 200\r\n"
              "Wait WRITE - STOPDOWNLOAD = 500\r\n"
              "Wait STOPDOWNLOAD - WRITE_VERIFY = 500\r\n"
              "Wait WRITE_VERIFY - DISCONNECT = 500\r\n");
    long wait = 0;
    ASSERT_EQ(ini.GetLong("WAIT", "Wait WRITE ", wait), 1);
    EXPECT_EQ(wait, 200);
    ini.SetLong("WAIT", "Wait WRITE ", 7);
    EXPECT_EQ(ini.GetLong("WAIT", "Wait WRITE - STOPDOWNLOAD", wait), 1);
    EXPECT_EQ(wait, 500) << "the key ending in a blank is not a prefix of the longer key's line";
}

// A save goes whole or not at all: a failure at any step keeps the old
// file and is reported.
TEST(IniFileTest, FailedSaveKeepsTheOldFileAndSaysSo)
{
    TempDir dir;
    const std::string path = dir.file("st7flash.ini");
    WriteAll(path, "[COM]\r\nport = 4");
    CIniFile ini;
    ini.Load(path);
    ini.SetInt("COM", "port", 9);
    for (const char* step : {"create", "write", "flush", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        EXPECT_FALSE(ini.Save(path)) << step;
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(ReadAll(path), "[COM]\r\nport = 4") << step;
    }
    EXPECT_TRUE(ini.Save(path));
    EXPECT_EQ(ReadAll(path), "[COM]\r\nport = 9");
}

}  // namespace
