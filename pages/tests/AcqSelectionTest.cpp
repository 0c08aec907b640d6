// The acquisition page's selection file and sample periods without a
// window: which variables each operator profile gets from "Acq.cfg", read
// as UTF-16 and as ANSI text, and the periods the sampling clock can keep.

#include "TempDir.h"
#include "TestControls.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/ControlCodes.h"
#include "pages/core/AcqSelection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <memory>

namespace {

using vexar::testing::DefinitionOnlyCtrl;
using vexar::testing::MakeDefinition;

// Acquirable variables: a public and a privileged one, one whose
// identifier needs more than ASCII, and an identifier given twice whose
// first entry is privileged.
class AcqVariables {
public:
    AcqVariables()
    {
        Add(1, u"Giri_Motore", OPR_PBL);
        Add(2, u"Pressione_Gas", OPR_PRV);
        Add(3, u"Temperatura_Gàs", OPR_PBL);
        Add(4, u"Lambda", OPR_PRV);
        Add(5, u"Lambda", OPR_PBL);
    }
    CTRL_TABLE table;

private:
    void Add(std::int32_t key, std::u16string identifier, std::int32_t access)
    {
        REC_CONTROLLO definition = MakeDefinition(key, std::move(identifier), CTRL_TERM, u"", u"Label");
        definition.OPERATORE = access;
        m_controls.push_back(std::make_unique<DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = key;
        entry.category = CTRL_TERM;
        entry.access = access;
        entry.wnd = m_controls.back().get();
        table.push_back(entry);
    }
    std::vector<std::unique_ptr<DefinitionOnlyCtrl>> m_controls;
};

// The file's lines, each with the line end given.
struct Line {
    std::u16string text;
    const char16_t* end;
};
const std::vector<Line> kLines = {
    {u"Temperatura_Gàs", u"\r\n"},
    {u"Giri_Motore", u"\n"},
    {u"Pressione_Gas", u"\r\n"},
    {u"Giri_Motore", u"\n"},   // again
    {u"Giri_Motore ", u"\n"},  // a trailing blank names nothing
    {u"giri_motore", u"\n"},   // nor another case
    {u"Sconosciuta", u"\n"},
    {u"Lambda", u""},           // the last line, without an end
};

void WriteUnicode(const std::string& path)
{
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode));
    for (const Line& line : kLines)
        ASSERT_TRUE(file.WriteString(line.text + line.end));
    ASSERT_TRUE(file.Close());
}

void WriteAnsi(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (const Line& line : kLines)
        file << vexar::ToCp1252(line.text + line.end);
}

TEST(AcqSelectionTest, EachProfileGetsEveryVisibleVariableOnceInOrderOfFirstAppearance)
{
    struct Case {
        std::int32_t profile;
        std::vector<std::int32_t> expected;  // table indices
    };
    // Lambda's first entry is privileged: the public profile gets no
    // Lambda, since later entries are not looked at.
    const Case cases[] = {
        {OPR_PBL, {2, 0}},        {OPR_PRV, {2, 0, 1, 3}}, {OPR_REM, {2, 0, 1, 3}},
        {OPR_SVIL, {2, 0, 1, 3}}, {OPR_LIMIT, {}},         {OPR_PBL_LIMIT, {}},
    };
    AcqVariables variables;
    vexar::testing::TempDir folder;
    const std::string unicode = folder.path() + "/Acq.cfg";
    const std::string ansi = folder.path() + "/AcqAnsi.cfg";
    WriteUnicode(unicode);
    WriteAnsi(ansi);
    for (const std::string& path : {unicode, ansi}) {
        const std::vector<std::u16string> lines = CUtility::ReadAcqSelectionLines(path);
        ASSERT_EQ(lines.size(), kLines.size()) << path;
        for (std::size_t i = 0; i < kLines.size(); ++i)
            EXPECT_EQ(lines[i], kLines[i].text) << path << " line " << i;
        for (const Case& c : cases)
            EXPECT_EQ(CUtility::MatchAcqSelection(lines, variables.table, c.profile), c.expected)
                << path << " profile " << c.profile;
    }
}

TEST(AcqSelectionTest, AMissingFileOrAnEmptyTableGivesNothing)
{
    vexar::testing::TempDir folder;
    EXPECT_TRUE(CUtility::ReadAcqSelectionLines(folder.path() + "/Acq.cfg").empty());
    EXPECT_TRUE(CUtility::ReadAcqSelectionLines(folder.path()).empty());  // a folder
    EXPECT_TRUE(CUtility::MatchAcqSelection({u"Giri_Motore"}, {}, OPR_PRV).empty());
    // An entry without a control has no definition and matches nothing.
    CTRL_TABLE bare(1);
    EXPECT_TRUE(CUtility::MatchAcqSelection({u""}, bare, OPR_PRV).empty());
}

TEST(AcqSelectionTest, PeriodsAreWholeTicksTheClockCanCount)
{
    struct MinimumCase {
        std::int32_t configured, minimum;
    };
    for (const MinimumCase& c : std::initializer_list<MinimumCase>{
             {100, 100}, {95, 100}, {101, 110}, {0, 10}, {-40, 10}, {655350, 655350}, {2000000, 655350}})
        EXPECT_EQ(CUtility::AcqMinPeriod(c.configured), c.minimum) << c.configured;

    struct PeriodCase {
        double field;
        std::int32_t configured, period;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const PeriodCase& c : std::initializer_list<PeriodCase>{
             {100, 100, 100},
             {104.9, 100, 100},
             {105, 100, 110},
             {250, 95, 250},
             {40, 95, 100},           // below the minimum
             {655354, 100, 655350},   // the last whole tick
             {655356, 100, 655350},   // past it
             {2147483647, 100, 655350},
             {-1, 100, 100},
             {nan, 100, 100}})
        EXPECT_EQ(CUtility::AcqPeriod(c.field, c.configured), c.period) << c.field;
}

}  // namespace
