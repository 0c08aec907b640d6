// The operator profile: its change from the hidden key, the switch between
// the two limited profiles, the version-code box, and the menus that
// follow the profile (the two Functions items and the remote-assistance
// submenu).

#include "shell/CVEXARView.h"

#include "common/CUtilityLang.h"
#include "dialogs/CDlgAcqBenz.h"
#include "dialogs/CDlgDinamSVBenz.h"
#include "dialogs/CDlgInsOper.h"
#include "link/LinkMessages.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Menu.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/MainMenu.h"
#include "shell/core/OperatorProfile.h"

using namespace vexar;
using namespace vexar::shell;

namespace {

// The program's fixed version code, shown by its hidden key.
constexpr char16_t kVersionCode[] = u"VEXAR 1.0.0 - build 1";

}  // namespace

OPERATOR_PROFILE CVEXARView::CurrentProfile() const
{
    return {m_app.m_nOperator, m_app.m_bOprSvil, m_app.m_bOprLimit, m_app.m_bOprPblLimit};
}

void CVEXARView::SetProfile(const OPERATOR_PROFILE& profile)
{
    m_app.m_nOperator = profile.oprator;
    m_app.m_bOprSvil = profile.svil;
    m_app.m_bOprLimit = profile.limit;
    m_app.m_bOprPblLimit = profile.pblLimit;
}

void CVEXARView::EnableLimitedActions()
{
    EnableAction(kActionLoadCalib, !m_app.m_bOprLimit);
    EnableAction(kActionPrgEcu, !m_app.m_bOprLimit);
}

void CVEXARView::OnOperatorProfile()
{
    if (m_hProgram != 0)
        return;
    ChangeOperatorProfile();
    EnableLimitedActions();
}

void CVEXARView::ChangeOperatorProfile()
{
    if (m_app.m_bRecording || m_app.m_bBusy)
        return;
    m_app.m_bBusy = true;
    const OPERATOR_PROFILE old = CurrentProfile();
    const int from = CombinedProfile(old);
    CDlgInsOper dialog(this);
    dialog.m_strLangFile = m_strLangFile;
    dialog.m_nCurrentProfile = from;
    if (dialog.DoModal() != ui::IDOK || dialog.m_nChosenProfile == from) {
        m_app.m_bBusy = false;
        return;
    }
    const int to = dialog.m_nChosenProfile;
    if (ProfileChangeInterrupts(from, to)) {
        if (!ConfirmInterruption()) {
            m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
            m_app.m_bBusy = false;
            return;
        }
        if (m_app.m_bLinked) {
            m_bReloadPending = true;
            m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
        }
    }
    const OPERATOR_PROFILE now = ProfileOfCombined(to);
    SetProfile(now);
    if (now.svil == old.svil && now.limit == old.limit) {
        CloseProfileWindows();
        const auto states = ButtonStatesForProfile(m_nSavedButtonStates, now);
        if (states != m_layout.buttonStates) {
            m_layout.buttonStates = states;
            BuildFunctionKeyMenu(false);
        }
    } else if (!m_bReloadPending) {
        LoadConfiguration();
    }
    if (m_bReloadPending)
        return;  // m_bBusy holds until the link-down report finishes the change
    WriteSession();
    UpdateMenusForProfile();
    m_app.PostLinkRequest(link::WM_LINK_REBUILD_POLL_LIST);
    m_app.m_bBusy = false;
}

void CVEXARView::OnToggleLimitProfile()
{
    if (m_hProgram != 0 || m_app.m_nOperator != 0 || !(m_app.m_bOprLimit || m_app.m_bOprPblLimit) ||
        m_app.m_bRecording || m_app.m_bBusy)
        return;
    if (!ConfirmInterruption())
        return;
    m_app.m_bBusy = true;
    const bool wasLimit = m_app.m_bOprLimit;
    m_app.m_bOprLimit = !wasLimit;
    m_app.m_bOprPblLimit = wasLimit;
    EnableLimitedActions();
    // As the profile change: with the link up the reload, the session and
    // the menus wait for the link-down report, and the program stays busy
    // until then.
    if (m_app.m_bLinked) {
        m_bReloadPending = true;
        m_app.PostLinkRequest(link::WM_LINK_DISCONNECT);
        return;
    }
    LoadConfiguration();
    WriteSession();
    UpdateMenusForProfile();
    m_app.m_bBusy = false;
}

void CVEXARView::OnShowVersionCode()
{
    if (m_hProgram != 0)
        return;
    ui::MessageBox(this, kVersionCode, std::u16string(), ui::MB_OK | ui::MB_ICONINFORMATION);
}

// ---- Menus ------------------------------------------------------------------------------

void CVEXARView::UpdateMenusForProfile()
{
    ui::Menu bar = m_frame.MenuBar();
    if (!bar.IsValid())
        return;
    const bool fifth = m_app.m_nEdition == 5;
    const bool privileged = IsPrivileged(CurrentProfile());
    ui::Menu functions = bar.GetSubMenu(fifth ? kMenuFunctions - 2 : kMenuFunctions);
    if (privileged) {
        if (functions.IsValid() && !bar.FindCommand(ID_ESPORTA))
            functions.InsertCommand(0, ID_ESPORTA, MenuCaption(ID_ESPORTA));
        if (functions.IsValid() && !bar.FindCommand(ID_COMPARA))
            functions.InsertCommand(1, ID_COMPARA, MenuCaption(ID_COMPARA));
    } else {
        bar.RemoveCommand(ID_ESPORTA);
        bar.RemoveCommand(ID_COMPARA);
    }
    TellPetrolWindowsProfile();
    if (fifth)
        return;
    if (privileged)
        ApplyMenuTexts();
    else
        SetMenuItemText(kMenuTools, 3185);
}

// The petrol acquisition page's check boxes follow the profile; the
// live-values window keeps the public profiles' PID choice in PID.cfg.
void CVEXARView::TellPetrolWindowsProfile()
{
    if (m_pDlgAcqBenz)
        m_pDlgAcqBenz->RefreshChecks();
    if (m_dlgPetrol)
        m_dlgPetrol->SavePidList();
}

void CVEXARView::SetMenuItemText(int popup, int textId)
{
    ui::Menu menu = m_frame.MenuBar().GetSubMenu(popup);
    if (!menu.IsValid())
        return;
    // The remote-assistance popup is found by its Master item whatever its
    // text, so that a menu without language texts loses it too.
    if (textId == 3185) {
        for (int position = 0; position < menu.GetMenuItemCount(); ++position)
            if (ui::Menu sub = menu.GetSubMenu(position); sub.IsValid() && sub.FindCommand(ID_REMOTE_MASTER)) {
                menu.RemovePosition(position);
                return;
            }
        return;
    }
    const std::u16string text = LangText(textId);
    if (const int position = text.empty() ? -1 : menu.FindText(text); position >= 0)
        menu.RemovePosition(position);
}

int CVEXARView::SetPopupText(int popup, int textId)
{
    ui::Menu menu = m_frame.MenuBar().GetSubMenu(popup);
    const std::u16string text = LangText(textId);
    if (!menu.IsValid() || text.empty())
        return -1;
    const int position = menu.FindText(text);
    if (position < 0)
        return -1;
    QAction* item = menu.ItemAt(position);
    return item && item->isEnabled() ? 0 : 1;
}
