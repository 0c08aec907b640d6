#pragma once

// Posting and sending window messages on the user-interface thread.
// A message reaches a window through WindowBase::onMessage; an object that
// is no window drops it, and its record, unread. From another thread use a
// MessageRelay, which never touches a target that may be going away.

#include "platform/ui/WindowMessage.h"

#include <QObject>

#include <optional>

namespace vexar::ui {

// Queues `message` for `target` and returns at once; delivered in posting
// order with every other posted event of the thread. A target deleted
// before delivery takes the message and its record with it. `target` must
// live while the call runs (always so on its own thread); null drops.
void PostMessage(QObject* target, WindowMessage message);

// Hands `message` to `target` at once, on the calling thread, and returns
// the window's result; nothing when `target` is null or no window.
std::optional<std::intptr_t> SendMessage(QObject* target, WindowMessage message);

// WM_COMMAND for `command`, as a button or menu sends it.
WindowMessage CommandMessage(unsigned command);

}  // namespace vexar::ui
