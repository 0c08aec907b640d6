#include "platform/ui/Messages.h"

#include "platform/ui/MessageEvent.h"
#include "platform/ui/WindowBase.h"

#include <QCoreApplication>

namespace vexar::ui {

void PostMessage(QObject* target, WindowMessage message)
{
    if (!target)
        return;
    QCoreApplication::postEvent(target, new MessageEvent(std::move(message)));
}

std::optional<std::intptr_t> SendMessage(QObject* target, WindowMessage message)
{
    WindowBase* window = WindowBase::From(target);
    if (!window)
        return std::nullopt;
    return window->Dispatch(message);
}

WindowMessage CommandMessage(unsigned command) { return WindowMessage{WM_COMMAND, command & 0xFFFFu, 0, nullptr}; }

}  // namespace vexar::ui
