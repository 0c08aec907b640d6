#include "platform/ui/WindowState.h"

#include "platform/ui/DirectChild.h"

#include <QEvent>
#include <QWidget>

namespace vexar::ui {

namespace {

constexpr char kIdProperty[] = "vexarCtrlId";
constexpr char kInputOffProperty[] = "vexarInputOff";

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Swallows the input of a control whose input is off.
class InputGate : public QObject {
public:
    explicit InputGate(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return watched == parent() && IsInput(event->type()) && !IsInputEnabled(*static_cast<QWidget*>(watched));
    }
};

}  // namespace

void SetDlgCtrlID(QWidget& widget, int id) { widget.setProperty(kIdProperty, id); }

int GetDlgCtrlID(const QWidget& widget) { return widget.property(kIdProperty).toInt(); }

QWidget* GetDlgItem(const QWidget& parent, int id)
{
    for (QWidget* child : parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (GetDlgCtrlID(*child) == id)
            return child;
    }
    return nullptr;
}

bool ShowWindow(QWidget& widget, int command)
{
    const bool wasShown = !widget.isHidden();
    if (command == SW_HIDE) {
        widget.hide();
    } else if (!widget.isWindow()) {
        widget.show();
    } else if (command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == SW_SHOWMINNOACTIVE) {
        widget.showMinimized();
    } else if (command == SW_SHOWMAXIMIZED) {
        widget.showMaximized();
    } else if (command == SW_SHOWNORMAL || command == SW_RESTORE) {
        widget.showNormal();
    } else {
        widget.show();
    }
    return wasShown;
}

void EnableWindow(QWidget& widget, bool enable) { widget.setEnabled(enable); }

bool IsWindowEnabled(const QWidget& widget) { return !widget.testAttribute(Qt::WA_ForceDisabled); }

void SetInputEnabled(QWidget& widget, bool enable)
{
    if (!DirectChild<InputGate>(widget))
        new InputGate(&widget);
    widget.setProperty(kInputOffProperty, !enable);
    widget.update();
}

bool IsInputEnabled(const QWidget& widget) { return !widget.property(kInputOffProperty).toBool(); }

}  // namespace vexar::ui
