// The external programs on the ECU bench: the boot loader, the handheld
// programmers and the automatic calibration started through the recording
// program in place of the real tools, each in its own program folder; the
// commands refused while one runs; the timer's reap; tarmix's disconnect
// and reconnect; and the self-update's copy of an update folder.
#include "EcuShell.h"

#include "common/Text.h"
#include "dialogs/CDlgProgPalm.h"
#include "dialogs/CDlgSelCentr.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CUtilityUi.h"
#include "link/LinkMessages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "shell/core/ExternalPrograms.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd02Loader.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The children of this process (the spawns happen on the main thread).
std::vector<pid_t> Children()
{
    std::istringstream list(ReadText("/proc/self/task/" + std::to_string(::getpid()) + "/children"));
    std::vector<pid_t> pids;
    for (pid_t pid = 0; list >> pid;)
        pids.push_back(pid);
    return pids;
}

class ExternalPrograms : public EcuShellBase {
protected:
    void SetUp() override
    {
        // The synthetic configuration names "st7flash.exe" as its loader:
        // the recording program stands in for it.
        m_bay = m_shell.Folder().File("prgbay");
        InstallRecorder(m_bay + "/st7flash");
        StartBench({});
        m_record = m_shell.Folder().File("record");
        setenv("VEXAR_TEST_RECORD_FILE", m_record.c_str(), 1);
    }
    void TearDown() override
    {
        EndProgram();
        unsetenv("VEXAR_TEST_RECORD_FILE");
        EcuShellBase::TearDown();
    }

    // The recording program installed as `path`.
    static void InstallRecorder(const std::string& path)
    {
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(RECORD_PROGRAM_EXE, path, fs::copy_options::overwrite_existing);
    }
    // The loader of the loaded configuration as the view found it.
    void ExpectLoaderFound()
    {
        EXPECT_EQ(m_shell.View().m_strLoaderPath, m_bay + "/st7flash");
    }
    std::string Firmware() { return ToUtf8(m_shell.View().m_strFirmwareName); }
    // The record the program wrote once started.
    std::string Record()
    {
        if (!WaitUntil([&] { return fs::exists(m_record); }))
            return {};
        return ReadText(m_record);
    }
    // Tells the program to end and waits until the view has reaped it.
    bool EndProgram()
    {
        if (m_shell.View().m_hProgram == 0)
            return true;
        std::ofstream(m_record + ".end") << "";
        return WaitUntil([&] { return m_shell.View().m_hProgram == 0; });
    }
    static std::string Expected(const std::vector<std::string>& args, const std::string& cwd, const std::string& com)
    {
        std::string text;
        for (const std::string& arg : args)
            text += "arg " + arg + "\n";
        return text + "cwd " + cwd + "\ncom " + com + "\n";
    }
    static std::vector<int> Descriptors(const std::string& record)
    {
        std::vector<int> fds;
        std::istringstream lines(record);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("fd ", 0) == 0)
                fds.push_back(std::atoi(line.c_str() + 3));
        std::sort(fds.begin(), fds.end());
        return fds;
    }

    std::string m_record;
    std::string m_bay;
};

}  // namespace

