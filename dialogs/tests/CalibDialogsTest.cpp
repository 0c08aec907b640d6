// The calibration dialogs: the vehicle-data naming dialog with its vehicle
// list, the short naming dialog, and the comparison of two files.
#include "dialogs/CDlgCmpFilePC.h"
#include "dialogs/CDlgNomeFilePC.h"
#include "dialogs/CDlgNomeFilePCKD01.h"
#include "dialogs/CHorzListBox.h"

#include "DialogTestSupport.h"
#include "ScriptedResponder.h"
#include "common/CCriptFile.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using namespace vexar;
using dialogtest::ProgramHome;
using uitest::ScriptedResponder;
using vexar::testing::ReadAll;
using vexar::testing::WriteAll;

namespace {

const dialogtest::Texts kTexts = {
    {3029, u"Salva"},          {3020, u"Fatto"},         {3021, u"Lascia"},     {3139, u"GPL"},
    {3140, u"Metano"},         {3141, u"Ls"},            {3142, u"Lm"},         {3143, u"Lb"},
    {3144, u"M"},              {3145, u"K"},             {3146, u"X"},          {3270, u"Veicolo:"},
    {3271, u"Aggiungi"},       {3272, u"Modifica"},      {3273, u"Veicolo gi\u00e0 presente"},
    {3274, u"Rinominare %s?"}, {3192, u"Confronto"},     {3196, u"Parametro"},  {3197, u"File 1"},
    {3198, u"File 2"},         {3199, u"Fine comparazione"},
};

QFont TestFont() { return QFont(QStringLiteral("DejaVu Sans"), 10); }

std::string Utf16Le(std::u16string_view text)
{
    std::string bytes("\xFF\xFE", 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

struct RecordingReporter : ErrorReporter {
    void ShowError(const std::u16string& text) override { shown.push_back(text); }
    std::vector<std::u16string> shown;
};

class VehicleNaming : public ::testing::Test {
protected:
    void Open(const std::u16string& folder, const std::u16string& name, const std::u16string& ident = u"FW12Q345")
    {
        dialog.m_strLangFile = home.LangFile();
        dialog.m_font = TestFont();
        dialog.m_strRootFolder = ToUtf16(root);
        dialog.m_strCalibFolder = folder;
        dialog.m_strCalibName = name;
        dialog.m_strEcuType = u"ECU1";
        dialog.m_strEcuIdent = ident;
        dialog.m_strExeFolder = home.path() + "/";
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    std::string VehicleFile() const { return home.path() + "/Vehicle.cfg"; }
    QStringList Vehicles() const
    {
        QStringList names;
        for (int i = 0; i < dialog.VehicleList().count(); ++i)
            names << dialog.VehicleList().itemText(i);
        return names;
    }

    ProgramHome home{kTexts};
    std::string root = home.path() + "/Parameter/";
    ScriptedResponder dialogs;
    CDlgNomeFilePC dialog;
};

}  // namespace

TEST_F(VehicleNaming, FieldsComeFromTheCurrentCalibrationAndOkBuildsTheName)
{
    WriteAll(VehicleFile(), Utf16Le(u"PANDA\nBRAVO\n"));
    std::filesystem::create_directories(root + "ECU1/CNG");
    Open(ToUtf16(root) + u"ECU1/CNG/PANDA/", u"SEDAN_12_05_E16X1_Lm_OLDFW_03.dat", u"VXG4R0107ABC");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Salva"));
    EXPECT_EQ(Vehicles(), (QStringList{"BRAVO", "PANDA"}));
    EXPECT_EQ(dialog.VehicleList().currentText(), QStringLiteral("PANDA"));
    // A CNG calibration of a listed vehicle proposes CNG again.
    EXPECT_EQ(dialog.GasList().currentIndex(), 1);
    EXPECT_EQ(dialog.GasList().currentText(), QStringLiteral("Metano"));
    EXPECT_EQ(dialog.ModelField().text(), QStringLiteral("SEDAN"));
    EXPECT_EQ(dialog.DisplacementField().text(), QStringLiteral("12"));
    EXPECT_EQ(dialog.YearField().text(), QStringLiteral("5"));
    EXPECT_EQ(dialog.EngineField().text(), QStringLiteral("E16X1"));
    EXPECT_EQ(dialog.InjectorList().currentText(), QStringLiteral("Lm"));
    EXPECT_EQ(dialog.FirmwareField().text(), QStringLiteral("R0107ABC"));
    EXPECT_EQ(dialog.IndexField().text(), QStringLiteral("3"));

    dialog.IndexField().setText(QStringLiteral("4"));
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_EQ(dialog.m_strNewFolder, ToUtf16(root) + u"ECU1/CNG/PANDA/");
    EXPECT_EQ(dialog.m_strNewName, u"SEDAN_12_05_E16X1_Lm_R0107ABC_04.dat");
    EXPECT_TRUE(std::filesystem::is_directory(root + "ECU1/CNG/PANDA"));
}

// A field out of its rule keeps the dialog open on it, with the framework's
// Italian text.
TEST_F(VehicleNaming, InvalidFieldsKeepTheDialogOpen)
{
    Open(u"", u"");
    const struct {
        QLineEdit* field;
        QString text;
        std::u16string message;
    } cases[] = {
        {&dialog.DisplacementField(), "120", u"Digitare un numero intero compreso tra 0 e 99."},
        {&dialog.YearField(), "due", u"Digitare un numero intero."},
        {&dialog.ModelField(), "ABCDEFGHIJKLMNOPQ", u"Non digitare pi\u00f9 di 16 caratteri."},
        {&dialog.EngineField(), "ABCDEFGHIJKLMNO", u"Non digitare pi\u00f9 di 14 caratteri."},
        {&dialog.IndexField(), "-1", u"Digitare un numero intero compreso tra 0 e 99."},
    };
    for (const auto& c : cases) {
        const QString before = c.field->text();
        c.field->setText(c.text);
        dialogs.ExpectMessageBox(ui::IDOK, c.message);
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
        EXPECT_EQ(dialogs.pending(), 0u);
        EXPECT_TRUE(dialog.isVisible()) << c.text.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), c.field) << c.text.toStdString();
        EXPECT_TRUE(dialog.m_strNewName.empty());
        c.field->setText(before);
    }
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_EQ(dialog.m_strNewName, u"_00_00__X_FW12Q345_00.dat");
    EXPECT_EQ(dialog.m_strNewFolder, ToUtf16(root) + u"ECU1/LPG/");
}

TEST_F(VehicleNaming, VehiclesAreAddedAndRenamedInTheFile)
{
    WriteAll(VehicleFile(), Utf16Le(u"Panda\n"));
    Open(u"", u"");
    EXPECT_EQ(dialog.VehicleList().currentIndex(), -1);
    // The entry takes what is typed in upper case.
    QTest::keyClicks(&dialog.VehicleEntry(), "uno 1.0");
    EXPECT_EQ(dialog.VehicleEntry().text(), QStringLiteral("UNO 1.0"));
    QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
    EXPECT_EQ(Vehicles(), (QStringList{"Panda", "UNO 1.0"}));
    EXPECT_EQ(dialog.VehicleList().currentText(), QStringLiteral("UNO 1.0"));
    EXPECT_TRUE(dialog.VehicleEntry().text().isEmpty());
    EXPECT_EQ(ReadAll(VehicleFile()), Utf16Le(u"Panda\nUNO 1.0\n"));

    // Listed already, letter case aside: selected, and said.
    QTest::keyClicks(&dialog.VehicleEntry(), "panda");
    dialogs.ExpectMessageBox(ui::IDOK, u"Veicolo gi\u00e0 presente");
    QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.VehicleList().currentText(), QStringLiteral("Panda"));
    EXPECT_EQ(Vehicles().size(), 2);
    EXPECT_EQ(ReadAll(VehicleFile()), Utf16Le(u"Panda\nUNO 1.0\n"));

