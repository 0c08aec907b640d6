// The calibration file commands on the ECU bench: save with a comment
// through the naming dialog or the Save dialog, load (and write to the
// ECU), the automatic load of the start file, reset to the defaults, the
// comments text and the binary export.
#include "CryptFixtures.h"
#include "Dates.h"
#include "EcuShell.h"
#include "common/Text.h"
#include "dialogs/CDlgCmpFilePC.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CDlgNomeFilePC.h"
#include "dialogs/CDlgWaitMsg.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlNumEdit.h"
#include "pages/CDlgTabSB.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"
#include "shell/core/ShellMessages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;
using vexar::testing::ReadAll;

namespace {

// What the naming dialog is given: model and index (the rest as proposed),
// or nothing for Cancel.
struct NAMING {
    QString model;
    QString index = "3";
    QString vehicle;  // selected when listed
};

NAMING Sedan()
{
    NAMING naming;
    naming.model = QStringLiteral("SEDAN");
    return naming;
}

class CalibFiles : public EcuShellBase {
protected:
    void SetUp() override
    {
        StartBench({});
        m_shell.App().m_clock = [this] { return m_now; };
    }

    CVEXARView& View() { return m_shell.View(); }
    std::string Root() { return m_shell.Folder().File("Parameter") + "/"; }
    std::string EcuFolder() { return Root() + "KD02_ECU/"; }

    IDataCtrl* Control(const std::u16string& identifier)
    {
        for (const CTRL_WND& entry : *m_shell.App().m_pParTable)
            if (entry.wnd && entry.wnd->GetDefinition().IDENTIFICATORE == identifier)
                return entry.wnd;
        ADD_FAILURE() << "no control";
        return nullptr;
    }
    double Value(const std::u16string& identifier) { return Control(identifier)->GetValue(); }
    // Types a value into a numeric field of the parameter window.
    void Type(const std::u16string& identifier, const char* text)
    {
        auto* field = dynamic_cast<CCtrlNumEdit*>(Control(identifier));
        ASSERT_NE(field, nullptr);
        // The parameter window on the field's page, the field focused.
        if (!field->isVisible()) {
            Command(ID_CONFIG_VETTURA);
            CDlgTabSB& host = *View().m_wndParams;
            for (int tab = 0; tab < static_cast<int>(host.m_pages.size()) && !field->isVisible(); ++tab)
                host.ShowPage(tab);
            ASSERT_TRUE(field->isVisible());
        }
        QApplication::setActiveWindow(field->window());
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Rpm_Cambio as the ECU holds it: a big-endian word at 18.
    int RpmInEcu() const
    {
        const std::vector<std::uint8_t> image = EcuImage();
        return image[18] << 8 | image[19];
    }
    std::vector<std::uint8_t> Work()
    {
        std::lock_guard lock(m_shell.App().m_csParImage);
        return {m_shell.App().m_pParWork.get(), m_shell.App().m_pParWork.get() + m_shell.App().m_nParSize};
    }

    // The save command with `comment` typed (nothing: the comment dialog
    // cancelled) and the naming dialog answered.
    void Save(const std::optional<QString>& comment, const std::optional<NAMING>& naming)
    {
        const auto commentAnswer = WhenModal<CDlgInsComm>([comment](CDlgInsComm& dialog) {
            if (comment) {
                dialog.CommentField().SetWindowText(comment->toStdU16String());
                QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
            } else {
                QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
            }
        });
        const auto namingAnswer = WhenModal<CDlgNomeFilePC>([naming](CDlgNomeFilePC& dialog) {
            if (!naming) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return;
            }
            if (!naming->model.isEmpty())
                dialog.ModelField().setText(naming->model);
            dialog.IndexField().setText(naming->index);
            if (!naming->vehicle.isEmpty())
                dialog.VehicleList().setCurrentIndex(dialog.VehicleList().findText(naming->vehicle));
            QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
        });
        Command(ID_SALVA_CNF);
        QCoreApplication::processEvents();
    }
    std::u16string Deciphered(const std::string& path)
    {
        std::u16string text;
        std::string error;
        EXPECT_TRUE(crypt::ReadCipherText(path, text, error)) << error;
        return text;
    }
    static int Count(const std::u16string& text, const std::u16string& part)
    {
        int count = 0;
        for (std::size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
    std::vector<std::u16string> CommentTexts()
    {
        std::vector<std::u16string> texts;
        for (const COMMENTO& comment : View().m_parFile.GetCommenti().GetList())
            texts.push_back(comment.text);
        return texts;
    }

    // Sunday 29 March 2026, the day summer time begins in the tests' zone.
    std::time_t m_now = vexar::testing::LocalTime(2026, 3, 29, 14, 5, 9);
};

// The file the naming dialog builds for model SEDAN, index 3, offline: the
// firmware field is the configuration's last 8 characters.
constexpr char kSedanName[] = "SEDAN_00_00__X_4_R01070_03.dat";

}  // namespace

TEST_F(CalibFiles, SaveKeepsTheLoadedCommentsOnlyOverAnExistingFile)
{
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("first"), Sedan());
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(View().m_strCalibFolder, ToUtf16(EcuFolder()) + u"LPG/");
    // The name goes into the calibration-name field, whose text the title
    // then shows.
    EXPECT_EQ(m_shell.Frame().m_paneCalib->text(), QStringLiteral(" Calib: SEDAN_00_00__X_4"));
    EXPECT_EQ(Count(Deciphered(path), u"<TESTO>\nfirst\n</TESTO>"), 1);

