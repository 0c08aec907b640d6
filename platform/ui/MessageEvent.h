#pragma once

// The Qt event that carries a window message through an event queue. Posted
// to a window it is handled by the window's message hook; posted to a
// relay it names its target, which is looked at only on delivery. When the
// event is deleted undelivered, the message's record goes with it and a
// sender waiting for it is released.

#include "platform/ui/SendCompletion.h"
#include "platform/ui/WindowMessage.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <memory>

namespace vexar::ui {

class MessageEvent : public QEvent {
public:
    explicit MessageEvent(WindowMessage message, QPointer<QObject> target = {},
                          std::shared_ptr<SendCompletion> completion = {});
    ~MessageEvent() override;
    MessageEvent(const MessageEvent&) = delete;
    MessageEvent& operator=(const MessageEvent&) = delete;

    static QEvent::Type EventType();

    WindowMessage& message() { return m_message; }
    QObject* target() const { return m_target.data(); }
    // Records the handler's result for a waiting sender.
    void Finish(std::intptr_t result);
    // A send whose sender no longer waits for it.
    bool IsAbandoned() const;

private:
    WindowMessage m_message;
    QPointer<QObject> m_target;
    std::shared_ptr<SendCompletion> m_completion;
};

}  // namespace vexar::ui
