#include "dialogs/CScrollResizeFunc.h"

#include "pages/CCtrlTab.h"
#include "pages/core/DesignScreen.h"

#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

CScrollResizeFunc::CScrollResizeFunc() = default;

CScrollResizeFunc::CScrollResizeFunc(Options options) : m_options(options) {}

CScrollResizeFunc::~CScrollResizeFunc()
{
    delete m_hBar.data();
    delete m_vBar.data();
}

void CScrollResizeFunc::Attach(QWidget* dialog)
{
    delete m_hBar.data();
    delete m_vBar.data();
    m_dialog = dialog;
    m_nOffsetX = m_nOffsetY = 0;
    m_nPageX = m_nPageY = 0;
    if (!dialog)
        return;
    m_rcWindow = dialog->geometry();
    m_rcContent = dialog->rect();
    m_hBar = new QScrollBar(Qt::Horizontal, dialog);
    m_vBar = new QScrollBar(Qt::Vertical, dialog);
    for (Axis axis : {Axis::X, Axis::Y}) {
        QScrollBar* bar = Bar(axis);
        bar->hide();
        bar->setSingleStep(kLineStep);
        bar->setRange(0, 0);
        // The user's moves of the bar: lines, pages and the thumb as it is
        // dragged.
        QObject::connect(bar, &QScrollBar::valueChanged, bar, [this, axis](int value) {
            if (value != -Offset(axis))
                ScrollTo(axis, value);
        });
    }
}

bool CScrollResizeFunc::CheckLargeFonts()
{
    if (!m_dialog)
        return false;
    const QSize dpi = m_dpi ? m_dpi() : QSize(m_dialog->logicalDpiX(), m_dialog->logicalDpiY());
    if (dpi.width() <= 96 && dpi.height() <= 96)
        return false;
    if (m_options.growWithResolution) {
        m_nNumX = dpi.width();
        m_nNumY = dpi.height();
        m_nDenX = m_nDenY = 96;
    } else {
        m_nDenX = dpi.width();
        m_nDenY = dpi.height();
        m_nNumX = m_nNumY = 96;
    }
    m_rcWindow = m_dialog->geometry();
    return true;
}

bool CScrollResizeFunc::FitToScreen()
{
    if (!m_dialog)
        return false;
    m_rcContent = m_dialog->rect();

    // Under the first tab, inside the tab control's client area.
    QRect target = m_dialog->geometry();
    if (auto* tab = dynamic_cast<CCtrlTab*>(m_dialog->parentWidget())) {
        const QRect first = tab->GetItemRect(0);
        const int left = first.left() + 1;
        const int top = first.top() + first.height() + 3;
        target = QRect(left, top, tab->width() - 2 - left, tab->height() - 2 - top);
    }

    const QSize screen = m_screenSize ? m_screenSize() : m_dialog->screen()->size();
    int width = screen.width();
    int height = screen.height();
    if (width == kDesignWidth && height == kDesignHeight)
        return false;
    const PIXEL_SIZE reduced = ReduceToDesignRatio(width, height);
    m_nNumX = reduced.cx;
    m_nNumY = reduced.cy;
    m_nDenX = kDesignWidth;
    m_nDenY = kDesignHeight;

    m_dialog->setGeometry(target);
    m_dialog->update();
    m_rcContent = m_dialog->rect();
    m_rcWindow = m_dialog->geometry();
    return true;
}

void CScrollResizeFunc::ScaleControl(QWidget& control, bool, bool)
{
    QRect r = control.geometry();
    int left = r.left();
    int top = r.top();
    int width = r.width();
    int height = r.height();
    ScaleCoord(m_nNumX, m_nDenX, width);
    ScaleCoord(m_nNumX, m_nDenX, left);
    ScaleCoord(m_nNumY, m_nDenY, height);
    ScaleCoord(m_nNumY, m_nDenY, top);
    control.setGeometry(left, top, width, height);
    control.update();
}

void CScrollResizeFunc::ScaleCoord(int numerator, int denominator, int& value)
{
    if (numerator == denominator || denominator == 0)
        return;
    const long long scaled = static_cast<long long>(numerator) * value / denominator;
    if (scaled > 0)
        value = static_cast<int>(scaled);
}

