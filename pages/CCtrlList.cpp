#include "pages/CCtrlList.h"

#include "link/LinkMessages.h"
#include "platform/ui/Messages.h"

#include <QMouseEvent>
#include <QScrollBar>

CCtrlList::CCtrlList(QWidget* parent) : QTreeWidget(parent), WindowBase(this)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    WatchScrollBar(*horizontalScrollBar());
    WatchScrollBar(*verticalScrollBar());
}

CCtrlList::~CCtrlList() = default;

bool CCtrlList::preTranslateMessage(QWidget& target, QEvent& event)
{
    // A double-click in the rows or on the header; the scroll bars are
    // parts of a list's frame, not of its content.
    if (event.type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent&>(event).button() == Qt::LeftButton && !qobject_cast<QScrollBar*>(&target))
        PostScrollEnd();
    return false;
}

void CCtrlList::WatchScrollBar(QScrollBar& bar)
{
    bar.installEventFilter(this);
    connect(&bar, &QAbstractSlider::actionTriggered, this, [this](int action) { OnBarAction(action); });
}

// A scroll made with the mouse on a bar ends when its button is let go:
// the thumb dropped, or a held arrow or page click over.
bool CCtrlList::eventFilter(QObject* watched, QEvent* event)
{
    if (!qobject_cast<QScrollBar*>(watched))
        return QTreeWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (m_barButton == Qt::NoButton && (button == Qt::LeftButton || button == Qt::MiddleButton))
            m_barButton = button;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (m_barButton != Qt::NoButton && static_cast<QMouseEvent*>(event)->button() == m_barButton) {
            m_barButton = Qt::NoButton;
            PostScrollEnd();
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

// A step taken without a button held on the bar (its context menu, its
// keys) is a whole scroll at once. Thumb moves end only with the release.
void CCtrlList::OnBarAction(int action)
{
    if (m_barButton == Qt::NoButton && action != QAbstractSlider::SliderNoAction &&
        action != QAbstractSlider::SliderMove)
        PostScrollEnd();
}

void CCtrlList::PostScrollEnd() { vexar::ui::PostMessage(parentWidget(), {vexar::link::WM_LIST_SCROLL_END, 0, 0, {}}); }
