#include "shell/core/ExternalPrograms.h"

#include "common/Text.h"

#include <gtest/gtest.h>

using namespace vexar;
using namespace vexar::shell;

TEST(ExternalPrograms, LoaderArgument)
{
    const struct {
        LOADER_ARGUMENT values;
        const char* expected;
    } cases[] = {
        {{1, 4, u"fw.hex", 0, 1, "/opt/v/Lang/Italiano.lng"},
         "LOGO=1,COM=4,PATH=,FILE=fw.hex,LINEAK=0,LOCKCOM=1,LANGENG=0"},
        {{0, 3, u"", 1, 0, "/opt/v/Lang/English.lng"}, "LOGO=0,COM=3,PATH=,FILE=,LINEAK=1,LOCKCOM=0,LANGENG=1"},
        {{5, 12, u"KD02 \u00e8.hex", 0, 0, ""}, "LOGO=5,COM=12,PATH=,FILE=KD02 \xc3\xa8.hex,LINEAK=0,LOCKCOM=0,LANGENG=1"},
        // Any path holding the Italian file counts, whatever else it holds.
        {{2, 1, u"a", 0, 0, "/x/Italiano.lng.bak"}, "LOGO=2,COM=1,PATH=,FILE=a,LINEAK=0,LOCKCOM=0,LANGENG=0"},
        {{2, 1, u"a", 0, 0, "/x/italiano.lng"}, "LOGO=2,COM=1,PATH=,FILE=a,LINEAK=0,LOCKCOM=0,LANGENG=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoaderArgument(c.values), c.expected);
    EXPECT_EQ(HandheldArgument(0), "LOGO=0,PATH=,FILE=");
    EXPECT_EQ(HandheldArgument(4), "LOGO=4,PATH=,FILE=");
}

TEST(ExternalPrograms, TarmixSettingsLine)
{
    EXPECT_EQ(TarmixSettingsLine(3, "/opt/vexar/Lang/Italiano.lng", 19200),
              "-com 3 -language italiano -baudrate 19200\n");
    EXPECT_EQ(TarmixSettingsLine(11, "Lang/ENGLISH.LNG", 115200), "-com 11 -language english -baudrate 115200\n");
    EXPECT_EQ(TarmixSettingsLine(1, "", 9600), "-com 1 -language  -baudrate 9600\n");
}

TEST(ExternalPrograms, ParametersSplitAtBlanksOutsideQuotes)
{
    const struct {
        const char* text;
        std::vector<std::string> words;
    } cases[] = {
        {"-jar tarmix.jar", {"-jar", "tarmix.jar"}},
        {"  -cp \"lib/a b.jar\"\t Main  ", {"-cp", "lib/a b.jar", "Main"}},
        {"-Dx=\"1 2\"y", {"-Dx=1 2y"}},
        {"\"\" a", {"", "a"}},
        {"\"unclosed  two", {"unclosed  two"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitParameters(c.text), c.words) << c.text;
}

TEST(ExternalPrograms, TarmixBatchLine)
{
    const struct {
        const char* line;
        bool found;
        std::vector<std::string> parameters;
    } cases[] = {
        {"start javaw -jar tarmix.jar\r\n", true, {"-jar", "tarmix.jar"}},
        {"javaw.exe -jar \"tar mix.jar\"", true, {"-jar", "tar mix.jar"}},
        {"@echo javaw", true, {}},
        {"java -jar tarmix.jar", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> parameters{"stale"};
        EXPECT_EQ(TarmixParameters(c.line, parameters), c.found) << c.line;
        EXPECT_EQ(parameters, c.parameters) << c.line;
    }
}

TEST(ExternalPrograms, UpdateCommandAndEntries)
{
    EXPECT_EQ(UpdateCommand("/media/upd/VEXAR", "/opt/vexar/"), u"/media/upd/VEXAR, /opt/vexar/VEXAR");
    EXPECT_TRUE(IsMainProgramEntry("VEXAR"));
    for (const char* other : {"MYVEXAR", "VEXAR.exe", "vexar", "VEXAR.bak"})
        EXPECT_FALSE(IsMainProgramEntry(other)) << other;
    EXPECT_TRUE(IsObdLibraryEntry("libobdvane.so"));
    EXPECT_FALSE(IsObdLibraryEntry("oldlibobdvane.so"));
    EXPECT_TRUE(IsSetupEntry("Setup"));
    for (const char* other : {"MySetup", "setup", "Setup.exe"})
        EXPECT_FALSE(IsSetupEntry(other)) << other;
}
