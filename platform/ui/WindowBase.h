#pragma once

// The base that a window class of the system adds to its Qt widget:
//
//   class CDlgGraph : public QDialog, public vexar::ui::WindowBase {
//   public:
//       CDlgGraph(QWidget* parent) : QDialog(parent), WindowBase(this) { ... }
//       std::intptr_t onMessage(unsigned id, std::uintptr_t w, std::intptr_t l,
//                               std::unique_ptr<MessagePayload>& payload) override;
//   };
//
// Posted and sent messages arrive in onMessage, commands in onCommand (by
// default through the window's command map), and every key and mouse event
// meant for the window or one of its children passes preTranslateMessage
// first (KeyRouter). Timers by id tick into onMessage as WM_TIMER.

#include "platform/ui/CommandMap.h"
#include "platform/ui/WindowMessage.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <vector>

class QEvent;
class QObject;
class QWidget;

namespace vexar::ui {

class CmdUI;
class WindowTimers;

class WindowBase {
public:
    explicit WindowBase(QWidget* self);
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The window of `object`, when it is one.
    static WindowBase* From(QObject* object);

    QWidget* widget() const { return m_self; }

    // The window's message handler. The payload is the window's: one it
    // keeps is moved out, what is left is freed after the call. By default
    // WM_COMMAND runs onCommand, WM_CLOSE closes the widget, and everything
    // else is left alone (result 0).
    virtual std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::unique_ptr<MessagePayload>& payload);
    // Runs the handler of `id` from the command maps of commandRoute(), the
    // first that has one; false when none has.
    virtual bool onCommand(unsigned id);
    // Sees every key and mouse event meant for `target` (this window or a
    // child) before it is delivered, innermost window first; true consumes
    // it.
    virtual bool preTranslateMessage(QWidget& target, QEvent& event);
    // The command maps asked for a command, in order: this window's alone,
    // unless a window (a frame) puts another's (its view's) first.
    virtual std::vector<const CommandMap*> commandRoute() const;

    CommandMap& commands() { return m_commands; }
    const CommandMap& commands() const { return m_commands; }
    // Sets up a menu item before its menu shows: the first update handler
    // along the route; without one, the item is enabled exactly when some
    // map along the route handles its command.
    void UpdateCommandUI(CmdUI& item) const;

    // Hands a message to onMessage.
    std::intptr_t Dispatch(WindowMessage& message);

    void SetTimer(unsigned id, unsigned milliseconds);
    bool KillTimer(unsigned id);

private:
    QWidget* m_self;
    CommandMap m_commands;
    QPointer<QObject> m_hook;         // a child of the widget: delivers posted messages
    QPointer<WindowTimers> m_timers;  // a child of the widget, made at the first timer
};

}  // namespace vexar::ui
