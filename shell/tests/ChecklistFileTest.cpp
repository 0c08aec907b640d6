// The checklist without a window: the lists of Checklist.cfg, the entries a
// profile may list, the read the worker is asked for, and the header line.
#include "shell/core/ChecklistFile.h"

#include "Dates.h"
#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "TestControls.h"
#include "config/ControlCodes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vexar::shell;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

using Lines = std::vector<CHECKLIST_LINE>;

CHECKLIST_LINE Heading(ChecklistSection section) { return {section, {}}; }
CHECKLIST_LINE Entry(ChecklistSection section, std::u16string identifier) { return {section, std::move(identifier)}; }

constexpr auto P = ChecklistSection::Parameters;
constexpr auto V = ChecklistSection::Variables;
constexpr auto D = ChecklistSection::Diagnosis;

}  // namespace

TEST(ChecklistDefinition, ListsFollowTheirHeadingsFromParametersOn)
{
    TempDir dir;
    const std::string path = dir.file("Checklist.cfg");
    const Lines expected{Heading(P),         Entry(P, u"Rpm_Cambio"), Entry(P, u"[variables]"), Heading(V),
                         Entry(V, u"Giri Motore"), Heading(D),        Entry(D, u"Errore_Sensori"),
                         Heading(P),         Entry(P, u"Temp_Cambio")};
    // Lines before "[Parameters]" do not count, headings are exact, blanks
    // at both ends go and empty lines are skipped.
    const std::string ansi = "[Variables]\r\nIgnored\r\n\r\n  [Parameters]\t\r\nRpm_Cambio  \r\n[variables]\r\n"
                             "[Variables]\r\n\t Giri Motore\r\n   \r\n[Diagnosis]\r\nErrore_Sensori\r\n[Parameters]\r\n"
                             "Temp_Cambio";
    WriteAll(path, ansi);
    EXPECT_EQ(ReadChecklistDefinition(path), expected);
    // The same as UTF-16 with its mark.
    std::u16string text;
    for (char c : ansi)
        text.push_back(static_cast<char16_t>(c));
    ASSERT_TRUE(vexar::fixtures::WriteUnicodeTextFile(path, text));
    EXPECT_EQ(ReadChecklistDefinition(path), expected);

    WriteAll(path, "Rpm_Cambio\n[Variables]\nGiri_Motore\n");
    EXPECT_TRUE(ReadChecklistDefinition(path).empty());
    EXPECT_TRUE(ReadChecklistDefinition(dir.file("missing.cfg")).empty());
}

TEST(ChecklistDefinition, HeadingsAsWritten)
{
    EXPECT_EQ(ChecklistHeading(P), u"[Parameters]\n\n");
    EXPECT_EQ(ChecklistHeading(V), u"\n[Variables]\n\n");
    EXPECT_EQ(ChecklistHeading(D), u"\n[Diagnosis]\n\n");
}

// The header's date and time in English and in the local time of the
// pinned zone, on the day summer time begins, under a comma locale.
TEST(ChecklistDefinition, HeaderLine)
{
    const std::time_t when = vexar::testing::LocalTime(2026, 3, 29, 3, 4, 5);
    EXPECT_EQ(ChecklistHeader(when, u"KD02_ECU", u"VXG4_R01070", u"VXG4_R01070"),
              u"Sunday, 29/03/2026\t03:04:05\tKD02_ECU\tVXG4_R01070\tVXG4_R01070\n\n");
    EXPECT_EQ(ChecklistHeader(vexar::testing::UtcTime(2026, 12, 31, 23, 0, 0), u"E", u"C", u""),
              u"Friday, 01/01/2027\t00:00:00\tE\tC\t\n\n");
}

class ChecklistRead : public ::testing::Test {
protected:
    // An entry of a control with identifier `name` at `address`, `size`
    // bytes, for the profile `access`.
    CTRL_WND Add(std::u16string name, std::int32_t address, std::int32_t size, std::int32_t access,
                 std::int32_t category = CTRL_NUMERIC)
    {
        REC_CONTROLLO definition = vexar::testing::MakeDefinition(static_cast<std::int32_t>(m_controls.size() + 1),
                                                                  std::move(name), category);
        definition.OPERATORE = access;
        m_controls.push_back(std::make_unique<vexar::testing::DefinitionOnlyCtrl>(definition));
        CTRL_WND entry;
        entry.key = definition.ID_GUI;
        entry.category = category;
        entry.access = access;
        entry.address = address;
        entry.size = size;
        entry.wnd = m_controls.back().get();
        return entry;
    }
    void SetUp() override
    {
        m_variables = {Add(u"P1", 40, 1, OPR_PBL),     Add(u"A", 0, 2, OPR_PBL),      Add(u"B", 2, 1, OPR_PRV),
                       Add(u"Dup", 30, 1, OPR_PRV),    Add(u"Dup", 31, 1, OPR_PBL),   Add(u"C", 0, 2, OPR_PBL),
                       Add(u"F", 3, 10, OPR_PRV)};
        m_diagnosis = {Add(u"DG", 16, 1, OPR_PBL, CTRL_DIAG), Add(u"DB", 17, 2, OPR_PRV, CTRL_DIAG_BIT)};
    }
    static std::vector<std::int32_t> Keys(const CTRL_TABLE& table)
    {
        std::vector<std::int32_t> keys;
        for (const CTRL_WND& entry : table)
            keys.push_back(entry.key);
        return keys;
    }