// Not linked: PRG ECU's button starts the loader in its folder with exactly
// its argument (LOCKCOM 0), the COM folder and descriptors 0 to 2. While it
// runs every command is refused without a box or a post and the frame
// stays; the timer then reaps it and the commands work again.
TEST_F(ExternalPrograms, TheLoaderRunsAloneAndEverythingElseWaits)
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    ExpectLoaderFound();
    Command(kCommandButtons[kActionPrgEcu].button);
    const std::string record = Record();
    EXPECT_EQ(record.substr(0, record.find("fd ")),
              Expected({"LOGO=" + std::to_string(app.m_nEdition) + ",COM=" + std::to_string(app.m_nComPort) + ",PATH=,FILE=" + Firmware() +
                        ",LINEAK=0,LOCKCOM=0,LANGENG=1"},
                       m_bay, m_shell.Folder().ComFolder()));
    EXPECT_EQ(Descriptors(record), (std::vector<int>{0, 1, 2}));
    ASSERT_NE(view.m_hProgram, 0);
    EXPECT_TRUE(app.m_bBusy);

    const unsigned refused[] = {ID_CONNETTI, 1032u, ID_TEST, 1036u, ID_IDENT_CENTR, 1040u, ID_CONFIG_VETTURA,
                                1008u, ID_ACQUISIZIONE, 1011u, ID_DIAGNOSI, 1020u, ID_CANC_ERR, 1038u, ID_CENTRALINA,
                                1024u, ID_PRG_ECU, 1022u, ID_PRG_PALM, 1026u, ID_TARMIX, 1033u, ID_AGG_AUTO, 1027u,
                                1012u, ID_OPERATORE, ID_LIMIT_SWITCH, ID_VERSION_CODE};
    view.SetProfile({0, false, true, false});  // the limited switch would act
    const pid_t running = view.m_hProgram;
    for (unsigned id : refused) {
        app.ClearPosted();
        Command(id);
        QTest::qWait(10);
        EXPECT_EQ(app.Posted(), std::vector<unsigned>{}) << id;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << id;
        EXPECT_EQ(view.m_hProgram, running) << id;
    }
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 0u);
    ui::SendMessage(&m_shell.Frame(), ui::WindowMessage{ui::WM_CLOSE, 0, 0, nullptr});
    QTest::qWait(50);
    EXPECT_TRUE(m_shell.Frame().isVisible()) << "the frame closed while the loader ran";
    EXPECT_TRUE(view.CurrentProfile().limit) << "the limited switch acted while the loader ran";
    view.SetProfile({});
    EXPECT_EQ(Children(), std::vector<pid_t>{running});

    ASSERT_TRUE(EndProgram());
    EXPECT_FALSE(app.m_bBusy);
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists("/proc/" + std::to_string(running)); })) << "zombie";
    app.ClearPosted();
    Command(ID_CONNETTI);
    EXPECT_TRUE(WaitLinked(true)) << "the connect was still refused";
}

// A loader that cannot start, or none at all, leaves the program idle
// without a box.
TEST_F(ExternalPrograms, ALoaderThatCannotStartLeavesTheProgramIdle)
{
    CVEXARView& view = m_shell.View();
    for (const char* content : {"", "not a program\n"}) {
        view.m_strLoaderPath = m_bay + "/st7flash";
        fs::remove(view.m_strLoaderPath);
        if (*content) {
            std::ofstream(view.m_strLoaderPath) << content;
            fs::permissions(view.m_strLoaderPath, fs::perms::owner_read | fs::perms::owner_write);
        }
        Command(ID_PRG_ECU);
        QTest::qWait(20);
        EXPECT_EQ(view.m_hProgram, 0) << content;
        EXPECT_FALSE(m_shell.App().m_bBusy) << content;
    }
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 0u);
    EXPECT_TRUE(Children().empty());
}

// Linked: the worker ends the session before the loader starts with
// LOCKCOM 1, and a double press (two answers of the worker) starts it once.
TEST_F(ExternalPrograms, LinkedTheLoaderStartsOnceAfterTheSessionEnds)
{
    ExpectLoaderFound();
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ASSERT_TRUE(m_sim->Session());
    const unsigned button = static_cast<unsigned>(kCommandButtons[kActionPrgEcu].button);
    Command(button);
    Command(button);
    const std::string record = Record();
    EXPECT_FALSE(m_sim->Session()) << "the loader started on an open session";
    EXPECT_NE(record.find("arg LOGO=" + std::to_string(m_shell.App().m_nEdition) +
                          ",COM=3,PATH=,FILE=" + Firmware() +
                          ",LINEAK=0,LOCKCOM=1,LANGENG=1\n"),
              std::string::npos)
        << record;
    QTest::qWait(150);  // the second answer of the worker comes back meanwhile
    EXPECT_EQ(Children().size(), 1u) << "a second loader was started on the same ECU";
    EXPECT_TRUE(EndProgram());
}

