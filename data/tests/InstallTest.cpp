// The program folder as `cmake --install` makes it: its layout, the
// libraries found beside the programs, the language files (UTF-16, every
// text the program names present in both languages, with the same
// placeholders), the enciphered settings read back through the program's
// own reader, and a reinstall that keeps the user's settings.
#include "TempDir.h"
#include "pages/core/LayoutSettings.h"
#include "shell/core/CSettingsFile.h"
#include "common/CCriptFile.h"
#include "common/CUtilityLang.h"
#include "dialogs/core/PetrolRules.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

// Runs `command`; its exit status, with everything it wrote in `output`.
int RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    return ::pclose(pipe);
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Installs the build into `prefix`.
::testing::AssertionResult Install(const std::string& prefix)
{
    std::string output;
    const int status = RunCommand(Quoted(CMAKE_PROGRAM) + " --install " + Quoted(BUILD_FOLDER) + " --prefix " + Quoted(prefix),
                           output);
    if (status != 0)
        return ::testing::AssertionFailure() << "install failed (" << status << "):\n" << output;
    return ::testing::AssertionSuccess();
}

// Lines of a text, each ended by a line feed (a last one may lack it).
std::vector<std::u16string> Lines(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::u16string> SourceLines(const std::string& relative)
{
    return Lines(vexar::ToUtf16(ReadAll(std::string(DATA_SOURCE_FOLDER) + "/" + relative)));
}

std::vector<std::u16string> DecipheredLines(const std::string& path)
{
    CCriptFile file;
    std::vector<std::u16string> lines;
    if (!file.Open(path, 1))
        return lines;
    std::u16string line;
    while (file.ReadLine(line))
        lines.push_back(line);
    file.Close();
    return lines;
}

// The printf conversions of a text, in order ("%s%d").
std::string Conversions(const std::u16string& text)
{
    std::string found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        std::size_t j = i + 1;
        while (j < text.size() && std::u16string_view(u"-+ #0123456789.l").find(text[j]) != std::u16string_view::npos)
            ++j;
        if (j < text.size())
            found += "%" + vexar::ToUtf8(text.substr(j, 1));
        i = j;
    }
    return found;
}

// The numbers the program looks up, from the list kept beside the texts.
std::set<int> NamedTextIds()
{
    std::set<int> ids;
    std::istringstream list(ReadAll(std::string(DATA_SOURCE_FOLDER) + "/Lang/TextIds.txt"));
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream numbers(line.substr(0, line.find('#')));
        int id = 0;
        while (numbers >> id)
            ids.insert(id);
        EXPECT_TRUE(numbers.eof()) << "not a number in: " << line;
    }
    return ids;
}

// Every text number of a language file with how often it stands there.
std::map<int, int> IdCounts(const std::string& path)
{
    std::map<int, int> counts;
    const std::string bytes = ReadAll(path);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    for (const std::u16string& line : Lines(text))
        ++counts[std::stoi(vexar::ToUtf8(line.substr(0, line.find(u'\t'))))];
    return counts;
}

// Messages the language lookups would show.
class Reporter : public vexar::ErrorReporter {
public:
    void ShowError(const std::u16string& text) override { shown.push_back(vexar::ToUtf8(text)); }
    std::vector<std::string> shown;
};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Install(home.path())); }

    std::string At(const std::string& relative) const { return home.path() + "/" + relative; }

    TempDir home;
};

bool IsFile(const std::string& path) { return fs::is_regular_file(path); }
bool IsExecutable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

TEST_F(InstallTest, MakesTheProgramFolder)
{
    for (const char* file : {"libsigilkit.so", "libobdvane.so", "Lang/GestLang.cfg", "Lang/English.lng",
                             "Lang/Italiano.lng", "VEXAR.cfg", "VEXARDef.cfg", "Remote.cfg"})
        EXPECT_TRUE(IsFile(At(file))) << file;
    EXPECT_TRUE(IsFile(At("prgbay/Update")) && IsExecutable(At("prgbay/Update")));
    if (INSTALLS_VEXAR) {
        EXPECT_TRUE(IsFile(At("VEXAR")) && IsExecutable(At("VEXAR")));
    }
    for (const char* folder : {"Configuration", "Parameter"}) {
        ASSERT_TRUE(fs::is_directory(At(folder))) << folder;
        EXPECT_TRUE(fs::is_empty(At(folder))) << folder;
    }
}

TEST_F(InstallTest, ProgramsAndLibrariesLookForOurLibrariesBesideThemselves)
{
    std::vector<std::string> binaries = {"libsigilkit.so", "libobdvane.so"};
    if (INSTALLS_VEXAR)
        binaries.push_back("VEXAR");
    for (const std::string& binary : binaries) {
        std::string dynamic;
        ASSERT_EQ(RunCommand(Quoted(READELF_PROGRAM) + " -d " + Quoted(At(binary)), dynamic), 0) << dynamic;
        EXPECT_NE(dynamic.find("path: [$ORIGIN]"), std::string::npos) << binary << ":\n" << dynamic;
        EXPECT_EQ(dynamic.find(BUILD_FOLDER), std::string::npos) << binary << " still names the build folder";
    }
}

