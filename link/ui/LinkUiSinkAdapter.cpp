#include "link/ui/LinkUiSinkAdapter.h"

#include "platform/ui/DialogResponder.h"

#include <QCoreApplication>

namespace vexar::link {

namespace {

ui::WindowMessage ToWindowMessage(LinkMessage message)
{
    return ui::WindowMessage{message.id, message.wParam, message.lParam, ui::BoxPayload(std::move(message.payload))};
}

}  // namespace

LinkUiSinkAdapter::LinkUiSinkAdapter(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, [this] { BeginShutdown(); });
}

LinkUiSinkAdapter::~LinkUiSinkAdapter() { m_relay.Close(); }

void LinkUiSinkAdapter::RegisterWindow(UiWindow window, QObject* target)
{
    if (window == UiWindow::Control)
        return;
    std::lock_guard lock(m_lock);
    m_windows[static_cast<std::size_t>(window)] = target;
}

void LinkUiSinkAdapter::UnregisterWindow(UiWindow window, const QObject* target)
{
    if (window == UiWindow::Control)
        return;
    std::lock_guard lock(m_lock);
    QPointer<QObject>& registered = m_windows[static_cast<std::size_t>(window)];
    if (registered == target)
        registered.clear();
}

void LinkUiSinkAdapter::RegisterControl(const IDataCtrl* control, QObject* target)
{
    if (!control)
        return;
    std::lock_guard lock(m_lock);
    m_controls[control] = target;
}

void LinkUiSinkAdapter::UnregisterControl(const IDataCtrl* control)
{
    std::lock_guard lock(m_lock);
    m_controls.erase(control);
}

QPointer<QObject> LinkUiSinkAdapter::Resolve(UiWindow window, const IDataCtrl* control) const
{
    std::lock_guard lock(m_lock);
    if (window != UiWindow::Control)
        return m_windows[static_cast<std::size_t>(window)];
    const auto found = m_controls.find(control);
    return found == m_controls.end() ? QPointer<QObject>() : found->second;
}

void LinkUiSinkAdapter::Post(UiWindow window, const IDataCtrl* control, LinkMessage message)
{
    QPointer<QObject> target = Resolve(window, control);
    if (!target)
        return;  // nobody registered: the record goes with the message
    m_relay.Post(std::move(target), ToWindowMessage(std::move(message)));
}

void LinkUiSinkAdapter::Send(UiWindow window, LinkMessage message)
{
    QPointer<QObject> target = Resolve(window, nullptr);
    if (!target)
        return;
    m_relay.Send(std::move(target), ToWindowMessage(std::move(message)));
}

void LinkUiSinkAdapter::ShowError(std::u16string text)
{
    m_relay.PostTask([this, text = std::move(text)] {
        QPointer<QObject> frame = Resolve(UiWindow::MainFrame, nullptr);
        ui::MessageBox(qobject_cast<QWidget*>(frame.data()), text, std::u16string(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
    });
}

void LinkUiSinkAdapter::BeginShutdown() { m_relay.BeginShutdown(); }

}  // namespace vexar::link
