#include "platform/ui/KeyRouter.h"

#include "platform/ui/DirectChild.h"
#include "platform/ui/WindowBase.h"

#include <QApplication>
#include <QWidget>

#include <memory>

namespace vexar::ui {

namespace {

bool IsRouted(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return true;
    default:
        return false;
    }
}

// A modal dialog or a popup keeps its keys: the walk ends there.
bool EndsWalk(const QWidget& widget)
{
    return widget.isWindow() && (widget.isModal() || widget.windowType() == Qt::Popup);
}

bool IsAncestor(const QWidget* ancestor, const QWidget* widget)
{
    for (const QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (w == ancestor)
            return true;
    }
    return false;
}

}  // namespace

KeyRouter::KeyRouter(QObject* parent) : QObject(parent) {}

void KeyRouter::Install()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || DirectChild<KeyRouter>(*application))
        return;
    application->installEventFilter(new KeyRouter(application));
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsRouted(event->type()) || !watched->isWidgetType())
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (IsPassingOn(receiver, *event))
        return false;

    QPointer<QWidget> guard(receiver);
    bool hadWindow = false;
    if (PreTranslate(receiver, *event, hadWindow)) {
        event->accept();
        return true;
    }
    // With no window on the way, Qt's own passing on shows the event to none.
    if (!hadWindow || !guard)
        return !guard;
    return Deliver(receiver, *event);
}

bool KeyRouter::PreTranslate(QWidget* receiver, QEvent& event, bool& hadWindow)
{
    const QPointer<QWidget> target(receiver);
    for (QPointer<QWidget> widget = receiver; widget; widget = widget->parentWidget()) {
        if (!target)
            return true;  // the target went away with its event
        if (WindowBase* window = WindowBase::From(widget.data())) {
            hadWindow = true;
            if (window->preTranslateMessage(*receiver, event))
                return true;
            if (!widget)
                return true;
        }
        if (EndsWalk(*widget))
            break;
    }
    return false;
}

bool KeyRouter::Deliver(QWidget* receiver, QEvent& event)
{
    std::unique_ptr<QEvent> copy(event.clone());
    m_deliveries.push_back({receiver, copy.get()});
    QCoreApplication::instance()->notify(receiver, copy.get());
    m_deliveries.pop_back();
    // The original stops here; Qt has passed the copy on where it had to.
    event.setAccepted(true);
    return true;
}

// The copy itself, or Qt passing it on to a parent of its receiver (a mouse
// event is passed on as a new event with the position moved).
bool KeyRouter::IsPassingOn(const QWidget* receiver, const QEvent& event) const
{
    for (const Delivery& delivery : m_deliveries) {
        if (&event == delivery.copy)
            return true;
        if (event.type() == delivery.copy->type() && IsAncestor(receiver, delivery.receiver))
            return true;
    }
    return false;
}

}  // namespace vexar::ui