    // Renamed after the question; No leaves it.
    QTest::keyClicks(&dialog.VehicleEntry(), "alfa");
    dialogs.ExpectMessageBox(ui::IDNO, u"Rinominare Panda?");
    QTest::mouseClick(&dialog.EditButton(), Qt::LeftButton);
    EXPECT_EQ(Vehicles(), (QStringList{"Panda", "UNO 1.0"}));
    dialogs.ExpectMessageBox(ui::IDYES, u"Rinominare Panda?");
    QTest::mouseClick(&dialog.EditButton(), Qt::LeftButton);
    EXPECT_EQ(Vehicles(), (QStringList{"ALFA", "UNO 1.0"}));
    EXPECT_EQ(dialog.VehicleList().currentText(), QStringLiteral("ALFA"));
    EXPECT_EQ(ReadAll(VehicleFile()), Utf16Le(u"ALFA\nUNO 1.0\n"));
    EXPECT_EQ(dialogs.pending(), 0u);

    // Without a selection the rename does nothing.
    dialog.VehicleList().setCurrentIndex(-1);
    QTest::keyClicks(&dialog.VehicleEntry(), "x");
    QTest::mouseClick(&dialog.EditButton(), Qt::LeftButton);
    EXPECT_EQ(Vehicles().size(), 2);
}

