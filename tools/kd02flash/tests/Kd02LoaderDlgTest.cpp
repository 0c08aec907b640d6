#include "tools/kd02flash/CKd02LoaderDlg.h"

#include "ScriptedResponder.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd02Loader.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::testing::WriteAll;
using vexar::uitest::ScriptedResponder;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Intel HEX of `bytes` placed at 0x18000, in records of 16 bytes; records
// that would hold only 0xFF are left out, as image tools do.
std::string IntelHex(const Bytes& bytes)
{
    auto record = [](unsigned count, unsigned address, unsigned type, const std::uint8_t* data) {
        unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
        char text[80];
        std::string line = ":";
        std::snprintf(text, sizeof text, "%02X%04X%02X", count, address, type);
        line += text;
        for (unsigned i = 0; i < count; ++i) {
            std::snprintf(text, sizeof text, "%02X", data[i]);
            line += text;
            sum += data[i];
        }
        std::snprintf(text, sizeof text, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        return line + text;
    };
    std::string hex;
    const std::uint8_t base[] = {0x00, 0x01};
    hex += record(2, 0, 4, base);
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const unsigned count = static_cast<unsigned>(std::min<std::size_t>(16, bytes.size() - at));
        bool blank = true;
        for (unsigned i = 0; i < count; ++i)
            blank = blank && bytes[at + i] == 0xFF;
        if (!blank)
            hex += record(count, static_cast<unsigned>(0x8000 + at), 0, bytes.data() + at);
    }
    hex += record(0, 0, 1, nullptr);
    return hex;
}

Bytes TestImage(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 31 + 7) & 0xFF);
    if (size > 2048)
        std::fill(bytes.begin() + 1024, bytes.begin() + 2048, 0xFF);
    bytes.back() = 0x5A;  // the image's last byte is data
    return bytes;
}

Kd02Timing TestTiming()
{
    Kd02Timing timing;
    timing.applicationTimeout = 0.5;
    timing.connectTimeout = 0.5;
    timing.connectAttempts = 3;
    timing.eraseTimeout = 2.0;
    timing.idle = std::chrono::milliseconds(20);
    return timing;
}

const char* kZeroWaits =
    "[WAIT]\r\nWait CONNECT - ERASE  = 0\r\nWait ERASE - ERASE_RESULT = 0\r\nWait ERASE_RESULT - WRITE = 0\r\n"
    "Wait WRITE  = 0\r\nWait WRITE - STOPDOWNLOAD = 0\r\nWait STOPDOWNLOAD - WRITE_VERIFY = 0\r\n"
    "Wait WRITE_VERIFY - DISCONNECT = 0\r\n";

class Kd02LoaderDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        ASSERT_EQ(mkdir(m_tool.file("KD02_ECU").c_str(), 0755), 0);
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

    void StartSimulator(Kd02Options options = {})
    {
        auto device = std::make_unique<Kd02Loader>(options);
        m_loader = device.get();
        m_sim = std::make_unique<BootSimulator>(std::move(device));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 3, error)) << error;
    }

    void OpenDialog(const std::string& argument, Kd02Timing timing = TestTiming())
    {
        m_dialog = std::make_unique<CKd02LoaderDlg>(argument, m_tool.path() + "/", timing);
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->ArgumentApplied(); }, 5000));
    }

    QPushButton* Button(const char* name) { return m_dialog->findChild<QPushButton*>(QString::fromLatin1(name)); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }

    std::vector<QString> Lines() const
    {
        std::vector<QString> lines;
        for (int i = 0; i < m_dialog->StatusList()->count(); ++i)
            lines.push_back(m_dialog->StatusList()->item(i)->text());
        return lines;
    }
    bool WaitForLine(const QString& line, int timeoutMs = 20000)
    {
        return QTest::qWaitFor(
            [&] {
                const auto lines = Lines();
                return std::find(lines.begin(), lines.end(), line) != lines.end();
            },
            timeoutMs);
    }
    Bytes Flash(std::size_t count)
    {
        Bytes flash;
        m_sim->WithDevice([&](BootDevice&) { flash = m_loader->Flash(0x18000, count); });
        return flash;
    }

    TempDir m_tool;
    TempDir m_com;
    std::optional<std::string> m_savedComDir;
    std::unique_ptr<BootSimulator> m_sim;
    Kd02Loader* m_loader = nullptr;
    std::unique_ptr<CKd02LoaderDlg> m_dialog;
};

