#include "pages/widgets/CWScaledControl.h"

#include "pages/widgets/CWPaint.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

CWScaledControl::CWScaledControl(QWidget* parent, vexar::ui::COLORREF pointerColour)
    : QWidget(parent), m_pointerColour(pointerColour)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void CWScaledControl::SetValue(double value)
{
    if (std::isfinite(value))
        Store(m_scale.Coerce(value));
}

void CWScaledControl::SetRange(double minimum, double maximum)
{
    m_scale.SetRange(minimum, maximum);
    updateGeometry();
    update();
    Store(m_scale.Coerce(m_value));
}

void CWScaledControl::SetDiscrete(bool discrete) { m_scale.SetDiscrete(discrete); }

void CWScaledControl::SetTicks(int divisions)
{
    m_scale.SetDivisions(divisions);
    updateGeometry();
    update();
}

void CWScaledControl::SetFormat(std::u16string_view format)
{
    m_scale.SetFormat(format);
    updateGeometry();
    update();
}

void CWScaledControl::SetScaleColor(vexar::ui::COLORREF colour)
{
    m_scaleColour = colour;
    update();
}

void CWScaledControl::SetLabelColor(vexar::ui::COLORREF colour)
{
    m_labelColour = colour;
    update();
}

void CWScaledControl::SetPointerColor(vexar::ui::COLORREF colour)
{
    m_pointerColour = colour;
    update();
}

void CWScaledControl::SetBorderVisible(bool visible)
{
    m_border = visible;
    update();
}

void CWScaledControl::SetInputEnabled(bool enabled)
{
    m_inputEnabled = enabled;
    InputStateChanged();
}

void CWScaledControl::InputStateChanged()
{
    const bool accepts = AcceptsInput();
    if (!accepts)
        EndGestures();
    setFocusPolicy(accepts ? Qt::StrongFocus : Qt::NoFocus);
    if (accepts)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

std::vector<QString> CWScaledControl::MarkTexts() const
{
    std::vector<QString> texts;
    for (int i = 0; i <= m_scale.Divisions(); ++i)
        texts.push_back(QString::fromStdU16String(m_scale.LabelText(m_scale.MarkValue(i))));
    return texts;
}

int CWScaledControl::ZeroMark() const
{
    const double tolerance = std::fabs(m_scale.Maximum() - m_scale.Minimum()) * 1e-9;
    for (int i = 0; i <= m_scale.Divisions(); ++i) {
        if (std::fabs(m_scale.MarkValue(i)) <= tolerance)
            return i;
    }
    return -1;
}

void CWScaledControl::PaintLabels(QPainter& painter, const std::vector<QRectF>& boxes,
                                  const std::vector<QString>& texts, int step) const
{
    if (step <= 0)
        return;
    painter.setPen(CWPaint::Shown(*this, m_labelColour));
    painter.setFont(font());
    for (std::size_t i = 0; i < boxes.size() && i < texts.size(); i += static_cast<std::size_t>(step))
        painter.drawText(boxes[i], Qt::AlignCenter, texts[i]);
}

void CWScaledControl::Store(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
    emit valueChanged(m_value);
}

void CWScaledControl::SetUserValue(double value)
{
    if (std::isfinite(value))
        Store(m_scale.UserValue(value));
}

void CWScaledControl::EndGestures()
{
    const bool active = m_gesture.Active();
    m_gesture.Cancel();
    if (active)
        emit released();
}

void CWScaledControl::mousePressEvent(QMouseEvent* event)
{
    if (!AcceptsInput() || !m_gesture.MousePress(event->button() == Qt::LeftButton)) {
        event->ignore();
        return;
    }
    SetUserValue(PressValue(event->position()));
}

void CWScaledControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_gesture.Dragging()) {
        event->ignore();
        return;
    }
    SetUserValue(DragValue(event->position()));
}

void CWScaledControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_gesture.MouseRelease(event->button() == Qt::LeftButton)) {
        event->ignore();
        return;
    }
    emit released();
}

void CWScaledControl::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (!AcceptsInput() || (key != Qt::Key_Up && key != Qt::Key_Down)) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_gesture.KeyPress(key);
    // To the next point of the grid of steps above or below the value
    // shown, so a held key walks the scale by round numbers.
    const double step = m_scale.KeyStep();
    if (step <= 0.0)
        return;
    const double position = m_value / step;
    constexpr double kNoise = 1e-9;
    const double next = key == Qt::Key_Up ? std::floor(position + kNoise) + 1 : std::ceil(position - kNoise) - 1;
    SetUserValue(next * step);
}

void CWScaledControl::keyReleaseEvent(QKeyEvent* event)
{
    if (m_gesture.KeyRelease(event->key(), event->isAutoRepeat()))
        emit released();
    else
        QWidget::keyReleaseEvent(event);
}

void CWScaledControl::focusOutEvent(QFocusEvent* event)
{
    // A key still held when the focus goes will release elsewhere.
    if (!m_gesture.Dragging())
        EndGestures();
    QWidget::focusOutEvent(event);
}

void CWScaledControl::hideEvent(QHideEvent* event)
{
    EndGestures();
    QWidget::hideEvent(event);
}

void CWScaledControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        EndGestures();
    QWidget::changeEvent(event);
}
