#include "pages/widgets/CCWNumEdit.h"

#include "pages/widgets/CWPaint.h"
#include "pages/widgets/CWValueText.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// What a number in any of the masks' notations is written with.
bool Typeable(const QString& text)
{
    static const QString kCharacters = QStringLiteral("0123456789.,+-xXabcdefABCDEF%");
    if (text.isEmpty())
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return kCharacters.contains(c); });
}

bool EditingKey(int key)
{
    return key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Left || key == Qt::Key_Right ||
           key == Qt::Key_Home || key == Qt::Key_End;
}

}  // namespace

CCWNumEdit::CCWNumEdit(QWidget* parent)
    : QWidget(parent),
      m_minimum(std::numeric_limits<double>::lowest()),
      m_maximum(std::numeric_limits<double>::max())
{
    UpdateFocusPolicy();
    ShowValue();
}

std::u16string CCWNumEdit::GetText() const { return CWValueText::Format(m_format, m_value); }

void CCWNumEdit::SetValue(double value)
{
    if (!std::isfinite(value) || value == m_value)
        return;
    m_value = value;
    // Text the user is typing stays until given or dropped.
    if (!m_typed)
        ShowValue();
    emit valueChanged(m_value);
}

void CCWNumEdit::SetFormat(std::u16string_view format)
{
    m_format = format;
    if (!m_typed)
        ShowValue();
}

void CCWNumEdit::SetRange(double minimum, double maximum)
{
    if (std::isnan(minimum) || std::isnan(maximum))
        return;
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
}

void CCWNumEdit::SetIncDecButtons(bool shown)
{
    m_buttons = shown;
    updateGeometry();
    update();
}

void CCWNumEdit::SetIncrement(double step)
{
    if (std::isfinite(step))
        m_increment = std::fabs(step);
}

void CCWNumEdit::SetAlignment(Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void CCWNumEdit::SetMode(Mode mode)
{
    m_mode = mode;
    m_typed = false;
    UpdateFocusPolicy();
    ShowValue();
}

void CCWNumEdit::SetValueColor(vexar::ui::COLORREF colour)
{
    m_valueColour = colour;
    update();
}

void CCWNumEdit::SetInputEnabled(bool enabled)
{
    m_inputEnabled = enabled;
    m_typed = false;
    UpdateFocusPolicy();
    ShowValue();
}

void CCWNumEdit::UpdateFocusPolicy()
{
    setFocusPolicy(Editable() ? Qt::StrongFocus : Qt::NoFocus);
    if (Editable())
        setCursor(Qt::IBeamCursor);
    else
        unsetCursor();
}

QSize CCWNumEdit::sizeHint() const
{
    const QFontMetrics fm(font());
    const int buttons = m_buttons ? std::max(11, fm.height() * 17 / 20) : 0;
    return QSize(fm.horizontalAdvance(QStringLiteral("-88888.888")) + fm.height() / 2 + buttons + 4,
                 fm.height() + 6);
}

QSize CCWNumEdit::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(fm.height() * 2, fm.height() + 2);
}

QRectF CCWNumEdit::ButtonsRect() const
{
    if (!ButtonsShown())
        return {};
    const double width = std::max(11.0, std::round(QFontMetricsF(font()).height() * 0.85));
    return QRectF(this->width() - 1 - width, 1, width, height() - 2);
}

QRectF CCWNumEdit::TextRect() const
{
    const double pad = std::max(3.0, std::round(QFontMetricsF(font()).height() * 0.25));
    return QRectF(rect()).adjusted(pad, 1, -pad - ButtonsRect().width(), -1);
}

// The widget's font, made smaller (down to six tenths) when the text
// would not fit the field's width or height: a number must be read whole.
QFont CCWNumEdit::FittedFont(const QString& text) const
{
    const QFont natural = font();
    QFont fitted = natural;
    const QRectF room = TextRect();
    // Sizes do not scale exactly with hinting: measure again each time.
    for (double scale = 1.0; scale > 0.6;) {
        const QFontMetricsF fm(fitted);
        const double advance = fm.horizontalAdvance(text);
        const double wide = advance > 0.0 ? room.width() / advance : 1.0;
        const double high = (room.height() + 2) / fm.height();
        if (wide >= 1.0 && high >= 1.0)
            break;
        scale = std::max(0.6, scale * std::min(0.97, std::min(wide, high)));
        if (natural.pointSizeF() > 0)
            fitted.setPointSizeF(natural.pointSizeF() * scale);
        else
            fitted.setPixelSize(std::max(1, static_cast<int>(natural.pixelSize() * scale)));
    }
    return fitted;
}

