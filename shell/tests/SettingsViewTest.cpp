// The settings and session files as the running program uses them: the
// last session restored into the selection, never rewritten in the remote
// profile, rewritten with the selection otherwise; Calib.cfg's calibration
// restored only in edition 5; a settings rewrite that fails reported and
// leaving the old file; and the About box of an edition without a name.
#include "ShellHarness.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgSelCentr.h"
#include "pages/CCtrlList.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Messages.h"
#include "shell/CAboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/ShellBitmaps.h"
#include "shell/core/CSettingsFile.h"
#include "shell/core/CommandTable.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

std::u16string Decipher(const std::string& path)
{
    std::u16string text;
    std::string error;
    EXPECT_TRUE(crypt::ReadCipherText(path, text, error)) << error;
    return text;
}

}  // namespace

// The last session's configuration is the selection's choice when the
// dialog opens; in the remote profile the session file is never written.
TEST(SessionInUse, TheRemoteProfileRestoresTheSessionAndNeverRewritesIt)
{
    ShellHarness shell;
    shell.Folder().MakeFresh();
    const fixtures::SyntheticConfiguration installed = shell.Folder().InstallConfiguration();
    shell.Folder().WriteSession(u"English.lng", ProgramFolder::ConfigPaths(installed), u"OPR_REM");
    const std::string before = vexar::testing::ReadAll(shell.Folder().File("VEXARDef.cfg"));
    QString ecu;
    QString revision;
    const auto answer = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
        ecu = dialog.EcuList().currentText();
        revision = dialog.FirmwareList().currentText();
        QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(shell.Start());
    ASSERT_TRUE(WaitUntil([&] { return !shell.View().m_bFirstStart && !shell.App().m_bBusy; }));
    EXPECT_EQ(ecu, QStringLiteral("VXG4"));
    EXPECT_EQ(revision, QStringLiteral("VXG4_R0107"));
    EXPECT_EQ(shell.App().m_nOperator, 2);
    EXPECT_EQ(shell.App().m_nParSize, 66);
    // The language's reapplication and a port change write nothing either.
    shell.View().WriteSession();
    EXPECT_EQ(shell.Exit(), 0);
    EXPECT_EQ(vexar::testing::ReadAll(shell.Folder().File("VEXARDef.cfg")), before);
}

TEST(SessionInUse, TheSelectionIsWrittenToTheSession)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    const std::u16string session = Decipher(shell.Folder().File("VEXARDef.cfg"));
    const std::string base = shell.Folder().Path() + "/Configuration/VXG4/VXG4_R0107/VXG4_R0107";
    EXPECT_EQ(session, ToUtf16("OPR_PBL\nEnglish.lng\n1\n\\\\.\\COM1\n" + base + ".PAR\n" + base + ".GPC\n" + base +
                               ".VAR\n" + base + ".GVS\n" + base + ".GDG\n"));
    EXPECT_EQ(shell.Exit(), 0);
}

// Calib.cfg: the pulse and the auxiliary port in every edition; the last
// calibration, with its firmware from the file's header, only in edition 5.
TEST(SessionInUse, CalibCfgRestoresTheCalibrationOnlyInEditionFive)
{
    for (const int edition : {0, 5}) {
        ShellHarness shell;
        shell.Folder().MakeFresh();
        shell.Folder().WriteSettings({}, 0, edition);
        std::filesystem::create_directories(shell.Folder().File("Parameter"));
        std::string error;
        const std::string text = vexar::testing::ReadAll(fixtures::DataFolder() + "/calibration/VXG4_R0107_City.DAT.txt");
        ASSERT_TRUE(crypt::WriteCipherText(shell.Folder().File("Parameter/City.DAT"), ToUtf16(text), error)) << error;
        vexar::testing::WriteAll(shell.Folder().File("Calib.cfg"),
                                 shell.Folder().File("Parameter/") + "\nCity.DAT\n3\n4\n");
        const auto answer = ShellHarness::CancelSelection();
        ASSERT_TRUE(shell.Start());
        CVEXARView& view = shell.View();
        EXPECT_EQ(view.m_nDtrSeconds, 3);
        EXPECT_EQ(shell.App().m_nAuxPort, 4);
        EXPECT_EQ(view.m_strStartName, edition == 5 ? u"City.DAT" : u"");
        EXPECT_EQ(view.m_strStartFirmware, edition == 5 ? u"VXG4_R0107" : u"");
        EXPECT_EQ(view.m_strCalibName, edition == 5 ? u"City.DAT" : u"");
        ASSERT_TRUE(WaitUntil([&] { return !shell.Frame().isVisible(); }));
        shell.App().JoinLinkThread();
        shell.App().ExitInstance();
    }
}

TEST(SessionInUse, ASettingsRewriteThatFailsIsToldAndKeepsTheOldFile)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    const std::string path = shell.Folder().File("VEXAR.cfg");
    const std::string before = vexar::testing::ReadAll(path);
    setenv("VEXAR_FAULT_ATOMIC_WRITE", "write", 1);
    shell.Dialogs().ExpectMessageBox(1, u"Error to write file " + ToUtf16(path) + u"!");
    ui::SendMessage(&shell.View(), ui::CommandMessage(ID_LINEA_K));
    unsetenv("VEXAR_FAULT_ATOMIC_WRITE");
    EXPECT_EQ(vexar::testing::ReadAll(path), before);
    EXPECT_EQ(shell.Exit(), 0);
}