// A list that cannot be written is said, and the file stays as it was.
TEST_F(VehicleNaming, AFailedListWriteIsSaid)
{
    WriteAll(VehicleFile(), Utf16Le(u"PANDA\n"));
    Open(u"", u"");
    RecordingReporter reporter;
    ScopedErrorReporter scope(reporter);
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "rename", 1);
    QTest::keyClicks(&dialog.VehicleEntry(), "UNO");
    QTest::mouseClick(&dialog.AddButton(), Qt::LeftButton);
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_EQ(reporter.shown, std::vector<std::u16string>{u"Error to write file " + ToUtf16(VehicleFile()) + u"!"});
    EXPECT_EQ(ReadAll(VehicleFile()), Utf16Le(u"PANDA\n"));
}

// A vehicle that names other folders stays one folder under the gas.
TEST_F(VehicleNaming, AVehicleWithASlashStaysUnderTheRoot)
{
    WriteAll(VehicleFile(), Utf16Le(u"../../X\n..\n"));
    std::filesystem::create_directories(root + "ECU1/LPG");
    Open(u"", u"M_1_2_E_Ls_F_07.dat");
    dialog.VehicleList().setCurrentIndex(dialog.VehicleList().findText(QStringLiteral("../../X")));
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.m_strNewFolder, ToUtf16(root) + u"ECU1/LPG/..-..-X/");
    EXPECT_TRUE(std::filesystem::is_directory(root + "ECU1/LPG/..-..-X"));
    dialog.show();
    dialog.VehicleList().setCurrentIndex(dialog.VehicleList().findText(QStringLiteral("..")));
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.m_strNewFolder, ToUtf16(root) + u"ECU1/LPG/");
}

TEST(ShortNaming, FieldsFromTheIdentificationAndOkBuildsTheName)
{
    ProgramHome home{kTexts};
    ScriptedResponder dialogs;
    const std::string root = home.path() + "/Parameter/";
    std::filesystem::create_directories(root);
    CDlgNomeFilePCKD01 dialog;
    dialog.m_strLangFile = home.LangFile();
    dialog.m_font = TestFont();
    dialog.m_strRootFolder = ToUtf16(root);
    dialog.m_strEcuType = u"KD01";
    dialog.m_strEcuIdent = u"AB-12345XY";
    dialog.m_strCalibName = u"ZZ9999907.dat";
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.ConfigurationField().text(), QStringLiteral("AB"));
    EXPECT_EQ(dialog.FirmwareField().text(), QStringLiteral("12345"));
    EXPECT_EQ(dialog.IndexField().text(), QStringLiteral("07"));

    dialog.ConfigurationField().setText(QStringLiteral("ABC"));
    dialogs.ExpectMessageBox(ui::IDOK, u"Non digitare pi\u00f9 di 2 caratteri.");
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &dialog.ConfigurationField());
    dialog.ConfigurationField().setText(QStringLiteral("AC"));
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_EQ(dialog.m_strNewFolder, ToUtf16(root) + u"KD01/");
    EXPECT_EQ(dialog.m_strNewName, u"AC1234507.dat");
    EXPECT_TRUE(std::filesystem::is_directory(root + "KD01"));
}

