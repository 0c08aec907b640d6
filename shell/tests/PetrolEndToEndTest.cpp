// The petrol side on the bench: the program with the real adapter library
// and worker, the simulated scan adapter on a pseudo-terminal as COM3 with
// a car that stores two trouble codes, the privileged profile. The
// connect opens the petrol window and the live-values window with the
// PIDs of PID.cfg, updated as the adapter is polled; a PID ticked on the
// petrol acquisition page joins them; the trouble-code page reads and
// clears the codes; a silent adapter ends in the link check's message
// with the windows closed; PID.cfg and Benz.cfg bring the choice and the
// place back at the next connect.
#include "ShellHarness.h"

#include "common/Text.h"
#include "dialogs/CDlgAcqBenz.h"
#include "dialogs/CDlgDiagBenz.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CDlgInsOper.h"
#include "dialogs/core/PetrolRules.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlList.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "testing/obdsim/ObdSimulator.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace std::chrono_literals;
using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

// PIDs 03, 05, 0B, 0C and 0D with their values, two stored codes.
const char kCar[] =
    "protocol 3\n"
    "ecu 10\n"
    "pid 03 01 07\n"
    "pid 05 7B\n"
    "pid 0B 21\n"
    "pid 0C 1A F8\n"
    "pid 0D 32\n"
    "dtc P0133 P0420\n";

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::u16string FromUtf16Bytes(const std::string& bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

// The PIDs of a petrol list, in row order.
std::vector<int> RowPids(const QTreeWidget& list)
{
    std::vector<int> pids;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        pids.push_back(list.topLevelItem(row)->data(0, Qt::UserRole).toInt());
    return pids;
}

QString RowValue(const QTreeWidget& list, int pid)
{
    const int row = CUtility::FindPidRow(list, pid);
    return row < 0 ? QString() : list.topLevelItem(row)->text(2);
}

class PetrolBench : public ::testing::Test {
protected:
    // The simulator on COM3 and the program started in the privileged
    // profile; PID.cfg asks for 05, 0C and 0D unless `pidFile` is false.
    void StartBench(bool withLibrary = true, bool pidFile = true)
    {
        std::string error;
        obdsim::Scenario scenario;
        ASSERT_TRUE(obdsim::ParseScenario(kCar, scenario, error)) << error;
        m_sim = std::make_unique<obdsim::ObdSimulator>();
        m_sim->SetScenario(scenario);
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_shell.Folder().ComFolder(), 3, error)) << error;
        link::LinkTiming timing;
        // The link check half a second after the first failed read.
        timing.obdCheckTicks = 50;
        m_shell.MakeApp(timing);
        m_shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration& installed) {
            // Every command button shown, DIAG BENZ among them.
            std::string settingsError;
            ASSERT_TRUE(fixtures::InstallDemoSettings(installed, settingsError)) << settingsError;
            m_shell.Folder().WriteSession(u"English.lng", {}, u"OPR_PRV");
            if (pidFile)
                vexar::testing::WriteAll(m_shell.Folder().File("PID.cfg"), "PID05\r\nPID0C\t// rpm\r\nPID0D\r\n");
            if (!withLibrary) {
                std::filesystem::remove(m_shell.Folder().File("libobdvane.so"));
                m_shell.Dialogs().ExpectMessageBox(1, u"obdvane.dll library failed to load!");
            }
        });
        ASSERT_EQ(App().m_nOperator, 1);
    }

    void TearDown() override
    {
        if (m_shell.App().MainFrame() && m_shell.Frame().isVisible())
            EXPECT_EQ(m_shell.Exit(), 0);
        if (m_sim)
            m_sim->Stop();
    }

    CVEXARView& View() { return m_shell.View(); }
    TestApp& App() { return m_shell.App(); }
    void Command(unsigned id) { ui::SendMessage(&View(), ui::CommandMessage(id)); }
    CDlgDinamSVBenz& LiveWindow() { return *View().m_dlgPetrol; }

    bool WaitObdLinked(bool linked)
    {
        return WaitUntil(
            [&] {
                return (App().m_bObdLinked != 0) == linked && !View().m_bConnecting &&
                       LiveWindow().IsCreated() == linked &&
                       (View().m_wndPetrolPages && View().m_wndPetrolPages->IsCreated()) == linked;
            },
            30s);
    }

    void Connect()
    {
        Command(ID_CONNETTI_BENZ);
        ASSERT_TRUE(WaitObdLinked(true));
    }

    // The service 01 PIDs the adapter was asked for since its log was
    // cleared, in order.
    std::vector<int> PolledPids() const
    {
        std::vector<int> pids;
        for (const obdsim::FrameRecord& record : m_sim->FrameLog()) {
            obdsim::Frame frame;
            if (record.kind != obdsim::FrameRecord::Kind::Request || record.bytes.size() < 2 ||
                obdsim::DecodeFrame(std::string(record.bytes.begin() + 1, record.bytes.end() - 1), frame) !=
                    obdsim::Decoded::Ok)
                continue;
            const std::string request = frame.type + frame.data;
            if (request.size() == 6 && request.rfind("SP01", 0) == 0)
                pids.push_back(std::stoi(request.substr(4), nullptr, 16));
        }
        return pids;
    }

    bool WaitPolled(int pid, std::size_t times = 1)
    {
        return WaitUntil([&] {
            const std::vector<int> polled = PolledPids();
            return static_cast<std::size_t>(std::count(polled.begin(), polled.end(), pid)) >= times;
        });
    }

    ShellHarness m_shell;
    std::unique_ptr<obdsim::ObdSimulator> m_sim;
};

}  // namespace