// The handheld dialog: its two choices start hhwriter and hc08flash in the
// program bay; Cancel starts nothing.
TEST_F(ExternalPrograms, TheHandheldChoicesStartTheirTools)
{
    InstallRecorder(m_bay + "/hhwriter");
    InstallRecorder(m_bay + "/hc08flash");
    const std::string expected = Expected({"LOGO=" + std::to_string(m_shell.App().m_nEdition) + ",PATH=,FILE="},
                                          m_bay, m_shell.Folder().ComFolder());
    const struct {
        std::function<void(CDlgProgPalm&)> choose;
        const char* tool;
    } cases[] = {
        {[](CDlgProgPalm& dialog) { dialog.CancelButton().click(); }, nullptr},
        {[](CDlgProgPalm& dialog) { dialog.HandheldButton().click(); }, "hhwriter"},
        {[](CDlgProgPalm& dialog) { dialog.FirmwareButton().click(); }, "hc08flash"},
    };
    for (const auto& c : cases) {
        fs::remove(m_record);
        auto answer = WhenModal<CDlgProgPalm>(c.choose);
        Command(ID_PRG_PALM);
        if (!c.tool) {
            QTest::qWait(20);
            EXPECT_EQ(m_shell.View().m_hProgram, 0);
            EXPECT_FALSE(fs::exists(m_record));
            continue;
        }
        const std::string record = Record();
        EXPECT_EQ(record.substr(0, record.find("fd ")), expected) << c.tool;
        // Which of the two ran: the timer of its kind.
        EXPECT_TRUE(EndProgram()) << c.tool;
    }
}

// tarmix while linked: the link goes down, tarmix starts in its folder with
// the batch file's parameters and its settings file, and the link comes
// back once it ends.
TEST_F(ExternalPrograms, TarmixDisconnectsRunsAndLinksAgain)
{
    const std::string tarmix = m_shell.Folder().File("tarmix");
    fs::create_directories(tarmix);
    std::ofstream(tarmix + "/tarmixrazione.bat") << "start javaw -jar \"tar mix.jar\" -v\r\n";
    const std::string bin = m_shell.Folder().File("bin");
    InstallRecorder(bin + "/java");
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    Command(ID_TARMIX);
    const std::string record = Record();
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(record.substr(0, record.find("fd ")),
              Expected({"-jar", "tar mix.jar", "-v"}, tarmix, m_shell.Folder().ComFolder()));
    EXPECT_FALSE(m_shell.App().m_bLinked);
    int baud = 0;
    {
        std::lock_guard lock(m_shell.App().m_csBaud);
        baud = m_shell.App().m_nBaudCurrent;
    }
    EXPECT_EQ(ReadText(tarmix + "/tarmix.cfg"), "-com 3 -language english -baudrate " + std::to_string(baud) + "\n");
    EXPECT_TRUE(m_shell.View().m_bTarmixPending);
    ASSERT_TRUE(EndProgram());
    EXPECT_TRUE(WaitLinked(true)) << "no new session after tarmix";
    EXPECT_FALSE(m_shell.View().m_bTarmixPending);
}