// The programming tools lie in "prgbay" and find libsigilkit.so in the
// program folder above them; installed, they start (a script they cannot
// read ends them at once with a failure).
TEST_F(InstallTest, ToolsInTheProgramBayFindTheCipherLibraryAbove)
{
    for (const char* tool : {"prgbay/kd02flash", "prgbay/st7flash", "prgbay/hc08flash", "prgbay/hhwriter"}) {
        ASSERT_TRUE(IsFile(At(tool)) && IsExecutable(At(tool))) << tool;
        std::string dynamic;
        ASSERT_EQ(RunCommand(Quoted(READELF_PROGRAM) + " -d " + Quoted(At(tool)), dynamic), 0) << dynamic;
        EXPECT_NE(dynamic.find("path: [$ORIGIN/..]"), std::string::npos) << tool << ":\n" << dynamic;
        EXPECT_NE(dynamic.find("libsigilkit.so"), std::string::npos) << tool;
        EXPECT_EQ(dynamic.find(BUILD_FOLDER), std::string::npos) << tool << " still names the build folder";
        std::string output;
        EXPECT_NE(RunCommand("QT_QPA_PLATFORM=offscreen VEXAR_TOOL_SCRIPT=unreadable " + Quoted(At(tool)), output), 0)
            << tool << ": " << output;
        EXPECT_NE(output.find("VEXAR_TOOL_SCRIPT: cannot read"), std::string::npos) << tool << ": " << output;
    }
}

TEST_F(InstallTest, LanguageFilesAreUtf16AndTheListNamesBothLanguages)
{
    for (const char* file : {"Lang/GestLang.cfg", "Lang/English.lng", "Lang/Italiano.lng", "Lang/Benz_English.lng",
                             "Lang/Benz_Italiano.lng"})
        EXPECT_TRUE(ReadAll(At(file)).starts_with("\xFF\xFE")) << file;
    Reporter reporter;
    vexar::ScopedErrorReporter scope(reporter);
    CUtility::LangMenu menu;
    const std::string folder = home.path() + "/";
    ASSERT_EQ(CUtility::FillLangMenu(folder, folder + "Lang/Italiano.lng", menu), 2);
    EXPECT_EQ(menu.items[0].text, u"English");
    EXPECT_EQ(menu.items[1].text, u"Italiano");
    EXPECT_EQ(menu.checkedId, CUtility::kLangMenuFirstId + 1);
    EXPECT_TRUE(reporter.shown.empty());
}

TEST_F(InstallTest, EveryTextTheProgramNamesIsInBothLanguagesWithTheSamePlaceholders)
{
    const std::string english = At("Lang/English.lng");
    const std::string italian = At("Lang/Italiano.lng");
    const std::set<int> ids = NamedTextIds();
    ASSERT_GT(ids.size(), 150u);
    Reporter reporter;
    vexar::ScopedErrorReporter scope(reporter);
    for (int id : ids) {
        const std::u16string en = CUtility::LoadLangString(english, id);
        const std::u16string it = CUtility::LoadLangString(italian, id);
        EXPECT_FALSE(en.empty()) << "English lacks " << id;
        EXPECT_FALSE(it.empty()) << "Italian lacks " << id;
        EXPECT_EQ(Conversions(en), Conversions(it)) << id;
    }
    EXPECT_TRUE(reporter.shown.empty());
    for (const std::string& file : {english, italian}) {
        for (const auto& [id, count] : IdCounts(file))
            EXPECT_EQ(count, 1) << id << " twice in " << file;
    }
}

TEST_F(InstallTest, ItalianTextsAreTheOnesTheWindowsCarry)
{
    const std::string italian = At("Lang/Italiano.lng");
    const std::map<int, std::u16string> expected = {
        {3025, u"Selezione centralina"}, {3026, u"Tipo centralina:"},      {3027, u"Versione firmware:"},
        {3015, u"Inserimento operatore"}, {3016, u"Tipo operatore:"},      {3021, u"Annulla"},
        {3126, u"Caricamento Palmare"},   {3127, u"Caricamento Firmware"}, {3240, u"Identificazione centralina"},
        {3079, u"Inserimento commento"},  {3097, u"&Connetti"},            {3036, u"&Uscita"},
        {3185, u"&Assistenza remota"},    {3148, u"&Linea K"},             {3063, u"ECU SEL"},
        {3233, u"TEST"},
    };
    for (const auto& [id, text] : expected)
        EXPECT_EQ(CUtility::LoadLangString(italian, id), text) << id;
}