// A VEXAR.cfg of the old layout (no version and no K-line line: the
// edition is its first data line): the frame and the view read the same
// edition, and the K-line command's rewrite keeps it.
TEST(SessionInUse, AnOldLayoutSettingsFileGivesOneEditionAndARewriteKeepsIt)
{
    ShellHarness shell;
    const std::string path = shell.Folder().File("VEXAR.cfg");
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration&) {
        const std::u16string text = CSettingsFile::SettingsText(u"1.0.0", 0, 3, LAYOUT_SETTINGS{}, {});
        std::string error;
        ASSERT_TRUE(crypt::WriteCipherText(path, text.substr(text.find(u"// 0 = VELT")), error)) << error;
    });
    EXPECT_EQ(shell.App().m_nEdition, 3);
    EXPECT_EQ(shell.View().m_nEditionView, 3);
    EXPECT_EQ(shell.Frame().windowTitle(), QStringLiteral("E3218"));

    ui::SendMessage(&shell.View(), ui::CommandMessage(ID_LINEA_K));
    SETTINGS_VALUES values;
    std::vector<std::u16string> tail;
    ASSERT_EQ(CSettingsFile::ReadSettings(path, values, tail), CSettingsFile::ReadResult::Read);
    EXPECT_EQ(values.version, u"0.0.0");
    EXPECT_EQ(values.kLine, 1);
    EXPECT_EQ(values.editionView, 3);
    EXPECT_EQ(CSettingsFile::ReadEdition(path), 3);
    EXPECT_EQ(shell.Exit(), 0);
}

// Edition 7 has no name: the default caption, "ZENTA" and the version,
// the default logo.
TEST(About, AnEditionWithoutANameShowsTheDefaults)
{
    ShellHarness shell;
    shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration&) {
        shell.Folder().WriteSettings({}, 0, 7);
    });
    {
        std::lock_guard lock(shell.App().m_csIdent);
        shell.App().m_strEcuIdent = u"VXG4_R0107A";
    }
    QString title;
    QString edition;
    QString firmware;
    QImage logo;
    const auto answer = WhenModal<CAboutDlg>([&](CAboutDlg& dialog) {
        title = dialog.windowTitle();
        edition = dialog.EditionLabel().text();
        firmware = dialog.FirmwareLabel().text();
        logo = dialog.LogoLabel().pixmap().toImage();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ui::SendMessage(&shell.Frame(), ui::CommandMessage(ID_APP_ABOUT));
    EXPECT_EQ(title, QStringLiteral("E3038"));
    EXPECT_EQ(edition, QStringLiteral("ZENTA 1.0.0"));
    EXPECT_EQ(firmware, QStringLiteral("Firmware:\tVXG4_R0107A"));
    EXPECT_EQ(logo, ShellBitmap(298).toImage());
    EXPECT_EQ(shell.Exit(), 0);
}

// A language chosen from the menu asks first, then the frame, the view
// and the loaded configuration take it and the session remembers it; the
// language already in use changes nothing; a busy program refuses.
TEST(LanguageChange, TheChosenLanguageReachesEverythingAndTheSession)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    shell.App().m_bBusy = true;
    ui::SendMessage(&shell.Frame(), ui::CommandMessage(ID_LANGUAGE_FIRST + 1));
    EXPECT_EQ(shell.Dialogs().shown().size(), 0u);
    shell.App().m_bBusy = false;

    shell.Dialogs().ExpectMessageBox(ui::IDYES, u"E3094");
    ui::SendMessage(&shell.Frame(), ui::CommandMessage(ID_LANGUAGE_FIRST + 1));
    ASSERT_TRUE(WaitUntil([&] { return view.Label(0).text() == QStringLiteral("I3063"); }));
    EXPECT_EQ(shell.Frame().windowTitle(), QStringLiteral("I3000"));
    ASSERT_TRUE(WaitUntil([&] { return !shell.App().m_bBusy && !view.m_parRecords.empty(); }));
    EXPECT_EQ(view.m_parRecords.front().ETICHETTA, u"Nome calibrazione");
    EXPECT_NE(Decipher(shell.Folder().File("VEXARDef.cfg")).find(u"\nItaliano.lng\n"), std::u16string::npos);
    // The diagnosis window of the reload speaks the new language.
    ASSERT_NE(view.m_dlgDiag, nullptr);
    EXPECT_EQ(view.m_dlgDiag->windowTitle(), QStringLiteral("I3088"));
    EXPECT_EQ(view.m_dlgDiag->List().headerItem()->text(0), QStringLiteral("I3084"));
    EXPECT_EQ(view.m_dlgDiag->SplitButton().text(), QStringLiteral("I3291"));

    const std::uint8_t* images = shell.App().m_pParMaster.get();
    shell.Dialogs().ExpectMessageBox(ui::IDYES, u"I3094");
    ui::SendMessage(&shell.Frame(), ui::CommandMessage(ID_LANGUAGE_FIRST + 1));
    QTest::qWait(100);
    EXPECT_EQ(shell.App().m_pParMaster.get(), images) << "the same language loaded the configuration again";
    EXPECT_EQ(shell.Exit(), 0);
}
