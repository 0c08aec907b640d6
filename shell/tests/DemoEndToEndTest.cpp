// The demonstration end to end, off screen, on the program folder that
// scripts/demo installs (VEXAR_DEMO_FOLDER), against the simulated ECU it
// runs there on COM3 (its printed frame log in VEXAR_DEMO_ECUSIM_LOG; its
// parameter image the City calibration's, VEXAR_DEMO_PAR_IMAGE; its
// variables the running engine's script): the program starts, the ECU and
// revision are chosen in the selection dialog, F3 connects at once on the
// last port used, the master image is the simulator's and the pages show
// the calibration, the variable window shows the engine's speed moving, a
// click on the fast-changeover check box writes its byte with the new bit,
// and the exit closes the ECU session and the logs, ends with 0 and
// changes nothing in the folder but the session file, the parser's dump
// and the logs.
#include "ShellHarness.h"

#include "common/Text.h"
#include "config/IDataCtrl.h"
#include "dialogs/CDlgSelCentr.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlGrid.h"
#include "pages/CDlgTabSB.h"
#include "platform/FileRead.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowBase.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kParameterSize = 66;  // the synthetic configuration's parameter image
constexpr std::uint8_t kWriteMain = 2;
constexpr std::uint8_t kSession = 9;

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Every file of the folder but the logs and the COM links, with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        if (!entry.is_regular_file() || relative.starts_with("Log/") || relative.starts_with("COM/") ||
            relative.ends_with(".log"))
            continue;
        std::string bytes;
        platform::ReadRegularFile(entry.path().string(), bytes);
        files[relative] = bytes;
    }
    return files;
}

// The requests the simulator printed ("+1.250000 RX 19200 (12) 00 0C ...").
std::vector<std::vector<std::uint8_t>> Requests(const std::string& log)
{
    std::vector<std::vector<std::uint8_t>> requests;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string time, kind;
        if (!(words >> time >> kind) || kind != "RX" || line.find("bad CRC") != std::string::npos)
            continue;
        std::istringstream bytes(line.substr(line.find(')') + 1));
        std::vector<std::uint8_t> frame;
        for (unsigned value = 0; bytes >> std::hex >> value;)
            frame.push_back(static_cast<std::uint8_t>(value));
        requests.push_back(frame);
    }
    return requests;
}

// A block write of one byte at `address` (the second protocol's request:
// length, command, block, address, size, ..., data at 9).
bool WritesByte(const std::vector<std::uint8_t>& frame, std::size_t address, std::uint8_t value)
{
    if (frame.size() != 12 || frame[2] != kWriteMain)
        return false;
    const std::size_t start = frame[3] * 256u + (frame[4] * 256u + frame[5]);  // block, then address in it
    return start == address && frame[6] == 1 && frame[9] == value;
}

std::u16string LogText(const std::string& path)
{
    std::string bytes;
    platform::ReadRegularFile(path, bytes);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

}  // namespace

