#pragma once

// The numeric field: a value shown through a display mask
// (common/CStringForm.h) that the user may type in the same notation or
// step with the increment and decrement buttons (and the Up and Down keys
// while the buttons show). A typed text is taken at Enter (which then goes
// on to the window, so a dialog's default button still acts) or when the
// focus leaves; Escape drops it. A text that is not a number in the mask's
// notation is dropped as well.
//
// `valueChanged` reports every change of the value, the program's too;
// `valueEdited` only the user's. A value the user chose is kept inside the
// limits and, in discrete mode, on the grid of increments; a value the
// program sets is shown as it is.
//
// The computed mode shows a value that is worked out elsewhere: no buttons,
// no caret, no input and no tab stop.

#include "pages/widgets/CWEditLine.h"
#include "platform/ui/ColorRef.h"

#include <QWidget>

#include <string>
#include <string_view>

class CCWNumEdit : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Edit, Computed };
    enum class Alignment { Left, Center, Right };

    explicit CCWNumEdit(QWidget* parent = nullptr);

    // A value that is not a finite number is ignored.
    void SetValue(double value);
    double GetValue() const { return m_value; }
    // The value as the field shows it through the mask.
    std::u16string GetText() const;

    void SetFormat(std::u16string_view format);
    const std::u16string& GetFormat() const { return m_format; }
    // Limits of the values the user may choose; none at first.
    void SetRange(double minimum, double maximum);
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    void SetIncDecButtons(bool shown);
    bool GetIncDecButtons() const { return m_buttons; }
    void SetIncrement(double step);
    double GetIncrement() const { return m_increment; }
    void SetDiscrete(bool discrete) { m_discrete = discrete; }
    bool GetDiscrete() const { return m_discrete; }
    void SetAlignment(Alignment alignment);
    Alignment GetAlignment() const { return m_alignment; }
    void SetMode(Mode mode);
    Mode GetMode() const { return m_mode; }
    void SetValueColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetValueColor() const { return m_valueColour; }
    // Whether the field takes input; apart from the window's enabled state.
    void SetInputEnabled(bool enabled);
    bool GetInputEnabled() const { return m_inputEnabled; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueChanged(double value);
    void valueEdited(double value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool Editable() const { return m_mode == Mode::Edit && m_inputEnabled; }
    bool ButtonsShown() const { return m_buttons && m_mode == Mode::Edit; }
    QRectF ButtonsRect() const;
    QRectF TextRect() const;
    QFont FittedFont(const QString& text) const;
    double TextLeft(const QString& text, const QFont& font) const;
    int PositionAt(double x) const;
    bool EditKey(QKeyEvent* event);
    void ShowValue();
    void Commit();
    void Step(int direction);
    void ApplyUserValue(double value);
    void UpdateFocusPolicy();

    double m_value = 0.0;
    double m_minimum;
    double m_maximum;
    double m_increment = 1.0;
    bool m_discrete = false;
    bool m_buttons = true;
    std::u16string m_format;
    Alignment m_alignment = Alignment::Right;
    Mode m_mode = Mode::Edit;
    vexar::ui::COLORREF m_valueColour = vexar::ui::RGB(0, 0, 0);
    bool m_inputEnabled = true;

    CWEditLine m_line;
    bool m_typed = false;  // the line holds text the user typed and has not given yet
    int m_pressedButton = 0;  // +1 increment, -1 decrement, 0 none
};
