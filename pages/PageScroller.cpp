#include "pages/PageScroller.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <utility>

PageScroller::PageScroller(QWidget& window)
    : QObject(&window), m_window(window), m_horizontal(new QScrollBar(Qt::Horizontal, &window)),
      m_vertical(new QScrollBar(Qt::Vertical, &window))
{
    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        bar->setSingleStep(CUtility::kScrollLine);
        bar->setTracking(true);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
        const Qt::Orientation orientation = bar->orientation();
        connect(bar, &QScrollBar::valueChanged, this, [this, orientation](int value) { OnValue(orientation, value); });
    }
    // A turn that a control leaves alone comes on to its parent, the
    // window: seen here before the window's own handling.
    window.installEventFilter(this);
}

PageScroller::~PageScroller() = default;

void PageScroller::SetContent(int width, int height)
{
    m_x.content = width;
    m_y.content = height;
}

void PageScroller::FitClient(QSize client)
{
    const int thickness = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_window);
    // A shown bar covers part of the client, which may call for the other.
    bool horizontal = false;
    bool vertical = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = client.width() - (vertical ? thickness : 0) < m_x.content;
        vertical = client.height() - (horizontal ? thickness : 0) < m_y.content;
    }
    const int dx = CUtility::FitScrollAxis(m_x, client.width() - (vertical ? thickness : 0));
    const int dy = CUtility::FitScrollAxis(m_y, client.height() - (horizontal ? thickness : 0));
    MoveContent(dx, dy);
    ShowPositions();
    PlaceBars();
}

void PageScroller::ShowPositions()
{
    m_bSetting = true;
    for (auto [bar, axis] : {std::pair{m_horizontal, &m_x}, std::pair{m_vertical, &m_y}}) {
        bar->setRange(0, axis->Limit());
        bar->setPageStep(std::max(1, axis->page));
        bar->setValue(axis->pos);
        bar->setVisible(axis->shown);
    }
    m_bSetting = false;
}

void PageScroller::PlaceBars()
{
    const int thickness = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_window);
    const int width = m_window.width();
    const int height = m_window.height();
    m_horizontal->setGeometry(0, height - thickness, width - (m_y.shown ? thickness : 0), thickness);
    m_vertical->setGeometry(width - thickness, 0, thickness, height - (m_x.shown ? thickness : 0));
    m_horizontal->raise();
    m_vertical->raise();
}

bool PageScroller::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Wheel)
        return Wheel(static_cast<QWheelEvent&>(*event));
    return QObject::eventFilter(watched, event);
}

// The turn goes to the bar of its main direction, which steps by its
// lines and keeps within the content; a turn that bar cannot take (at a
// limit, or not shown) is left for the parent.
bool PageScroller::Wheel(QWheelEvent& event)
{
    const QPoint delta = event.angleDelta();
    const bool sideways = std::abs(delta.x()) > std::abs(delta.y());
    QScrollBar* bar = sideways ? m_horizontal : m_vertical;
    if (!(sideways ? m_x.shown : m_y.shown)) {
        event.ignore();
        return false;
    }
    QCoreApplication::sendEvent(bar, &event);
    return event.isAccepted();
}

void PageScroller::OnValue(Qt::Orientation orientation, int value)
{
    if (m_bSetting)
        return;
    if (orientation == Qt::Horizontal)
        MoveContent(CUtility::ScrollAxisTo(m_x, value), 0);
    else
        MoveContent(0, CUtility::ScrollAxisTo(m_y, value));
}

// The content scrolled by (dx, dy): every child but the bars moves the
// other way.
void PageScroller::MoveContent(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    for (QObject* object : m_window.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child == m_horizontal || child == m_vertical || child->isWindow())
            continue;
        child->move(child->pos() - QPoint(dx, dy));
    }
    m_window.update();
}