// tarmix that does not start after the link went down for it forgets it
// and links again: a later disconnect must not start it.
TEST_F(ExternalPrograms, TarmixThatCannotStartLinksAgainAndIsForgotten)
{
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    m_shell.App().ClearPosted();
    Command(kCommandButtons[kActionTarmix].button);
    // Down and up again: the connect follows the link-down report at once.
    const auto posted = [&](unsigned id) {
        const std::vector<unsigned> ids = m_shell.App().Posted();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    EXPECT_TRUE(posted(link::WM_LINK_DISCONNECT));
    EXPECT_TRUE(WaitUntil([&] { return posted(link::WM_LINK_CONNECT); }, std::chrono::seconds(2)))
        << "the link stayed down";
    EXPECT_TRUE(WaitLinked(true));
    EXPECT_FALSE(m_shell.View().m_bTarmixPending);
    // A batch file now present must not start at an ordinary disconnect.
    const std::string tarmix = m_shell.Folder().File("tarmix");
    fs::create_directories(tarmix);
    std::ofstream(tarmix + "/tarmixrazione.bat") << "javaw -jar t.jar\n";
    InstallRecorder(m_shell.Folder().File("bin") + "/java");
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    QTest::qWait(50);
    EXPECT_EQ(m_shell.View().m_hProgram, 0);
    EXPECT_TRUE(Children().empty());
}

namespace {

// Whether the OBD library mapped in this process is the file now at
// `path` (not a replaced one still mapped as "(deleted)").
bool MapsCurrentLibrary(const std::string& path)
{
    std::istringstream maps(ReadText("/proc/self/maps"));
    bool current = false;
    for (std::string line; std::getline(maps, line);) {
        if (line.find(path) == std::string::npos)
            continue;
        if (line.find("(deleted)") != std::string::npos)
            return false;
        current = true;
    }
    return current;
}

}  // namespace

// An update folder: its files copied over the program folder, read-only
// ones and a sub-folder's included; the new main program prepared, not
// copied; the OBD library released and bound again on the new file; No to
// the question keeps the update pending.
TEST_F(ExternalPrograms, AnUpdateFolderIsCopiedAndTheNewProgramPrepared)
{
    const std::string home = m_shell.Folder().Path() + "/";
    const std::string update = m_shell.Folder().File("update");
    fs::create_directories(update + "/Lang");
    std::ofstream(update + "/readme.txt") << "new readme\n";
    std::ofstream(update + "/Lang/extra.txt") << "new extra\n";
    std::ofstream(update + "/MYVEXAR") << "not the program\n";
    InstallRecorder(update + "/VEXAR");
    fs::copy_file(OBDVANE_FILE, update + "/libobdvane.so");
    std::ofstream(home + "readme.txt") << "old\n";
    std::ofstream(home + "Lang/extra.txt") << "old\n";
    for (const char* file : {"/readme.txt", "/Lang/extra.txt"})
        fs::permissions(home + (file + 1), fs::perms::owner_read | fs::perms::group_read);
    ASSERT_NE(m_shell.App().m_hObdLib, nullptr);
    ASSERT_TRUE(MapsCurrentLibrary(home + "libobdvane.so"));

    m_shell.Dialogs().ExpectFolderDialog(update);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, TestText(3124));
    Command(kCommandButtons[kActionAutoUpdate].button);
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
    EXPECT_EQ(ReadText(home + "readme.txt"), "new readme\n");
    EXPECT_EQ(ReadText(home + "Lang/extra.txt"), "new extra\n");
    EXPECT_EQ(ReadText(home + "MYVEXAR"), "not the program\n");
    EXPECT_FALSE(fs::exists(home + "VEXAR")) << "the new program was copied over the running one";
    EXPECT_EQ(m_shell.App().m_strUpdateCmd, ToUtf16(update + "/VEXAR, " + home + "VEXAR"));
    EXPECT_NE(m_shell.App().m_hObdLib, nullptr);
    EXPECT_TRUE(MapsCurrentLibrary(home + "libobdvane.so")) << "the old library is still bound";
    EXPECT_TRUE(m_shell.Frame().isVisible());
}

// A copier that fails shows "Error" with its text for each entry and goes
// on; the update is still prepared.
TEST_F(ExternalPrograms, ACopyFailureIsShownAndTheWalkGoesOn)
{
    const std::string home = m_shell.Folder().Path() + "/";
    const std::string update = m_shell.Folder().File("update");
    fs::create_directories(update);
    std::ofstream(update + "/a.txt") << "a\n";
    std::ofstream(update + "/b.txt") << "b\n";
    InstallRecorder(update + "/VEXAR");
    m_shell.Dialogs().ExpectFolderDialog(update);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, TestText(3124));
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "rename", 1);
    Command(ID_AGG_AUTO);
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    const std::vector<uitest::ShownDialog>& shown = m_shell.Dialogs().shown();
    ASSERT_EQ(shown.size(), 4u);
    for (std::size_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(shown[i].caption, u"Error");
        EXPECT_FALSE(shown[i].text.empty());
        EXPECT_EQ(shown[i].owner, nullptr);
        EXPECT_EQ(shown[i].style & ui::MB_ICONMASK, ui::MB_ICONERROR);
    }
    EXPECT_FALSE(fs::exists(home + "a.txt"));
    EXPECT_EQ(m_shell.App().m_strUpdateCmd, ToUtf16(update + "/VEXAR, " + home + "VEXAR"));
}

