#include "platform/ui/WindowBase.h"

#include "platform/ui/CmdUI.h"
#include "platform/ui/KeyRouter.h"
#include "platform/ui/MessageEvent.h"
#include "platform/ui/WindowTimers.h"

#include <QWidget>

namespace vexar::ui {

namespace {

// Takes the window's posted messages out of its event stream.
class MessageHook : public QObject {
public:
    MessageHook(WindowBase& window, QWidget* self) : QObject(self), m_window(window) { self->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != MessageEvent::EventType() || watched != parent())
            return false;
        auto* message = static_cast<MessageEvent*>(event);
        message->Finish(m_window.Dispatch(message->message()));
        return true;
    }

private:
    WindowBase& m_window;
};

}  // namespace

WindowBase::WindowBase(QWidget* self) : m_self(self), m_hook(new MessageHook(*this, self))
{
    KeyRouter::Install();
}

WindowBase::~WindowBase()
{
    // The widget outlives this base by a moment; nothing may reach the
    // handlers of a half-destroyed window in it.
    delete m_hook.data();
    delete m_timers.data();
}

WindowBase* WindowBase::From(QObject* object) { return dynamic_cast<WindowBase*>(object); }

std::intptr_t WindowBase::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t, std::unique_ptr<MessagePayload>&)
{
    if (id == WM_COMMAND)
        onCommand(static_cast<unsigned>(wParam & 0xFFFFu));
    else if (id == WM_CLOSE)
        m_self->close();
    return 0;
}

bool WindowBase::onCommand(unsigned id)
{
    for (const CommandMap* map : commandRoute()) {
        if (map->Run(id))
            return true;
    }
    return false;
}

bool WindowBase::preTranslateMessage(QWidget&, QEvent&) { return false; }

std::vector<const CommandMap*> WindowBase::commandRoute() const { return {&m_commands}; }

void WindowBase::UpdateCommandUI(CmdUI& item) const
{
    bool handled = false;
    for (const CommandMap* map : commandRoute()) {
        if (map->Update(item))
            return;
        handled = handled || map->Handles(item.id());
    }
    item.Enable(handled);
}

std::intptr_t WindowBase::Dispatch(WindowMessage& message)
{
    return onMessage(message.id, message.wParam, message.lParam, message.payload);
}

void WindowBase::SetTimer(unsigned id, unsigned milliseconds)
{
    if (!m_timers) {
        m_timers = new WindowTimers(
            [this](unsigned tick) {
                WindowMessage message{WM_TIMER, tick, 0, nullptr};
                Dispatch(message);
            },
            m_self);
    }
    m_timers->Set(id, milliseconds);
}

bool WindowBase::KillTimer(unsigned id) { return m_timers && m_timers->Kill(id); }

}  // namespace vexar::ui
