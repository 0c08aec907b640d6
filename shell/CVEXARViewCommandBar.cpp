// The command bar: the buttons shown by their states, numbered with their
// function keys in slot order, and the menu items that follow them.
#include "shell/CVEXARView.h"

#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/CVEXARForm.h"
#include "shell/MainMenu.h"

#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr int kSlotMargin = 20;

QString KeyCaption(int key)
{
    return key <= 12 ? QStringLiteral("F%1").arg(key) : QStringLiteral("Shift + F%1").arg(key - 12);
}

// The position of the remote-assistance popup in the Tools popup (the one
// holding its Master item, whatever language its text is in), or -1.
int RemotePopupPosition(ui::Menu tools)
{
    for (int position = 0; position < tools.GetMenuItemCount(); ++position)
        if (ui::Menu popup = tools.GetSubMenu(position); popup.IsValid() && popup.FindCommand(ID_REMOTE_MASTER))
            return position;
    return -1;
}

}  // namespace

bool CVEXARView::IsEnabledByRule(int action) const
{
    switch (kCommandButtons[static_cast<std::size_t>(action)].rule) {
    case EnableRule::Always: return true;
    case EnableRule::NotLinked: return !m_app.m_bLinked;
    case EnableRule::ObdLinked: return m_app.m_bObdLinked != 0;
    case EnableRule::Linked: return m_app.m_bLinked != 0;
    case EnableRule::RemoteMaster: return m_app.m_bRemoteMaster != 0;
    }
    return false;
}

void CVEXARView::EnableAction(int action, bool enable)
{
    // A command whose work is not here yet stays disabled.
    enable = enable && IsActionBuilt(action);
    ui::EnableWindow(Button(action), enable);
    ui::EnableWindow(Label(action), enable);
}

void CVEXARView::BuildFunctionKeyMenu(bool capture)
{
    if (!capture && m_bSlotsUnset)
        return;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    const bool fifth = m_app.m_nEdition == 5;
    ui::Menu bar = m_frame.MenuBar();
    ui::Menu file = bar.GetSubMenu(kMenuFile);
    ui::Menu functions = bar.GetSubMenu(fifth ? 2 : kMenuFunctions);
    ui::Menu tools = fifth ? ui::Menu() : bar.GetSubMenu(kMenuTools);

    if (capture) {
        for (int action = 0; action < kActionCount; ++action) {
            m_rcSlots[static_cast<std::size_t>(2 * action)] = Button(action).geometry();
            m_rcSlots[static_cast<std::size_t>(2 * action + 1)] = Label(action).geometry();
        }
        m_bSlotsUnset = false;
    }

    m_nKeyAction.fill(0);
    int key = 0;
    int filePosition = 0;
    int functionsPosition = 2;
    bool adjust = true;
    int bottom = 0;
    bool focused = false;
    for (int action = 0; action < kActionCount; ++action) {
        const COMMAND_BUTTON& entry = kCommandButtons[static_cast<std::size_t>(action)];
        const std::int32_t state = m_layout.buttonStates[static_cast<std::size_t>(entry.stateIndex)];
        if (action == kActionRemote && state == 0)
            adjust = false;
        const int text = ActionMenuText(action, m_app.m_nEdition);
        if (state == 1 && key < kActionCount) {
            if (IsEnabledByRule(action))
                EnableAction(action, true);
            m_nKeyAction[static_cast<std::size_t>(key)] = action;
            const QRect buttonSlot = m_rcSlots[static_cast<std::size_t>(2 * key)];
            const QRect labelSlot = m_rcSlots[static_cast<std::size_t>(2 * key + 1)];
            Button(action).setGeometry(buttonSlot);
            Label(action).setGeometry(labelSlot);
            bottom = std::max({bottom, buttonSlot.bottom() + 1 + kSlotMargin, labelSlot.bottom() + 1 + kSlotMargin});
            Button(action).setText(KeyCaption(key + 1));
            Button(action).show();
            Label(action).show();
            if (!focused) {
                Button(action).setFocus();
                focused = true;
            }
            SetMenuKeyTexts(entry.menuCommand, text, filePosition, file, tools, adjust);
            ++key;
        } else if (state == 2) {
            EnableAction(action, false);
            Button(action).hide();
            Label(action).hide();
            SetMenuKeyTexts(entry.menuCommand, text, functionsPosition, functions, tools, adjust);
        } else {
            EnableAction(action, false);
            Button(action).hide();
            Label(action).hide();
            SetMenuItemKey(entry.menuCommand);
        }
    }
    const int arrow = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = viewport()->width() - arrow - 1;
    const int height = std::max(viewport()->height(), bottom);
    m_form->setMinimumSize(std::max(width, 0), height);
    m_form->update();
}

