#pragma once

// Carries messages from other threads (the link worker, a tool's worker)
// to objects of the user-interface thread. Made on that thread; posts and
// sends go to it and are handed to their targets there, so no other thread
// ever touches a window. A target that is gone by then drops the message
// with its record.
//
// A blocking send waits until its message was handled or dropped, and
// returns at once once shutdown has begun: the user-interface thread begins
// it before it waits for the worker, so the two never wait on each other.
// Posts still flow during shutdown (the worker's last notice comes that
// way) until the relay is closed.

#include "platform/ui/WindowMessage.h"

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace vexar::ui {

class SendCompletion;

class MessageRelay : public QObject {
public:
    explicit MessageRelay(QObject* parent = nullptr);
    // Closes the relay and waits until no other thread is inside it.
    ~MessageRelay() override;

    // Queues `message` for `target` and returns at once. Any thread.
    void Post(QPointer<QObject> target, WindowMessage message);
    // Delivers `message` to `target` and returns its result once handled:
    // at once on the relay's own thread; from another thread after the
    // relay's thread has handled it. Nothing when the target is gone, or
    // when shutdown has begun or begins while it waits (the message is then
    // dropped).
    std::optional<std::intptr_t> Send(QPointer<QObject> target, WindowMessage message);
    // Runs `task` on the relay's thread later; dropped when closed.
    void PostTask(std::function<void()> task);

    // From now on sends return at once, also those that wait already.
    // Any thread.
    void BeginShutdown();
    bool IsShuttingDown() const;
    // Shutdown, and from now on posts and tasks are dropped too, also those
    // still queued. Any thread.
    void Close();
    bool IsClosed() const;

protected:
    bool event(QEvent* event) override;

private:
    bool Enqueue(QEvent* event, const std::shared_ptr<SendCompletion>& waiter);
    void Leave(const std::shared_ptr<SendCompletion>& waiter);

    mutable std::mutex m_lock;
    std::condition_variable m_idle;
    bool m_shutdown = false;
    bool m_closed = false;
    int m_senders = 0;  // threads waiting in Send
    std::vector<std::shared_ptr<SendCompletion>> m_waiting;
};

}  // namespace vexar::ui
