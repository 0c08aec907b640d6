#include "pages/widgets/CCWButton.h"

#include "pages/widgets/CWPaint.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

bool PressKey(int key) { return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

CCWButton::CCWButton(QWidget* parent) : QWidget(parent) { UpdateFocusPolicy(); }

void CCWButton::SetValue(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
    emit valueChanged(m_on);
}

void CCWButton::SetLook(Look look)
{
    m_look = look;
    UpdateFocusPolicy();
    updateGeometry();
    update();
}

void CCWButton::SetOnColor(vexar::ui::COLORREF colour)
{
    m_onColour = colour;
    update();
}

void CCWButton::SetOffColor(vexar::ui::COLORREF colour)
{
    m_offColour = colour;
    update();
}

void CCWButton::SetInputEnabled(bool enabled)
{
    m_inputEnabled = enabled;
    if (!enabled)
        EndPress();
    UpdateFocusPolicy();
}

void CCWButton::UpdateFocusPolicy()
{
    // Only the toggle is a tab stop; a lamp has nothing to do with a key.
    setFocusPolicy(m_inputEnabled && Flips() ? Qt::StrongFocus : Qt::NoFocus);
    if (m_inputEnabled && Flips())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

QSize CCWButton::sizeHint() const
{
    const int line = QFontMetrics(font()).height();
    if (m_look == Look::Toggle)
        return QSize(line * 5 / 2, line * 4 / 3);
    return QSize(line * 4 / 3, line * 4 / 3);
}

QSize CCWButton::minimumSizeHint() const
{
    const int line = QFontMetrics(font()).height();
    return m_look == Look::Toggle ? QSize(line * 3 / 2, line * 3 / 4) : QSize(line * 3 / 4, line * 3 / 4);
}

void CCWButton::Press(int key)
{
    m_pressed = true;
    m_pressKey = key;
    if (Flips())
        SetValue(!m_on);
}

void CCWButton::EndPress()
{
    if (!m_pressed)
        return;
    m_pressed = false;
    m_pressKey = 0;
    emit clicked();
}

void CCWButton::mousePressEvent(QMouseEvent* event)
{
    if (!m_inputEnabled || event->button() != Qt::LeftButton || m_pressed) {
        event->ignore();
        return;
    }
    Press(0);
}

void CCWButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed || m_pressKey != 0) {
        event->ignore();
        return;
    }
    EndPress();
}

void CCWButton::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CCWButton::keyPressEvent(QKeyEvent* event)
{
    if (!m_inputEnabled || !PressKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    // The held key repeats: one press, one flip.
    if (!m_pressed && !event->isAutoRepeat())
        Press(event->key());
}

void CCWButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat() || !m_pressed || event->key() != m_pressKey) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    EndPress();
}

void CCWButton::focusOutEvent(QFocusEvent* event)
{
    // A key held when the focus goes releases elsewhere: its flip is
    // announced now.
    if (m_pressKey != 0)
        EndPress();
    QWidget::focusOutEvent(event);
}

// Hidden or disabled, the widget sees no release: the press ends here.
void CCWButton::hideEvent(QHideEvent* event)
{
    EndPress();
    QWidget::hideEvent(event);
}

void CCWButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        EndPress();
    QWidget::changeEvent(event);
}

void CCWButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CWPaint::Begin(painter);
    if (m_look == Look::Toggle)
        PaintToggle(painter);
    else
        PaintLamp(painter);
}

void CCWButton::PaintToggle(QPainter& painter) const
{
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    const double height = std::min(area.height(), area.width() * 0.55);
    const double width = std::min(area.width(), height * 2.0);
    const QRectF track(area.center().x() - width / 2, area.center().y() - height / 2, width, height);
    const double radius = height / 2;
    const QColor fill = m_on ? vexar::ui::ToQColor(m_onColour) : QColor(178, 178, 178);
    CWPaint::DrawWell(painter, *this, track, fill, radius);

    // The lever: left for off, right for on.
    const double lever = std::max(2.0, radius - 2);
    const QPointF c(m_on ? track.right() - radius : track.left() + radius, track.center().y());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawEllipse(c + QPointF(0.6, 1.0), lever, lever);
    QLinearGradient metal(c - QPointF(lever, lever), c + QPointF(lever, lever));
    metal.setColorAt(0, CWPaint::Shown(*this, QColor(255, 255, 255)));
    metal.setColorAt(1, CWPaint::Shown(*this, QColor(196, 196, 196)));
    painter.setBrush(metal);
    painter.setPen(QPen(CWPaint::Shown(*this, QColor(100, 100, 100)), 1));
    painter.drawEllipse(c, lever, lever);
    if (hasFocus())
        CWPaint::DrawFocus(painter, *this, track.adjusted(-1.5, -1.5, 1.5, 1.5), false);
}

void CCWButton::PaintLamp(QPainter& painter) const
{
    const double size = std::max(0.0, std::min(width(), height()) - 2.0);
    const QRectF box(width() / 2.0 - size / 2, height() / 2.0 - size / 2, size, size);
    const bool round = m_look == Look::RoundLamp;
    const double corner = size * 0.14;
    const auto shape = [&](const QRectF& r, double inset) {
        if (round)
            painter.drawEllipse(r);
        else
            painter.drawRoundedRect(r, std::max(1.0, corner - inset), std::max(1.0, corner - inset));
    };

    // The bezel, then the lens in its colour with a glint at the top left.
    QLinearGradient bezel(box.topLeft(), box.bottomRight());
    bezel.setColorAt(0, CWPaint::Shown(*this, QColor(160, 160, 160)));
    bezel.setColorAt(1, CWPaint::Shown(*this, QColor(48, 48, 48)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(bezel);
    shape(box, 0);
    const double rim = std::max(1.5, size * 0.12);
    const QRectF lens = box.adjusted(rim, rim, -rim, -rim);
    painter.setBrush(CWPaint::Shown(*this, m_on ? m_onColour : m_offColour));
    shape(lens, rim);
    painter.setBrush(QColor(255, 255, 255, m_on ? 120 : 70));
    painter.drawEllipse(QRectF(lens.left() + lens.width() * 0.16, lens.top() + lens.height() * 0.1,
                               lens.width() * 0.42, lens.height() * 0.3));
}
