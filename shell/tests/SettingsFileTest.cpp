// "VEXAR.cfg" and "ECU.cfg" as real enciphered files: the values each line
// gives, the old layout without a version, the decode failures, what a
// short file keeps, the button states, and the settings written back with
// the lines after value 49 as they were read.
#include "shell/core/CSettingsFile.h"

#include "CryptFixtures.h"
#include "RecordingReporter.h"
#include "TempDir.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>

using vexar::shell::CSettingsFile;
using vexar::shell::SETTINGS_VALUES;
using vexar::shelltest::RecordingReporter;
using ReadResult = CSettingsFile::ReadResult;

namespace {

// Display settings in which every value differs from the defaults and from
// its neighbours.
LAYOUT_SETTINGS Distinct()
{
    LAYOUT_SETTINGS l;
    l.pageFontFace = u"DejaVu Serif";
    l.pageFontSize = 11;
    l.pageFontBold = 1;
    l.barFontFace = u"DejaVu Sans Mono";
    l.barFontSize = 7;
    l.barFontBold = 0;
    l.textColour = 0x030201;
    l.valueColour = 0xFF8000;
    std::int32_t next = 100;
    for (std::int32_t* v :
         {&l.margin, &l.barHeight, &l.barVertical.height, &l.barVertical.width, &l.barHorizontal.height,
          &l.barHorizontal.width, &l.button.height, &l.button.width, &l.buttonCmd.height, &l.buttonCmd.width,
          &l.checkHeight, &l.comboHeight, &l.diagHeight, &l.edit.height, &l.edit.width, &l.gridMax.height,
          &l.gridMax.width, &l.knob.height, &l.knob.width, &l.led.height, &l.led.width, &l.numCalc.height,
          &l.numCalc.width, &l.numEdit.height, &l.numEdit.width, &l.numeric.height, &l.numeric.width,
          &l.rpm.height, &l.rpm.width, &l.slideVertical.height, &l.slideVertical.width,
          &l.slideHorizontal.height, &l.slideHorizontal.width, &l.statoHeight, &l.term.height, &l.term.width,
          &l.vmeter.height, &l.vmeter.width, &l.gridColumnWidth})
        *v = next++;
    return l;
}

bool SameDisplay(const LAYOUT_SETTINGS& a, const LAYOUT_SETTINGS& b)
{
    LAYOUT_SETTINGS x = a;
    x.buttonStates = b.buttonStates;
    x.pollPeriod = b.pollPeriod;
    x.acqPeriod = b.acqPeriod;
    return CSettingsFile::SettingsText(u"1.0", 0, 0, x, {}) == CSettingsFile::SettingsText(u"1.0", 0, 0, b, {});
}

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::u16string& text)
    {
        std::string error;
        EXPECT_TRUE(vexar::crypt::WriteCipherText(m_dir.file(name), text, error)) << error;
        return m_dir.file(name);
    }
    std::u16string ReadBack(const std::string& name)
    {
        std::u16string text;
        std::string error;
        EXPECT_TRUE(vexar::crypt::ReadCipherText(m_dir.file(name), text, error)) << error;
        return text;
    }
    // The text of a file written with Distinct() and the given tail.
    std::u16string Standard(const std::vector<std::u16string>& tail = {})
    {
        return CSettingsFile::SettingsText(u"2.1.7", 1, 3, Distinct(), tail);
    }

    vexar::testing::TempDir m_dir;
};

}  // namespace

TEST_F(SettingsFileTest, WhatIsWrittenReadsBackValueForValue)
{
    const std::string path = Write("VEXAR.cfg", Standard());
    RecordingReporter reporter;
    SETTINGS_VALUES values;
    values.layout.buttonStates.fill(1);
    std::vector<std::u16string> tail{u"stale"};
    EXPECT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_EQ(values.version, u"2.1.7");
    EXPECT_EQ(values.kLine, 1);
    EXPECT_EQ(values.editionView, 3);
    EXPECT_EQ(values.shift, 0);
    EXPECT_TRUE(SameDisplay(values.layout, Distinct()));
    EXPECT_TRUE(tail.empty());
    for (std::int32_t state : values.layout.buttonStates)
        EXPECT_EQ(state, 0);
}

