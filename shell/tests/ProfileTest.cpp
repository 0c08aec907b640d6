// The operator profile on the ECU bench: the change from its hidden key,
// linked and not, with what it asks, posts, reloads and writes; the
// limited-profile switch; the menus by profile and edition.
#include "EcuShell.h"

#include "common/Text.h"
#include "dialogs/CDlgInsOper.h"
#include "link/LinkMessages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/MainMenu.h"
#include "shell/core/CSessionFile.h"
#include "shell/core/CommandTable.h"
#include "shell/core/OperatorProfile.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

class Profiles : public EcuShellBase {
protected:
    void SetUp() override { StartBench({}); }

    void SetProfile(int combined)
    {
        CVEXARView& view = m_shell.View();
        view.SetProfile(ProfileOfCombined(combined));
        view.UpdateMenusForProfile();
        view.EnableLimitedActions();
        if (combined != 2)
            view.WriteSession();
    }
    std::u16string SessionKey()
    {
        std::vector<std::u16string> lines;
        EXPECT_TRUE(CSessionFile::ReadLines(m_shell.Folder().File("VEXARDef.cfg"), lines));
        return lines.empty() ? std::u16string() : lines[0];
    }
    bool Posted(unsigned id)
    {
        const std::vector<unsigned> ids = m_shell.App().Posted();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }
    // Ctrl+Alt+Shift+<letter> into the command bar.
    void HiddenKey(Qt::Key key)
    {
        QTest::keyClick(&m_shell.View().Button(kActionConnect), key,
                        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    }
};

// The OK of the profile dialog after choosing `profile`.
std::unique_ptr<QTimer> ChooseProfile(int profile)
{
    return WhenModal<CDlgInsOper>([profile](CDlgInsOper& dialog) {
        dialog.ProfileList().setCurrentIndex(profile);
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->isDefault())
                button->click();
    });
}

}  // namespace

TEST_F(Profiles, TheChangeAsksDisconnectsReloadsAndWritesAsTheProfilesRequire)
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    const struct {
        int from;
        int to;
        bool linked;
        int answer;  // to the interruption question, when asked
    } cases[] = {
        {0, 1, true, 0},          {1, 0, false, 0},         {1, 3, true, ui::IDYES}, {3, 1, false, ui::IDYES},
        {0, 4, true, ui::IDYES},  {4, 5, false, ui::IDYES}, {5, 4, true, ui::IDYES}, {0, 2, false, 0},
        {2, 1, false, 0},         {0, 3, true, ui::IDNO},   {4, 1, false, ui::IDYES},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.from) + "->" + std::to_string(c.to) + (c.linked ? " linked" : "");
        SetProfile(c.from);
        const std::u16string keyBefore = SessionKey();
        if (c.linked && !app.m_bLinked) {
            Command(ID_CONNETTI);
            ASSERT_TRUE(WaitLinked(true)) << what;
        } else if (!c.linked && app.m_bLinked) {
            Command(ID_DISCONNETTI);
            ASSERT_TRUE(WaitLinked(false)) << what;
        }
        const bool asks = ProfileChangeInterrupts(c.from, c.to);
        if (asks)
            m_shell.Dialogs().ExpectMessageBox(c.answer, TestText(3094));
        app.ClearPosted();
        auto answer = ChooseProfile(c.to);
        HiddenKey(Qt::Key_O);
        EXPECT_EQ(m_shell.Dialogs().pending(), 0u) << what;
        const bool declined = asks && c.answer == ui::IDNO;
        const int expected = declined ? c.from : c.to;
        EXPECT_EQ(CombinedProfile(view.CurrentProfile()), expected) << what;
        EXPECT_EQ(Posted(link::WM_LINK_DISCONNECT), asks && !declined && c.linked) << what;
        ASSERT_TRUE(WaitUntil([&] { return !app.m_bBusy; })) << what << ": still busy";
        EXPECT_FALSE(view.m_bReloadPending) << what;
        EXPECT_TRUE(Posted(link::WM_LINK_REBUILD_POLL_LIST)) << what;
        // A reload tells the worker the configuration's poll period.
        const bool reload = !declined && (ProfileOfCombined(c.from).svil != ProfileOfCombined(expected).svil ||
                                          ProfileOfCombined(c.from).limit != ProfileOfCombined(expected).limit);
        EXPECT_EQ(Posted(link::WM_LINK_SET_POLL_PERIOD), reload) << what;
        EXPECT_EQ(SessionKey(), expected == 2 ? keyBefore : CSessionFile::ProfileKey(ProfileOfCombined(expected)))
            << what;
        const bool privileged = IsPrivileged(ProfileOfCombined(expected));
        EXPECT_EQ(m_shell.Frame().MenuBar().FindCommand(ID_ESPORTA).has_value(), privileged) << what;
        EXPECT_EQ(m_shell.Frame().MenuBar().FindCommand(ID_COMPARA).has_value(), privileged) << what;
        // CARICA CNF is disabled anyway while its command is not built.
        for (int action : {kActionLoadCalib, kActionPrgEcu}) {
            const bool enabled = expected != 4 && IsActionBuilt(action);
            EXPECT_EQ(ui::IsWindowEnabled(view.Button(action)), enabled) << what << " " << action;
            EXPECT_EQ(ui::IsWindowEnabled(view.Label(action)), enabled) << what << " " << action;
        }
    }
}

