#include "tools/hhwriter/CHandheldWriterDlg.h"

#include "HhwriterTestFiles.h"
#include "ScriptedResponder.h"
#include "TempDir.h"
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/BootSums.h"
#include "testing/bootsim/HandheldTerminal.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using vexar::testing::ReadAll;
using vexar::testing::TempDir;
using vexar::uitest::ScriptedResponder;
using hhtest::Bytes;

namespace {

class HandheldWriterDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("VEXAR_COM_DIR"))
            m_savedComDir = old;
        setenv("VEXAR_COM_DIR", m_com.path().c_str(), 1);
        for (const char* folder : {"Palm", "KD01_ECU", "KD02_ECU"})
            ASSERT_EQ(mkdir(m_tool.file(folder).c_str(), 0755), 0);
        m_lang = hhtest::Pattern(0x8000, 3);
        hhtest::WriteBytes(m_tool.file("Palm/lang.bin"), m_lang);
        m_kd01 = hhtest::WriteKd01S19(m_tool.file("KD01_ECU/fw.s19"));
        m_kd02 = hhtest::Pattern(0x10040, 4);
        hhtest::WriteBytes(m_tool.file("KD02_ECU/kd02.bin"), m_kd02);
        // The items are whole memory areas (up to 128 KB) that take minutes
        // at the handheld's 19200 baud: the tests run the line faster.
        HandheldOptions options;
        options.baud = kFastBaud;
        auto device = std::make_unique<HandheldTerminal>(std::move(options));
        m_handheld = device.get();
        m_handheld->FillBanks(0x00);
        m_sim = std::make_unique<BootSimulator>(std::move(device));
        std::string error;
        ASSERT_TRUE(m_sim->Start(error)) << error;
        ASSERT_TRUE(m_sim->PublishCom(m_com.path(), 4, error)) << error;
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_sim->Stop();
        if (m_savedComDir)
            setenv("VEXAR_COM_DIR", m_savedComDir->c_str(), 1);
        else
            unsetenv("VEXAR_COM_DIR");
    }
    void Open(const std::string& argument)
    {
        m_dialog = std::make_unique<CHandheldWriterDlg>(argument, m_tool.path() + "/", 0.3, [this] { return m_now; });
        m_dialog->show();
    }
    void Click(int id) { QTest::mouseClick(m_dialog->Button(id), Qt::LeftButton); }
    std::vector<QString> Lines() const
    {
        std::vector<QString> lines;
        for (int i = 0; i < m_dialog->StatusList()->count(); ++i)
            lines.push_back(m_dialog->StatusList()->item(i)->text());
        return lines;
    }
    Bytes Bank(int bank, std::uint32_t address, std::size_t count)
    {
        Bytes bytes;
        m_sim->WithDevice([&](BootDevice&) { bytes = m_handheld->Bank(bank, address, count); });
        return bytes;
    }
    std::size_t Blocks() { return m_sim->CountRequests(HandheldTerminal::kBlockWrite); }

    static constexpr long kFastBaud = 256000;
    static constexpr const char* kAll =
        "COM=4,BAUD=256000,PATHLANG=,FILELANG=lang.bin,FILEFWKD01=fw.s19,FILEFWKD02=kd02.bin";

    TempDir m_tool;
    TempDir m_com;
    std::optional<std::string> m_savedComDir;
    Bytes m_lang, m_kd01, m_kd02;
    std::unique_ptr<BootSimulator> m_sim;
    HandheldTerminal* m_handheld = nullptr;
    std::unique_ptr<CHandheldWriterDlg> m_dialog;
    std::chrono::steady_clock::time_point m_now{};
};

