#include "tools/st7flash/CSt7LoaderDlg.h"

#include "ScriptedResponder.h"
#include "St7TestImage.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd01Loader.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;
using vexar::uitest::ScriptedResponder;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The scripted responder, which may do something before it answers (switch
// the board on, as the box asks).
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

St7Timing TestTiming()
{
    St7Timing timing;
    timing.resetTimeout = 0.5;
    timing.greetingTimeout = 1.0;
    timing.eraseTimeout = 1.0;
    return timing;
}

class St7LoaderDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        ASSERT_EQ(mkdir(m_tool.file("KD01_ECU").c_str(), 0755), 0);
        m_image = st7test::WriteRunFile(m_tool.file("KD01_ECU"), "fw.run");
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
    void StartSimulator(Kd01Options options = {})
    {
        auto device = std::make_unique<Kd01Loader>(std::move(options));
        m_loader = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 3, error)) << error;
    }
    void OpenDialog(const std::string& argument, St7Timing timing = TestTiming())
    {
        m_dialog = std::make_unique<CSt7LoaderDlg>(argument, m_tool.path() + "/", timing, March3rd2008);
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->ArgumentApplied(); }, 5000));
    }
    void Click(const char* name)
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
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
    Bytes Memory(std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sim->WithDevice([&](BootDevice&) { bytes = m_loader->Memory(address, count); });
        return bytes;
    }
    Bytes Expected(std::uint32_t address, std::size_t count) const
    {
        return Bytes(m_image.memory.begin() + address, m_image.memory.begin() + address + long(count));
    }

    TempDir m_tool;
    TempDir m_com;
    std::optional<std::string> m_savedComDir;
    st7test::TestImage m_image;
    std::unique_ptr<BootSimulator> m_sim;
    Kd01Loader* m_loader = nullptr;
    std::unique_ptr<CSt7LoaderDlg> m_dialog;
};

// VEXAR's argument with LANGENG=0: every line and the window name are
// Italian; the run ends with the success line and a green bar, the ECU
// holds the image, and Exit writes the settings file.
TEST_F(St7LoaderDlgTest, FullRunInItalianFromVexarsArgument)
{
    StartSimulator();
    ScriptedResponder dialogs;
    OpenDialog("LOGO=0,COM=3,PATH=,FILE=fw.run,LINEAK=0,LOCKCOM=1,LANGENG=0");
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Programmazione ECU KD01 (COM=3,Baud=19200)"));
    EXPECT_EQ(m_dialog->ControlText(CSt7LoaderDlg::IDC_START_ADDR), QStringLiteral("0x8010"));
    EXPECT_EQ(m_dialog->ControlText(CSt7LoaderDlg::IDC_PRG_COUNT), QStringLiteral("0xFEFF"));
    ASSERT_TRUE(m_dialog->StartEnabled());
    std::vector<int> bar;
    QObject::connect(m_dialog->DownloadBar(), &QProgressBar::valueChanged, [&](int value) { bar.push_back(value); });
    Click("start");
    EXPECT_FALSE(m_dialog->StartEnabled());
    EXPECT_EQ(m_dialog->BarColour(), QColor(0, 0, 192));
    ASSERT_TRUE(WaitForLine(QStringLiteral(" Programmazione completata con successo")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->StartEnabled(); }, 5000));
    EXPECT_EQ(Lines(), (std::vector<QString>{"Tentativo di reset del sistema in corso COM3...", "Attesa boot string COM3...",
                                             " Waiting for code download", "Tentativo di cancellazione memoria in corso COM3...",
                                             " Programmazione completata con successo"}));
    EXPECT_EQ(m_dialog->BarColour(), QColor(0, 192, 0));
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_EQ(Memory(0x8000, 0x1C0), Expected(0x8000, 0x1C0));
    EXPECT_EQ(Memory(0xFFE0, 32), Expected(0xFFE0, 32));
    Click("exit");
    const std::string ini = ReadAll(m_tool.file(CSt7LoaderDlg::IniFileName()));
    EXPECT_NE(ini.find("LangEng = 0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Lock = 1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("filename = fw.run"), std::string::npos) << ini;
    EXPECT_NE(ini.substr(ini.size() - 2), "\r\n") << "st7flash leaves its last line open";
}

// The board is off: the tool asks to switch it on; the responder switches
// the simulator on before it answers, and the run succeeds.
TEST_F(St7LoaderDlgTest, PowerOnFlowThroughTheBox)
{
    Kd01Options options;
    options.poweredOn = false;
    StartSimulator(options);
    St7Timing timing = TestTiming();
    timing.resetTimeout = 0.05;
    timing.greetingTimeout = 0.3;
    timing.eraseTimeout = 0.1;
    ActingResponder dialogs;
    dialogs.beforeAnswer = [&](const std::u16string& text) {
        if (text == u"Press the OK button and switch on the board")
            m_sim->WithDevice([](BootDevice& d) { static_cast<Kd01Loader&>(d).PowerOn(); });
    };
    OpenDialog("COM=3,FILE=fw.run", timing);
    dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Press the OK button and switch on the board");
    Click("start");
    ASSERT_TRUE(WaitForLine(QStringLiteral(" Download completed successfully")));
    EXPECT_EQ(Memory(0xFFE0, 32), Expected(0xFFE0, 32));
}

// A refused check: its box, the run ended, no success line, no green bar.
TEST_F(St7LoaderDlgTest, RefusedCheckEndsWithItsBox)
{
    StartSimulator();
    m_loader->Faults().Arm(Kd01Loader::kCheck, {FaultKind::Negative, {}}, true);
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.run");
    dialogs.ExpectMessageBox(vexar::ui::IDOK, u"Error writing check");
    Click("start");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.pending() == 0 && m_dialog->StartEnabled(); }, 20000));
    const auto lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), QStringLiteral(" Download completed successfully")), 0);
    EXPECT_EQ(m_dialog->BarColour(), QColor(0, 0, 192));
}

// Text the ECU sends between runs is shown.
TEST_F(St7LoaderDlgTest, IdleTextIsShown)
{
    StartSimulator();
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.run");
    Click("start");
    ASSERT_TRUE(WaitForLine(QStringLiteral(" Download completed successfully")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->StartEnabled(); }, 5000));
    // The boot loader greets again on a power cycle, with a debug line.
    m_sim->WithDevice([](BootDevice& d) {
        static_cast<Kd01Loader&>(d).PowerOff();
        static_cast<Kd01Loader&>(d).PowerOn();
    });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto lines = Lines();
            return std::count(lines.begin(), lines.end(), QStringLiteral(" Waiting for code download")) == 2;
        },
        5000));
}

}  // namespace