    // Over the same file, Yes: the loaded comments and the new one.
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078 " + ToUtf16(path));
    Save(QStringLiteral("second"), Sedan());
    std::u16string text = Deciphered(path);
    EXPECT_EQ(Count(text, u"<TESTO>\nfirst\n</TESTO>"), 1);
    EXPECT_EQ(Count(text, u"<TESTO>\nsecond\n</TESTO>"), 1);

    // No: the file stays byte for byte.
    const std::string before = ReadAll(path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3078");
    Save(QStringLiteral("third"), Sedan());
    EXPECT_EQ(ReadAll(path), before);

    // A new file through the Save dialog holds the new comment alone.
    const std::u16string proposed = View().m_strCalibName;
    const std::string other = EcuFolder() + "other.dat";
    m_shell.Dialogs().ExpectFileDialog(true, other);
    Save(QStringLiteral("fourth"), std::nullopt);
    text = Deciphered(other);
    EXPECT_EQ(Count(text, u"<COMMENTO>"), 1);
    EXPECT_EQ(Count(text, u"<TESTO>\nfourth\n</TESTO>"), 1);
    EXPECT_EQ(m_shell.Frame().m_paneCalib->text(), QStringLiteral(" Calib: other.dat"));
    // The Save dialog leaves the calibration folder as it was.
    EXPECT_EQ(View().m_strCalibFolder, ToUtf16(EcuFolder()) + u"LPG/");
    const uitest::ShownDialog& shown = m_shell.Dialogs().shown().back();
    EXPECT_EQ(shown.folder, EcuFolder());
    EXPECT_EQ(shown.fileName, proposed);
    EXPECT_EQ(shown.filter, u"Dat Files (*.dat)|*.dat|");
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);

    // The comments text, dated in English whatever the locale.
    EXPECT_EQ(View().BuildCommentsText(), u"Sunday, 29/03/2026\r\n14:05:09\r\nfourth\r\n");
}

TEST_F(CalibFiles, ACancelledNamingOffersParametriDatInTheEcuFolder)
{
    View().m_strCalibName.clear();
    std::filesystem::remove_all(Root());
    m_shell.Dialogs().ExpectFileDialog(true, std::nullopt);
    Save(std::nullopt, std::nullopt);
    const uitest::ShownDialog& shown = m_shell.Dialogs().shown().back();
    EXPECT_EQ(shown.fileName, u"Parametri.dat");
    EXPECT_EQ(shown.folder, EcuFolder());
    EXPECT_TRUE(std::filesystem::is_directory(EcuFolder()));
    EXPECT_FALSE(std::filesystem::exists(EcuFolder() + "Parametri.dat"));
}

// A save that fails at any step says so, keeps the old file and every
// comment: a retry writes them all.
TEST_F(CalibFiles, AFailedSaveIsSaidAndLosesNothing)
{
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("first"), Sedan());
    const std::string before = ReadAll(path);
    for (const char* step : {"create", "write", "flush", "rename"}) {
        SCOPED_TRACE(step);
        setenv("VEXAR_FAULT_ATOMIC_WRITE", step, 1);
        m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078");
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"Error to write file " + ToUtf16(path) + u"!");
        Save(QString("over ") + step, Sedan());
        // A new file that cannot be written: the loaded comments stay.
        const std::string fresh = EcuFolder() + "fresh.dat";
        m_shell.Dialogs().ExpectFileDialog(true, fresh);
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"Error to write file " + ToUtf16(fresh) + u"!");
        Save(QString("new ") + step, std::nullopt);
        unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
        EXPECT_EQ(ReadAll(path), before);
        EXPECT_FALSE(std::filesystem::exists(fresh));
        EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
    }
    EXPECT_EQ(CommentTexts().size(), 9u);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078");
    Save(QStringLiteral("retry"), Sedan());
    const std::u16string text = Deciphered(path);
    EXPECT_EQ(Count(text, u"<COMMENTO>"), 10);
    for (const char16_t* comment : {u"first", u"over create", u"new rename", u"retry"})
        EXPECT_EQ(Count(text, u"<TESTO>\n" + std::u16string(comment) + u"\n</TESTO>"), 1);
}

