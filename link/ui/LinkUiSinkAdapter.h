#pragma once

// The link worker's user-interface sink over the windowing layer. The
// windows and the data-bound controls register here while they exist; a
// post from the worker names its window or control, is resolved at once,
// and is handed to that object on the user-interface thread. A post that
// names nobody registered, or an object that is gone by delivery, is
// dropped with its record.
//
// Made on the user-interface thread. The frame calls BeginShutdown before
// it waits for the worker to end: from then on a send returns at once,
// while posts (the worker's last notice among them) still arrive.

#include "link/ILinkUiSink.h"
#include "platform/ui/MessageRelay.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <mutex>
#include <unordered_map>

namespace vexar::link {

class LinkUiSinkAdapter : public QObject, public ILinkUiSink {
public:
    explicit LinkUiSinkAdapter(QObject* parent = nullptr);
    // Drops everything still queued. The worker must have ended.
    ~LinkUiSinkAdapter() override;

    // User-interface thread: `target` receives what is posted to `window`
    // from now on, in place of any earlier one.
    void RegisterWindow(UiWindow window, QObject* target);
    // Only while `target` is the one registered.
    void UnregisterWindow(UiWindow window, const QObject* target);
    void RegisterControl(const IDataCtrl* control, QObject* target);
    void UnregisterControl(const IDataCtrl* control);

    // Worker thread.
    void Post(UiWindow window, const IDataCtrl* control, LinkMessage message) override;
    void Send(UiWindow window, LinkMessage message) override;
    void ShowError(std::u16string text) override;

    void BeginShutdown();

private:
    QPointer<QObject> Resolve(UiWindow window, const IDataCtrl* control) const;

    mutable std::mutex m_lock;
    std::array<QPointer<QObject>, static_cast<std::size_t>(UiWindow::Control)> m_windows;
    std::unordered_map<const IDataCtrl*, QPointer<QObject>> m_controls;
    ui::MessageRelay m_relay;
};

// The link record of a message the adapter delivered, as a T; null when the
// message carries none of that type.
template <class T>
T* LinkRecord(const std::unique_ptr<ui::MessagePayload>& payload)
{
    return dynamic_cast<T*>(ui::PayloadAs<LinkPayload>(payload));
}

}  // namespace vexar::link
