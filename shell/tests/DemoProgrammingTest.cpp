// The ECU programming end to end on the demonstration's program folder,
// installed as scripts/demo installs it: its definitions name the KD02
// programming tool and the demonstration firmware (an Intel HEX beside the
// tools), the boot loader simulated on the port of the last session. PRG
// ECU's function key starts the real tool under its test script, which
// programs the firmware byte for byte and ends; the connect is refused
// meanwhile and links to the ECU after.
#include "ShellHarness.h"

#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/DemoFirmware.h"
#include "testing/bootsim/Kd02Loader.h"
#include "testing/ecusim/EcuSimulator.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
namespace fs = std::filesystem;

namespace {

// The demonstration's session names COM3, the ECU's port, as the last one
// used: the boot loader answers there, and the ECU after it.
constexpr int kSessionPort = 3;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// F-key `number` (13 and up with Shift) into the command bar.
void PressFunctionKey(CVEXARView& view, int number)
{
    const bool shift = number > 12;
    QTest::keyClick(&view.Button(kActionConnect), static_cast<Qt::Key>(Qt::Key_F1 + (shift ? number - 13 : number - 1)),
                    shift ? Qt::ShiftModifier : Qt::NoModifier);
}

}  // namespace

TEST(DemoProgramming, PrgEcuProgramsTheDemoFirmwareWithTheInstalledTool)
{
    namespace bs = vexar::bootsim;
    ShellHarness shell;
    const std::string folder = shell.Folder().Path();
    const std::string install = std::string("'") + INSTALL_DEMO_FOLDER_SCRIPT + "' '" + VEXAR_BUILD_FOLDER + "' '" + folder +
                                "' > '" + folder + ".install.log' 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << ReadText(folder + ".install.log");
    fs::remove(folder + ".install.log");
    const std::string bay = folder + "/prgbay";
    ASSERT_TRUE(fs::exists(bay + "/KD02_ECU/" + bs::kDemoFirmwareName));
    ASSERT_FALSE(fs::exists(bay + "/KD02_Wait.ini"));

    shell.MakeApp(link::LinkTiming{10, link::ProtocolTiming{0.3, std::chrono::milliseconds(30)}});
    const auto answer = ShellHarness::AnswerSelection(u"KD02_ECU", u"VXG4_R01070");
    ASSERT_TRUE(shell.Start());
    CVEXARView& view = shell.View();
    TestApp& app = shell.App();
    ASSERT_TRUE(WaitUntil([&] { return !view.m_bFirstStart && !app.m_bBusy && !view.m_bSlotsUnset; }));
    // Step 14 found the tool and the firmware the definitions name.
    EXPECT_EQ(view.m_strLoaderPath, bay + "/kd02flash");
    EXPECT_EQ(ToUtf8(view.m_strFirmwareName), bs::kDemoFirmwareName);
    ASSERT_EQ(app.m_nComPort, kSessionPort);

    auto device = std::make_unique<bs::Kd02Loader>();
    bs::Kd02Loader* loader = device.get();
    bs::BootSimulator boot(std::move(device));
    std::string error;
    ASSERT_TRUE(boot.Start(error)) << error;
    ASSERT_TRUE(boot.PublishCom(shell.Folder().ComFolder(), kSessionPort, error)) << error;
    setenv("VEXAR_TOOL_SCRIPT", "run", 1);

    const COMMAND_KEY prgEcu = ActionRow(kActionPrgEcu).key;
    ASSERT_EQ(view.m_nKeyAction[static_cast<std::size_t>(prgEcu.code - 1)], kActionPrgEcu)
        << "PRG ECU does not have its key: not every button is shown";
    PressFunctionKey(view, prgEcu.code);
    const pid_t tool = view.m_hProgram;
    ASSERT_NE(tool, 0) << "the tool did not start";
    app.ClearPosted();
    PressFunctionKey(view, ActionRow(kActionConnect).key.code);
    EXPECT_EQ(app.Posted(), std::vector<unsigned>{}) << "the connect went on while the tool ran";
    const bool ended = WaitUntil([&] { return view.m_hProgram == 0; }, std::chrono::seconds(60));
    unsetenv("VEXAR_TOOL_SCRIPT");
    ASSERT_TRUE(ended) << "the tool did not end";
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(tool))) << "the tool was not reaped";

    const std::vector<std::uint8_t> firmware = bs::DemoFirmwareImage();
    std::vector<std::uint8_t> flash;
    boot.WithDevice([&](bs::BootDevice&) { flash = loader->Flash(bs::kDemoFirmwareAddress, firmware.size()); });
    EXPECT_EQ(flash, firmware);
    EXPECT_NE(ReadText(bay + "/KD02_Wait.ini").find(std::string("filename = ") + bs::kDemoFirmwareName),
              std::string::npos)
        << "the tool's settings are not beside it";
    boot.Stop();

    // The ECU, out of its boot loader, answers on the same port: the
    // connect now links.
    ecusim::SimulatorOptions options;
    options.protocol = ecusim::Protocol::Second;
    options.baud = 19200;
    options.ident = "VXG4_R01070";
    ecusim::EcuSimulator ecu(options);
    ASSERT_TRUE(ecu.Start(error)) << error;
    ASSERT_TRUE(ecu.PublishCom(shell.Folder().ComFolder(), kSessionPort, error)) << error;
    PressFunctionKey(view, ActionRow(kActionConnect).key.code);
    EXPECT_TRUE(WaitUntil([&] { return app.m_bLinked != 0 && !view.m_bConnecting; }, std::chrono::seconds(30)))
        << "the connect did not link";
    EXPECT_EQ(shell.Exit(), 0);
    ecu.Stop();
}
