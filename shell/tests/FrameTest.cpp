// The main frame on its own: the menu texts and prompts by edition, the
// panes, colours and logo of every link state, the unknown ECU, and the
// view told when a connect attempt ended.
#include "ShellHarness.h"

#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OwnerDraw.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/MainMenu.h"
#include "shell/ShellBitmaps.h"
#include "shell/core/CommandTable.h"
#include "shell/core/ShellMessages.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

// A frame made as the start-up makes it, on a fresh folder of `edition`,
// with the English texts.
class FrameOnly {
public:
    explicit FrameOnly(int edition)
    {
        folder.MakeFresh();
        folder.WriteSettings({}, 0, edition);
        frame = std::make_unique<CMainFrame>(app);
        EXPECT_EQ(frame->OnCreate(), 0);
        frame->show();
        ui::SendMessage(frame.get(), ui::WindowMessage{WM_LAYOUT_BARS, 0, 0, nullptr});
    }
    ~FrameOnly() { frame.reset(); }

    std::u16string Item(unsigned id) const { return frame->MenuBar().GetCommandString(id); }
    std::u16string Top(int position) const { return frame->MenuBar().GetMenuString(position); }

    ProgramFolder folder;
    uitest::ScriptedResponder dialogs;
    CVEXARApp app;
    std::unique_ptr<CMainFrame> frame;
};

QColor Centre(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// A pixel of the pane's face where its text does not reach.
QColor Face(QWidget& pane)
{
    const QImage image = pane.grab().toImage();
    return image.pixelColor(image.width() - 4, 3);
}

}  // namespace

TEST(Frame, MenuTextsAndPromptsFollowTheEdition)
{
    const struct {
        int edition;
        const char16_t* vehicle;        // 32773
        const char16_t* vehiclePrompt;  // its prompt
        const char16_t* diagnosis;      // 32823
        const char16_t* about;          // 57664
        const char16_t* title;
    } cases[] = {
        {0, u"E3011", u"E3012", u"E3082", u"E3004", u"E3000"},
        {3, u"E3263", u"E3264", u"E3257", u"E3223", u"E3218"},
        {5, u"E3011", u"E3012", u"E3082", u"E3225", u"E3220"},
    };
    for (const auto& c : cases) {
        FrameOnly f(c.edition);
        EXPECT_EQ(f.app.m_nEdition, c.edition);
        f.frame->m_strLangFile = f.folder.File("Lang/English.lng");
        f.frame->ApplyLanguage();
        EXPECT_EQ(f.frame->windowTitle().toStdU16String(), c.title);
        EXPECT_EQ(f.Item(ID_CONFIG_VETTURA), c.vehicle) << c.edition;
        EXPECT_EQ(f.Item(ID_DIAGNOSI), c.diagnosis) << c.edition;
        EXPECT_EQ(f.Item(ID_APP_ABOUT), c.about) << c.edition;
        EXPECT_EQ(f.Item(ID_APP_EXIT), u"E3036");
        EXPECT_EQ(f.Top(0), u"E3010");
        f.frame->OnMenuSelect(ID_CONFIG_VETTURA);
        EXPECT_EQ(f.frame->PromptText().toStdU16String(), c.vehiclePrompt);
        f.frame->OnMenuSelect(ID_BAUD_9600);
        EXPECT_TRUE(f.frame->PromptText().isEmpty());
        f.frame->OnMenuSelect(ID_LANGUAGE_FIRST + 1);
        EXPECT_EQ(f.frame->PromptText(), QStringLiteral("E3007 Italiano"));
        if (c.edition == 5) {
            // Neither Tools nor Connection; the language popup third; its
            // items keep their resource texts where the edition skips them.
            EXPECT_EQ(f.frame->MenuBar().GetMenuItemCount(), 5);
            EXPECT_EQ(f.Top(1), u"E3001");
            EXPECT_EQ(f.Top(2), u"F&unzioni");
            EXPECT_EQ(f.Top(3), u"E3003");
            EXPECT_FALSE(f.frame->MenuBar().FindCommand(ID_CONNETTI).has_value());
            EXPECT_EQ(f.Item(ID_ESPORTA), u"Esporta in &binario...");
        } else {
            EXPECT_EQ(f.Top(1), u"E3096");
            EXPECT_EQ(f.Top(3), u"E3002");
            EXPECT_EQ(f.Top(5), u"E3003");
            EXPECT_EQ(f.frame->MenuBar().GetSubMenu(kMenuTools).GetMenuString(kToolsLine), u"E3147");
            EXPECT_EQ(f.Item(ID_LINEA_K), u"E3148");
        }
    }
}

TEST(Frame, TheLanguageMenuListsTheLanguagesAndChecksTheCurrentOne)
{
    FrameOnly f(0);
    EXPECT_EQ(f.frame->m_nLangCount, 2);
    ui::Menu languages = f.frame->MenuBar().GetSubMenu(kMenuLanguage);
    ASSERT_TRUE(languages.IsValid());
    EXPECT_EQ(languages.GetMenuString(0), u"English");
    EXPECT_TRUE(languages.ItemAt(0)->isChecked());
    EXPECT_FALSE(languages.ItemAt(1)->isChecked());
}