// The switch between the two limited profiles acts only from them; linked,
// its reload waits for the link-down report and the program stays busy
// until then.
TEST_F(Profiles, TheLimitedSwitchActsOnlyFromTheLimitedProfilesAndWaitsForTheLinkDown)
{
    CVEXARView& view = m_shell.View();
    TestApp& app = m_shell.App();
    for (int from : {0, 1, 2, 3}) {
        SetProfile(from);
        app.ClearPosted();
        HiddenKey(Qt::Key_D);
        EXPECT_EQ(CombinedProfile(view.CurrentProfile()), from);
        EXPECT_EQ(app.Posted(), std::vector<unsigned>{}) << from;
    }
    SetProfile(4);
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, TestText(3094));
    HiddenKey(Qt::Key_D);
    EXPECT_EQ(CombinedProfile(view.CurrentProfile()), 5);
    EXPECT_EQ(SessionKey(), u"OPR_PBL_LIMIT");
    EXPECT_FALSE(app.m_bBusy);
    EXPECT_TRUE(ui::IsWindowEnabled(view.Button(kActionPrgEcu)));

    Command(ID_CONNETTI);
    ASSERT_TRUE(WaitLinked(true));
    app.ClearPosted();
    m_shell.Dialogs().ExpectMessageBox(ui::IDYES, TestText(3094));
    HiddenKey(Qt::Key_D);
    EXPECT_EQ(CombinedProfile(view.CurrentProfile()), 4);
    EXPECT_TRUE(Posted(link::WM_LINK_DISCONNECT));
    EXPECT_FALSE(Posted(link::WM_LINK_SET_POLL_PERIOD)) << "reloaded before the link went down";
    EXPECT_TRUE(app.m_bBusy);
    ASSERT_TRUE(WaitUntil([&] { return !app.m_bBusy; }));
    EXPECT_TRUE(Posted(link::WM_LINK_SET_POLL_PERIOD));
    EXPECT_EQ(SessionKey(), u"OPR_LIMIT");
    EXPECT_FALSE(ui::IsWindowEnabled(view.Button(kActionPrgEcu)));
    EXPECT_FALSE(ui::IsWindowEnabled(view.Label(kActionLoadCalib)));
}

// The version code in an information box; keys during a recording or
// while busy do nothing.
TEST_F(Profiles, TheVersionBoxAndKeysRefusedWhileBusy)
{
    m_shell.Dialogs().ExpectMessageBox(ui::IDOK);
    HiddenKey(Qt::Key_I);
    ASSERT_EQ(m_shell.Dialogs().shown().size(), 1u);
    EXPECT_EQ(m_shell.Dialogs().shown()[0].style & ui::MB_ICONMASK, ui::MB_ICONINFORMATION);
    EXPECT_FALSE(m_shell.Dialogs().shown()[0].text.empty());
    for (const bool recording : {true, false}) {
        m_shell.App().m_bRecording = recording;
        m_shell.App().m_bBusy = !recording;
        SetProfile(4);
        HiddenKey(Qt::Key_O);
        HiddenKey(Qt::Key_D);
        QTest::qWait(20);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(CombinedProfile(m_shell.View().CurrentProfile()), 4);
    }
    m_shell.App().m_bRecording = false;
    m_shell.App().m_bBusy = false;
    EXPECT_EQ(m_shell.Dialogs().shown().size(), 1u);
}

// The menus by edition, profile and the remote-assistance button state:
// the two Functions items only for privileged profiles, in the Functions
// popup wherever it stands; the remote submenu outside edition 5, put
// back only while its button state is not 0; "Co&mmenti" gone in 2 and 4.
TEST(ProfileMenus, TheMenusFollowEditionProfileAndTheRemoteButton)
{
    for (int edition = 0; edition <= 5; ++edition) {
        ShellHarness shell;
        shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration&) {
            shell.Folder().WriteSettings({}, 0, edition);
        });
        ASSERT_EQ(shell.App().m_nEdition, edition);
        CVEXARView& view = shell.View();
        ui::Menu bar = shell.Frame().MenuBar();
        const bool fifth = edition == 5;
        const int functionsAt = fifth ? 2 : kMenuFunctions;
        const auto remotePopup = [&] {
            ui::Menu tools = bar.GetSubMenu(kMenuTools);
            for (int position = 0; !fifth && position < tools.GetMenuItemCount(); ++position)
                if (ui::Menu popup = tools.GetSubMenu(position); popup.IsValid() && popup.FindCommand(ID_REMOTE_MASTER))
                    return true;
            return false;
        };
        const std::size_t remoteState =
            static_cast<std::size_t>(kCommandButtons[kActionRemote].stateIndex);
        const struct {
            int profile;
            int remoteButton;
            bool remoteShown;
        } steps[] = {{0, 1, false}, {1, 0, false}, {3, 1, true}, {2, 1, true}, {5, 1, false}, {4, 0, false}};
        for (const auto& step : steps) {
            const std::string what = "edition " + std::to_string(edition) + " profile " + std::to_string(step.profile) +
                                     " remote " + std::to_string(step.remoteButton);
            view.SetProfile(ProfileOfCombined(step.profile));
            view.m_layout.buttonStates[remoteState] = step.remoteButton;
            view.UpdateMenusForProfile();
            const bool privileged = step.profile >= 1 && step.profile <= 3;
            for (unsigned id : {ID_ESPORTA, ID_COMPARA}) {
                const auto item = bar.FindCommand(id);
                ASSERT_EQ(item.has_value(), privileged) << what << " " << id;
                if (item) {
                    EXPECT_EQ(item->menu.widget(), bar.GetSubMenu(functionsAt).widget()) << what << " " << id;
                    EXPECT_EQ(item->position, id == ID_ESPORTA ? 0 : 1) << what;
                }
            }
            EXPECT_EQ(remotePopup(), step.remoteShown && !fifth) << what;
        }
        EXPECT_EQ(bar.FindCommand(ID_COMMENTI).has_value(), edition != 2 && edition != 4 && !fifth) << edition;
        EXPECT_EQ(shell.Exit(), 0);
    }
}