TEST_F(CalibFiles, LoadBringsTheValuesAndCommentsBack)
{
    Type(u"Rpm_Cambio", "2500");
    ASSERT_EQ(Value(u"Rpm_Cambio"), 2500);
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("saved at 2500"), Sedan());
    const std::vector<std::uint8_t> saved = Work();
    Type(u"Rpm_Cambio", "3000");
    View().m_strCalibName = u"else.dat";
    View().m_parFile.GetCommenti().RemoveAll();

    m_shell.Dialogs().ExpectFileDialog(false, path);
    Command(ID_CARICA_CNF);
    ASSERT_TRUE(WaitUntil([&] { return Value(u"Rpm_Cambio") == 2500; }));
    EXPECT_EQ(Work(), saved);
    EXPECT_EQ(CommentTexts(), std::vector<std::u16string>{u"saved at 2500"});
    EXPECT_EQ(View().m_strCalibFolder, ToUtf16(EcuFolder()) + u"LPG/");
    EXPECT_TRUE(WaitUntil([&] { return m_shell.Frame().m_paneCalib->text() == " Calib: SEDAN_00_00__X_4"; }));
    EXPECT_EQ(View().m_strStartName, ToUtf16(kSedanName));
    EXPECT_EQ(View().m_strStartFirmware, u"VXG4_R01070");
    EXPECT_EQ(ReadAll(m_shell.Folder().File("Calib.cfg")), EcuFolder() + "LPG/\n" + kSedanName + "\n1\n1\n");
    // The busy window came and went.
    ASSERT_NE(m_shell.Frame().m_dlgWait, nullptr);
    EXPECT_FALSE(m_shell.Frame().m_dlgWait->m_bCreated);
    const uitest::ShownDialog& shown = m_shell.Dialogs().shown().back();
    EXPECT_FALSE(shown.save);
    EXPECT_EQ(shown.folder, EcuFolder());
}

