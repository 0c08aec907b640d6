#include "ToolProcess.h"

#include "HhwriterTestFiles.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/HandheldTerminal.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace vexar::bootsim;
using namespace vexar::tools::test;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;

namespace {

// The installed tool started with VEXAR's argument ignores its PATH and
// FILE and sends what its settings tick: the language file from "Palm".
TEST(HhwriterProcessTest, InstalledToolSendsWhatItsSettingsTick)
{
    TempDir program;
    TempDir com;
    const std::string tool = InstallTool(HHWRITER_PROGRAM, program.path());
    std::filesystem::create_directories(program.file("prgbay/Palm"));
    const auto language = vexar::tools::hhtest::Pattern(0x8000, 8);
    vexar::tools::hhtest::WriteBytes(program.file("prgbay/Palm/lang.bin"), language);
    std::ofstream(program.file("prgbay/hhwriter.ini"))
        << "[CONFIG]\r\nLogo = 0\r\n[COM]\r\nportnum = 6\r\nbaudrate = 19200\r\n[LANG]\r\nPathLang = \r\n"
           "FileLang = lang.bin\r\nLoadLang = 1\r\n[FWKD01]\r\nFileFwKd01 = \r\nLoadFwKd01 = 1";
    auto device = std::make_unique<HandheldTerminal>();
    HandheldTerminal* handheld = device.get();
    BootSimulator sim(std::move(device));
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(com.path(), 6, error)) << error;
    EnvironmentScope environment;
    environment.Set("VEXAR_COM_DIR", com.path());

    EXPECT_EQ(RunTool(tool, "LOGO=0,PATH=/nowhere/,FILE=lang.bin", "run", program.path()), 0)
        << ReadAll(program.file("stderr.txt"));
    std::vector<std::uint8_t> bank;
    sim.WithDevice([&](BootDevice&) { bank = handheld->Bank(2, 0, 0x8000); });
    EXPECT_EQ(bank, language);
    EXPECT_EQ(sim.CountRequests(HandheldTerminal::kBlockWrite), 512u) << "only the language: KD01 names no file";
    const std::string ini = ReadAll(program.file("prgbay/hhwriter.ini"));
    EXPECT_NE(ini.find("LoadLang = 1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("LoadFwKd01 = 0"), std::string::npos) << "an item without a name is unticked\n" << ini;
    sim.Stop();
}

}  // namespace
