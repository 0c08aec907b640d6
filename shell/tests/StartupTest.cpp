// The program's start on a program folder as an installation leaves it:
// the OBD library bound without a word, or its one message when it is
// missing or incomplete; the language applied before the start-up notice
// and the selection offered then; without a usable language only the logo
// and the command bar; a Cancel at the first selection that takes the exit
// road to its end.
#include "ShellHarness.h"

#include "common/Text.h"
#include "dialogs/CDlgSelCentr.h"
#include "platform/SingleInstanceLock.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vexar;
using namespace vexar::shelltest;

TEST(Startup, AFreshInstallAppliesTheLanguageThenOffersTheSelection)
{
    ShellHarness shell;
    shell.Folder().MakeFresh();
    shell.Folder().InstallConfiguration();
    QString labelAtSelection;
    QString ecuShown;
    QString titleAtSelection;
    bool libraryBound = false;
    const auto answer = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
        labelAtSelection = shell.View().Label(0).text();
        ecuShown = dialog.EcuList().currentText();
        titleAtSelection = shell.Frame().windowTitle();
        libraryBound = shell.App().m_hObdLib != nullptr;
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    shell.MakeApp();
    // No message box is scripted: a box would fail the test.
    EXPECT_EQ(shell.App().Run(), 0);
    EXPECT_EQ(labelAtSelection, QStringLiteral("E3063")) << "the selection came before the language";
    EXPECT_EQ(ecuShown, QStringLiteral("VXG4"));
    EXPECT_EQ(titleAtSelection, QStringLiteral("E3000"));
    EXPECT_TRUE(libraryBound);
}

TEST(Startup, TheCancelOfTheFirstSelectionEndsTheProgramByTheExitRoad)
{
    ShellHarness shell;
    shell.Folder().MakeFresh();
    const auto answer = ShellHarness::CancelSelection();
    shell.MakeApp();
    EXPECT_EQ(shell.App().Run(), 0);
    // The worker ended before the exit freed the images and released the
    // library; the lock is free again.
    EXPECT_FALSE(shell.Frame().isVisible());
    EXPECT_EQ(shell.App().m_hObdLib, nullptr);
    EXPECT_EQ(shell.App().m_pParMaster, nullptr);
    platform::SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire(CVEXARApp::kMutexName), platform::SingleInstanceLock::Result::Acquired);
}

TEST(Startup, AMissingOrIncompleteObdLibraryIsToldOnceAndTheStartGoesOn)
{
    const struct {
        const char* library;  // none: removed
        const char16_t* message;
    } cases[] = {
        {nullptr, u"obdvane.dll library failed to load!"},
        {OBDVANE_LACKING_FILE, u"obdvane.dll function failed to load!"},
    };
    for (const auto& c : cases) {
        ShellHarness shell;
        shell.Folder().MakeFresh();
        if (c.library)
            shell.Folder().InstallObdLibrary(c.library);
        else
            std::filesystem::remove(shell.Folder().File("libobdvane.so"));
        shell.Dialogs().ExpectMessageBox(1, c.message);
        bool selectionShown = false;
        const auto answer = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
            selectionShown = true;
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        shell.MakeApp();
        EXPECT_EQ(shell.App().Run(), 0);
        EXPECT_TRUE(selectionShown);
        EXPECT_EQ(shell.Dialogs().shown().size(), 1u);
    }
}

// Without a language file nothing follows the language change: the view
// shows its logo and its command bar, no session is restored and no
// selection opens. The frame's one lookup of the line-mode text reports
// the missing file.
TEST(Startup, WithoutAUsableLanguageOnlyTheLogoAndTheBarShow)
{
    const std::u16string sessions[] = {u"", u"Klingon.lng"};
    for (const std::u16string& language : sessions) {
        ShellHarness shell;
        shell.Folder().MakeFresh();
        shell.Folder().WriteSession(language);
        if (!language.empty())
            shell.Dialogs().ExpectMessageBox(1, u"Error to access file " + ToUtf16(shell.Folder().File("Lang/")));
        shell.Dialogs().ExpectMessageBox(1, u"Error to access file !");
        bool selectionShown = false;
        const auto answer = WhenModal<CDlgSelCentr>([&](CDlgSelCentr& dialog) {
            selectionShown = true;
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        ASSERT_TRUE(shell.Start());
        ASSERT_TRUE(WaitUntil([&] { return !shell.View().m_bSlotsUnset; }));
        QTest::qWait(100);
        EXPECT_FALSE(selectionShown);
        EXPECT_EQ(shell.Frame().windowTitle(), QStringLiteral("VEXAR"));
        EXPECT_EQ(shell.View().Label(0).text(), QStringLiteral("ECU SEL"));
        EXPECT_TRUE(shell.View().m_bFirstStart);
        EXPECT_EQ(shell.Exit(), 0);
    }
}