// A file for another firmware is asked about; No changes nothing, Yes on
// a file that does not suit fails the read.
TEST_F(CalibFiles, AFileOfAnotherFirmwareIsAskedAbout)
{
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("c"), Sedan());
    RewriteCipherFile(path, u"VXG4_R01070", u"ZZZ9_R01070");
    Type(u"Rpm_Cambio", "3000");
    const std::vector<std::uint8_t> before = Work();
    const std::string calibCfg = ReadAll(m_shell.Folder().File("Calib.cfg"));

    m_shell.Dialogs().ExpectFileDialog(false, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3125 ZZZ9_R01070 VXG4_R01070");
    Command(ID_CARICA_CNF);
    m_shell.Dialogs().ExpectFileDialog(false, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3125");
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3207");
    Command(ID_CARICA_CNF);
    QTest::qWait(20);
    EXPECT_EQ(Work(), before);
    EXPECT_EQ(Value(u"Rpm_Cambio"), 3000);
    EXPECT_EQ(ReadAll(m_shell.Folder().File("Calib.cfg")), calibCfg);
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

// A file broken after its parameters: the images, the controls, the names
// and Calib.cfg stay as they were.
TEST_F(CalibFiles, AFileBrokenHalfwayChangesNothing)
{
    Type(u"Rpm_Cambio", "2500");
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("kept"), Sedan());
    RewriteCipherFile(path, u"<ORA>", u"<ORA_BROKEN>");
    Type(u"Rpm_Cambio", "3000");
    View().m_strCalibName = u"before.dat";
    View().UpdateTitle();
    const std::vector<std::uint8_t> before = Work();
    const std::vector<std::uint8_t> master = Master();
    const std::string calibCfg = ReadAll(m_shell.Folder().File("Calib.cfg"));
    const std::u16string startName = View().m_strStartName;

    m_shell.Dialogs().ExpectFileDialog(false, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3106");
    Command(ID_CARICA_CNF);
    QTest::qWait(50);
    EXPECT_EQ(Work(), before);
    EXPECT_EQ(Master(), master);
    EXPECT_EQ(Value(u"Rpm_Cambio"), 3000);
    EXPECT_EQ(CommentTexts(), std::vector<std::u16string>{u"kept"});
    EXPECT_EQ(m_shell.Frame().m_paneCalib->text(), QStringLiteral(" Calib: before.dat"));
    EXPECT_EQ(View().m_strStartName, startName);
    EXPECT_EQ(ReadAll(m_shell.Folder().File("Calib.cfg")), calibCfg);
}

// Linked: Yes to 3103 writes the loaded calibration to the ECU; edition 5
// never asks.
TEST_F(CalibFiles, ALoadWhileLinkedWritesTheEcuWhenAsked)
{
    Type(u"Rpm_Cambio", "2500");
    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("c"), Sedan());
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ASSERT_NE(RpmInEcu(), 2500);

    m_shell.Dialogs().ExpectFileDialog(false, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3103");
    Command(ID_CARICA_CNF);
    QTest::qWait(100);
    EXPECT_NE(RpmInEcu(), 2500);

    m_shell.Dialogs().ExpectFileDialog(false, path);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3103");
    Command(ID_CARICA_CNF);
    EXPECT_TRUE(WaitUntil([&] { return RpmInEcu() == 2500 && EcuImage() == Master(); }));

    m_shell.App().m_nEdition = 5;
    m_shell.Dialogs().ExpectFileDialog(false, path);
    Command(ID_CARICA_CNF);
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

// The start file is read at a configuration load when its firmware agrees
// with the configuration at positions 0, 1, 2 and 10.
TEST_F(CalibFiles, TheStartFileLoadsWhenItsFirmwareSuits)
{
    Type(u"Rpm_Cambio", "2500");
    Save(QStringLiteral("c"), Sedan());
    Type(u"Rpm_Cambio", "3000");
    const struct {
        std::u16string firmware;
        bool loads;
    } cases[] = {
        {u"VXG4_R01070", true}, {u"VXG9_X99990", true},  {u"AXG4_R01070", false}, {u"VAG4_R01070", false},
        {u"VXA4_R01070", false}, {u"VXG4_R01071", false}, {u"VXG4_R0107", false},  {u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.firmware));
        Type(u"Rpm_Cambio", "3000");
        View().m_strCalibName = u"none";
        View().m_strStartFolder = ToUtf16(EcuFolder()) + u"LPG/";
        View().m_strStartName = ToUtf16(kSedanName);
        View().m_strStartFirmware = c.firmware;
        View().LoadParameterFile();
        QTest::qWait(20);
        EXPECT_EQ(Value(u"Rpm_Cambio"), c.loads ? 2500 : 3000);
        EXPECT_EQ(View().m_strCalibName != u"none", c.loads);
        EXPECT_EQ(View().m_strStartName.empty(), !c.loads);
        EXPECT_EQ(View().m_strStartFirmware, c.loads ? c.firmware : u"");
    }
}

TEST_F(CalibFiles, ResetPutsTheDefaultsAndWritesTheEcuWhenAsked)
{
    Type(u"Rpm_Cambio", "2500");
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3104");
    Command(ID_RESET_MEM);
    QTest::qWait(20);
    EXPECT_EQ(Value(u"Rpm_Cambio"), 2500);

    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3104");
    Command(ID_RESET_MEM);
    ASSERT_TRUE(WaitUntil([&] { return Value(u"Rpm_Cambio") == 1800; }));
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);

    Type(u"Rpm_Cambio", "2500");
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    ASSERT_NE(RpmInEcu(), 1800);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3104");
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3103");
    Command(ID_RESET_MEM);
    EXPECT_TRUE(WaitUntil([&] { return Value(u"Rpm_Cambio") == 1800 && RpmInEcu() == 1800; }));
}

// A reset offline and linked, and a load, bring a diagnosis window that
// shows the catalogue back to the current values.
TEST_F(CalibFiles, ResetAndLoadShowTheDiagnosisCurrentValues)
{
    CDlgDiag& diagnosis = *View().m_dlgDiag;
    const auto catalogue = [&] {
        diagnosis.SplitButton().click();
        ASSERT_EQ(diagnosis.m_nViewMode, CDlgDiag::kCatalogue);
    };
    const auto current = [&] { return WaitUntil([&] { return diagnosis.m_nViewMode == CDlgDiag::kCurrentValues; }); };

    catalogue();
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3104");
    Command(ID_RESET_MEM);
    EXPECT_TRUE(current()) << "offline reset";

    const std::string path = EcuFolder() + "LPG/" + kSedanName;
    Save(QStringLiteral("c"), Sedan());
    catalogue();
    m_shell.Dialogs().ExpectFileDialog(false, path);
    Command(ID_CARICA_CNF);
    EXPECT_TRUE(current()) << "load";

    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    catalogue();
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3104");
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3103");
    Command(ID_RESET_MEM);
    EXPECT_TRUE(current()) << "linked reset";
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

TEST_F(CalibFiles, ExportWritesTheWorkingImageBesideTheCalibration)
{
    const std::vector<std::uint8_t> work = Work();
    const std::string folder = EcuFolder() + "LPG/";
    std::filesystem::create_directories(folder);
    View().m_strCalibFolder = ToUtf16(folder);
    View().m_strCalibName = u"SEDAN_1.dat";
    Command(ID_ESPORTA);
    const std::string bin = ReadAll(folder + "SEDAN_1.bin");
    EXPECT_EQ(std::vector<std::uint8_t>(bin.begin(), bin.end()), work);

    // Four characters or fewer: ".bin". An existing file is asked about.
    View().m_strCalibName = u"A.da";
    Command(ID_ESPORTA);
    EXPECT_TRUE(std::filesystem::exists(folder + ".bin"));
    vexar::testing::WriteAll(folder + ".bin", "old");
    m_shell.Dialogs().ExpectMessageBox(ui::IDNO, u"E3078 " + ToUtf16(folder) + u".bin");
    Command(ID_ESPORTA);
    EXPECT_EQ(ReadAll(folder + ".bin"), "old");

    // A failed write is said and keeps the old file.
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "rename", 1);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3078");
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"Error to write file " + ToUtf16(folder) + u".bin!");
    Command(ID_ESPORTA);
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_EQ(ReadAll(folder + ".bin"), "old");

    // Without a calibration name, a Save dialog in the configuration's
    // folder.
    View().m_strCalibName.clear();
    m_shell.Dialogs().ExpectFileDialog(true, std::nullopt);
    Command(ID_ESPORTA);
    EXPECT_EQ(m_shell.Dialogs().shown().back().folder, EcuFolder() + "VXG4_R01070/");
    EXPECT_EQ(m_shell.Dialogs().shown().back().fileName, u"Parametri.bin");
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}

