// The checklist on the ECU bench: the configuration's Checklist.cfg lists
// parameters, variables and diagnosis rows; the file is written at once
// from the values shown, or, when it lists diagnosis rows, after the worker
// has read the listed values from the simulated ECU. The file is UTF-16
// with its mark, dated in English in the local time of the pinned zone
// whatever the locale, and written whole or not at all.
#include "Dates.h"
#include "EcuShell.h"

#include "common/Text.h"
#include "dialogs/CDlgDiag.h"
#include "link/LinkMessages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;
using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
using vexar::testing::ReadAll;
using vexar::testing::WriteAll;

namespace {

constexpr std::uint8_t kReadVariableBlock = 5;
constexpr std::uint8_t kUploadList = 11;

// The header of every checklist of the bench, at the pinned time: Sunday
// 29 March 2026, the day summer time begins in the tests' zone.
constexpr char16_t kHeader[] = u"Sunday, 29/03/2026\t14:05:09\tKD02_ECU\tVXG4_R01070\tVXG4_R01070\n\n";

// Public and privileged entries of every section; the lines before
// "[Parameters]" do not count.
constexpr char kWithoutDiagnosis[] = "Giri_Motore\n"
                                     "[Parameters]\n"
                                     "  Rpm_Cambio\n"
                                     "Numero_Cilindri\n"
                                     "\n"
                                     "Temp_Cambio\n"
                                     "Not_A_Control\n"
                                     "[Variables]\n"
                                     "Tensione_Batteria\n"
                                     "Tempo_Inj_Corretto\n"
                                     "Giri_Motore\n";
constexpr char kDiagnosis[] = "[Diagnosis]\n"
                              "Errore_Sensori\n"
                              "Errori_Iniettori\n";

std::u16string FromUtf16File(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) {
        ADD_FAILURE() << "no byte-order mark";
        return {};
    }
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

std::size_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return (std::size_t{bytes[at]} << 8) | bytes[at + 1];
}

class ChecklistBench : public EcuShellBase {
protected:
    void SetUp() override
    {
        StartBench({});
        m_shell.App().m_clock = [] { return vexar::testing::LocalTime(2026, 3, 29, 14, 5, 9); };
        // The ECU's actions for the injector errors: injector 1 cut off,
        // injector 3 back to petrol.
        const std::uint8_t actions[] = {2, 0, 1, 0};
        m_sim->WriteImage(ecusim::Image::Parameters, 53, actions);
        // Engine at 3000 rpm, battery at 12.5 V, a gas pressure sensor
        // shorted, injectors 1 and 3 open.
        const std::pair<std::size_t, std::vector<std::uint8_t>> variables[] = {
            {0, {0x0B, 0xB8}}, {6, {125}}, {12, {0x00, 0x64}}, {16, {2}}, {18, {0x00, 0x05}}};
        for (const auto& [address, bytes] : variables)
            m_sim->WriteImage(ecusim::Image::Variables, address, bytes);
        Command(ID_CONNETTI);
        ASSERT_TRUE(WaitLinked(true));
        ASSERT_TRUE(MasterAgreesWithEcu());
        ASSERT_NE(View().m_dlgDiag, nullptr);
    }

    CVEXARView& View() { return m_shell.View(); }
    std::string Definition() { return m_shell.Folder().File("Configuration/KD02_ECU/VXG4_R01070/Checklist.cfg"); }
    std::string Target(const std::string& name) { return m_shell.Folder().File("Checklist/KD02_ECU/" + name); }

    // The checklist command, its Save dialog answered with `path`.
    void Create(const std::string& path)
    {
        m_shell.Dialogs().ExpectFileDialog(true, path);
        Command(ID_CREA_CHK);
    }
    bool ReadListPosted()
    {
        const std::vector<unsigned> posted = m_shell.App().Posted();
        return std::find(posted.begin(), posted.end(), link::WM_LINK_READ_LIST) != posted.end();
    }
    // The variable ranges the ECU was asked for, in the order asked.
    static std::vector<REC_UPLD_SV> RangesRead(const std::vector<ecusim::FrameRecord>& log)
    {
        std::vector<REC_UPLD_SV> ranges;
        for (const ecusim::FrameRecord& record : log) {
            const std::vector<std::uint8_t>& rq = record.bytes;
            if (record.kind != ecusim::FrameRecord::Kind::Request || !record.crcOk || rq.size() < 10)
                continue;
            if (rq[2] == kUploadList)
                for (std::size_t i = 0; i < Word(rq, 4) && 12 + 4 * i <= rq.size(); ++i)
                    ranges.push_back({static_cast<std::int32_t>(Word(rq, 8 + 4 * i)),
                                      static_cast<std::int32_t>(Word(rq, 10 + 4 * i))});
            else if (rq[2] == kReadVariableBlock)
                ranges.push_back({-1, -1});
        }
        return ranges;
    }
};

}  // namespace