// All three items, the settings from the argument: every line as spelled,
// the handheld holds each item, the overall text reaches 100 %.
TEST_F(HandheldWriterDlgTest, AllThreeItems)
{
    ScriptedResponder dialogs;
    Open(std::string(kAll) + ",PATH=/nowhere,FILE=x.s19");
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("hhwriter @ Com=4 Baud=256000"));
    EXPECT_EQ(m_dialog->FileText(CHandheldWriterDlg::ITEM_LANG), QString::fromStdString(m_tool.file("Palm/lang.bin")));
    EXPECT_EQ(m_dialog->CurrentText(), QStringLiteral("0 %"));
    for (const auto item : {CHandheldWriterDlg::ITEM_LANG, CHandheldWriterDlg::ITEM_KD01, CHandheldWriterDlg::ITEM_KD02}) {
        EXPECT_FALSE(m_dialog->Check(item)->isChecked()) << "not ticked by the settings";
        m_dialog->Check(item)->setChecked(true);
    }
    std::vector<QString> overall;
    QObject::connect(m_dialog->OverallBar(), &QProgressBar::valueChanged,
                     [&](int) { overall.push_back(m_dialog->OverallText()); });
    Click(CHandheldWriterDlg::IDC_START);
    char kd02Line[64];
    std::snprintf(kd02Line, sizeof kd02Line, "Loading FW KD02 [%06x][%04x]", 0x10040u, WordSum16(m_kd02, 0xFF));
    unsigned kd01Sum = 0;
    for (std::uint32_t a = 0x8000; a <= 0x83FF; ++a)
        kd01Sum += m_kd01[a];
    for (std::uint32_t a = 0xFFE0; a <= 0xFFFF; ++a)
        kd01Sum += m_kd01[a];
    const std::vector<QString> expected{"Programming lang ...", "Done succesfully!",
                                        QString::asprintf("Loading FW KD01 [8000][83ff][8000][%04x]", kd01Sum & 0xFFFF),
                                        "Programming KD01 firmware ...", "Done succesfully!", kd02Line,
                                        "Programming KD02 firmware ...", "Done succesfully!"};
    EXPECT_EQ(Lines(), expected);
    ASSERT_GE(overall.size(), 3u);
    EXPECT_EQ(std::vector<QString>(overall.end() - 3, overall.end()), (std::vector<QString>{" 33 %", " 67 %", "100 %"}));
    EXPECT_EQ(Bank(2, 0, 0x8000), m_lang);
    EXPECT_EQ(Bank(0, 0, 0x8000), Bytes(m_kd01.begin() + 0x8000, m_kd01.end()));
    EXPECT_EQ(Bank(1, 0, 0x10000), Bytes(m_kd02.begin(), m_kd02.begin() + 0x10000));
    EXPECT_EQ(Bank(5, 0, 0x40), Bytes(m_kd02.begin() + 0x10000, m_kd02.end()));
    EXPECT_EQ(m_dialog->CurrentText(), QStringLiteral("100.0% Elap.00:00"));
    EXPECT_TRUE(m_dialog->Button(CHandheldWriterDlg::IDC_EXIT)->isEnabled());
    Click(CHandheldWriterDlg::IDC_EXIT);
    EXPECT_FALSE(m_dialog->isVisible());
    const std::string ini = ReadAll(m_tool.file(CHandheldWriterDlg::IniFileName()));
    for (const char* line : {"portnum = 4", "FileLang = lang.bin", "LoadLang = 1", "LoadFwKd02 = 1", "FileFwKd01 = fw.s19"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
}

// Nothing ticked: Start only disables and enables the buttons.
TEST_F(HandheldWriterDlgTest, NothingTickedOnlyTogglesTheButtons)
{
    ScriptedResponder dialogs;
    Open(kAll);
    Click(CHandheldWriterDlg::IDC_START);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Blocks(), 0u);
    for (const int id : {CHandheldWriterDlg::IDC_START, CHandheldWriterDlg::IDC_EXIT, CHandheldWriterDlg::IDC_COM_CFG,
                         CHandheldWriterDlg::IDC_ABOUT, CHandheldWriterDlg::IDC_LANG})
        EXPECT_TRUE(m_dialog->Button(id)->isEnabled()) << id;
}

// A KD01 file named in capitals "RUN" is not a ".run": refused, and the
// next item follows.
TEST_F(HandheldWriterDlgTest, CapitalRunIsRefusedAndTheNextItemFollows)
{
    hhtest::WriteBytes(m_tool.file("KD01_ECU/FW.RUN"), hhtest::Pattern(64, 1));
    ScriptedResponder dialogs;
    Open("COM=4,BAUD=256000,FILEFWKD01=FW.RUN,FILEFWKD02=kd02.bin");
    m_dialog->Check(CHandheldWriterDlg::ITEM_KD01)->setChecked(true);
    m_dialog->Check(CHandheldWriterDlg::ITEM_KD02)->setChecked(true);
    Click(CHandheldWriterDlg::IDC_START);
    const std::vector<QString> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], QStringLiteral("ERROR: invalid file type!"));
    EXPECT_EQ(lines[1], QStringLiteral("ERROR loading FW KD01!"));
    EXPECT_EQ(lines.back(), QStringLiteral("Done succesfully!"));
}

// A KD02 ".hex" beyond what the handheld keeps is refused.
TEST_F(HandheldWriterDlgTest, TooBigKd02HexIsRefused)
{
    hhtest::WriteHex(m_tool.file("KD02_ECU/big.hex"), 0x18000, hhtest::Pattern(0x20040, 1));
    ScriptedResponder dialogs;
    Open("COM=4,BAUD=256000,FILEFWKD02=big.hex");
    m_dialog->Check(CHandheldWriterDlg::ITEM_KD02)->setChecked(true);
    Click(CHandheldWriterDlg::IDC_START);
    EXPECT_EQ(Lines(), (std::vector<QString>{"ERROR: KD02 file too big!", "ERROR loading FW KD02!"}));
    EXPECT_EQ(Blocks(), 0u);
}

