#include "ToolProcess.h"

#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd02Loader.h"

#include <gtest/gtest.h>

using namespace vexar::bootsim;
using namespace vexar::tools::test;
using vexar::testing::Exists;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;

namespace {

const char* kZeroWaits =
    "[WAIT]\r\nWait CONNECT - ERASE  = 0\r\nWait ERASE - ERASE_RESULT = 0\r\nWait ERASE_RESULT - WRITE = 0\r\n"
    "Wait WRITE  = 0\r\nWait WRITE - STOPDOWNLOAD = 0\r\nWait STOPDOWNLOAD - WRITE_VERIFY = 0\r\n"
    "Wait WRITE_VERIFY - DISCONNECT = 0\r\n";

// The installed tool, given VEXAR's argument, programs the ECU and writes
// its settings beside itself.
TEST(Kd02ProcessTest, InstalledToolProgramsTheEcu)
{
    TempDir program;
    TempDir com;
    const std::string tool = InstallTool(KD02FLASH_PROGRAM, program.path());
    std::filesystem::create_directories(program.file("prgbay/KD02_ECU"));
    std::vector<std::uint8_t> image(3000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 3 + 1);
    WriteAll(program.file("prgbay/KD02_ECU/fw.bin"), std::string(image.begin(), image.end()));
    WriteAll(program.file("prgbay/KD02_Wait.ini"), kZeroWaits);

    auto device = std::make_unique<Kd02Loader>();
    Kd02Loader* loader = device.get();
    BootSimulator sim(std::move(device));
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(com.path(), 3, error)) << error;
    EnvironmentScope environment;
    environment.Set("VEXAR_COM_DIR", com.path());

    EXPECT_EQ(RunTool(tool, "LOGO=0,COM=3,PATH=,FILE=fw.bin,LINEAK=0,LOCKCOM=0,LANGENG=1", "run", program.path()), 0)
        << ReadAll(program.file("stderr.txt"));
    std::vector<std::uint8_t> flash;
    sim.WithDevice([&](BootDevice&) { flash = loader->Flash(0x18000, image.size()); });
    EXPECT_EQ(flash, image);
    const std::string ini = ReadAll(program.file("prgbay/KD02_Wait.ini"));
    EXPECT_NE(ini.find("port = 3\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("filename = fw.bin\r\n"), std::string::npos) << ini;
    sim.Stop();
}

// A box the script does not expect ends the tool with a failure and
// without its settings.
TEST(Kd02ProcessTest, UnexpectedBoxEndsTheToolWithAFailure)
{
    TempDir program;
    TempDir com;  // no port at all: the NO-COM box
    const std::string tool = InstallTool(KD02FLASH_PROGRAM, program.path());
    std::filesystem::create_directories(program.file("prgbay/KD02_ECU"));
    WriteAll(program.file("prgbay/KD02_ECU/fw.bin"), std::string(10, '\x22'));
    EnvironmentScope environment;
    environment.Set("VEXAR_COM_DIR", com.path());
    EXPECT_EQ(RunTool(tool, "COM=3,FILE=fw.bin", "run", program.path()), 3);
    EXPECT_NE(ReadAll(program.file("stderr.txt")).find("Attention NO COM find"), std::string::npos);
    EXPECT_FALSE(Exists(program.file("prgbay/KD02_Wait.ini")));
}

}  // namespace