TEST_F(InstallTest, EncipheredSettingsReadBackAsTheirSources)
{
    for (const char* name : {"VEXAR.cfg", "VEXARDef.cfg", "Remote.cfg"}) {
        const std::vector<std::u16string> lines = DecipheredLines(At(name));
        EXPECT_FALSE(lines.empty()) << name << " does not decipher";
        EXPECT_EQ(lines, SourceLines(std::string("settings/") + name + ".txt")) << name;
    }

    EXPECT_EQ(DecipheredLines(At("VEXARDef.cfg")),
              (std::vector<std::u16string>{u"OPR_PBL", u"English.lng", u"1", u"\\\\.\\COM1", u"", u"", u"", u"", u""}));
    EXPECT_EQ(DecipheredLines(At("Remote.cfg")).front(), u"0.0.0.0\t// Indirizzo IP Server Bridge");

    // VEXAR.cfg holds values 0 to 49 exactly as the program writes them,
    // and reads without a complaint.
    Reporter reporter;
    vexar::ScopedErrorReporter scope(reporter);
    vexar::shell::SETTINGS_VALUES values;
    values.layout.gridColumnWidth = 0;
    std::vector<std::u16string> tail;
    ASSERT_EQ(vexar::shell::CSettingsFile::ReadSettings(At("VEXAR.cfg"), values, tail),
              vexar::shell::CSettingsFile::ReadResult::Read);
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_TRUE(tail.empty()) << "nothing after value 49";
    EXPECT_EQ(values.shift, 0) << "a version, so the file has the current layout";
    EXPECT_EQ(values.kLine, 0);
    EXPECT_EQ(values.editionView, 0);
    EXPECT_EQ(values.layout.pageFontFace, u"DejaVu Sans");
    EXPECT_EQ(values.layout.barFontFace, u"DejaVu Sans");
    EXPECT_EQ(values.layout.gridColumnWidth, 65);
    std::u16string written;
    for (const std::u16string& line : DecipheredLines(At("VEXAR.cfg")))
        written += line + u"\n";
    EXPECT_EQ(written, vexar::shell::CSettingsFile::SettingsText(values.version, values.kLine, values.editionView,
                                                                 values.layout, tail));
}

TEST_F(InstallTest, AReinstallKeepsTheSettingsAndRenewsEverythingElse)
{
    WriteAll(At("VEXAR.cfg"), "the user's own");
    WriteAll(At("VEXARDef.cfg"), "last session");
    fs::remove(At("Remote.cfg"));
    WriteAll(At("Lang/English.lng"), "damaged");
    fs::remove(At("Parameter"));
    ASSERT_TRUE(Install(home.path()));
    EXPECT_EQ(ReadAll(At("VEXAR.cfg")), "the user's own");
    EXPECT_EQ(ReadAll(At("VEXARDef.cfg")), "last session");
    EXPECT_EQ(DecipheredLines(At("Remote.cfg")), SourceLines("settings/Remote.cfg.txt")) << "absent, so installed";
    EXPECT_TRUE(ReadAll(At("Lang/English.lng")).starts_with("\xFF\xFE"));
    EXPECT_TRUE(fs::is_directory(At("Parameter")));
}

}  // namespace

// Beside each language its petrol companion: a description and a unit for
// every PID the petrol windows show, found by the rows' keys and by the
// PID.cfg writer's alike, each key on its own line (a key met first inside
// another line would give that line's text).
TEST_F(InstallTest, EachLanguageHasItsPetrolTextsForEveryShownPid)
{
    for (const char* language : {"Lang/English.lng", "Lang/Italiano.lng"}) {
        const std::string file = At(language);
        for (int pid = 0; pid <= 0x60; ++pid) {
            if (!CUtility::IsShownPid(pid) && pid != 0x00 && pid != 0x20 && pid != 0x40)
                continue;
            const std::u16string description = CUtility::ReadBenzValue(file, vexar::Format(u"%02XD", pid));
            EXPECT_FALSE(description.empty()) << language << " " << pid;
            EXPECT_EQ(CUtility::ReadBenzValue(file, vexar::Format(u"PID%02XD", pid)), description) << pid;
            // The bitmaps, the monitor and fuel-system states and the
            // sensor lists have no unit.
            const bool unitless = pid == 0x00 || pid == 0x20 || pid == 0x40 || pid == 0x01 || pid == 0x03 ||
                                  pid == 0x13 || pid == 0x1D;
            EXPECT_EQ(CUtility::ReadBenzValue(file, vexar::Format(u"%02XM", pid)).empty(), unitless)
                << language << " " << pid;
        }
        EXPECT_FALSE(CUtility::ReadBenzValue(file, u"P0420").empty()) << language;
    }
    EXPECT_EQ(CUtility::ReadBenzValue(At("Lang/English.lng"), u"0CD"), u"Engine speed");
    EXPECT_EQ(CUtility::ReadBenzValue(At("Lang/Italiano.lng"), u"0DM"), u"km/h");
    EXPECT_EQ(CUtility::ReadBenzValue(At("Lang/Italiano.lng"), u"05M"), u"\u00B0C");
}