// Only the 50 commands 2000 to 2049 are the language menu's: a 51st listed
// language is not offered, as its item would do nothing.
TEST(Frame, TheLanguageMenuOffersAtMostFiftyLanguages)
{
    ProgramFolder folder;
    folder.MakeFresh();
    std::string list;
    for (int i = 0; i < 51; ++i) {
        const std::string name = "Lingua" + std::to_string(i) + ".lng";
        vexar::testing::WriteAll(folder.File("Lang/" + name), vexar::testing::ReadAll(folder.File("Lang/English.lng")));
        list += name + "\r\n";
    }
    vexar::testing::WriteAll(folder.File("Lang/GestLang.cfg"), list);
    uitest::ScriptedResponder dialogs;
    CVEXARApp app;
    CMainFrame frame(app);
    ASSERT_EQ(frame.OnCreate(), 0);
    EXPECT_EQ(frame.m_nLangCount, 50);
    ui::Menu languages = frame.MenuBar().GetSubMenu(kMenuLanguage);
    EXPECT_EQ(languages.GetMenuItemCount(), 50);
    EXPECT_EQ(languages.GetMenuString(49), u"Lingua49");
}

// Every link state: the firmware and status panes, their colours, the logo,
// the message of a failed connect and the view told of it.
TEST(Frame, EachLinkStateShowsItsPanesColoursLogoAndMessage)
{
    const struct {
        std::uintptr_t linked;
        std::intptr_t result;
        bool identRead;
        const char16_t* message;  // none: no box
    } cases[] = {
        {1, 0, false, nullptr}, {0, 0, false, nullptr},  {0, -1, false, u"E3050"},
        {0, -2, false, u"E3202"}, {1, 0, true, nullptr}, {0, -2, true, u"E3202"},
    };
    for (const auto& c : cases) {
        FrameOnly f(0);
        f.frame->m_strLangFile = f.folder.File("Lang/English.lng");
        {
            std::lock_guard lock(f.app.m_csIdent);
            f.app.m_strEcuIdent = u"VXG4_R0107A";
            f.app.m_strIdentRead = c.identRead ? u"OTHER_ECU01" : u"";
        }
        // A firmware pane that shows an unknown ECU already.
        f.frame->m_paneFirmware->setText(QStringLiteral(" Frmw ECU: OTHER_ECU01"));
        f.frame->m_paneFirmware->SetBkColor(f.frame->m_crAlarm);
        // The view waits for a test's connect: the TEST button is disabled.
        CVEXARView& view = *f.frame->GetActiveView();
        ui::EnableWindow(view.Button(kActionTest), false);
        if (c.message)
            f.dialogs.ExpectMessageBox(1, c.message);
        ui::SendMessage(f.frame.get(), ui::WindowMessage{link::WM_LINK_STATE, c.linked, c.result, nullptr});
        QTest::qWait(20);

        const bool linked = c.linked != 0;
        const QColor stateColour = ui::ToQColor(linked ? f.frame->m_crLinked : f.frame->m_crUnlinked);
        EXPECT_EQ(f.frame->m_paneStatus->text(), linked ? QStringLiteral("E3065") : QStringLiteral("E3064"));
        EXPECT_EQ(Face(*f.frame->m_paneStatus), stateColour);
        if (c.identRead) {
            EXPECT_EQ(f.frame->m_paneFirmware->text(), QStringLiteral(" Frmw ECU: OTHER_ECU01"));
            EXPECT_EQ(Face(*f.frame->m_paneFirmware), QColor(255, 0, 0));
        } else {
            EXPECT_EQ(f.frame->m_paneFirmware->text(),
                      linked ? QStringLiteral(" Frmw ECU: VXG4_R0107A") : QStringLiteral(" Frmw ECU: "));
            EXPECT_EQ(Face(*f.frame->m_paneFirmware), stateColour);
        }
        EXPECT_EQ(Centre(*f.frame->m_wndLogo), LinkLogoColour(linked));
        // A failed connect ends the test that waited for it.
        EXPECT_EQ(ui::IsWindowEnabled(view.Button(kActionTest)), c.message != nullptr);
    }
}