double CCWNumEdit::TextLeft(const QString& text, const QFont& font) const
{
    const QRectF box = TextRect();
    const double advance = QFontMetricsF(font).horizontalAdvance(text);
    switch (m_alignment) {
    case Alignment::Left:
        break;
    case Alignment::Center:
        return box.center().x() - advance / 2;
    case Alignment::Right:
        return box.right() - advance;
    }
    return box.left();
}

int CCWNumEdit::PositionAt(double x) const
{
    const QString& text = m_line.Text();
    const QFont fitted = FittedFont(text);
    const QFontMetricsF fm(fitted);
    const double left = TextLeft(text, fitted);
    int best = 0;
    double distance = std::numeric_limits<double>::max();
    for (int i = 0; i <= text.size(); ++i) {
        const double d = std::fabs(left + fm.horizontalAdvance(text.left(i)) - x);
        if (d < distance) {
            distance = d;
            best = i;
        }
    }
    return best;
}

void CCWNumEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    CWPaint::Begin(painter);
    const QRectF frame = rect();
    const QColor base = palette().color(QPalette::Base);
    const QColor face = m_mode == Mode::Computed ? palette().color(QPalette::Window) : base;
    CWPaint::DrawWell(painter, *this, frame, face, 2);
    if (hasFocus() && Editable()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    }

    if (ButtonsShown()) {
        const QRectF buttons = ButtonsRect();
        for (const int direction : {1, -1}) {
            const double half = buttons.height() / 2;
            const QRectF button(buttons.left(), direction > 0 ? buttons.top() : buttons.top() + half, buttons.width(),
                                half);
            const bool pressed = m_pressedButton == direction;
            QLinearGradient shade(button.topLeft(), button.bottomLeft());
            shade.setColorAt(0, CWPaint::Shown(*this, pressed ? QColor(200, 200, 200) : QColor(248, 248, 248)));
            shade.setColorAt(1, CWPaint::Shown(*this, pressed ? QColor(228, 228, 228) : QColor(214, 214, 214)));
            painter.setPen(QPen(CWPaint::Shown(*this, QColor(150, 150, 150)), 1));
            painter.setBrush(shade);
            painter.drawRect(button.adjusted(0.5, 0.5, -0.5, -0.5));
            const double size = std::min(button.width() * 0.5, button.height() * 0.55);
            const QPointF c = button.center() + QPointF(pressed ? 0.5 : 0, pressed ? 0.5 : 0);
            QPainterPath arrow;
            arrow.moveTo(c + QPointF(0, -direction * size / 2));
            arrow.lineTo(c + QPointF(size / 2, direction * size / 2));
            arrow.lineTo(c + QPointF(-size / 2, direction * size / 2));
            arrow.closeSubpath();
            painter.setPen(Qt::NoPen);
            painter.setBrush(CWPaint::Shown(*this, m_inputEnabled ? QColor(40, 40, 40) : QColor(150, 150, 150)));
            painter.drawPath(arrow);
        }
    }

    const bool editing = hasFocus() && Editable();
    const QRectF box = TextRect();
    const QFont fitted = FittedFont(m_line.Text());
    const QFontMetricsF fm(fitted);
    // A number too long even for the smaller font keeps its leading digits
    // and shows that it was cut; one being typed shows as it is.
    const QString text =
        editing ? m_line.Text() : fm.elidedText(m_line.Text(), Qt::ElideRight, box.width() + 1);
    const double left = TextLeft(text, fitted);
    const double baseline = box.center().y() + (fm.ascent() - fm.descent()) / 2;
    painter.setClipRect(box.adjusted(-1, 0, 1, 0));
    painter.setFont(fitted);
    const QColor ink = CWPaint::Shown(*this, m_valueColour);
    painter.setPen(ink);
    painter.drawText(QPointF(left, baseline), text);
    if (!editing)
        return;
    const double top = box.center().y() - fm.height() / 2;
    if (m_line.HasSelection()) {
        const double from = left + fm.horizontalAdvance(text.left(m_line.SelectionStart()));
        const double to = left + fm.horizontalAdvance(text.left(m_line.SelectionEnd()));
        const QRectF selected(from, top, to - from, fm.height());
        painter.fillRect(selected, palette().color(QPalette::Highlight));
        painter.setClipRect(selected.intersected(box.adjusted(-1, 0, 1, 0)));
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(QPointF(left, baseline), text);
    } else {
        const double x = std::round(left + fm.horizontalAdvance(text.left(m_line.Caret()))) + 0.5;
        painter.setPen(QPen(ink, 1));
        painter.drawLine(QPointF(x, top), QPointF(x, top + fm.height()));
    }
}