// The first data line has no ".": no version and no K-line line, the
// first line is the edition and every later value is two further on, in
// this file and in the ECU.cfg read after it.
TEST_F(SettingsFileTest, TheOldLayoutShiftsEveryValueByTwo)
{
    const std::string path =
        Write("VEXAR.cfg", u"// 0 = VELT\n4\n\n\"Old Face\"\t// Tipo\n13\n1\n\"Bar Face\"\n6\n0\n1 2 3\n4 5 6\n17\n");
    SETTINGS_VALUES values;
    values.kLine = 1;
    std::vector<std::u16string> tail;
    EXPECT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_EQ(values.version, u"0.0.0");
    EXPECT_EQ(values.kLine, 0);
    EXPECT_EQ(values.shift, 2);
    EXPECT_EQ(values.editionView, 4);
    EXPECT_EQ(values.layout.pageFontFace, u"Old Face");
    EXPECT_EQ(values.layout.pageFontSize, 13);
    EXPECT_EQ(values.layout.barFontFace, u"Bar Face");
    EXPECT_EQ(values.layout.textColour, 0x030201u);
    EXPECT_EQ(values.layout.margin, 17);

    // ECU.cfg's lines are values 3, 4, ... shifted likewise: its first
    // line lands on value 5.
    const std::string ecu = Write("ECU.cfg", u"1\n9\n");
    std::array<std::int32_t, 19> saved{};
    CSettingsFile::ReadConfigurationLayout(ecu, values, saved, 0);
    EXPECT_EQ(values.layout.pageFontBold, 1);
    EXPECT_EQ(values.layout.barFontFace, u"Bar Face");  // "9" has no quotes: the read stops there
}

TEST_F(SettingsFileTest, AValueThatDoesNotDecodeStopsTheReadWithItsNumber)
{
    const struct {
        std::u16string lines;  // data lines from value 3 on
        int failing;
    } cases[] = {
        {u"\"Face\n", 3},                        // no closing quote
        {u"\"F\"\n9\n0\nno quotes\n", 6},        // second font
        {u"\"F\"\n9\n0\n\"G\"\n9\n0\nred\n", 9},  // colour without a number
        {u"\"F\"\n9\n0\n\"G\"\n9\n0\n1 2 3\n-\n", 10},
        {u"\"F\"\n9\n0\n\"G\"\n9\n0\n1 2 3\n1 2 3\nwide\n", 11},
    };
    for (const auto& c : cases) {
        const std::string path = Write("VEXAR.cfg", u"1.0\n0\n2\n" + c.lines);
        RecordingReporter reporter;
        SETTINGS_VALUES values;
        std::vector<std::u16string> tail;
        EXPECT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::DecodeFailed) << c.failing;
        EXPECT_EQ(reporter.shown,
                  std::vector<std::string>{"Error to decode " + std::to_string(c.failing) + " configuration parameter!"});
    }
}

TEST_F(SettingsFileTest, AColourLineWithOneNumberSetsTheRedComponentOnly)
{
    const std::string path = Write("VEXAR.cfg", u"1.0\n0\n0\n\"F\"\n9\n0\n\"G\"\n9\n0\n255\n256 257 -1\n");
    SETTINGS_VALUES values;
    std::vector<std::u16string> tail;
    EXPECT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_EQ(values.layout.textColour, 255u);
    EXPECT_EQ(values.layout.valueColour, 0xFF0100u);  // each component cut to its low 8 bits
}

// A file that ends after value 30 keeps every later value as it was; the
// grid column width becomes 65 before every read.
TEST_F(SettingsFileTest, AShortFileKeepsTheValuesItDoesNotReach)
{
    std::u16string text = Standard();
    text = text.substr(0, text.find(u"// Led\n"));  // ends after value 29
    text += u"// Led\n77\n";                         // value 30
    const std::string path = Write("VEXAR.cfg", text);
    SETTINGS_VALUES values;
    values.layout.led.width = 4242;
    values.layout.vmeter = {4343, 4444};
    values.layout.gridColumnWidth = 9;
    std::vector<std::u16string> tail;
    EXPECT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_EQ(values.layout.led.height, 77);
    EXPECT_EQ(values.layout.led.width, 4242);
    EXPECT_EQ(values.layout.vmeter.height, 4343);
    EXPECT_EQ(values.layout.gridColumnWidth, 65);
}