// An installer in the chosen folder, or chosen itself, is prepared at
// once; any other file, a folder without a new program and Cancel prepare
// nothing.
TEST_F(ExternalPrograms, TheUpdateChoicesAndWhatTheyPrepare)
{
    const std::string home = m_shell.Folder().Path() + "/";
    const std::string withSetup = m_shell.Folder().File("setupfolder");
    const std::string plain = m_shell.Folder().File("plain");
    fs::create_directories(withSetup);
    fs::create_directories(plain);
    std::ofstream(withSetup + "/Setup") << "installer\n";
    std::ofstream(withSetup + "/other.txt") << "other\n";
    std::ofstream(plain + "/new.txt") << "new\n";
    std::ofstream(plain + "/MySetup") << "x\n";
    const struct {
        std::optional<std::string> chosen;
        std::u16string prepared;  // empty: nothing
    } cases[] = {
        {withSetup, ToUtf16(withSetup + "/Setup, " + home + "VEXAR")},
        {withSetup + "/Setup", ToUtf16(withSetup + "/Setup, " + home + "VEXAR")},
        {plain + "/MySetup", u""},
        {plain + "/new.txt", u""},
        {plain, u""},
        {std::nullopt, u""},
    };
    for (const auto& c : cases) {
        m_shell.App().m_strUpdateCmd.clear();
        m_shell.Dialogs().ExpectFolderDialog(c.chosen);
        if (!c.prepared.empty())
            m_shell.Dialogs().ExpectMessageBox(ui::IDNO, TestText(3124));
        Command(ID_AGG_AUTO);
        EXPECT_EQ(m_shell.Dialogs().pending(), 0u) << c.chosen.value_or("cancel");
        EXPECT_EQ(m_shell.App().m_strUpdateCmd, c.prepared) << c.chosen.value_or("cancel");
    }
    EXPECT_FALSE(fs::exists(home + "other.txt")) << "a folder with an installer was copied";
    EXPECT_EQ(ReadText(home + "new.txt"), "new\n");
}

// Before any configuration has loaded there is no parameter window to take
// the font from: the handheld dialog takes the layout's page font.
TEST(ExternalProgramsBeforeALoad, TheHandheldDialogTakesTheLayoutsFont)
{
    ShellHarness shell;
    shell.Folder().MakeFresh();
    std::optional<QFont> shown;
    QFont expected;
    std::unique_ptr<QTimer> palm;
    auto selection = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
        CVEXARView& view = shell.View();
        EXPECT_TRUE(!view.m_wndParams || !view.m_wndParams->IsCreated());
        CUtility::CreateFontPt(expected, view.m_layout.pageFontFace, view.m_layout.pageFontSize,
                               view.m_layout.pageFontBold != 0);
        palm = WhenModal<CDlgProgPalm>([&](CDlgProgPalm& handheld) {
            shown = handheld.m_font;
            handheld.CancelButton().click();
        });
        ui::SendMessage(&view, ui::CommandMessage(ID_PRG_PALM));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    shell.MakeApp();
    EXPECT_EQ(shell.App().Run(), 0);
    ASSERT_TRUE(shown.has_value()) << "the handheld dialog did not show";
    EXPECT_EQ(shown->family(), expected.family());
    EXPECT_EQ(shown->pointSize(), expected.pointSize());
    EXPECT_EQ(shell.View().m_hProgram, 0);
}

// Yes to the update question closes the program by the exit button's road;
// at the end the real updater replaces the program file with the new one
// and starts it.
TEST(ExternalProgramsUpdate, YesExitsAndTheUpdaterStartsTheNewProgram)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    const std::string home = shell.Folder().Path() + "/";
    fs::create_directories(home + "prgbay");
    fs::copy_file(UPDATE_EXE, home + "prgbay/Update");
    std::ofstream(home + "VEXAR") << "the old program\n";
    fs::permissions(home + "VEXAR", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    const std::string update = shell.Folder().File("update");
    fs::create_directories(update);
    fs::copy_file(RECORD_PROGRAM_EXE, update + "/VEXAR");
    const std::string record = shell.Folder().File("record");
    setenv("VEXAR_TEST_RECORD_FILE", record.c_str(), 1);
    setenv("VEXAR_TEST_UPDATE_WAIT_MS", "50", 1);

    shell.Dialogs().ExpectFolderDialog(update);
    shell.Dialogs().ExpectMessageBox(ui::IDYES, TestText(3124));
    ui::SendMessage(&shell.View(), ui::CommandMessage(ID_AGG_AUTO));
    EXPECT_TRUE(WaitUntil([&] { return !shell.Frame().isVisible(); })) << "Yes did not close the program";
    shell.App().JoinLinkThread();
    EXPECT_EQ(shell.App().ExitInstance(), 0);
    const bool started = WaitUntil([&] { return fs::exists(record); });
    unsetenv("VEXAR_TEST_UPDATE_WAIT_MS");
    unsetenv("VEXAR_TEST_RECORD_FILE");
    std::ofstream(record + ".end") << "";
    ASSERT_TRUE(started) << "the new program did not start";
    EXPECT_EQ(ReadText(home + "VEXAR"), ReadText(update + "/VEXAR"));
    // The updater's child ends on its own; give it the moment it needs.
    QTest::qWait(50);
}