bool CCWNumEdit::event(QEvent* event)
{
    // The keys that edit the text belong to the field, not to a shortcut
    // of the window; Ctrl+Z and the function keys still go to the window.
    if (event->type() == QEvent::ShortcutOverride && Editable()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (EditingKey(key->key()) || (plain && Typeable(key->text()))) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void CCWNumEdit::keyPressEvent(QKeyEvent* event)
{
    if (!Editable()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!ButtonsShown())
            break;
        Commit();
        Step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Commit();
        event->ignore();  // on to the window: a dialog's default button
        return;
    case Qt::Key_Escape:
        if (!m_typed)
            break;
        m_typed = false;
        ShowValue();
        return;
    default:
        if (EditKey(event)) {
            update();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool CCWNumEdit::EditKey(QKeyEvent* event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event->key()) {
    case Qt::Key_Backspace:
        m_line.Backspace();
        m_typed = true;
        return true;
    case Qt::Key_Delete:
        m_line.Delete();
        m_typed = true;
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        m_line.MoveBy(event->key() == Qt::Key_Left ? -1 : 1, extend);
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        m_line.MoveTo(event->key() == Qt::Key_Home ? 0 : static_cast<int>(m_line.Text().size()), extend);
        return true;
    default:
        break;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_line.SelectAll();
        return true;
    }
    if (plain && Typeable(event->text())) {
        m_line.Insert(event->text());
        m_typed = true;
        return true;
    }
    return false;
}

void CCWNumEdit::mousePressEvent(QMouseEvent* event)
{
    if (!Editable() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPointF point = event->position();
    if (ButtonsRect().contains(point)) {
        Commit();
        m_pressedButton = point.y() < ButtonsRect().center().y() ? 1 : -1;
        Step(m_pressedButton);
        update();
        return;
    }
    m_line.MoveTo(PositionAt(point.x()), event->modifiers() & Qt::ShiftModifier);
    update();
}

void CCWNumEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressedButton == 0) {
        event->ignore();
        return;
    }
    m_pressedButton = 0;
    update();
}

void CCWNumEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (Editable() && event->button() == Qt::LeftButton && !ButtonsRect().contains(event->position())) {
        m_line.SelectAll();
        update();
        return;
    }
    mousePressEvent(event);  // a quick second press on a button steps again
}

void CCWNumEdit::focusInEvent(QFocusEvent* event)
{
    // Tabbing in selects the whole number, so typing replaces it; a click
    // places the caret where it falls.
    if (event->reason() != Qt::MouseFocusReason)
        m_line.SelectAll();
    update();
    QWidget::focusInEvent(event);
}

void CCWNumEdit::focusOutEvent(QFocusEvent* event)
{
    Commit();
    m_pressedButton = 0;
    update();
    QWidget::focusOutEvent(event);
}

void CCWNumEdit::ShowValue()
{
    m_line.SetText(QString::fromStdU16String(GetText()));
    if (hasFocus() && Editable())
        m_line.SelectAll();
    update();
}

void CCWNumEdit::Commit()
{
    if (!m_typed)
        return;
    m_typed = false;
    const std::optional<double> typed = CWValueText::Parse(m_format, m_line.Text().toStdU16String());
    if (typed)
        ApplyUserValue(*typed);
    else
        ShowValue();
}

void CCWNumEdit::Step(int direction)
{
    if (m_increment > 0.0)
        ApplyUserValue(m_value + direction * m_increment);
}

void CCWNumEdit::ApplyUserValue(double value)
{
    m_typed = false;
    if (std::isfinite(value)) {
        value = std::clamp(value, m_minimum, m_maximum);
        if (m_discrete && m_increment > 0.0)
            value = std::clamp(std::round(value / m_increment) * m_increment, m_minimum, m_maximum);
    }
    if (!std::isfinite(value) || value == m_value) {
        ShowValue();
        return;
    }
    m_value = value;
    ShowValue();
    emit valueChanged(m_value);
    emit valueEdited(m_value);
}