// A timer clicks Stop in the middle of the language file: "ERROR!", and
// the KD01 firmware is still sent; a second timer kept firing meanwhile.
TEST_F(HandheldWriterDlgTest, StopMidItemAndTheWindowStaysResponsive)
{
    ScriptedResponder dialogs;
    Open(kAll);
    m_dialog->Check(CHandheldWriterDlg::ITEM_LANG)->setChecked(true);
    m_dialog->Check(CHandheldWriterDlg::ITEM_KD01)->setChecked(true);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(20, [&] {
            EXPECT_TRUE(m_dialog->Sending());
            EXPECT_FALSE(m_dialog->Button(CHandheldWriterDlg::IDC_EXIT)->isEnabled());
            Click(CHandheldWriterDlg::IDC_EXIT);  // disabled: nothing
            Click(CHandheldWriterDlg::IDC_STOP);
        });
    });
    Click(CHandheldWriterDlg::IDC_START);
    const std::vector<QString> lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], QStringLiteral("ERROR!"));
    EXPECT_EQ(lines[4], QStringLiteral("Done succesfully!"));
    EXPECT_GT(ticks, 3) << "timers fire between blocks";
    EXPECT_LT(Bank(2, 0, 0x8000), m_lang) << "the language file was cut short";
    EXPECT_TRUE(m_dialog->isVisible());
}

// A close request during sending writes the settings at once; the dialog
// ends when the sending is over.
TEST_F(HandheldWriterDlgTest, CloseDuringSending)
{
    ScriptedResponder dialogs;
    Open(kAll);
    m_dialog->Check(CHandheldWriterDlg::ITEM_LANG)->setChecked(true);
    const std::string iniPath = m_tool.file(CHandheldWriterDlg::IniFileName());
    bool written = false;
    QTimer::singleShot(10, [&] {
        m_dialog->close();
        written = QFile::exists(QString::fromStdString(iniPath));
        EXPECT_TRUE(m_dialog->isVisible()) << "still sending";
    });
    Click(CHandheldWriterDlg::IDC_START);
    EXPECT_TRUE(written);
    EXPECT_EQ(Lines().back(), QStringLiteral("Done succesfully!"));
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_NE(ReadAll(iniPath).find("LoadLang = 1"), std::string::npos);
}

// Faults on the handheld: each failed item says "ERROR!" (and its box
// where the name or descriptor failed), the next item is sent.
TEST_F(HandheldWriterDlgTest, FaultsFailOnlyTheirItem)
{
    struct Case {
        const char* name;
        std::uint8_t command;
        FaultKind kind;
        std::size_t nth;
        std::u16string box;
        int failedItem;  // 0 language, 1 KD01, 2 KD02
    };
    const std::vector<Case> cases{
        {"language block silent", 0x4C, FaultKind::Silence, 7, {}, 0},
        {"language block short", 0x4C, FaultKind::Short, 1, {}, 0},
        {"KD01 block unplugged", 0x4C, FaultKind::Unplug, 600, {}, 1},
        {"KD01 name", 0x41, FaultKind::WrongEcho, 3, u"ERROR: writing FW KD01 file name", 1},
        {"KD01 descriptor", 0x41, FaultKind::Silence, 20, u"ERROR: writing FW data", 1},
        {"KD02 name", 0x41, FaultKind::Short, 30, u"ERROR: writing FW KD02 file name", 2},
        {"KD02 descriptor", 0x41, FaultKind::WrongEcho, 40, u"ERROR: writing FW data", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(m_sim->Replug(error)) << error;
        m_sim->WithDevice([&](BootDevice&) {
            m_handheld->ApplicationFaults().Clear();
            m_handheld->ApplicationFaults().Arm(c.command, {c.kind, {}}, false, c.nth);
        });
        ScriptedResponder dialogs;
        if (!c.box.empty())
            dialogs.ExpectMessageBox(vexar::ui::IDOK, c.box);
        Open(kAll);
        for (const auto item : {CHandheldWriterDlg::ITEM_LANG, CHandheldWriterDlg::ITEM_KD01, CHandheldWriterDlg::ITEM_KD02})
            m_dialog->Check(item)->setChecked(true);
        Click(CHandheldWriterDlg::IDC_START);
        std::vector<QString> results;
        for (const QString& line : Lines())
            if (line == QStringLiteral("ERROR!") || line == QStringLiteral("Done succesfully!"))
                results.push_back(line);
        ASSERT_EQ(results.size(), 3u);
        // An unplugged handheld stays away: the items after it fail too.
        for (int i = 0; i < 3; ++i) {
            const bool failed = i == c.failedItem || (c.kind == FaultKind::Unplug && i > c.failedItem);
            EXPECT_EQ(results[i], failed ? QStringLiteral("ERROR!") : QStringLiteral("Done succesfully!")) << i;
        }
        EXPECT_EQ(dialogs.pending(), 0u);
        m_dialog.reset();
    }
}

}  // namespace