namespace {

void WriteCalib(const std::string& path, const std::u16string& parameters)
{
    CCriptFile file;
    ASSERT_EQ(file.Open(path, 0), 1);
    file.Write(u"<CODICE_ECU>\t\tECU1\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4R0107AB\t\t</ID_FIRMWARE>\n");
    file.Write(parameters);
    file.Write(u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n<TESTO>\nnota\n"
               u"</TESTO>\n</COMMENTO>\n");
    ASSERT_TRUE(file.Close());
}

class Comparison : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root + "ecu1/lpg");
        dialog.m_strLangFile = home.LangFile();
        dialog.m_font = QFont(QStringLiteral("Courier New"), 10);
        dialog.m_font.setStyleHint(QFont::TypeWriter);
        dialog.m_crText = ui::RGB(0, 0, 160);
        dialog.m_strRootFolder = ToUtf16(root);
        dialog.m_strEcuType = u"ecu1";
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void Choose(int file, const std::string& path)
    {
        dialogs.ExpectFileDialog(false, path);
        QTest::mouseClick(ButtonOf(file), Qt::LeftButton);
    }
    CButtonMfc* ButtonOf(int file)
    {
        const int id = file == 1   ? CDlgCmpFilePC::IDC_CHOOSE_FILE1
                       : file == 2 ? CDlgCmpFilePC::IDC_CHOOSE_FILE2
                                   : CDlgCmpFilePC::IDC_COMPARE;
        for (CButtonMfc* button : dialog.findChildren<CButtonMfc*>())
            if (ui::GetDlgCtrlID(*button) == id)
                return button;
        ADD_FAILURE() << "no button " << id;
        return nullptr;
    }
    std::vector<QStringList> Rows() const
    {
        std::vector<QStringList> rows;
        const QTableWidget& table = dialog.Differences();
        for (int row = 0; row < table.rowCount(); ++row)
            rows.push_back({table.item(row, 0)->text(), table.item(row, 1)->text(), table.item(row, 2)->text()});
        return rows;
    }

    ProgramHome home{kTexts};
    std::string root = home.path() + "/Parameter/";
    ScriptedResponder dialogs;
    CDlgCmpFilePC dialog;
};

}  // namespace

