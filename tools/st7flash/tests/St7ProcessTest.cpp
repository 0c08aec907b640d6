#include "ToolProcess.h"

#include "St7TestImage.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd01Loader.h"

#include <gtest/gtest.h>

using namespace vexar::bootsim;
using namespace vexar::tools::test;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;

namespace {

// The installed tool, given VEXAR's argument, programs the ECU from a
// ".run" made by our cipher library and writes its settings beside itself.
TEST(St7ProcessTest, InstalledToolProgramsTheEcu)
{
    TempDir program;
    TempDir com;
    const std::string tool = InstallTool(ST7FLASH_PROGRAM, program.path());
    std::filesystem::create_directories(program.file("prgbay/OSK04_ECU"));
    const auto image = vexar::tools::st7test::WriteRunFile(program.file("prgbay/OSK04_ECU"), "fw.run");
    auto device = std::make_unique<Kd01Loader>();
    Kd01Loader* loader = device.get();
    BootSimulator sim(std::move(device));
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(com.path(), 3, error)) << error;
    EnvironmentScope environment;
    environment.Set("VEXAR_COM_DIR", com.path());

    EXPECT_EQ(RunTool(tool, "LOGO=1,COM=3,PATH=,FILE=fw.run,LINEAK=0,LOCKCOM=1,LANGENG=1", "run", program.path()), 0)
        << ReadAll(program.file("stderr.txt"));
    std::vector<std::uint8_t> memory;
    sim.WithDevice([&](BootDevice&) { memory = loader->Memory(0x8000, 0x10000 - 0x8000); });
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + 0x1C0, image.memory.begin() + 0x8000));
    EXPECT_TRUE(std::equal(memory.end() - 32, memory.end(), image.memory.end() - 32));
    const std::string ini = ReadAll(program.file("prgbay/st7flash.ini"));
    EXPECT_NE(ini.find("logo = 1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Lock = 1"), std::string::npos) << ini;
    sim.Stop();
}

}  // namespace
