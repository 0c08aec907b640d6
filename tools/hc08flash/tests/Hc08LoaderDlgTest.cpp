#include "tools/hc08flash/CHc08LoaderDlg.h"

#include "Hc08TestImage.h"
#include "ScriptedResponder.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/HandheldTerminal.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::uitest::ScriptedResponder;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The scripted responder, which may act before it answers (switch the
// handheld on, as the box asks).
class ActingResponder : public ScriptedResponder {
public:
    std::function<void(const std::u16string&)> beforeAnswer;
    int MessageBox(const vexar::ui::MessageBoxRequest& request) override
    {
        if (beforeAnswer)
            beforeAnswer(request.text);
        return ScriptedResponder::MessageBox(request);
    }
};

std::tm March3rd2008()
{
    std::tm t{};
    t.tm_year = 108;
    t.tm_mon = 2;
    t.tm_mday = 3;
    t.tm_hour = 14;
    t.tm_min = 25;
    t.tm_sec = 30;
    return t;
}

Hc08Timing TestTiming()
{
    Hc08Timing timing;
    timing.exchangeTimeout = 0.2;
    timing.greetingTimeout = 1.0;
    return timing;
}

class Hc08LoaderDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        ASSERT_EQ(mkdir(m_tool.file("Palm").c_str(), 0755), 0);
        m_image = hc08test::WriteS19File(m_tool.file("Palm/fw.s19"));
    }
    void TearDown() override
    {
        m_dialog.reset();
        if (m_sim)
            m_sim->Stop();
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }
    void StartSimulator(HandheldOptions options = {})
    {
        auto device = std::make_unique<HandheldTerminal>(std::move(options));
        m_handheld = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 3, error)) << error;
    }
    void OpenDialog(const std::string& argument, Hc08Timing timing = TestTiming())
    {
        m_dialog = std::make_unique<CHc08LoaderDlg>(argument, m_tool.path() + "/", timing, March3rd2008);
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->ArgumentApplied(); }, 5000));
    }
    void Click(int id) { QTest::mouseClick(m_dialog->Button(id), Qt::LeftButton); }
    bool Idle() const { return m_dialog->Button(CHc08LoaderDlg::IDC_START)->text() == QStringLiteral("Start"); }
    std::vector<QString> Lines() const
    {
        std::vector<QString> lines;
        for (int i = 0; i < m_dialog->StatusList()->count(); ++i)
            lines.push_back(m_dialog->StatusList()->item(i)->text());
        return lines;
    }
    bool WaitForLine(const QString& line)
    {
        return QTest::qWaitFor(
            [&] {
                const auto lines = Lines();
                return std::find(lines.begin(), lines.end(), line) != lines.end();
            },
            20000);
    }
    Bytes Flash(std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sim->WithDevice([&](BootDevice&) { bytes = m_handheld->Flash(address, count); });
        return bytes;
    }
    Bytes Expected(std::uint32_t address, std::size_t count) const
    {
        return Bytes(m_image.memory.begin() + address, m_image.memory.begin() + address + long(count));
    }

    TempDir m_tool;
    TempDir m_com;
    std::optional<std::string> m_savedComDir;
    hc08test::TestImage m_image;
    std::unique_ptr<BootSimulator> m_sim;
    HandheldTerminal* m_handheld = nullptr;
    std::unique_ptr<CHc08LoaderDlg> m_dialog;
};