TEST_F(Comparison, ListsTheDifferencesOfTwoFilesChosenByLowerCasePaths)
{
    WriteCalib(root + "ecu1/lpg/before.dat", u"A\t1\nB\t2\nC\t3\n");
    WriteCalib(root + "ecu1/lpg/after.dat", u"A\t1\nB\t20\nD\t4\n");
    EXPECT_EQ(dialog.Differences().horizontalHeaderItem(0)->text(), QStringLiteral("Parametro"));
    Choose(1, root + "ecu1/lpg/before.dat");
    Choose(2, root + "ecu1/lpg/after.dat");
    EXPECT_EQ(dialog.NameField(1).text(), QStringLiteral("ECU1/LPG/BEFORE.DAT"));
    EXPECT_EQ(dialog.NameField(2).text(), QStringLiteral("ECU1/LPG/AFTER.DAT"));
    ASSERT_EQ(dialog.Lines(1).GetCount(), 12);
    EXPECT_EQ(dialog.Lines(1).GetText(2), u"A\t1");
    EXPECT_EQ(dialog.Lines(2).GetText(3), u"B\t20");
    EXPECT_EQ(dialog.Lines(1).m_textColour, ui::RGB(0, 0, 160));
    EXPECT_EQ(dialog.Lines(1).TabStopPixels().size(), 10u);

    dialogs.ExpectMessageBox(ui::IDOK, u"Fine comparazione");
    QTest::mouseClick(ButtonOf(3), Qt::LeftButton);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"B", "2", "20"}, {"C", "3", "-"}, {"D", "-", "4"}}));

    // Choosing a file again empties the list.
    dialogs.ExpectFileDialog(false, std::nullopt);
    QTest::mouseClick(ButtonOf(2), Qt::LeftButton);
    EXPECT_EQ(dialog.Differences().rowCount(), 0);
    EXPECT_TRUE(dialog.NameField(2).text().isEmpty());
    EXPECT_EQ(dialogs.pending(), 0u);
    const std::vector<uitest::ShownDialog>& shown = dialogs.shown();
    EXPECT_EQ(shown[0].folder, root + "ecu1/");
    EXPECT_EQ(shown[0].filter, u"Dat Files (*.dat)|*.dat|");
}

TEST_F(Comparison, IdenticalFilesGiveAnEmptyListAndUnreadableOnesAreSaid)
{
    WriteCalib(root + "ecu1/one.dat", u"A\t1\nB\t2\n");
    WriteCalib(root + "ecu1/two.dat", u"A\t1\nB\t2\n");
    Choose(1, root + "ecu1/one.dat");
    Choose(2, root + "ecu1/two.dat");
    dialogs.ExpectMessageBox(ui::IDOK, u"Fine comparazione");
    QTest::mouseClick(ButtonOf(3), Qt::LeftButton);
    EXPECT_EQ(dialog.Differences().rowCount(), 0);

    const std::string missing = root + "ecu1/gone.dat";
    dialogs.ExpectFileDialog(false, missing);
    dialogs.ExpectMessageBox(ui::IDOK, u"Error to open file " + ToUtf16(missing) + u"!");
    QTest::mouseClick(ButtonOf(2), Qt::LeftButton);
    EXPECT_EQ(dialog.Lines(2).GetCount(), 0);
    dialogs.ExpectMessageBox(ui::IDOK, u"Fine comparazione");
    QTest::mouseClick(ButtonOf(3), Qt::LeftButton);
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"A", "1", "-"}, {"B", "2", "-"}}));
    EXPECT_EQ(dialogs.pending(), 0u);
}

// Long values read in full: a column widens past a third of the list, and
// the dialog with it as far as the screen allows.
TEST_F(Comparison, LongValuesAreShownInFull)
{
    const std::u16string longValue(120, u'7');
    WriteCalib(root + "ecu1/one.dat", u"MAP\t" + longValue + u"\n");
    WriteCalib(root + "ecu1/two.dat", u"MAP\t1\n");
    Choose(1, root + "ecu1/one.dat");
    Choose(2, root + "ecu1/two.dat");
    dialogs.ExpectMessageBox(ui::IDOK, u"Fine comparazione");
    QTest::mouseClick(ButtonOf(3), Qt::LeftButton);
    const QTableWidget& table = dialog.Differences();
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_GE(table.columnWidth(1), table.fontMetrics().horizontalAdvance(QString::fromStdU16String(longValue)));
    EXPECT_GE(table.columnWidth(0), table.fontMetrics().horizontalAdvance(QStringLiteral("Parametro")));
    EXPECT_GE(table.columnWidth(2), table.fontMetrics().horizontalAdvance(QStringLiteral("File 2")));
    const int columns = table.columnWidth(0) + table.columnWidth(1) + table.columnWidth(2);
    EXPECT_TRUE(columns <= table.viewport()->width() ||
                dialog.width() >= dialog.screen()->availableGeometry().width());
}
