// One side of remote assistance as its own process: the program offscreen
// on the ECU bench of the shell tests, in a program folder of its own,
// driven as a user would drive it. The test of two processes starts two of
// these (REMOTE_PEER_ROLE master or slave) against one bridge server and
// lets them meet through files in a shared folder (REMOTE_PEER_DIR).
//
// REMOTE_PEER_SCENARIO "whole": the slave links to its own ECU and lends
// it; the master reads the image, writes byte 16 with a check-box click and
// closes; both exit 0. "killed": the slave process is killed while the
// master reads through it; the master shows the slave lost, then closes.
#include "EcuShell.h"

#include "common/Text.h"
#include "config/IDataCtrl.h"
#include "platform/ui/WindowBase.h"
#include "dialogs/CDlgAssRemMaster.h"
#include "dialogs/CDlgAssRemSlave.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/CDlgTabSB.h"
#include "pages/widgets/CCWButton.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
using namespace std::chrono_literals;

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

class RemotePeer : public EcuShellBase {
protected:
    void SetUp() override
    {
        m_role = Env("REMOTE_PEER_ROLE");
        m_folder = Env("REMOTE_PEER_DIR");
        m_scenario = Env("REMOTE_PEER_SCENARIO");
        m_port = static_cast<std::uint16_t>(std::atoi(Env("REMOTE_BRIDGE_PORT").c_str()));
        if (m_role.empty() || m_folder.empty() || m_port == 0)
            GTEST_SKIP() << "started by the test of two processes only";
        // The slave's line serves its own polling and the master's relayed
        // requests on a machine that runs two programs: the system's waits.
        BENCH bench;
        bench.timing = link::ProtocolTiming{};
        StartBench(bench);
        m_shell.App().m_szBridgeIp = "127.0.0.1";
        m_shell.App().m_nBridgePort = m_port;
        // Both programs and their ECU share a busy test machine.
        m_shell.App().m_nSocketTimeout = 3;
    }

    // A note to the other process, whole when it appears.
    void Signal(const std::string& name, const std::string& content = {})
    {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path + ".part", std::ios::binary) << content;
        std::filesystem::rename(path + ".part", path);
    }
    std::optional<std::string> Await(const std::string& name, std::chrono::milliseconds limit = 60s)
    {
        const std::string path = m_folder + "/" + name;
        if (!WaitUntil([&] { return std::filesystem::exists(path); }, limit))
            return std::nullopt;
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    // The remote-assistance button is the sixteenth shown: Shift+F4.
    void PressShiftF4() { QTest::keyClick(&m_shell.View().Button(0), Qt::Key_F4, Qt::ShiftModifier); }

    void RunSlave();
    void RunMaster();

    std::string m_role;
    std::string m_folder;
    std::string m_scenario;
    std::uint16_t m_port = 0;
};

void RemotePeer::RunSlave()
{
    CVEXARView& view = m_shell.View();
    Command(ID_REMOTE_SLAVE);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    const std::vector<std::uint8_t> image = EcuImage();
    Signal("slave-image", std::string(image.begin(), image.end()));
    ASSERT_TRUE(Await("master-waiting"));

    ASSERT_EQ(view.Button(kActionRemote).text(), QString("Shift + F4"));
    PressShiftF4();
    auto* window = dynamic_cast<CDlgAssRemSlave*>(view.m_dlgRemSlave.get());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    QTest::keyClicks(&window->ClientIdField(), "1234ABCD");
    QTest::mouseClick(&window->ConnectButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return window->Lamp().GetValue(); }, 20s));
    Signal("slave-running");
    // The image as the ECU holds it now, until the master holds the same:
    // the master's own writes after its read (the reset sources going
    // idle) change it on both sides.
    WaitUntil([&] {
        const std::vector<std::uint8_t> now = EcuImage();
        Signal("slave-image", std::string(now.begin(), now.end()));
        return std::filesystem::exists(m_folder + "/master-agrees");
    }, 60s);

    if (m_scenario == "killed") {
        // The test kills this process while the master reads through it.
        WaitUntil([] { return false; }, 120s);
        FAIL() << "not killed";
    }
    const auto written = Await("master-wrote");
    ASSERT_TRUE(written && written->size() == 1);
    const bool arrived = WaitUntil([&] { return EcuImage()[16] == static_cast<std::uint8_t>((*written)[0]); }, 20s);
    EXPECT_TRUE(arrived) << "byte 16 is " << int(EcuImage()[16]) << ", not " << int(static_cast<std::uint8_t>((*written)[0]));
    Signal("slave-saw-write");
    // The master's close ends the relay; the slave's own link stays up.
    EXPECT_TRUE(WaitUntil([&] { return window->m_bConnectMode && !window->Lamp().GetValue(); }, 30s));
    EXPECT_EQ(m_shell.App().m_hSocket.load(), -1);
    EXPECT_EQ(m_shell.App().m_bLinked, 1);
    EXPECT_EQ(m_shell.Exit(), 0);
}

