#include "platform/ui/WindowState.h"

#include "platform/ui/DirectChild.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QTimer>
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

namespace {

QMargins FrameMargins(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

bool Framed(const QMargins& margins) { return !margins.isNull(); }

// The frame a window manager gives: the window's own, else that of a
// framed top-level window shown and not maximised (a maximised one may
// have lost its borders), else of any framed one.
QMargins ExpectedFrame(const QWidget& window)
{
    if (window.isVisible() && Framed(FrameMargins(window)))
        return FrameMargins(window);
    QMargins maximised;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || !other->isWindow())
            continue;
        const QMargins margins = FrameMargins(*other);
        if (!Framed(margins))
            continue;
        if (!other->isMaximized() && !other->isFullScreen())
            return margins;
        maximised = margins;
    }
    return maximised;
}

void PlaceClient(QWidget& window, const QRect& outer, const QMargins& frame)
{
    window.setGeometry(outer.marginsRemoved(frame));
}

constexpr char kFrameWatchName[] = "vexar-frame-watch";

// Places the window once more when the window manager has framed it, if
// with another frame than the one expected; then it is done, so that a
// later maximise or move by the user stays. A window manager frames a
// window without a move or resize of its client, so the frame is looked
// at for a while after the window shows.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget& window, const QRect& outer, const QMargins& expected)
        : QObject(&window), m_window(&window), m_outer(outer), m_expected(expected)
    {
        setObjectName(QString::fromLatin1(kFrameWatchName));
        window.installEventFilter(this);
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Look(); });
        if (window.isVisible())
            m_timer.start();
    }
    void Retarget(const QRect& outer, const QMargins& expected)
    {
        m_outer = outer;
        m_expected = expected;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            m_ticks = 0;
            m_timer.start();
        }
        return false;
    }

private:
    void Look()
    {
        if (!m_window || !m_window->isVisible() || ++m_ticks > kTicks) {
            m_timer.stop();
            return;
        }
        const QMargins frame = FrameMargins(*m_window);
        if (!Framed(frame))
            return;
        m_timer.stop();
        m_window->removeEventFilter(this);
        deleteLater();
        if (frame != m_expected)
            PlaceClient(*m_window, m_outer, frame);
    }

    static constexpr int kTicks = 150;  // 3 s
    QPointer<QWidget> m_window;
    QRect m_outer;
    QMargins m_expected;
    QTimer m_timer;
    int m_ticks = 0;
};

}  // namespace

void SetWindowRect(QWidget& window, const QRect& outer)
{
    const QMargins expected = ExpectedFrame(window);
    FrameWatch* watch = nullptr;
    for (QObject* child : window.children())
        if (child->objectName() == QLatin1String(kFrameWatchName))
            watch = dynamic_cast<FrameWatch*>(child);
    if (watch)
        watch->Retarget(outer, expected);
    else if (!window.isVisible() || !Framed(FrameMargins(window)))
        new FrameWatch(window, outer, expected);
    PlaceClient(window, outer, expected);
}

}  // namespace vexar::ui