// Before the connect only the connect command is there; after it the
// petrol window (caption 3282, its trouble-code page) and the live-values
// window with the PIDs of PID.cfg, each value as the poll read it, the
// PIDs polled in turn as the frame log shows; DIAG BENZ and the
// disconnect are enabled.
TEST_F(PetrolBench, TheConnectOpensThePetrolWindowsWithThePidsOfThePidFile)
{
    StartBench();
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_CONNETTI_BENZ));
    for (unsigned id : {ID_DISCONNETTI_BENZ, ID_DIAG_BENZ})
        EXPECT_FALSE(ItemEnabled(m_shell.Frame(), id)) << id;
    EXPECT_FALSE(ui::IsWindowEnabled(View().Button(kActionDiagPetrol)));

    Connect();
    EXPECT_FALSE(ItemEnabled(m_shell.Frame(), ID_CONNETTI_BENZ));
    for (unsigned id : {ID_DISCONNETTI_BENZ, ID_DIAG_BENZ})
        EXPECT_TRUE(ItemEnabled(m_shell.Frame(), id)) << id;
    EXPECT_TRUE(ui::IsWindowEnabled(View().Button(kActionDiagPetrol)));
    EXPECT_TRUE(ui::IsWindowEnabled(View().Label(kActionDiagPetrol)));
    CDlgTabSB& host = *View().m_wndPetrolPages;
    EXPECT_TRUE(host.isVisible());
    EXPECT_EQ(host.windowTitle(), QStringLiteral("E3282"));
    EXPECT_EQ(host.Kind(), CDlgTabSB::kPetrol);
    ASSERT_NE(View().m_pDlgDiagBenz, nullptr);
    EXPECT_TRUE(View().m_pDlgDiagBenz->IsCreated());
    EXPECT_TRUE(LiveWindow().isVisible());
    EXPECT_EQ(RowPids(LiveWindow().List()), (std::vector<int>{0x05, 0x0C, 0x0D}));
    const int rpmRow = CUtility::FindPidRow(LiveWindow().List(), 0x0C);
    EXPECT_EQ(LiveWindow().List().topLevelItem(rpmRow)->text(1), QStringLiteral("Engine speed"));
    EXPECT_EQ(LiveWindow().List().topLevelItem(rpmRow)->text(3), QStringLiteral("rpm"));

    // The frame log orders the polls: 05, 0C, 0D, then again; each value
    // stands on its row once its read is in the log.
    m_sim->ClearFrameLog();
    ASSERT_TRUE(WaitUntil([&] { return PolledPids().size() >= 6; }));
    const std::vector<int> polled = PolledPids();
    for (std::size_t i = 1; i < 6; ++i) {
        const std::vector<int> turn{0x05, 0x0C, 0x0D};
        const auto at = std::find(turn.begin(), turn.end(), polled[i - 1]);
        ASSERT_NE(at, turn.end());
        EXPECT_EQ(polled[i], turn[static_cast<std::size_t>(at - turn.begin() + 1) % 3]) << i;
    }
    ASSERT_TRUE(WaitUntil([&] {
        return RowValue(LiveWindow().List(), 0x05) == "83" && RowValue(LiveWindow().List(), 0x0C) == "1726" &&
               RowValue(LiveWindow().List(), 0x0D) == "50";
    }));
    for (int pid : {0x05, 0x0C, 0x0D})
        EXPECT_EQ(CUtility::PidRowImage(LiveWindow().List(), CUtility::FindPidRow(LiveWindow().List(), pid)),
                  CUtility::kPidImageGood)
            << pid;
    // The PIDs the car does not have were never asked for.
    EXPECT_EQ(std::count_if(polled.begin(), polled.end(), [](int pid) { return pid == 0x03 || pid == 0x0B; }), 0);

    // The live-values window goes with the main window and comes back with
    // it, open all the while.
    m_shell.Frame().showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return LiveWindow().isHidden(); }));
    EXPECT_TRUE(LiveWindow().IsCreated());
    m_shell.Frame().showNormal();
    ASSERT_TRUE(WaitUntil([&] { return LiveWindow().isVisible(); }));
}

