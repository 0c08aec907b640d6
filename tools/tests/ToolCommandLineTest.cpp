#include "tools/common/ComputeCrc16.h"
#include "tools/common/ToolCommandLine.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vexar::tools;

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> tokens;
};

TEST(SplitArgumentsTest, Tokens)
{
    const SplitCase cases[] = {
        {"", {""}},
        {"COM=3,,BAUD=9600", {"COM=3", "BAUD=9600"}},
        {",COM=3", {"", "COM=3"}},
        {"a,", {"a"}},
        {"1,2,3,4,5,6,7,8,9,10,11,12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"a b, c", {"a b", " c"}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitArguments(c.text), c.tokens) << c.text;
}

// What VEXAR sends, read by each tool.
TEST(ParseToolCommandLineTest, VexarArgumentPerTool)
{
    const char* vexar = "LOGO=1,COM=4,PATH=,FILE=fw.hex,LINEAK=0,LOCKCOM=1,LANGENG=0";
    const ToolArguments kd02 = ParseToolCommandLine(vexar, ToolKind::Kd02flash);
    EXPECT_EQ(kd02.logo, 1);
    EXPECT_EQ(kd02.com, 4);
    EXPECT_FALSE(kd02.path) << "an empty PATH keeps the settings file's folder";
    EXPECT_EQ(kd02.file, "fw.hex");
    EXPECT_FALSE(kd02.lockCom);
    EXPECT_FALSE(kd02.langEng);

    const ToolArguments st7 = ParseToolCommandLine(vexar, ToolKind::St7flash);
    EXPECT_FALSE(st7.path);
    EXPECT_EQ(st7.lockCom, 1);
    EXPECT_EQ(st7.langEng, 0);

    const ToolArguments hc08 = ParseToolCommandLine("LOGO=0,PATH=,FILE=", ToolKind::Hc08flash);
    EXPECT_EQ(hc08.path, "") << "hc08flash takes PATH also when empty";
    EXPECT_EQ(hc08.file, "");
    EXPECT_FALSE(hc08.lockCom);

    const ToolArguments hh = ParseToolCommandLine("LOGO=0,PATH=x,FILE=y,PATHLANG=,FILELANG=it.lng,"
                                                  "PATHFWKD01=k1,FILEFWKD02=b.hex",
                                                  ToolKind::Hhwriter);
    EXPECT_FALSE(hh.path);
    EXPECT_FALSE(hh.file);
    EXPECT_FALSE(hh.pathLang) << "hhwriter's folders count only with a value";
    EXPECT_EQ(hh.fileLang, "it.lng");
    EXPECT_EQ(hh.pathFwKd01, "k1");
    EXPECT_EQ(hh.fileFwKd02, "b.hex");
    EXPECT_FALSE(ParseToolCommandLine("FILELANG=x", ToolKind::St7flash).fileLang);
}

TEST(ParseToolCommandLineTest, KeysTrimmedAndCaseless)
{
    struct Case {
        const char* argument;
        std::optional<int> com;
        std::optional<long> baud;
    };
    const Case cases[] = {
        {" com = 3 ", 3, std::nullopt},
        {"COM=3,,BAUD=9600", 3, 9600},
        {"Baud=19200x", std::nullopt, 19200},
        {"COM", std::nullopt, std::nullopt},
        {"COM=", 0, std::nullopt},
        {"COM=-2", -2, std::nullopt},
        {"COM=1=2", 1, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"a=1,b=2,c=3,d=4,e=5,f=6,g=7,h=8,i=9,j=10,COM=11", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const ToolArguments args = ParseToolCommandLine(c.argument, ToolKind::Kd02flash);
        EXPECT_EQ(args.com, c.com) << c.argument;
        EXPECT_EQ(args.baud, c.baud) << c.argument;
    }
    EXPECT_EQ(ParseToolCommandLine("PATH = C:\\My Img ", ToolKind::St7flash).path, "C:\\My Img");
}

TEST(FolderRuleTest, Folders)
{
    const std::string tool = "/opt/vexar/prgbay/";
    struct Case {
        const char* folder;
        const char* defaultName;
        const char* result;
    };
    const Case cases[] = {
        {"", "KD02_ECU", "/opt/vexar/prgbay/KD02_ECU/"},
        {"sub", "KD01_ECU", "/opt/vexar/prgbay/sub/"},
        {"sub/", "KD01_ECU", "/opt/vexar/prgbay/sub/"},
        {"/data/img", "KD01_ECU", "/data/img/"},
        {"/data/img/", "KD01_ECU", "/data/img/"},
        {"\\data\\img", "KD01_ECU", "/data/img/"},
        {"a\\b", "Palm", "/opt/vexar/prgbay/a/b/"},
        {"D:\\Img", "Palm", "/opt/vexar/prgbay/D:/Img/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ApplyFolderRule(c.folder, tool, c.defaultName), c.result) << c.folder;
    EXPECT_EQ(DefaultKd02Folder(0), "KD02_ECU");
    EXPECT_EQ(DefaultKd02Folder(1), "ZOVZENTA_ECU");
    EXPECT_EQ(DefaultKd01Folder(0), "KD01_ECU");
    EXPECT_EQ(DefaultKd01Folder(-1), "OSK04_ECU");
}

TEST(ToolFolderTest, IsTheExecutablesFolderWhateverVexarHomeSays)
{
    setenv("VEXAR_HOME", "/somewhere/else", 1);
    const std::string folder = ToolFolder();
    unsetenv("VEXAR_HOME");
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_NE(folder, "/somewhere/else/");
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(exe, static_cast<std::size_t>(n)).rfind(folder, 0), 0u);
}

// CRC-16/ARC with its bytes exchanged, so that storing it high byte first
// puts the CRC's low byte first on the wire.
TEST(ComputeCrc16Test, KnownAnswersAndWireOrder)
{
    const std::string digits = "123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(digits.data());
    const std::uint16_t crc = ComputeCrc16(bytes, digits.size());
    EXPECT_EQ(crc, 0x3DBB);
    EXPECT_EQ(crc >> 8, 0x3D) << "first on the wire";
    EXPECT_EQ(crc & 0xFF, 0xBB);

    // The application reset frame of st7flash: 04 08, then the CRC.
    const std::uint8_t reset[] = {0x04, 0x08};
    EXPECT_EQ(ComputeCrc16(reset, 2), 0x0306);
    EXPECT_EQ(ComputeCrc16(bytes, 0), 0x0000);

    // The length counts modulo 65536.
    std::vector<std::uint8_t> longer(65536 + 9, 0x55);
    std::copy(bytes, bytes + 9, longer.begin());
    EXPECT_EQ(ComputeCrc16(longer.data(), longer.size()), 0x3DBB);
}

}  // namespace