    std::vector<std::unique_ptr<IDataCtrl>> m_controls;
    CTRL_TABLE m_variables;
    CTRL_TABLE m_diagnosis;
};

TEST_F(ChecklistRead, ListedEntriesTheProfileMayListAndTheirBlocks)
{
    const Lines lines{Heading(P), Entry(P, u"P1"),  Heading(V),       Entry(V, u"A"),  Entry(V, u"B"),
                      Entry(V, u"Dup"), Entry(V, u"C"), Entry(V, u"Missing"), Entry(V, u"F"), Heading(D),
                      Entry(D, u"DG"), Entry(D, u"DB"), Entry(D, u"A")};
    const std::int32_t a = m_variables[1].key, b = m_variables[2].key, dupPrivate = m_variables[3].key,
                       dupPublic = m_variables[4].key, c = m_variables[5].key, f = m_variables[6].key,
                       dg = m_diagnosis[0].key, db = m_diagnosis[1].key;
    using Blocks = std::vector<REC_UPLD_SV>;
    const struct {
        const char* name;
        std::int32_t oprator;
        int protocol;
        std::vector<std::int32_t> controls;
        Blocks blocks;
    } cases[] = {
        // The public profile: public entries only; A and C share one pair.
        {"public", OPR_PBL, 1, {a, dupPublic, c, dg}, Blocks{{0, 2}, {16, 1}, {31, 1}}},
        {"privileged", OPR_PRV, 1, {a, b, dupPrivate, c, f, dg, db}, Blocks{{0, 13}, {16, 3}, {30, 1}}},
        {"remote", OPR_REM, 1, {a, b, dupPrivate, c, f, dg, db}, Blocks{{0, 13}, {16, 3}, {30, 1}}},
        {"development", OPR_SVIL, 1, {a, b, dupPrivate, c, f, dg, db}, Blocks{{0, 13}, {16, 3}, {30, 1}}},
        // The first protocol's blocks hold 11 bytes at most.
        {"first protocol", OPR_PRV, 0, {a, b, dupPrivate, c, f, dg, db}, Blocks{{0, 3}, {3, 10}, {16, 3}, {30, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CHECKLIST_READ read = BuildChecklistRead(lines, &m_variables, &m_diagnosis, c.oprator, c.protocol);
        EXPECT_EQ(Keys(read.controls), c.controls);
        EXPECT_EQ(read.blocks, c.blocks);
    }
}

// Without "[Diagnosis]" nothing is read: the file is written from the
// values as they stand. With it, a closed diagnosis window adds no rows.
TEST_F(ChecklistRead, OnlyAFileReachingDiagnosisIsRead)
{
    const Lines variablesOnly{Heading(P), Heading(V), Entry(V, u"A")};
    CHECKLIST_READ read = BuildChecklistRead(variablesOnly, &m_variables, &m_diagnosis, OPR_PBL, 1);
    EXPECT_EQ(Keys(read.controls), std::vector<std::int32_t>{m_variables[1].key});
    EXPECT_TRUE(read.blocks.empty());

    const Lines withDiagnosis{Heading(P), Heading(V), Entry(V, u"A"), Heading(D), Entry(D, u"DG")};
    read = BuildChecklistRead(withDiagnosis, &m_variables, nullptr, OPR_PBL, 1);
    EXPECT_EQ(Keys(read.controls), std::vector<std::int32_t>{m_variables[1].key});
    EXPECT_EQ(read.blocks, (std::vector<REC_UPLD_SV>{{0, 2}}));

    read = BuildChecklistRead({Heading(P), Heading(D)}, &m_variables, &m_diagnosis, OPR_PBL, 1);
    EXPECT_TRUE(read.controls.empty());
    EXPECT_TRUE(read.blocks.empty());
}

TEST_F(ChecklistRead, TheLimitedProfilesListNothing)
{
    for (std::int32_t profile : {OPR_LIMIT, OPR_PBL_LIMIT})
        EXPECT_EQ(FindChecklistEntry(m_variables, u"A", profile), -1);
    EXPECT_EQ(FindChecklistEntry(m_variables, u"A", OPR_PBL), 1);
    EXPECT_EQ(FindChecklistEntry(m_variables, u"a", OPR_PBL), -1);
}