// Ticking PID 03 on the petrol acquisition page of the variable window
// adds its row to the live-values window and the worker polls it; the
// untick takes it away again.
TEST_F(PetrolBench, APidTickedOnTheAcquisitionPageJoinsTheLiveValues)
{
    StartBench();
    Connect();
    ASSERT_NE(View().m_pDlgAcqBenz, nullptr);
    CDlgAcqBenz& page = *View().m_pDlgAcqBenz;
    ASSERT_TRUE(page.IsCreated()) << "the privileged profile has the page";
    ASSERT_TRUE(page.HasCheckBoxes());
    // The supported PIDs (the bitmap 00 and 01 included), the requested ones ticked.
    EXPECT_EQ(RowPids(page.List()), (std::vector<int>{0x00, 0x01, 0x03, 0x05, 0x0B, 0x0C, 0x0D}));
    QTreeWidgetItem* fuel = page.List().topLevelItem(CUtility::FindPidRow(page.List(), 0x03));
    EXPECT_EQ(fuel->checkState(0), Qt::Unchecked);
    EXPECT_EQ(page.List().topLevelItem(CUtility::FindPidRow(page.List(), 0x0C))->checkState(0), Qt::Checked);

    App().ClearPosted();
    fuel->setCheckState(0, Qt::Checked);
    ASSERT_TRUE(WaitUntil([&] { return CUtility::FindPidRow(LiveWindow().List(), 0x03) >= 0; }));
    EXPECT_EQ(RowPids(LiveWindow().List()), (std::vector<int>{0x03, 0x05, 0x0C, 0x0D}));
    const std::vector<unsigned> posted = App().Posted();
    EXPECT_NE(std::find(posted.begin(), posted.end(), link::WM_LINK_OBD_ROUND_ROBIN), posted.end());
    m_sim->ClearFrameLog();
    ASSERT_TRUE(WaitPolled(0x03, 2));
    ASSERT_TRUE(WaitUntil([&] { return RowValue(LiveWindow().List(), 0x03) != "---"; }));
    EXPECT_EQ(RowValue(LiveWindow().List(), 0x03), QStringLiteral("CL; ---"));

    fuel->setCheckState(0, Qt::Unchecked);
    ASSERT_TRUE(WaitUntil([&] { return CUtility::FindPidRow(LiveWindow().List(), 0x03) < 0; }));
    {
        std::lock_guard lock(App().m_csPid);
        EXPECT_EQ(App().m_nPidRequested[0x03], 0);
    }
}

// The read switch of the trouble-code page lists both stored codes with
// their companion texts; Reset clears them in the car and the next
// reading is empty. The DIAG BENZ button brings the petrol window forward.
TEST_F(PetrolBench, TheTroubleCodePageReadsAndClearsTheCodes)
{
    StartBench();
    Connect();
    CDlgTabSB& host = *View().m_wndPetrolPages;
    host.hide();
    EXPECT_FALSE(View().Button(kActionDiagPetrol).isHidden());
    QTest::mouseClick(&View().Button(kActionDiagPetrol), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return host.isVisible(); }));
    CDlgDiagBenz& page = *View().m_pDlgDiagBenz;
    ASSERT_TRUE(WaitUntil([&] { return App().m_bPetrolDtcShown.load(); }));

    page.Switch().SetValue(true);
    ASSERT_TRUE(WaitUntil([&] { return page.List().topLevelItemCount() == 2; }));
    EXPECT_EQ(page.List().topLevelItem(0)->text(0), QStringLiteral("P0133"));
    EXPECT_EQ(page.List().topLevelItem(0)->text(1), QStringLiteral("O2 sensor slow response B1S1"));
    EXPECT_EQ(page.List().topLevelItem(1)->text(0), QStringLiteral("P0420"));
    EXPECT_EQ(page.List().topLevelItem(1)->text(1), QStringLiteral("Catalyst below threshold B1"));

    QTest::mouseClick(&page.ResetButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return m_sim->GetScenario().ecus.front().dtcs.empty(); }));
    ASSERT_TRUE(WaitUntil([&] { return page.List().topLevelItemCount() == 0; }));

    // Minimised, the page is not read: the worker sees it hidden.
    host.showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return !App().m_bPetrolDtcShown.load(); }));
}