// End to end, not linked: PRG ECU's function key starts the real KD02
// programming tool, driven by its test script, which programs the boot
// loader simulated on COM1 with the firmware byte for byte and ends; the
// connect is refused meanwhile and accepted after.
TEST(ExternalProgramsEndToEnd, PrgEcuProgramsTheBootLoaderWithTheRealTool)
{
    namespace bs = vexar::bootsim;
    ShellHarness shell;
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [](const fixtures::SyntheticConfiguration& installed) {
        std::string error;
        ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
    });
    CVEXARView& view = shell.View();
    TestApp& app = shell.App();
    const std::string bay = shell.Folder().File("prgbay");
    fs::create_directories(bay + "/KD02_ECU");
    fs::copy_file(KD02FLASH_PROGRAM, bay + "/kd02flash");
    std::vector<std::uint8_t> image(2048);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::ofstream(bay + "/KD02_ECU/fw.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    std::ofstream(bay + "/KD02_Wait.ini")
        << "[WAIT]\r\nWait CONNECT - ERASE  = 0\r\nWait ERASE - ERASE_RESULT = 0\r\nWait ERASE_RESULT - WRITE = 0\r\n"
           "Wait WRITE  = 0\r\nWait WRITE - STOPDOWNLOAD = 0\r\nWait STOPDOWNLOAD - WRITE_VERIFY = 0\r\n"
           "Wait WRITE_VERIFY - DISCONNECT = 0\r\n";
    // The configuration's loader as step 14 would find it for a KD02 ECU.
    view.m_strLoaderPath = bay + "/kd02flash";
    view.m_strFirmwareName = u"fw.bin";
    app.m_nComPort = 1;

    auto device = std::make_unique<bs::Kd02Loader>();
    bs::Kd02Loader* loader = device.get();
    bs::BootSimulator sim(std::move(device));
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.PublishCom(shell.Folder().ComFolder(), 1, error)) << error;
    setenv("VEXAR_TOOL_SCRIPT", "run", 1);

    const int key = view.m_nKeyAction[1] == kActionPrgEcu ? Qt::Key_F2 : 0;
    ASSERT_EQ(key, Qt::Key_F2) << "PRG ECU is not on F2 with every button shown";
    QTest::keyClick(&view.Button(kActionConnect), Qt::Key_F2);
    const pid_t tool = view.m_hProgram;
    ASSERT_NE(tool, 0) << "the tool did not start";
    app.ClearPosted();
    ui::SendMessage(&view, ui::CommandMessage(ID_CONNETTI));
    EXPECT_EQ(app.Posted(), std::vector<unsigned>{}) << "the connect went on while the tool ran";
    const bool ended = WaitUntil([&] { return view.m_hProgram == 0; }, std::chrono::seconds(30));
    unsetenv("VEXAR_TOOL_SCRIPT");
    ASSERT_TRUE(ended) << "the tool did not end";
    std::vector<std::uint8_t> flash;
    sim.WithDevice([&](bs::BootDevice&) { flash = loader->Flash(0x18000, image.size()); });
    EXPECT_EQ(flash, image);
    EXPECT_NE(ReadText(bay + "/KD02_Wait.ini").find("filename = fw.bin\r\n"), std::string::npos);
    sim.Stop();
    // Nothing refuses the connect any more (its run after a program is
    // shown on the ECU bench above).
    EXPECT_FALSE(app.m_bBusy);
    EXPECT_TRUE(ItemEnabled(shell.Frame(), ID_CONNETTI));
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(tool))) << "the tool was not reaped";
    EXPECT_EQ(shell.Exit(), 0);
}