void RemotePeer::RunMaster()
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    Command(ID_REMOTE_MASTER);
    const auto slaveImage = Await("slave-image");
    ASSERT_TRUE(slaveImage);
    const std::vector<std::uint8_t> image(slaveImage->begin(), slaveImage->end());
    ASSERT_EQ(image.size(), kParameterImage);
    // Until the link, the master holds its own calibration, not the ECU's.
    EXPECT_NE(Master(), image);

    PressShiftF4();
    auto* window = dynamic_cast<CDlgAssRemMaster*>(view.m_dlgRemMaster.get());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    QTest::mouseClick(&window->ConnectButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return ui::IsWindowEnabled(window->SendButton()); }, 20s));
    QTest::keyClicks(&window->ClientIdField(), "1234ABCD");
    QTest::mouseClick(&window->SendButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return window->Lamp(CDlgAssRemMaster::IDC_LED_ID_ACK).GetValue(); }, 20s));
    Signal("master-waiting");

    ASSERT_TRUE(WaitUntil([&] { return window->Lamp(CDlgAssRemMaster::IDC_LED_STARTED).GetValue(); }, 30s));
    ASSERT_TRUE(WaitUntil([&] { return app.m_bLinked != 0; }, 30s));
    std::vector<std::uint8_t> ecu;
    EXPECT_TRUE(WaitUntil([&] {
        const auto now = Await("slave-image");
        ecu.assign(now->begin(), now->end());
        return Master() == ecu;
    }, 30s)) << "the master does not hold the slave's image";
    Signal("master-agrees");

    if (m_scenario == "killed") {
        Signal("master-linked");
        // The bridge reports the slave's connection gone: the link flag stays
        // until the close, the lamps of the slave go off, a new id may go.
        EXPECT_TRUE(WaitUntil([&] { return !window->Lamp(CDlgAssRemMaster::IDC_LED_STARTED).GetValue(); }, 30s));
        EXPECT_FALSE(window->Lamp(CDlgAssRemMaster::IDC_LED_ID_ACK).GetValue());
        EXPECT_TRUE(window->Lamp(CDlgAssRemMaster::IDC_LED_CONNECTED).GetValue());
        EXPECT_TRUE(ui::IsWindowEnabled(window->SendButton()));
        EXPECT_EQ(app.m_bLinked, 1);
    } else {
        // A check box of the first parameter page, at byte 16.
        QCheckBox* box = nullptr;
        std::uint32_t mask = 0;
        for (const CTRL_WND& entry : *app.m_pParTable)
            if (entry.wnd && entry.wnd->GetDefinition().IDENTIFICATORE == u"Abil_Cambio_Temp") {
                box = dynamic_cast<QCheckBox*>(dynamic_cast<ui::WindowBase*>(entry.wnd)->widget());
                mask = entry.wnd->GetDefinition().MASCHERA;
                ASSERT_EQ(entry.wnd->GetDefinition().LSB, 16);
            }
        ASSERT_NE(box, nullptr);
        view.m_wndParams->show();
        ASSERT_TRUE(WaitUntil([&] { return box->isVisible() && box->isEnabled(); }));
        const bool wasChecked = box->isChecked();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        ASSERT_NE(box->isChecked(), wasChecked);
        // The box's new state, in its bit of the ECU's byte.
        const std::uint8_t expected =
            static_cast<std::uint8_t>((ecu[16] & ~mask) | (box->isChecked() ? mask : 0));
        Signal("master-wrote", std::string(1, static_cast<char>(expected)));
        EXPECT_TRUE(Await("slave-saw-write", 30s)) << "byte 16 did not reach the slave's ECU";
    }

    QTest::mouseClick(&window->ConnectButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return window->m_bConnectMode && app.m_hSocket.load() == -1; }, 30s));
    EXPECT_EQ(app.m_bLinked, 0);
    EXPECT_EQ(m_shell.Exit(), 0);
}

TEST_F(RemotePeer, Run)
{
    if (m_role == "slave")
        RunSlave();
    else
        RunMaster();
}

}  // namespace