// A silent adapter: the reads fail and show so, the link check (shortened)
// finds no adapter, text 3294 is told, both windows close and DIAG BENZ is
// disabled. PID.cfg then holds the rows shown, in UTF-16 with a byte-order
// mark, and the next connect asks for the same PIDs.
TEST_F(PetrolBench, ASilentAdapterEndsTheLinkAndThePidChoiceComesBack)
{
    StartBench();
    Connect();
    CDlgAcqBenz& page = *View().m_pDlgAcqBenz;
    page.List().topLevelItem(CUtility::FindPidRow(page.List(), 0x0B))->setCheckState(0, Qt::Checked);
    ASSERT_TRUE(WaitUntil([&] { return RowValue(LiveWindow().List(), 0x0B) == "33"; }));

    m_shell.Dialogs().ExpectMessageBox(1, u"E3294");
    // The adapter falls silent: no answer to the requests, none to a wake-up.
    m_sim->SetWakeAnswer({});
    m_sim->InjectFault("SP", obdsim::Fault{obdsim::FaultKind::NoReply}, obdsim::Repeat::Always);
    QString failure;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!LiveWindow().IsCreated())
                return false;
            for (int row = 0; row < LiveWindow().List().topLevelItemCount(); ++row)
                if (CUtility::PidRowImage(LiveWindow().List(), row) == CUtility::kPidImageFailed) {
                    failure = LiveWindow().List().topLevelItem(row)->text(2);
                    return true;
                }
            return false;
        },
        30s));
    EXPECT_TRUE(failure == QString::fromStdU16String(CUtility::PidErrorText(1)) ||
                failure == QString::fromStdU16String(CUtility::PidErrorText(2)))
        << failure.toStdString();
    ASSERT_TRUE(WaitObdLinked(false));
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u) << "3294 was told";
    EXPECT_FALSE(View().m_wndPetrolPages->isVisible());
    EXPECT_FALSE(LiveWindow().isVisible());
    EXPECT_FALSE(ui::IsWindowEnabled(View().Button(kActionDiagPetrol)));
    EXPECT_FALSE(ItemEnabled(m_shell.Frame(), ID_DIAG_BENZ));
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_CONNETTI_BENZ));
    EXPECT_TRUE(page.List().topLevelItemCount() == 0);
    EXPECT_FALSE(App().m_bPetrolWindowCreated.load());

    const std::string bytes = ReadBytes(m_shell.Folder().File("PID.cfg"));
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    EXPECT_EQ(FromUtf16Bytes(bytes.substr(2)), u"PID05\t// Coolant temperature\nPID0B\t// Manifold pressure\n"
                                               u"PID0C\t// Engine speed\nPID0D\t// Vehicle speed\n");

    m_sim->ClearFaults();
    m_sim->SetWakeAnswer({obdsim::kAnnounce});
    Connect();
    EXPECT_EQ(RowPids(LiveWindow().List()), (std::vector<int>{0x05, 0x0B, 0x0C, 0x0D}));
    m_sim->ClearFrameLog();
    ASSERT_TRUE(WaitUntil([&] { return PolledPids().size() >= 8; }));
    std::vector<int> polled = PolledPids();
    std::sort(polled.begin(), polled.end());
    polled.erase(std::unique(polled.begin(), polled.end()), polled.end());
    EXPECT_EQ(polled, (std::vector<int>{0x05, 0x0B, 0x0C, 0x0D}));
}