// Busy, an external program running, or no configuration loaded: the
// commands on the images show nothing and change nothing.
TEST_F(CalibFiles, CommandsAreRefusedWhileBusyOrWithoutAConfiguration)
{
    const auto any = WhenModal<QDialog>([](QDialog& dialog) {
        ADD_FAILURE() << "a dialog showed";
        dialog.reject();
    });
    const std::vector<std::uint8_t> work = Work();
    m_shell.App().m_bBusy = true;
    for (unsigned id : {ID_SALVA_CNF, ID_CARICA_CNF, ID_RESET_MEM})
        Command(id);
    m_shell.App().m_bBusy = false;
    View().m_hProgram = 1;
    for (unsigned id : {ID_SALVA_CNF, ID_CARICA_CNF, ID_RESET_MEM, ID_ESPORTA, ID_COMPARA})
        Command(id);
    View().m_hProgram = 0;
    QTest::qWait(20);
    EXPECT_EQ(Work(), work);
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());

    // After a failed configuration load there are no images to save.
    m_shell.App().FreeImageBuffers();
    for (unsigned id : {ID_SALVA_CNF, ID_CARICA_CNF, ID_RESET_MEM, ID_ESPORTA})
        Command(id);
    QTest::qWait(20);
    EXPECT_TRUE(m_shell.Dialogs().shown().empty());
    // The export and the comparison are the privileged profiles' items.
    for (unsigned id : {ID_SALVA_CNF, ID_CARICA_CNF, ID_RESET_MEM, ID_COMMENTI})
        EXPECT_TRUE(ItemEnabled(m_shell.Frame(), id)) << id;
    EXPECT_FALSE(m_shell.Frame().MenuBar().FindCommand(ID_COMPARA).has_value());
    EXPECT_FALSE(m_shell.Frame().MenuBar().FindCommand(ID_ESPORTA).has_value());
}