// VEXAR's argument names a ".hex" with an all-0xFF block and a short last
// block: Start programs it, the progress rises to 100 %, the flash equals
// the image byte for byte, and Exit writes the settings file.
TEST_F(Kd02LoaderDlgTest, FullRunFromVexarsArgumentWithAHexFile)
{
    StartSimulator();
    const Bytes image = TestImage(2600);
    WriteAll(m_tool.file("KD02_ECU/fw.hex"), IntelHex(image));
    WriteAll(m_tool.file(CKd02LoaderDlg::IniFileName()), kZeroWaits);
    ScriptedResponder dialogs;
    OpenDialog("LOGO=0,COM=3,PATH=,FILE=fw.hex,LINEAK=0,LOCKCOM=0,LANGENG=0");
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("KD02 ECU programming (Port=COM3, Baud=19200)"));
    EXPECT_EQ(m_dialog->ControlText(CKd02LoaderDlg::IDC_START_ADDR), QStringLiteral("0x18000"));
    EXPECT_EQ(m_dialog->ControlText(CKd02LoaderDlg::IDC_STOP_ADDR), QStringLiteral("0x18A27"));
    ASSERT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Idle);

    std::vector<int> bar;
    QObject::connect(m_dialog->DownloadBar(), &QProgressBar::valueChanged, [&](int value) { bar.push_back(value); });
    Click("startstop");
    EXPECT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Running);
    ASSERT_TRUE(WaitForLine(QStringLiteral("Disconnected")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Look() == CKd02LoaderDlg::StartLook::Idle; }, 5000));
    EXPECT_EQ(Lines(), (std::vector<QString>{"APP ECU Connected", "APP ECU resetted", "ECU Connected", "Erasing...",
                                             "Downloading...", "Download Successfully", "Disconnected"}));
    EXPECT_EQ(m_dialog->ProgressText(), QStringLiteral("100 % (0x18a27)"));
    ASSERT_FALSE(bar.empty());
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_EQ(m_dialog->DownloadBar()->value(), m_dialog->DownloadBar()->maximum());
    EXPECT_EQ(Flash(image.size()), image);

    Click("exit");
    const std::string ini = ReadAll(m_tool.file(CKd02LoaderDlg::IniFileName()));
    // New keys come after their section's header in the reverse order of
    // their writing, as the tool has always written them.
    EXPECT_NE(ini.find("[COM]\r\nbaud = 19200\r\nport = 3\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("filename = fw.hex\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Wait CONNECT - ERASE  = 0\r\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.substr(ini.size() - 2), "\r\n");
}

// A ".bin" chosen with the File button, programmed with the tool's own
// time-outs and pauses.
TEST_F(Kd02LoaderDlgTest, BinaryChosenByFileButtonWithTheToolsOwnTimes)
{
    StartSimulator();
    const Bytes image = TestImage(2100);
    WriteAll(m_com.file("fw.BIN"), std::string(image.begin(), image.end()));
    ScriptedResponder dialogs;
    OpenDialog("COM=3", Kd02Timing{});
    EXPECT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Inactive);
    Click("startstop");  // no image: nothing happens
    dialogs.ExpectFileDialog(false, m_com.file("fw.BIN"));
    Click("file");
    ASSERT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Idle);
    EXPECT_EQ(m_dialog->ControlText(CKd02LoaderDlg::IDC_SPACE_TEXT), QStringLiteral("  0.9 %"));
    Click("startstop");
    ASSERT_TRUE(WaitForLine(QStringLiteral("Disconnected")));
    EXPECT_EQ(Flash(image.size()), image);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_dialog->Look() == CKd02LoaderDlg::StartLook::Idle; }, 5000));
}

