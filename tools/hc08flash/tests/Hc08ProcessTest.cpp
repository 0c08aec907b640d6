#include "ToolProcess.h"

#include "Hc08TestImage.h"
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

// The installed tool started with VEXAR's argument: its empty PATH sends
// it to "Palm" beside it although its settings name another folder; it
// programs the handheld and exits 0.
TEST(Hc08ProcessTest, InstalledToolTakesItsPalmFolder)
{
    TempDir program;
    TempDir com;
    const std::string tool = InstallTool(HC08FLASH_PROGRAM, program.path());
    std::filesystem::create_directories(program.file("prgbay/Palm"));
    std::filesystem::create_directories(program.file("elsewhere"));
    const auto image = vexar::tools::hc08test::WriteS19File(program.file("prgbay/Palm/fw.s19"));
    std::ofstream(program.file("prgbay/hc08flash.ini"))
        << "[CONFIG]\r\nlogo = 0\r\n[COM]\r\nport = 3\r\nbaud = 19200\r\n[FILE]\r\nfilename = fw.s19\r\npath = "
        << program.file("elsewhere/");
    auto device = std::make_unique<HandheldTerminal>();
    HandheldTerminal* handheld = device.get();
    BootSimulator sim(std::move(device));
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(com.path(), 3, error)) << error;
    EnvironmentScope environment;
    environment.Set("VEXAR_COM_DIR", com.path());

    EXPECT_EQ(RunTool(tool, "LOGO=0,PATH=,FILE=fw.s19", "run", program.path()), 0) << ReadAll(program.file("stderr.txt"));
    std::vector<std::uint8_t> flash;
    sim.WithDevice([&](BootDevice&) { flash = handheld->Flash(0x0E00, 0xF200); });
    EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 0xE200, image.memory.begin() + 0x0E00));
    EXPECT_TRUE(std::equal(flash.end() - 52, flash.end(), image.memory.end() - 52));
    const std::string ini = ReadAll(program.file("prgbay/hc08flash.ini"));
    EXPECT_NE(ini.find("path = " + program.file("prgbay/Palm/")), std::string::npos) << ini;

    // VEXAR's own argument names no file: nothing to program, and the tool
    // still ends cleanly.
    EXPECT_EQ(RunTool(tool, "LOGO=0,PATH=,FILE=", "run", program.path()), 0) << ReadAll(program.file("stderr.txt"));
    sim.Stop();
}

}  // namespace
