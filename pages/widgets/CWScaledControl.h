#pragma once

// What the knob and the slide share: a value on a scale (range, divisions,
// discrete mode, label format), the colours of the scale, its labels and
// the pointer, the panel border, and the user's gestures.
//
// The user moves the value by dragging with the left mouse button or with
// the Up and Down keys (Up raises it). `released()` is emitted once when
// such a gesture ends: at the button's release, at the key's release (not
// at its auto-repeats), or when focus, visibility or input goes while a key
// is held or a drag runs, so every value the user chose is announced.
// Values the program sets never emit `released()`.
//
// Two notions of "enabled" stay apart: the window's (QWidget::setEnabled,
// shown muted) and whether the control accepts input (SetInputEnabled, the
// look unchanged: gauges take no input and look normal).

#include "pages/widgets/CWGesture.h"
#include "pages/widgets/CWScale.h"
#include "platform/ui/ColorRef.h"

#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

class CWScaledControl : public QWidget {
    Q_OBJECT

public:
    // The value is kept inside the range; a value that is not a finite
    // number is ignored.
    void SetValue(double value);
    double GetValue() const { return m_value; }

    void SetRange(double minimum, double maximum);
    double GetMinimum() const { return m_scale.Minimum(); }
    double GetMaximum() const { return m_scale.Maximum(); }
    // Discrete: the user's drags and keys pick whole numbers only.
    void SetDiscrete(bool discrete);
    bool GetDiscrete() const { return m_scale.Discrete(); }
    // Divisions between the labelled marks of the scale.
    void SetTicks(int divisions);
    int GetTicks() const { return m_scale.Divisions(); }
    // Display mask of the labels (common/CStringForm.h).
    void SetFormat(std::u16string_view format);
    const std::u16string& GetFormat() const { return m_scale.Format(); }

    void SetScaleColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetScaleColor() const { return m_scaleColour; }
    void SetLabelColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetLabelColor() const { return m_labelColour; }
    void SetPointerColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetPointerColor() const { return m_pointerColour; }
    void SetBorderVisible(bool visible);
    bool GetBorderVisible() const { return m_border; }

    void SetInputEnabled(bool enabled);
    bool GetInputEnabled() const { return m_inputEnabled; }

signals:
    void valueChanged(double value);
    void released();

protected:
    CWScaledControl(QWidget* parent, vexar::ui::COLORREF pointerColour);

    const CWScale& Scale() const { return m_scale; }
    // The labels of the scale's marks, minimum first.
    std::vector<QString> MarkTexts() const;
    // The mark at zero, -1 when no mark is.
    int ZeroMark() const;
    // Writes every `step`-th label into its box in the label colour.
    void PaintLabels(QPainter& painter, const std::vector<QRectF>& boxes, const std::vector<QString>& texts,
                     int step) const;

    // Whether the look has a pointer the user can move (a bar has none);
    // call InputStateChanged when the answer changes.
    virtual bool TakesInput() const { return true; }
    void InputStateChanged();
    bool AcceptsInput() const { return m_inputEnabled && TakesInput(); }

    // The value a left-button press at `point` chooses (the current value
    // when the press only grabs the pointer), and the value the drag has
    // reached at `point`; both go through the scale's user rule.
    virtual double PressValue(QPointF point) = 0;
    virtual double DragValue(QPointF point) = 0;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Store(double value);
    void SetUserValue(double value);
    void EndGestures();

    CWScale m_scale;
    CWGesture m_gesture;
    double m_value = 0.0;
    vexar::ui::COLORREF m_scaleColour = vexar::ui::RGB(48, 48, 48);
    vexar::ui::COLORREF m_labelColour = vexar::ui::RGB(16, 16, 16);
    vexar::ui::COLORREF m_pointerColour;
    bool m_border = true;
    bool m_inputEnabled = true;
};
