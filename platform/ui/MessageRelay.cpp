#include "platform/ui/MessageRelay.h"

#include "platform/ui/MessageEvent.h"
#include "platform/ui/Messages.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace vexar::ui {

namespace {

class TaskEvent : public QEvent {
public:
    explicit TaskEvent(std::function<void()> task) : QEvent(EventType()), m_task(std::move(task)) {}
    static QEvent::Type EventType()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    void Run() const { m_task(); }

private:
    std::function<void()> m_task;
};

}  // namespace

MessageRelay::MessageRelay(QObject* parent) : QObject(parent) {}

MessageRelay::~MessageRelay()
{
    Close();
    std::unique_lock lock(m_lock);
    m_idle.wait(lock, [this] { return m_senders == 0; });
}

void MessageRelay::Post(QPointer<QObject> target, WindowMessage message)
{
    Enqueue(new MessageEvent(std::move(message), std::move(target)), nullptr);
}

std::optional<std::intptr_t> MessageRelay::Send(QPointer<QObject> target, WindowMessage message)
{
    if (QThread::currentThread() == thread())
        return IsShuttingDown() ? std::nullopt : SendMessage(target.data(), std::move(message));

    auto waiter = std::make_shared<SendCompletion>();
    if (!Enqueue(new MessageEvent(std::move(message), std::move(target), waiter), waiter))
        return std::nullopt;
    const std::optional<std::intptr_t> result = waiter->Wait();
    Leave(waiter);
    return result;
}

void MessageRelay::PostTask(std::function<void()> task) { Enqueue(new TaskEvent(std::move(task)), nullptr); }

bool MessageRelay::Enqueue(QEvent* event, const std::shared_ptr<SendCompletion>& waiter)
{
    std::unique_lock lock(m_lock);
    if (m_closed || (waiter && m_shutdown)) {
        lock.unlock();
        delete event;  // frees the record and releases the waiter
        return false;
    }
    if (waiter) {
        ++m_senders;
        m_waiting.push_back(waiter);
    }
    QCoreApplication::postEvent(this, event);
    return true;
}

void MessageRelay::Leave(const std::shared_ptr<SendCompletion>& waiter)
{
    {
        std::lock_guard lock(m_lock);
        m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), waiter), m_waiting.end());
        --m_senders;
    }
    m_idle.notify_all();
}

void MessageRelay::BeginShutdown()
{
    std::lock_guard lock(m_lock);
    m_shutdown = true;
    for (const auto& waiter : m_waiting)
        waiter->Cancel();
}

bool MessageRelay::IsShuttingDown() const
{
    std::lock_guard lock(m_lock);
    return m_shutdown;
}

void MessageRelay::Close()
{
    BeginShutdown();
    std::lock_guard lock(m_lock);
    m_closed = true;
}

bool MessageRelay::IsClosed() const
{
    std::lock_guard lock(m_lock);
    return m_closed;
}

bool MessageRelay::event(QEvent* event)
{
    if (event->type() == MessageEvent::EventType()) {
        auto* message = static_cast<MessageEvent*>(event);
        // Dropped with its record: everything once closed, and a send whose
        // sender has been released.
        if (IsClosed() || message->IsAbandoned())
            return true;
        if (const auto result = SendMessage(message->target(), std::move(message->message())))
            message->Finish(*result);
        return true;
    }
    if (event->type() == TaskEvent::EventType()) {
        if (!IsClosed())
            static_cast<TaskEvent*>(event)->Run();
        return true;
    }
    return QObject::event(event);
}

}  // namespace vexar::ui