// The live-values window moved and its columns widened: the disconnect
// keeps its place in Benz.cfg, and the next connect puts it back there.
TEST_F(PetrolBench, AMovedLiveWindowComesBackWhereItWas)
{
    StartBench();
    Connect();
    EXPECT_FALSE(std::filesystem::exists(m_shell.Folder().File("Benz.cfg")));
    const QRect place(120, 140, 420, 180);
    LiveWindow().setGeometry(place);
    LiveWindow().List().setColumnWidth(1, 190);
    Command(ID_DISCONNETTI_BENZ);
    ASSERT_TRUE(WaitObdLinked(false));
    ASSERT_TRUE(std::filesystem::exists(m_shell.Folder().File("Benz.cfg")));

    Connect();
    EXPECT_EQ(LiveWindow().geometry(), place);
    EXPECT_EQ(LiveWindow().List().columnWidth(1), 190);

    // Moved again and the program left with the adapter linked: the
    // worker's last report closes the window, which keeps its place.
    LiveWindow().setGeometry(200, 160, 400, 170);
    EXPECT_EQ(m_shell.Exit(), 0);
    const CUtility::BenzLayout kept = CUtility::ReadBenzLayout(m_shell.Folder().File("Benz.cfg"));
    ASSERT_TRUE(kept.place.has_value());
    EXPECT_EQ(*kept.place, (std::array<long, 4>{200, 160, 400, 170}));
}

// Without the adapter library the petrol connect stays disabled, and run
// anyway it asks nothing of the worker.
TEST_F(PetrolBench, WithoutTheLibraryThePetrolConnectStaysDisabled)
{
    StartBench(false);
    EXPECT_FALSE(ItemEnabled(m_shell.Frame(), ID_CONNETTI_BENZ));
    App().ClearPosted();
    Command(ID_CONNETTI_BENZ);
    EXPECT_TRUE(App().Posted().empty());
    EXPECT_FALSE(View().m_bConnecting);
}

// An update that brings a new adapter library while the adapter is linked:
// nothing is copied until the worker has taken the link down (the library
// is in use meanwhile); its report runs the copy, with the library
// released and bound again, and the petrol windows closed without a word.
TEST_F(PetrolBench, AnUpdateWithTheAdapterLinkedWaitsForTheLinkToGoDown)
{
    StartBench();
    Connect();
    const std::string home = m_shell.Folder().Path() + "/";
    const std::string update = m_shell.Folder().File("update");
    std::filesystem::create_directories(update);
    std::ofstream(update + "/readme.txt") << "new readme\n";
    std::filesystem::copy_file(OBDVANE_FILE, update + "/libobdvane.so");
    std::ofstream(home + "readme.txt") << "old\n";

    App().ClearPosted();
    m_shell.Dialogs().ExpectFolderDialog(update);
    Command(kCommandButtons[kActionAutoUpdate].button);
    EXPECT_EQ(ReadBytes(home + "readme.txt"), "old\n") << "copied while the adapter was linked";
    const std::vector<unsigned> posted = App().Posted();
    EXPECT_NE(std::find(posted.begin(), posted.end(), link::WM_LINK_OBD_DISCONNECT), posted.end());

    ASSERT_TRUE(WaitObdLinked(false));
    EXPECT_EQ(ReadBytes(home + "readme.txt"), "new readme\n");
    EXPECT_NE(App().m_hObdLib, nullptr);
    EXPECT_TRUE(View().m_strPendingUpdate.empty());
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
    // The library bound again serves the next connect.
    Connect();
}

// A change to the public profile while the adapter is linked: the
// live-values window writes the PIDs it shows to PID.cfg, and the petrol
// acquisition page shows no check boxes.
TEST_F(PetrolBench, AChangeToThePublicProfileKeepsThePidChoice)
{
    StartBench();
    Connect();
    std::filesystem::remove(m_shell.Folder().File("PID.cfg"));
    const auto answer = WhenModal<CDlgInsOper>([](CDlgInsOper& dialog) {
        dialog.ProfileList().setCurrentIndex(0);
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->isDefault())
                button->click();
    });
    Command(ID_OPERATORE);
    ASSERT_TRUE(WaitUntil([&] { return App().m_nOperator == 0 && !App().m_bBusy; }));
    const std::string bytes = ReadBytes(m_shell.Folder().File("PID.cfg"));
    ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
    EXPECT_EQ(FromUtf16Bytes(bytes.substr(2)),
              u"PID05\t// Coolant temperature\nPID0C\t// Engine speed\nPID0D\t// Vehicle speed\n");
    ASSERT_NE(View().m_pDlgAcqBenz, nullptr);
    if (View().m_pDlgAcqBenz->IsCreated())
        EXPECT_FALSE(View().m_pDlgAcqBenz->HasCheckBoxes());
    EXPECT_TRUE(LiveWindow().IsCreated()) << "the live-values window stays";
}