void CVEXARView::SetMenuItemKey(unsigned command)
{
    ui::Menu bar = m_frame.MenuBar();
    const bool fifth = m_app.m_nEdition == 5;
    if (!bar.IsValid() || command == 0 || (command == ID_CARICA_CNF && fifth) || !bar.FindCommand(command))
        return;
    bar.RemoveCommand(command);
    // Without its item the remote assistance leaves the Tools popup too.
    if (command == ID_ASS_REM && !fifth) {
        ui::Menu tools = bar.GetSubMenu(kMenuTools);
        if (const int position = RemotePopupPosition(tools); position >= 0)
            tools.RemovePosition(position);
    }
}

void CVEXARView::ApplyMenuTexts()
{
    if (m_app.m_nEdition == 5)
        return;
    ui::Menu tools = m_frame.MenuBar().GetSubMenu(kMenuTools);
    const std::int32_t state =
        m_layout.buttonStates[static_cast<std::size_t>(kCommandButtons[kActionRemote].stateIndex)];
    if (!tools.IsValid() || state == 0 || RemotePopupPosition(tools) >= 0)
        return;
    std::u16string caption = LangText(3185);
    ui::Menu popup = tools.InsertPopup(kToolsRemote, caption.empty() ? u"&Assistenza remota" : caption);
    popup.InsertCommand(-1, ID_REMOTE_MASTER, MenuCaption(ID_REMOTE_MASTER));
    popup.InsertCommand(-1, ID_REMOTE_SLAVE, MenuCaption(ID_REMOTE_SLAVE));
    if (QMenu* menu = popup.popup())
        m_frame.HookPrompts(*menu);
}

std::u16string CVEXARView::MenuCaption(unsigned command) const
{
    // Without a language file the item takes the menu resource's text.
    const COMMAND_ROW* row = FindCommandRow(command);
    if (!row)
        return {};
    std::u16string caption = LangText(row->text.At(m_app.m_nEdition));
    return caption.empty() && row->menuText ? std::u16string(row->menuText) : caption;
}

void CVEXARView::SetMenuKeyTexts(unsigned command, int text, int& position, ui::Menu target, ui::Menu tools,
                                 bool adjust)
{
    ui::Menu bar = m_frame.MenuBar();
    if (!bar.IsValid() || !target.IsValid() || command == 0)
        return;
    // Without a language file the item keeps the text it has.
    std::u16string caption = LangText(text);
    if (caption.empty())
        caption = bar.GetCommandString(command);
    SetMenuItemKey(command);
    // An item that stays where it is (the calibration load in edition 5) is
    // not added a second time.
    if (bar.FindCommand(command))
        return;
    if (command == ID_CENTRALINA) {
        if (tools.IsValid())
            tools.InsertCommand(3, command, caption);
        return;
    }
    if (!adjust)
        --position;
    target.InsertCommand(position, command, caption);
    ++position;
    if (command == ID_ASS_REM)
        ApplyMenuTexts();
}

bool CVEXARView::RunFunctionKey(int key)
{
    if (key < 1 || key > kActionCount)
        return false;
    RunAction(m_nKeyAction[static_cast<std::size_t>(key - 1)]);
    return true;
}

void CVEXARView::RunAction(int action)
{
    // A function key is its button's: the key of a disabled button (the
    // limited profile's load and programming, a command not built, a test
    // under way) runs nothing, as a click on it does nothing.
    if (!ui::IsWindowEnabled(Button(action)))
        return;
    onCommand(static_cast<unsigned>(kCommandButtons[static_cast<std::size_t>(action)].button));
}