void CScrollResizeFunc::UpdateScrollBars(int availableWidth, int availableHeight)
{
    if (!m_dialog)
        return;
    const int available[2] = {availableWidth, availableHeight};
    const int content[2] = {m_rcContent.width(), m_rcContent.height()};
    for (Axis axis : {Axis::X, Axis::Y}) {
        const int i = axis == Axis::X ? 0 : 1;
        QScrollBar* bar = Bar(axis);
        if (available[i] >= content[i]) {
            // Everything fits: back to the start, no bar.
            if (Offset(axis) != 0)
                ScrollContent(axis == Axis::X ? -Offset(axis) : 0, axis == Axis::Y ? -Offset(axis) : 0);
            Offset(axis) = 0;
            const QSignalBlocker quiet(bar);
            bar->setValue(0);
            bar->hide();
        } else {
            bar->show();
        }
    }
    PlaceBars();

    const QSize client = ClientSize();
    for (Axis axis : {Axis::X, Axis::Y}) {
        QScrollBar* bar = Bar(axis);
        if (bar->isHidden())
            continue;
        const int page = axis == Axis::X ? client.width() : client.height();
        const int size = axis == Axis::X ? m_rcContent.width() : m_rcContent.height();
        (axis == Axis::X ? m_nPageX : m_nPageY) = page;
        const QSignalBlocker quiet(bar);
        bar->setPageStep(std::max(1, page));
        bar->setRange(0, std::max(0, size - page));
        // A window grown beyond the scrolled part takes the content back.
        const int limit = bar->maximum();
        int& offset = Offset(axis);
        if (limit < -offset) {
            const int back = -offset - limit;
            ScrollContent(axis == Axis::X ? back : 0, axis == Axis::Y ? back : 0);
            offset = -limit;
        }
        bar->setValue(-offset);
    }
}

void CScrollResizeFunc::OnSize()
{
    if (m_dialog)
        UpdateScrollBars(m_dialog->width() - m_frameAllowance.width(), m_dialog->height() - m_frameAllowance.height());
}

void CScrollResizeFunc::OnHScroll(int code, int thumbPosition) { OnScroll(Axis::X, code, thumbPosition); }

void CScrollResizeFunc::OnVScroll(int code, int thumbPosition) { OnScroll(Axis::Y, code, thumbPosition); }

void CScrollResizeFunc::OnScroll(Axis axis, int code, int thumbPosition)
{
    QScrollBar* bar = Bar(axis);
    if (!bar)
        return;
    const int position = -Offset(axis);
    const int limit = bar->maximum();
    const int page = axis == Axis::X ? m_nPageX : m_nPageY;
    int target = position;
    switch (code) {
    case SB_LINEUP:
        target = std::clamp(position - kLineStep, 0, limit);
        break;
    case SB_LINEDOWN:
        target = std::clamp(position + kLineStep, 0, limit);
        break;
    case SB_PAGEUP:
        target = std::clamp(position - page, 0, limit);
        break;
    case SB_PAGEDOWN:
        target = std::clamp(position + page, 0, limit);
        break;
    case SB_THUMBTRACK:
        target = thumbPosition;
        break;
    default:  // thumb position, end of scroll: the content stays
        break;
    }
    ScrollTo(axis, target);
}

void CScrollResizeFunc::ScrollTo(Axis axis, int position)
{
    const int delta = -Offset(axis) - position;
    if (delta != 0)
        ScrollContent(axis == Axis::X ? delta : 0, axis == Axis::Y ? delta : 0);
    Offset(axis) += delta;
    const QSignalBlocker quiet(Bar(axis));
    Bar(axis)->setValue(position);
}

void CScrollResizeFunc::ScrollContent(int dx, int dy)
{
    if (!m_dialog)
        return;
    for (QObject* child : m_dialog->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget == m_hBar || widget == m_vBar || widget->isWindow())
            continue;
        widget->move(widget->pos() + QPoint(dx, dy));
    }
    m_dialog->update();
}

// The bars along the right and the bottom edge, over the content.
void CScrollResizeFunc::PlaceBars()
{
    const int width = m_dialog->width();
    const int height = m_dialog->height();
    const int thickV = m_vBar->sizeHint().width();
    const int thickH = m_hBar->sizeHint().height();
    const bool showV = !m_vBar->isHidden();
    const bool showH = !m_hBar->isHidden();
    if (showV) {
        m_vBar->setGeometry(width - thickV, 0, thickV, height - (showH ? thickH : 0));
        m_vBar->raise();
    }
    if (showH) {
        m_hBar->setGeometry(0, height - thickH, width - (showV ? thickV : 0), thickH);
        m_hBar->raise();
    }
}

QSize CScrollResizeFunc::ClientSize() const
{
    const int width = m_dialog->width() - (m_vBar->isHidden() ? 0 : m_vBar->sizeHint().width());
    const int height = m_dialog->height() - (m_hBar->isHidden() ? 0 : m_hBar->sizeHint().height());
    return {width, height};
}
