#include "common/CUtilityLang.h"

#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

class RecordingReporter : public vexar::ErrorReporter {
public:
    void ShowError(const std::u16string& text) override { messages.push_back(vexar::ToUtf8(text)); }
    std::vector<std::string> messages;
};

std::string Utf16File(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string AnsiFile(std::u16string_view text) { return vexar::ToCp1252(text); }

// A program folder with a "Lang" folder; every message is recorded.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("VEXAR_HOME", m_home.path().c_str(), 1);
        ASSERT_EQ(::mkdir(m_home.file("Lang").c_str(), 0777), 0);
    }
    void TearDown() override { unsetenv("VEXAR_HOME"); }

    std::string Program() const { return m_home.path() + "/"; }
    std::string LangFile(const std::string& name) const { return Program() + "Lang/" + name; }

    TempDir m_home;
    RecordingReporter m_reporter;
    vexar::ScopedErrorReporter m_scope{m_reporter};
};

const std::u16string kTexts =
    u"[Heading without a tab]\r\n"
    u"  3000 \t  Città e €  \r\n"
    u"12\tfirst\tsecond\r\n"
    u"7\tfirst seven\r\n"
    u"7\tsecond seven\r\n"
    u"abc\tletters read as zero\r\n"
    u"45x\tdigits then letters\r\n"
    u"-3\tminus three\r\n"
    u"99\r\n"
    u"\r\n"
    u"8\t\r\n"
    u"last\tline without end";

}  // namespace

TEST_F(LanguageTest, GetExePathIsTheProgramFolder)
{
    std::string path = "stale";
    CUtility::GetExePath(path);
    EXPECT_EQ(path, Program());
}

TEST_F(LanguageTest, LookupsInUnicodeAndAnsiFiles)
{
    WriteAll(LangFile("English.lng"), Utf16File(kTexts));
    WriteAll(LangFile("Italiano.lng"), AnsiFile(kTexts));
    struct Case {
        std::int32_t id;
        std::u16string text;
    };
    const Case cases[] = {
        {3000, u"  Città e €  "},  // blanks around the key ignored, the text kept whole
        {12, u"first\tsecond"},
        {7, u"first seven"},
        {0, u"letters read as zero"},  // "abc" has no digits; the "last" line comes later
        {45, u"digits then letters"},
        {-3, u"minus three"},
        {99, u""},  // a line without TAB is not a text
        {8, u""},
        {5555, u""},
    };
    for (const char* file : {"English.lng", "Italiano.lng"})
        for (const Case& c : cases)
            EXPECT_EQ(CUtility::LoadLangString(LangFile(file), c.id), c.text) << file << " id " << c.id;
    EXPECT_TRUE(m_reporter.messages.empty());
}

TEST_F(LanguageTest, FileIsFoundWhateverTheLetterCaseOfItsPath)
{
    WriteAll(LangFile("Italiano.lng"), AnsiFile(u"1\tuno\n"));
    EXPECT_EQ(CUtility::LoadLangString(Program() + "lang/ITALIANO.LNG", 1), u"uno");
}

TEST_F(LanguageTest, EveryLookupOfAMissingFileIsReported)
{
    const std::string missing = LangFile("Deutsch.lng");
    EXPECT_EQ(CUtility::LoadLangString(missing, 1), u"");
    EXPECT_EQ(CUtility::LoadLangString(missing, 2), u"");
    EXPECT_EQ(CUtility::LoadLangString(Program() + "Lang", 2), u"");  // a folder is no language file
    const std::string expected = "Error to access file " + missing + "!";
    EXPECT_EQ(m_reporter.messages,
              (std::vector<std::string>{expected, expected, "Error to access file " + Program() + "Lang!"}));
}