TEST_F(SettingsFileTest, AMissingFileIsReportedAndChangesNothing)
{
    RecordingReporter reporter;
    SETTINGS_VALUES values;
    values.version = u"9.9";
    values.layout.gridColumnWidth = 70;
    std::vector<std::u16string> tail;
    EXPECT_EQ(CSettingsFile::ReadSettings(m_dir.file("VEXAR.cfg"), values, tail), ReadResult::OpenFailed);
    EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error to open file " + m_dir.file("VEXAR.cfg") + "!"});
    EXPECT_EQ(values.version, u"9.9");
    EXPECT_EQ(values.layout.gridColumnWidth, 65);
}

// Values 50 to 68 of VEXAR.cfg must decode but never become button
// states; ECU.cfg's do, and a configuration's ECU.cfg that ends before
// them keeps the states the last one gave.
TEST_F(SettingsFileTest, ButtonStatesComeFromEcuCfgOnly)
{
    std::vector<std::u16string> states;
    for (int i = 0; i < 19; ++i)
        states.push_back(i % 3 == 0 ? u"1" : u"2");
    const std::string path = Write("VEXAR.cfg", Standard(states));
    SETTINGS_VALUES values;
    std::vector<std::u16string> tail;
    ASSERT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_EQ(values.layout.buttonStates, (std::array<std::int32_t, 19>{}));

    // ECU.cfg from value 3 to 69.
    std::u16string ecu = Standard(states) + u"1\n";
    ecu = ecu.substr(ecu.find(u"// Font finestre dinamiche"));
    const std::string ecuPath = Write("ECU.cfg", ecu);
    std::array<std::int32_t, 19> saved{};
    CSettingsFile::ReadConfigurationLayout(ecuPath, values, saved, 0);
    EXPECT_EQ(values.layout.buttonStates[0], 1);
    EXPECT_EQ(values.layout.buttonStates[1], 2);
    EXPECT_EQ(values.listUpload, 1);
    EXPECT_EQ(saved, values.layout.buttonStates);

    // An ECU.cfg that ends before value 50 keeps the saved states; a
    // privileged profile shows the hidden ones as state 2.
    saved = {1, 0, 0, 1};
    const std::string shortPath = Write("Short.cfg", u"\"Face\"\n");
    CSettingsFile::ReadConfigurationLayout(shortPath, values, saved, 1);
    EXPECT_EQ((std::array<std::int32_t, 4>{values.layout.buttonStates[0], values.layout.buttonStates[1],
                                           values.layout.buttonStates[2], values.layout.buttonStates[18]}),
              (std::array<std::int32_t, 4>{1, 2, 2, 2}));
    EXPECT_EQ(saved[1], 0);
    EXPECT_EQ(values.listUpload, 0);
}

// A rewrite (the K-line command) writes values 0 to 49 from the file copy
// and then the lines that followed value 49 as read, so the button states
// and the list-upload flag stay; a second rewrite changes nothing more.
TEST_F(SettingsFileTest, ARewriteKeepsTheLinesAfterValue49)
{
    const std::vector<std::u16string> after{u"1", u"0", u"2", u"// list upload", u"1"};
    const std::string path = Write("VEXAR.cfg", Standard(after));
    SETTINGS_VALUES values;
    std::vector<std::u16string> tail;
    ASSERT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    EXPECT_EQ(tail, after);
    ASSERT_TRUE(CSettingsFile::WriteSettings(path, CSettingsFile::SettingsText(values.version, 0, 3, values.layout,
                                                                                tail)));
    const std::u16string first = ReadBack("VEXAR.cfg");
    EXPECT_NE(first.find(u"// Presenza linea K\n0\n"), std::u16string::npos);
    EXPECT_NE(first.find(u"// list upload\n1\n"), std::u16string::npos);
    ASSERT_EQ(CSettingsFile::ReadSettings(path, values, tail), ReadResult::Read);
    ASSERT_TRUE(CSettingsFile::WriteSettings(path, CSettingsFile::SettingsText(values.version, 0, 3, values.layout,
                                                                                tail)));
    EXPECT_EQ(ReadBack("VEXAR.cfg"), first);
}

TEST_F(SettingsFileTest, AFailedWriteIsReportedAndKeepsTheOldFile)
{
    const std::string path = Write("VEXAR.cfg", Standard());
    const std::string before = vexar::testing::ReadAll(path);
    for (const char* step : {"create", "write", "flush", "rename"}) {
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        RecordingReporter reporter;
        EXPECT_FALSE(CSettingsFile::WriteSettings(path, u"other\n")) << step;
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error to write file " + path + "!"}) << step;
        EXPECT_EQ(vexar::testing::ReadAll(path), before) << step;
    }
}