TEST(Frame, AnUnknownEcuStaysRedUntilALinkStateFindsNoIdentificationRead)
{
    FrameOnly f(0);
    f.frame->m_strLangFile = f.folder.File("Lang/English.lng");
    {
        std::lock_guard lock(f.app.m_csIdent);
        f.app.m_strConfigName = u"VXG4_R0107";
        f.app.m_strIdentRead = u"ABCDEFG1XZ9";
    }
    f.dialogs.ExpectMessageBox(1, u"E3095 VXG4_R0107 ABCDEFG1XZ9");
    ui::SendMessage(f.frame.get(), ui::WindowMessage{link::WM_UNKNOWN_ECU, 0, 0, nullptr});
    EXPECT_EQ(f.frame->m_paneFirmware->text(), QStringLiteral(" Frmw ECU: ABCDEFG1XZ9"));
    EXPECT_EQ(Face(*f.frame->m_paneFirmware), QColor(255, 0, 0));

    ui::SendMessage(f.frame.get(), ui::WindowMessage{link::WM_LINK_STATE, 0, 0, nullptr});
    EXPECT_EQ(Face(*f.frame->m_paneFirmware), QColor(255, 0, 0));
    {
        std::lock_guard lock(f.app.m_csIdent);
        f.app.m_strIdentRead.clear();
    }
    ui::SendMessage(f.frame.get(), ui::WindowMessage{link::WM_LINK_STATE, 0, 0, nullptr});
    EXPECT_EQ(Face(*f.frame->m_paneFirmware), QColor(255, 255, 0));
    EXPECT_EQ(f.frame->m_paneFirmware->text(), QStringLiteral(" Frmw ECU: "));
}

// The panes stand right to left from the logo, without gaps.
TEST(Frame, ThePanesLineUpLeftOfTheLogo)
{
    FrameOnly f(0);
    const QRect logo = f.frame->m_wndLogo->geometry();
    EXPECT_EQ(logo.right(), f.frame->m_wndStatusBar->width() - 9);
    EXPECT_EQ(f.frame->m_paneStatus->geometry().right(), logo.left() - 6);
    EXPECT_EQ(f.frame->m_paneStatus->width(), CMainFrame::kStatusWidth);
    EXPECT_EQ(f.frame->m_paneLine->width(), CMainFrame::kLineWidth);
    EXPECT_EQ(f.frame->m_paneFirmware->geometry().right() + 1, f.frame->m_paneStatus->geometry().left());
    EXPECT_EQ(f.frame->m_paneCalib->geometry().right() + 1, f.frame->m_paneLine->geometry().left());
    EXPECT_EQ(f.frame->m_paneLine->text(), QStringLiteral(" E3150"));
}

namespace {

// The logo 8 pixels from the bar's right end and the panes right to left
// from it, 5 pixels apart from the logo and without gaps between them; a
// left edge that would fall below 0 is clipped there.
void ExpectBarsOnWidth(CMainFrame& frame)
{
    const int bar = frame.m_wndStatusBar->width();
    const QRect logo = frame.m_wndLogo->geometry();
    EXPECT_EQ(logo.right(), bar - 9) << "bar " << bar;
    int right = logo.left() - 6;
    for (CCtrlStatic* pane : {frame.m_paneStatus, frame.m_paneFirmware, frame.m_paneConfig, frame.m_paneEcu,
                              frame.m_paneLine, frame.m_paneCalib}) {
        const int width = frame.PaneWidth(*pane);
        const QRect place = pane->geometry();
        EXPECT_EQ(place.right(), right) << "bar " << bar;
        EXPECT_EQ(place.left(), std::max(0, right + 1 - width)) << "bar " << bar;
        EXPECT_EQ(place.top(), logo.top());
        right = place.left() - 1;
    }
}

}  // namespace

// Whatever face the panes' font falls back to, an identification of the
// ECU and of the configuration shows whole after its prefix; the other panes
// keep their widths.
TEST(Frame, TheIdentificationPanesShowTheirTextsWhole)
{
    FrameOnly f(0);
    f.frame->resize(1280, 700);
    QApplication::processEvents();
    for (CCtrlStatic* pane : {f.frame->m_paneFirmware, f.frame->m_paneConfig}) {
        const QString text = pane->text() + QStringLiteral("VXG4_R0107");
        EXPECT_LE(QFontMetrics(pane->font()).horizontalAdvance(text), pane->contentsRect().width())
            << text.toStdString();
        EXPECT_GE(pane->width(), pane == f.frame->m_paneFirmware ? CMainFrame::kFirmwareWidth : CMainFrame::kConfigWidth);
    }
    EXPECT_EQ(f.frame->m_paneEcu->width(), CMainFrame::kEcuWidth);
    EXPECT_EQ(f.frame->m_paneCalib->width(), CMainFrame::kCalibWidth);
}

// Shown normal, the frame has the pages' design size as far as the screen
// allows, not the few pixels of its contents; when it is resized later (the
// window manager maximising it, the user restoring it), the logo and the
// panes follow the bar's new width.
TEST(Frame, TheLogoAndThePanesFollowTheBarWhenTheFrameIsResized)
{
    FrameOnly f(0);
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(f.frame->size(), QSize(1024, 768).boundedTo(free.size()));
    for (const int width : {1280, 1600, 700, 1024}) {
        f.frame->resize(width, 700);
        QApplication::processEvents();
        ASSERT_EQ(f.frame->m_wndStatusBar->width(), width);
        ExpectBarsOnWidth(*f.frame);
    }
}