// The file chosen through the dialog; a full run ends with the success
// line and a green bar, the progress rising to the last block; a second
// run shows the first run's record; Exit writes the settings after the
// dialog has ended.
TEST_F(Hc08LoaderDlgTest, FullRunsFromTheChosenFile)
{
    HandheldOptions options;
    options.cpuCode = 7;
    StartSimulator(options);
    ScriptedResponder dialogs;
    OpenDialog("LOGO=0,COM=3,PATH=,FILE=");
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("PALM PROGRAMMING (COM=3,Baud=19200)"));
    EXPECT_FALSE(m_dialog->Button(CHc08LoaderDlg::IDC_START)->isEnabled()) << "no image yet";
    dialogs.ExpectFileDialog(false, m_tool.file("Palm/fw.s19"));
    Click(CHc08LoaderDlg::IDC_FILE);
    EXPECT_EQ(m_dialog->ControlText(CHc08LoaderDlg::IDC_START_ADDR), QStringLiteral("0x1010"));
    EXPECT_EQ(m_dialog->ControlText(CHc08LoaderDlg::IDC_STOP_ADDR), QStringLiteral("0x10E5"));
    EXPECT_EQ(m_dialog->ControlText(CHc08LoaderDlg::IDC_PRG_COUNT), QStringLiteral("0x10FE"));
    EXPECT_EQ(m_dialog->ControlText(CHc08LoaderDlg::IDC_SPACE_TEXT), QStringLiteral("  0.4 %"));
    std::vector<int> bar;
    QObject::connect(m_dialog->DownloadBar(), &QProgressBar::valueChanged, [&](int value) { bar.push_back(value); });
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        m_dialog->StatusList()->clear();
        m_sim->WithDevice([&](BootDevice&) { m_handheld->SetInBootLoader(false); });
        Click(CHc08LoaderDlg::IDC_START);
        EXPECT_EQ(m_dialog->BarColour(), QColor(0, 0, 192));
        ASSERT_TRUE(WaitForLine(QStringLiteral(" Download completed successfully")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
        EXPECT_EQ(m_dialog->BarColour(), QColor(0, 192, 0));
        EXPECT_EQ(m_dialog->ControlText(CHc08LoaderDlg::IDC_PROGRESS_TEXT), QStringLiteral("112 % (0x1100)"));
        EXPECT_EQ(m_dialog->DownloadBar()->value(), 0x10E5);
        EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()) || run == 1);
        const auto lines = Lines();
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[1], QStringLiteral(" CPU detected: 7"));
        EXPECT_EQ(lines[2], run == 0 ? QStringLiteral(" Previous download: 00:00:00 00/00/0000")
                                     : QStringLiteral(" Previous download: 14:25:30 03/03/2008"));
    }
    EXPECT_EQ(Flash(0x0E00, 0xE200), Expected(0x0E00, 0xE200));
    EXPECT_EQ(Flash(0xFFCC, 52), Expected(0xFFCC, 52));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(m_tool.file(CHc08LoaderDlg::IniFileName()))));
    Click(CHc08LoaderDlg::IDC_EXIT);
    EXPECT_FALSE(m_dialog->isVisible());
    const std::string ini = ReadAll(m_tool.file(CHc08LoaderDlg::IniFileName()));
    EXPECT_NE(ini.find("filename = fw.s19"), std::string::npos) << ini;
    EXPECT_NE(ini.find("port = 3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("/Palm/"), std::string::npos) << ini;
}

// While a run waits for the handheld, every button but Stop does nothing;
// Stop ends the run at once and the port is closed.
TEST_F(Hc08LoaderDlgTest, ButtonsDuringARunAndStop)
{
    HandheldOptions options;
    options.greetingDelay = std::chrono::milliseconds(60000);
    StartSimulator(options);
    ScriptedResponder dialogs;
    Hc08Timing timing = TestTiming();
    timing.greetingTimeout = 30.0;
    OpenDialog("COM=3,FILE=fw.s19", timing);
    Click(CHc08LoaderDlg::IDC_START);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Programmer().CurrentState() == CHc08Programmer::GREETING; }, 5000));
    EXPECT_EQ(m_dialog->Button(CHc08LoaderDlg::IDC_START)->text(), QStringLiteral("Stop"));
    for (const int id : {CHc08LoaderDlg::IDC_FILE, CHc08LoaderDlg::IDC_SETTINGS, CHc08LoaderDlg::IDC_CLEAR_LIST,
                         CHc08LoaderDlg::IDC_ABOUT, CHc08LoaderDlg::IDC_EXIT}) {
        EXPECT_FALSE(m_dialog->Button(id)->isEnabled()) << id;
        Click(id);  // no box, no file dialog: the responder would fail on one
    }
    EXPECT_TRUE(m_dialog->isVisible());
    const auto begin = std::chrono::steady_clock::now();
    Click(CHc08LoaderDlg::IDC_START);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
    EXPECT_FALSE(m_dialog->Programmer().Line().IsOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 2000));
    for (const int id : {CHc08LoaderDlg::IDC_FILE, CHc08LoaderDlg::IDC_EXIT})
        EXPECT_TRUE(m_dialog->Button(id)->isEnabled());
    EXPECT_EQ(dialogs.pending(), 0u);
}

