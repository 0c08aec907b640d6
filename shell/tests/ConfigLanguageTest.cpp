// The language a configuration loads in, and its language list.
#include "shell/core/ConfigLanguage.h"

#include "RecordingReporter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using vexar::shell::ChooseConfigurationLanguage;
using vexar::shell::ReadLanguageList;
using vexar::shelltest::RecordingReporter;

TEST(ConfigLanguage, TheCurrentLanguageThenEnglishThenTheFirstListed)
{
    const std::vector<std::u16string> both{u"English", u"Italiano"};
    const std::vector<std::u16string> german{u"Deutsch", u"Francais"};
    const struct {
        const char* langFile;
        std::vector<std::u16string> list;
        const char16_t* chosen;
    } cases[] = {
        {"/p/Lang/Italiano.lng", both, u"Italiano"},
        {"/p/Lang/Espanol.lng", both, u"English"},
        {"/p/Lang/Espanol.lng", german, u"Deutsch"},
        {"/p/Lang/Italiano.lng", {}, u"English"},
        {"", both, u"English"},
        {"/p/Lang/italiano.lng", both, u"English"},  // names compare exactly
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseConfigurationLanguage(c.langFile, c.list), c.chosen) << c.langFile;
}

TEST(ConfigLanguage, TheListDropsExtensionsAndEmptyLines)
{
    vexar::testing::TempDir dir;
    vexar::testing::WriteAll(dir.file("GestLang.cfg"), "English.lng\r\n\r\nItaliano.lng\r\n");
    EXPECT_EQ(ReadLanguageList(dir.file("GestLang.cfg")), (std::vector<std::u16string>{u"English", u"Italiano"}));
    RecordingReporter reporter;
    EXPECT_TRUE(ReadLanguageList(dir.file("Missing.cfg")).empty());
    EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error to access file " + dir.file("Missing.cfg") + "!"});
}