// A calibration saved with vehicle data and a comment, the program ended
// and started afresh: a load brings the value and the comment back; in
// edition 5 the next start loads it by itself; compared with a save from
// before the change, exactly that parameter differs.
TEST_F(CalibFiles, SavedLoadedAfterARestartAndCompared)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("PANDA\n"))
        utf16 += std::string{c, '\0'};
    vexar::testing::WriteAll(m_shell.Folder().File("Vehicle.cfg"), utf16);
    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    // The connect's read has reached every control, the recovery actions
    // too, once its wait window has come and gone.
    ASSERT_TRUE(WaitUntil([&] { return m_shell.Frame().m_dlgWait && !m_shell.Frame().m_dlgWait->m_bCreated; }));
    // The calibration as read from the ECU, saved under a name whose first
    // 16 characters (what the calibration-name field keeps) are those of
    // the next save's: the two files differ in the changed value alone.
    const std::string before = EcuFolder() + "SEDAN_00_00__X_4_before.dat";
    m_shell.Dialogs().ExpectFileDialog(true, before);
    Save(QStringLiteral("as delivered"), std::nullopt);
    const double delivered = Value(u"Rpm_Cambio");
    Type(u"Rpm_Cambio", "2500");
    ASSERT_EQ(Value(u"Rpm_Cambio"), 2500);
    NAMING naming = Sedan();
    naming.vehicle = QStringLiteral("PANDA");
    Save(QStringLiteral("changeover raised"), naming);
    // Linked, the firmware field is the ECU's identification's last 8.
    const std::string saved = EcuFolder() + "LPG/PANDA/SEDAN_00_00__X_4_R01070_03.dat";
    ASSERT_TRUE(std::filesystem::exists(saved));
    Command(ID_DISCONNETTI);
    ASSERT_TRUE(WaitLinked(false));
    ASSERT_EQ(m_shell.Exit(), 0);

    // A fresh start in the same folder, then the load.
    auto restart = [&] {
        m_shell.MakeApp(link::LinkTiming{10, link::ProtocolTiming{0.3, std::chrono::milliseconds(30)}});
        const auto answer = ShellHarness::AnswerSelection(u"KD02_ECU", u"VXG4_R01070");
        ASSERT_TRUE(m_shell.Start());
        ASSERT_TRUE(WaitUntil([&] { return !View().m_bFirstStart && !m_shell.App().m_bBusy && !View().m_bSlotsUnset; }));
    };
    restart();
    ASSERT_EQ(Value(u"Rpm_Cambio"), 1800);
    m_shell.Dialogs().ExpectFileDialog(false, saved);
    Command(ID_CARICA_CNF);
    EXPECT_TRUE(WaitUntil([&] { return Value(u"Rpm_Cambio") == 2500; }));
    EXPECT_EQ(CommentTexts(), std::vector<std::u16string>{u"changeover raised"});
    ASSERT_EQ(m_shell.Exit(), 0);

    // Edition 5: Calib.cfg's file is loaded at the start.
    m_shell.Folder().WriteSettings({}, 0, 5);
    restart();
    EXPECT_EQ(m_shell.App().m_nEdition, 5);
    EXPECT_TRUE(WaitUntil([&] { return Value(u"Rpm_Cambio") == 2500; }));
    EXPECT_EQ(View().m_strCalibFolder, ToUtf16(EcuFolder()) + u"LPG/PANDA/");
    EXPECT_EQ(CommentTexts(), std::vector<std::u16string>{u"changeover raised"});

    // The comparison with the file saved before the change.
    bool compared = false;
    const auto compare = WhenModal<CDlgCmpFilePC>([&](CDlgCmpFilePC& dialog) {
        m_shell.Dialogs().ExpectFileDialog(false, before);
        dialog.OnChooseFile1();
        m_shell.Dialogs().ExpectFileDialog(false, saved);
        dialog.OnChooseFile2();
        m_shell.Dialogs().ExpectMessageBox(ui::IDOK, u"E3199");
        dialog.OnCompare();
        const QTableWidget& rows = dialog.Differences();
        EXPECT_EQ(rows.rowCount(), 1);
        if (rows.rowCount() == 1) {
            EXPECT_EQ(rows.item(0, 0)->text(), QStringLiteral("Rpm_Cambio"));
            EXPECT_EQ(rows.item(0, 1)->text().toDouble(), delivered);
            EXPECT_EQ(rows.item(0, 2)->text().toDouble(), 2500);
        }
        compared = true;
        dialog.EndDialog(ui::IDOK);
    });
    Command(ID_COMPARA);
    EXPECT_TRUE(compared);
    EXPECT_EQ(m_shell.Dialogs().pending(), 0u);
}