TEST_F(LanguageTest, MenuListsThePresentLanguagesInListOrder)
{
    WriteAll(LangFile("English.lng"), Utf16File(u"1\tone\n"));
    WriteAll(LangFile("Italiano.lng"), AnsiFile(u"1\tuno\n"));
    WriteAll(LangFile("GestLang.cfg"), Utf16File(u"English.lng\r\n\r\nDeutsch.lng\r\nItaliano.lng\r\n"));

    CUtility::LangMenu menu;
    menu.items.push_back({u"stale", 1});
    EXPECT_EQ(CUtility::FillLangMenu(Program(), LangFile("Italiano.lng"), menu), 2);
    ASSERT_EQ(menu.items.size(), 2u);
    EXPECT_EQ(menu.items[0].text, u"English");
    EXPECT_EQ(menu.items[0].id, 2000);
    EXPECT_EQ(menu.items[1].text, u"Italiano");
    EXPECT_EQ(menu.items[1].id, 2001);  // the missing language takes no id
    EXPECT_EQ(menu.checkedId, 2001);
    EXPECT_EQ(m_reporter.messages, (std::vector<std::string>{"Error to access file " + LangFile("Deutsch.lng") + "!"}));
}

TEST_F(LanguageTest, MenuChecksOnlyAnExactMatchOfTheWholePath)
{
    WriteAll(LangFile("English.lng"), "1\tone\n");
    WriteAll(LangFile("GestLang.cfg"), "English.lng\n");
    CUtility::LangMenu menu;
    EXPECT_EQ(CUtility::FillLangMenu(Program(), LangFile("english.lng"), menu), 1);
    EXPECT_EQ(menu.checkedId, std::nullopt);
    EXPECT_EQ(CUtility::FillLangMenu(Program(), LangFile("English.lng"), menu), 1);
    EXPECT_EQ(menu.checkedId, 2000);
}

TEST_F(LanguageTest, MissingListGivesNoMenu)
{
    CUtility::LangMenu menu;
    EXPECT_EQ(CUtility::FillLangMenu(Program(), LangFile("English.lng"), menu), 0);
    EXPECT_TRUE(menu.items.empty());
    EXPECT_EQ(m_reporter.messages,
              (std::vector<std::string>{"Error to access file " + LangFile("GestLang.cfg") + "!"}));
}

// The language folder of the test installation, installed as the program
// has it: English in UTF-16, Italiano in Windows-1252.
TEST_F(LanguageTest, TestInstallationTexts)
{
    auto source = [](const std::string& name) {
        return vexar::ToUtf16(vexar::testing::ReadAll(vexar::fixtures::DataFolder() + "/Lang/" + name));
    };
    WriteAll(LangFile("English.lng"), Utf16File(source("English.lng")));
    WriteAll(LangFile("Italiano.lng"), AnsiFile(source("Italiano.lng")));
    WriteAll(LangFile("GestLang.cfg"), AnsiFile(source("GestLang.cfg")));

    struct Case {
        std::int32_t id;
        std::u16string english;
        std::u16string italian;
    };
    const Case cases[] = {
        {100, u"Connect", u"Connetti"},
        {301, u"", u"Citt\u00E0, perch\u00E9, \u20AC"},
        {3000, u"  Text with blanks around its key  ", u"  Testo con spazi attorno alla chiave  "},
        {3001, u"Two columns:\tsecond column", u"Due colonne:\tseconda colonna"},
        {3002, u"First of two", u"Primo di due"},
        {0, u"A key of letters reads as zero", u"Una chiave di lettere vale zero"},
        {12, u"A key of digits then letters reads as its digits", u"Una chiave di cifre e lettere vale le sue cifre"},
        {4242, u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CUtility::LoadLangString(LangFile("English.lng"), c.id), c.english) << c.id;
        EXPECT_EQ(CUtility::LoadLangString(LangFile("Italiano.lng"), c.id), c.italian) << c.id;
    }

    CUtility::LangMenu menu;
    EXPECT_EQ(CUtility::FillLangMenu(Program(), LangFile("English.lng"), menu), 2);
    ASSERT_EQ(menu.items.size(), 2u);
    EXPECT_EQ(menu.items[0].text, u"English");
    EXPECT_EQ(menu.items[1].text, u"Italiano");
    EXPECT_EQ(menu.checkedId, 2000);
    EXPECT_TRUE(m_reporter.messages.empty());
}