// A switched-off handheld: the box asks for the power, the responder
// switches the simulator on, the greeting comes and the run succeeds.
TEST_F(Hc08LoaderDlgTest, PowerOnThroughTheBox)
{
    HandheldOptions options;
    options.poweredOn = false;
    options.greetingDelay = std::chrono::milliseconds(300);
    StartSimulator(options);
    ActingResponder dialogs;
    dialogs.beforeAnswer = [&](const std::u16string& text) {
        if (text == u"Press the OK button and switch on the board")
            m_sim->WithDevice([&](BootDevice&) { m_handheld->PowerOn(); });
    };
    OpenDialog("COM=3,FILE=fw.s19");
    dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Press the OK button and switch on the board");
    Click(CHc08LoaderDlg::IDC_START);
    ASSERT_TRUE(WaitForLine(QStringLiteral(" Download completed successfully")));
    EXPECT_EQ(Flash(0x1000, 0x100), Expected(0x1000, 0x100));
}

// Three listed ports and no handheld on any: one attempt per port with
// both boxes and the line, then idle.
TEST_F(Hc08LoaderDlgTest, ThreePortsAndNoHandheld)
{
    HandheldOptions off;
    off.poweredOn = false;
    std::vector<std::unique_ptr<BootSimulator>> others;
    for (const int com : {3, 4, 5}) {
        others.push_back(std::make_unique<BootSimulator>(std::make_unique<HandheldTerminal>(off)));
        std::string error;
        ASSERT_TRUE(others.back()->Start(error)) << error;
        ASSERT_TRUE(others.back()->PublishCom(m_com.path(), com, error)) << error;
    }
    ScriptedResponder dialogs;
    Hc08Timing timing = TestTiming();
    timing.exchangeTimeout = 0.05;
    timing.greetingTimeout = 0.2;
    OpenDialog("COM=3,FILE=fw.s19", timing);
    for (int i = 0; i < 3; ++i) {
        dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Press the OK button and switch on the board");
        dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Elapsed timeout for downloading software");
    }
    Click(CHc08LoaderDlg::IDC_START);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pending() == 0 && Idle(); }, 20000));
    EXPECT_EQ(Lines(), (std::vector<QString>{" COM3 not connected ", " COM4 not connected ", " COM5 not connected "}));
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("PALM PROGRAMMING (COM=5,Baud=19200)"));
    EXPECT_TRUE(m_dialog->Button(CHc08LoaderDlg::IDC_EXIT)->isEnabled());
    for (auto& sim : others)
        sim->Stop();
}

// A refused frame of each kind: its box, no success line, no green bar.
TEST_F(Hc08LoaderDlgTest, RefusedFramesEndWithTheBoardError)
{
    StartSimulator();
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.s19");
    for (const std::uint8_t command :
         {HandheldTerminal::kErase, HandheldTerminal::kWrite, HandheldTerminal::kVectors, HandheldTerminal::kCheck}) {
        SCOPED_TRACE(int(command));
        m_sim->WithDevice([&](BootDevice&) {
            m_handheld->SetInBootLoader(false);
            m_handheld->LoaderFaults().Clear();
            m_handheld->LoaderFaults().Arm(command, {FaultKind::Negative, {}}, true);
        });
        m_dialog->StatusList()->clear();
        dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Receive error from board");
        Click(CHc08LoaderDlg::IDC_START);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pending() == 0 && Idle(); }, 20000));
        const auto lines = Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), QStringLiteral(" Download completed successfully")), 0);
        EXPECT_EQ(m_dialog->BarColour(), QColor(0, 0, 192));
    }
}

}  // namespace