// Without "[Diagnosis]" nothing is read: the file is there when the command
// returns, with the values as the program shows them. The public profile
// lists the public entries only, a privileged one every entry.
TEST_F(ChecklistBench, WithoutDiagnosisTheFileIsWrittenAtOnceForTheProfile)
{
    WriteAll(Definition(), kWithoutDiagnosis);
    m_sim->ClearFrameLog();
    m_shell.App().ClearPosted();
    const std::string path = Target("public.txt");
    Create(path);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(ReadListPosted());
    const std::u16string parameters = u"[Parameters]\n\n"
                                      u"Rpm_Cambio\tChangeover RPM\t16963\n"
                                      u"Temp_Cambio\tChangeover temperature\t28.000000\n";
    EXPECT_EQ(FromUtf16File(ReadAll(path)), kHeader + parameters +
                                                u"\n[Variables]\n\n"
                                                u"Tensione_Batteria\tBattery voltage\t0.000000\n"
                                                u"Giri_Motore\tEngine speed\t0.000000\n");
    // The folder of the Save dialog was made for it.
    EXPECT_EQ(m_shell.Dialogs().shown().back().folder, m_shell.Folder().File("Checklist/KD02_ECU/"));
    EXPECT_EQ(m_shell.Dialogs().shown().back().filter, u"Chk Files (*.txt)|*.txt|");

    m_shell.App().m_nOperator = OPR_PRV;
    const std::string privileged = Target("privileged.txt");
    Create(privileged);
    EXPECT_EQ(FromUtf16File(ReadAll(privileged)), std::u16string(kHeader) +
                                                      u"[Parameters]\n\n"
                                                      u"Rpm_Cambio\tChangeover RPM\t16963\n"
                                                      u"Numero_Cilindri\tCylinders\t\n"
                                                      u"Temp_Cambio\tChangeover temperature\t28.000000\n"
                                                      u"\n[Variables]\n\n"
                                                      u"Tensione_Batteria\tBattery voltage\t0.000000\n"
                                                      u"Tempo_Inj_Corretto\tCorrected gas injection time\t\n"
                                                      u"Giri_Motore\tEngine speed\t0.000000\n");
    QTest::qWait(100);
    EXPECT_TRUE(RangesRead(m_sim->FrameLog()).empty());
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

// With "[Diagnosis]" the worker first reads the listed variables and rows,
// merged into the blocks of the list upload, and the file follows with the
// values read.
TEST_F(ChecklistBench, WithDiagnosisTheListedValuesAreReadBeforeTheFile)
{
    WriteAll(Definition(), std::string(kWithoutDiagnosis) + kDiagnosis);
    m_sim->ClearFrameLog();
    m_shell.App().ClearPosted();
    const std::string path = Target("read.txt");
    Create(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ReadListPosted());
    std::vector<ecusim::FrameRecord> logWhenWritten;
    ASSERT_TRUE(WaitUntil([&] {
        if (!std::filesystem::exists(path))
            return false;
        logWhenWritten = m_sim->FrameLog();
        return true;
    }));
    // Engine speed, battery, sensor errors and injector errors; the
    // privileged injection time is not read for the public profile.
    EXPECT_EQ(RangesRead(logWhenWritten), (std::vector<REC_UPLD_SV>{{0, 2}, {6, 1}, {16, 1}, {18, 2}}));
    EXPECT_EQ(FromUtf16File(ReadAll(path)),
              std::u16string(kHeader) +
                  u"[Parameters]\n\n"
                  u"Rpm_Cambio\tChangeover RPM\t16963\n"
                  u"Temp_Cambio\tChangeover temperature\t28.000000\n"
                  u"\n[Variables]\n\n"
                  u"Tensione_Batteria\tBattery voltage\t12.500000\n"
                  u"Giri_Motore\tEngine speed\t3000.000000\n"
                  u"\n[Diagnosis]\n\n"
                  u"Errore_Sensori\tSensor errors\t2\tGas pressure sensor shorted\t\n"
                  u"Errori_Iniettori\tInjector errors\t0x00000001\tGas injector 1 open circuit\t2\tInjector cut off\n"
                  u"Errori_Iniettori\tInjector errors\t0x00000004\tGas injector 3 open circuit\t1\tBack to petrol\n");
    EXPECT_TRUE(View().m_strChecklistPath.empty());
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

TEST_F(ChecklistBench, WithoutADefinitionTheHeaderStandsAlone)
{
    std::filesystem::remove(Definition());
    m_shell.App().ClearPosted();
    const std::string path = Target("empty.txt");
    Create(path);
    EXPECT_EQ(FromUtf16File(ReadAll(path)), kHeader);
    EXPECT_FALSE(ReadListPosted());
}

// An existing file is asked about; a write that fails at any step is said
// and leaves the old file as it was.
TEST_F(ChecklistBench, AnExistingFileIsAskedAboutAndAFailedWriteKeepsIt)
{
    WriteAll(Definition(), kWithoutDiagnosis);
    const std::string path = Target("old.txt");
    std::filesystem::create_directories(Target(""));
    WriteAll(path, "old");
    m_shell.Dialogs().ExpectFileDialog(true, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3078 " + ToUtf16(path));
    Command(ID_CREA_CHK);
    EXPECT_EQ(ReadAll(path), "old");
    for (const char* step : {"create", "write", "flush", "rename"}) {
        SCOPED_TRACE(step);
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        m_shell.Dialogs().ExpectFileDialog(true, path);
        m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078");
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"Error to write file " + ToUtf16(path) + u"!");
        Command(ID_CREA_CHK);
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(ReadAll(path), "old");
        EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
    }
    m_shell.Dialogs().ExpectFileDialog(true, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078");
    Command(ID_CREA_CHK);
    EXPECT_EQ(FromUtf16File(ReadAll(path)).substr(0, std::size(kHeader) - 1), kHeader);
}

// Only while linked: the button and its label follow the link, and the
// command asks nothing without it.
TEST_F(ChecklistBench, OnlyWhileLinked)
{
    EXPECT_TRUE(ui::IsWindowEnabled(View().Button(kActionChecklist)));
    EXPECT_TRUE(ItemEnabled(m_shell.Frame(), ID_CREA_CHK));
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    EXPECT_FALSE(ui::IsWindowEnabled(View().Button(kActionChecklist)));
    Command(ID_CREA_CHK);
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());
}
