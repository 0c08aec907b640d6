#include "pages/CCtrlToolTip.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

namespace {

// Where a tip goes: just below and right of the pointer, as tooltips sit.
constexpr QPoint kCursorOffset{2, 16};

// The tip window: a plain tooltip box with the text on one line however
// long it is (a QToolTip would wrap it), never taking focus or clicks.
std::unique_ptr<QLabel> MakeTipWindow(const QString& text)
{
    auto tip = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
    tip->setAttribute(Qt::WA_ShowWithoutActivating);
    tip->setAttribute(Qt::WA_TransparentForMouseEvents);
    tip->setPalette(QToolTip::palette());
    tip->setFont(QToolTip::font());
    tip->setForegroundRole(QPalette::ToolTipText);
    tip->setBackgroundRole(QPalette::ToolTipBase);
    tip->setAutoFillBackground(true);
    tip->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip->setMargin(2);
    tip->setTextFormat(Qt::PlainText);
    tip->setWordWrap(false);
    tip->setText(text);
    return tip;
}

// Keeps the tip on the screen where it can: moved left when it would pass
// the right edge (never past the left one), above the pointer when it
// would pass the bottom.
QPoint TipPosition(const QPoint& cursor, const QSize& size, const QRect& screen)
{
    QPoint at = cursor + kCursorOffset;
    if (at.x() + size.width() > screen.x() + screen.width())
        at.setX(std::max(screen.x(), screen.x() + screen.width() - size.width()));
    if (at.y() + size.height() > screen.y() + screen.height())
        at.setY(cursor.y() - size.height() - 4);
    return at;
}

}  // namespace

CCtrlToolTip::CCtrlToolTip(QWidget& control, std::u16string text)
    : m_control(&control), m_text(QString::fromStdU16String(text)), m_showTimer(new QTimer(this)),
      m_popTimer(new QTimer(this))
{
    m_showTimer->setSingleShot(true);
    m_showTimer->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire early
    m_showTimer->setInterval(kInitialMs);
    connect(m_showTimer, &QTimer::timeout, this, [this] { Show(); });
    m_popTimer->setSingleShot(true);
    m_popTimer->setInterval(kAutoPopMs);
    connect(m_popTimer, &QTimer::timeout, this, [this] { Pop(); });
    // Moves without a button pressed reach the control only when it
    // tracks the mouse.
    control.setMouseTracking(true);
    control.installEventFilter(this);
    // A control that goes while its tip shows takes the tip down with it.
    connect(&control, &QObject::destroyed, this, [this] { Leave(); });
}

CCtrlToolTip::~CCtrlToolTip()
{
    if (m_control)
        m_control->removeEventFilter(this);
}

void CCtrlToolTip::RelayEvent(QEvent::Type type, const QPoint& globalPos)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::Enter:
        // A move that is no longer over the control is the pointer leaving
        // it: a relaying page sees the pointer go on to its next control.
        if (IsOverControl(globalPos))
            Rest(globalPos);
        else
            Leave();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        Pop();
        break;
    case QEvent::Leave:
        Leave();
        break;
    default:
        break;
    }
}

bool CCtrlToolTip::IsShown() const { return m_shown && m_tip && m_tip->isVisible(); }

bool CCtrlToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        RelayEvent(event->type(), static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::Enter:
        RelayEvent(QEvent::Enter, static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        Leave();
        break;
    default:
        break;
    }
    return false;  // the control handles its events as ever
}

bool CCtrlToolTip::IsOverControl(const QPoint& globalPos) const
{
    return m_control && m_control->isVisible() && m_control->rect().contains(m_control->mapFromGlobal(globalPos));
}

// The pointer over the control: each move starts the wait again, so the tip
// shows once the pointer has rested. A shown tip stays where it is.
void CCtrlToolTip::Rest(const QPoint& globalPos)
{
    if (m_shown || m_popped)
        return;
    m_lastPos = globalPos;
    m_showTimer->start();
}

void CCtrlToolTip::Show()
{
    if (m_text.isEmpty() || !IsOverControl(m_lastPos))
        return;
    if (!m_tip)
        m_tip = MakeTipWindow(m_text);
    // sizeHint, not adjustSize: a window's adjusted size is held to part of
    // the screen, which would cut a long text.
    m_tip->resize(m_tip->sizeHint());
    const QScreen* screen = QGuiApplication::screenAt(m_lastPos);
    if (!screen)
        screen = m_control->screen();
    m_tip->move(screen ? TipPosition(m_lastPos, m_tip->size(), screen->availableGeometry()) : m_lastPos + kCursorOffset);
    m_tip->show();
    m_tip->raise();
    m_shown = true;
    m_popTimer->start();
}

void CCtrlToolTip::Hide()
{
    m_popTimer->stop();
    if (m_tip)
        m_tip->hide();
    m_shown = false;
}

// A click or the end of its time takes the tip down until the pointer has
// left the control.
void CCtrlToolTip::Pop()
{
    m_showTimer->stop();
    Hide();
    m_popped = true;
}

void CCtrlToolTip::Leave()
{
    m_showTimer->stop();
    Hide();
    m_popped = false;
}

namespace CUtility {

bool AttachToolTip(QWidget& control, std::unique_ptr<CCtrlToolTip>& toolTip, bool& attached, const std::u16string& text)
{
    toolTip.reset();
    toolTip = std::make_unique<CCtrlToolTip>(control, text);
    attached = true;
    return true;
}

}  // namespace CUtility