TEST(Demo, StartSelectConnectClickAndExit)
{
    const std::string folder = Env("VEXAR_DEMO_FOLDER");
    const std::string ecusimLog = Env("VEXAR_DEMO_ECUSIM_LOG");
    const std::string imagePath = Env("VEXAR_DEMO_PAR_IMAGE");
    ASSERT_FALSE(folder.empty() || ecusimLog.empty() || imagePath.empty())
        << "run by scripts/demo --offscreen, which names the demo folder, the simulator's log and its image";
    std::string imageBytes;
    ASSERT_EQ(platform::ReadRegularFile(imagePath, imageBytes), platform::ReadFileResult::Ok) << imagePath;
    const std::vector<std::uint8_t> image(imageBytes.begin(), imageBytes.end());
    ASSERT_EQ(image.size(), kParameterSize);
    setenv("VEXAR_HOME", folder.c_str(), 1);
    unsetenv("VEXAR_COM_DIR");
    const auto before = Snapshot(folder);

    uitest::ScriptedResponder dialogs;  // no message box on the way
    auto app = std::make_unique<CVEXARApp>();
    app->m_screenSize = [] { return QSize(1024, 768); };
    const auto answer = ShellHarness::AnswerSelection(u"KD02_ECU", u"VXG4_R01070");
    ASSERT_TRUE(app->InitInstance());
    CVEXARView& view = *app->MainFrame()->GetActiveView();
    ASSERT_TRUE(WaitUntil([&] { return !view.m_bFirstStart && !app->m_bBusy && !view.m_bSlotsUnset; }));
    ASSERT_NE(app->m_pParTable, nullptr);

    // CONN is the third shown button. The last session names COM3, where
    // the ECU answers, as the last port used: the link comes up there at
    // once, without first waiting out the silent COM1.
    const auto asked = std::chrono::steady_clock::now();
    QTest::keyClick(&view.Button(0), Qt::Key_F3);
    ASSERT_TRUE(WaitUntil([&] { return app->m_bLinked && !view.m_bConnecting; }, std::chrono::seconds(30)));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(app->m_nComPort, 3);
    {
        std::lock_guard lock(app->m_csParImage);
        ASSERT_EQ(app->m_nParSize, static_cast<int>(kParameterSize));
        const std::vector<std::uint8_t> master(app->m_pParMaster.get(), app->m_pParMaster.get() + kParameterSize);
        EXPECT_EQ(master, image);
    }

    // The pages show the calibration: its name, a breakpoint and a cell of
    // the gas correction map.
    auto find = [](const CTRL_TABLE& table, std::u16string_view identifier) -> IDataCtrl* {
        for (const CTRL_WND& entry : table)
            if (entry.wnd && entry.wnd->GetDefinition().IDENTIFICATORE == identifier)
                return entry.wnd;
        return nullptr;
    };
    auto* name = dynamic_cast<CCtrlEdit*>(find(*app->m_pParTable, u"Nome_Calibrazione"));
    auto* map = dynamic_cast<CCtrlGrid*>(find(*app->m_pParTable, u"Mappa_Correzione"));
    ASSERT_TRUE(name && map);
    EXPECT_TRUE(WaitUntil([&] { return name->text() == QStringLiteral("CITY 1.2 GPL"); })) << name->text().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return map->CellText(0, 3) == u"4500" && map->CellText(1, 2) == u"1.5"; }))
        << ToUtf8(map->CellText(0, 3)) << " " << ToUtf8(map->CellText(1, 2));

    // F10: the variable window, where the running engine's speed moves.
    QTest::keyClick(&view.Button(0), Qt::Key_F10);
    ASSERT_TRUE(WaitUntil([&] { return view.m_wndVars && view.m_wndVars->isVisible(); }));
    ASSERT_NE(app->m_pVarTable, nullptr);
    IDataCtrl* rpm = find(*app->m_pVarTable, u"Giri_Motore");
    ASSERT_NE(rpm, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return rpm->GetValue() > 0; }, std::chrono::seconds(15)))
        << "the engine does not run";
    const double first = rpm->GetValue();
    EXPECT_TRUE(WaitUntil([&] { return rpm->GetValue() > 0 && rpm->GetValue() != first; }, std::chrono::seconds(5)))
        << "the engine's speed stays at " << first;

    // The parameter window shows its first page, where the box is.
    QCheckBox* box = nullptr;
    std::int32_t address = -1;
    std::uint32_t mask = 0;
    for (const CTRL_WND& entry : *app->m_pParTable) {
        if (entry.wnd && entry.wnd->GetDefinition().IDENTIFICATORE == u"Abil_Cambio_Temp") {
            box = dynamic_cast<QCheckBox*>(dynamic_cast<ui::WindowBase*>(entry.wnd)->widget());
            address = entry.wnd->GetDefinition().LSB;
            mask = entry.wnd->GetDefinition().MASCHERA;
        }
    }
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(address, 16);
    view.m_wndParams->show();
    ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
    const bool wasChecked = box->isChecked();
    const std::uint8_t expected = static_cast<std::uint8_t>(image[16] ^ mask);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    EXPECT_NE(box->isChecked(), wasChecked);
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& frame : Requests(ecusimLog))
            if (WritesByte(frame, 16, expected))
                return true;
        return false;
    }));

    // USCITA is the thirteenth shown button: Shift+F1.
    QTest::keyClick(&view.Button(0), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(WaitUntil([&] { return !app->MainFrame()->isVisible(); }, std::chrono::seconds(30)));
    app->JoinLinkThread();
    EXPECT_EQ(app->ExitInstance(), 0);
    app.reset();

    // The ECU's session was closed last (the simulator prints its frames
    // as it serves them, a moment after the program has its answer).
    auto lastSession = [&] {
        std::vector<std::uint8_t> last;
        for (const auto& frame : Requests(ecusimLog))
            if (frame.size() == 6 && frame[2] == kSession)
                last = frame;
        return last;
    };
    EXPECT_TRUE(WaitUntil([&] {
        const auto last = lastSession();
        return last.size() == 6 && last[3] == 0;
    })) << "the last session command did not close the session";

    // Every session log carries its closing banner.
    int logs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder + "/Log")) {
        ++logs;
        EXPECT_NE(LogText(entry.path().string()).find(u"Chiusura Sessione di Log"), std::u16string::npos)
            << entry.path();
    }
    EXPECT_GT(logs, 0);

    // Only the session file and the parser's dump changed.
    const auto after = Snapshot(folder);
    std::vector<std::string> changed;
    for (const auto& [file, bytes] : after) {
        const auto old = before.find(file);
        if (old == before.end() || old->second != bytes)
            changed.push_back(file);
    }
    for (const auto& [file, bytes] : before)
        if (!after.contains(file))
            changed.push_back(file + " (removed)");
    std::sort(changed.begin(), changed.end());
    const std::vector<std::string> allowed{"Configuration/KD02_ECU/VXG4_R01070/ParserOut.txt", "VEXARDef.cfg"};
    for (const std::string& file : changed)
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), file), allowed.end()) << file << " changed";
}