// Stop while the boot loader is silent in ERASE: the dialog shows idle once
// the worker is idle, at once, without an error line; Start works again.
TEST_F(Kd02LoaderDlgTest, StopDuringEraseThenRunAgain)
{
    StartSimulator({.startInBootLoader = true});
    const Bytes image = TestImage(1500);
    WriteAll(m_tool.file("KD02_ECU/fw.bin"), std::string(image.begin(), image.end()));
    WriteAll(m_tool.file(CKd02LoaderDlg::IniFileName()), kZeroWaits);
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    timing.eraseTimeout = 10.0;
    m_loader->Faults().Arm(Kd02Loader::kErase, {FaultKind::Silence, {}});
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.bin", timing);
    Click("startstop");
    ASSERT_TRUE(WaitForLine(QStringLiteral("Erasing...")));
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    Click("startstop");
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Idle);
    EXPECT_EQ(m_dialog->Programmer().CurrentState(), CKd02Programmer::IDLE);
    QTest::qWait(100);
    EXPECT_EQ(Lines().back(), QStringLiteral("Erasing..."));
    Click("startstop");
    ASSERT_TRUE(WaitForLine(QStringLiteral("Disconnected")));
    EXPECT_EQ(Flash(image.size()), image);
}

// A refused verify ends the run with "Download Error", never the success
// line, and the bar short of its end is not painted as a success.
TEST_F(Kd02LoaderDlgTest, RefusedVerifyEndsInError)
{
    StartSimulator({.startInBootLoader = true});
    const Bytes image = TestImage(1200);
    WriteAll(m_tool.file("KD02_ECU/fw.bin"), std::string(image.begin(), image.end()));
    WriteAll(m_tool.file(CKd02LoaderDlg::IniFileName()), kZeroWaits);
    m_loader->Faults().Arm(Kd02Loader::kWriteVerify, {FaultKind::Negative, {}}, true);
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.bin", timing);
    Click("startstop");
    ASSERT_TRUE(WaitForLine(QStringLiteral("Download Error")));
    const auto lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), QStringLiteral("Download Successfully")), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_dialog->Look() == CKd02LoaderDlg::StartLook::Idle; }, 5000));
}

// A one-byte image: start equals stop, and the progress shows 100 %.
TEST_F(Kd02LoaderDlgTest, OneByteImageShowsFullProgress)
{
    StartSimulator({.startInBootLoader = true});
    WriteAll(m_tool.file("KD02_ECU/one.bin"), std::string(1, '\x42'));
    WriteAll(m_tool.file(CKd02LoaderDlg::IniFileName()), kZeroWaits);
    Kd02Timing timing = TestTiming();
    timing.applicationTimeout = 0.05;
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=one.bin", timing);
    Click("startstop");
    ASSERT_TRUE(WaitForLine(QStringLiteral("Disconnected")));
    EXPECT_EQ(m_dialog->ProgressText(), QStringLiteral("100 % (0x18000)"));
    EXPECT_EQ(Flash(1), Bytes{0x42});
}

// Escape ends the tool without writing its settings; the worker is joined.
TEST_F(Kd02LoaderDlgTest, EscapeWritesNoSettings)
{
    StartSimulator();
    ScriptedResponder dialogs;
    OpenDialog("COM=3");
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_FALSE(vexar::testing::Exists(m_tool.file(CKd02LoaderDlg::IniFileName())));
    EXPECT_FALSE(m_dialog->Programmer().HasThread());
}

// A port scan that finds one number twice asks before any port opens.
TEST_F(Kd02LoaderDlgTest, ConflictQuestionBeforeAnyPortOpens)
{
    StartSimulator();
    std::string error;
    BootSimulator second(std::make_unique<Kd02Loader>());
    ASSERT_TRUE(second.Start(error)) << error;
    ASSERT_EQ(symlink(second.SlavePath().c_str(), m_com.file("com3").c_str()), 0);
    WriteAll(m_tool.file("KD02_ECU/fw.bin"), std::string(100, '\x11'));
    ScriptedResponder dialogs;
    OpenDialog("COM=3,FILE=fw.bin");
    dialogs.ExpectMessageBox(vexar::ui::IDNO, u"Attention COM-USB conflict");
    Click("startstop");
    EXPECT_EQ(m_dialog->Look(), CKd02LoaderDlg::StartLook::Idle);
    EXPECT_FALSE(m_dialog->Programmer().Line().IsOpen());
    EXPECT_TRUE(m_sim->FrameLog().empty());
    second.Stop();
}

}  // namespace
