#pragma once

// The boolean control: a toggle switch the user flips (lever left for off,
// right for on), or a round or square lamp that shows a state in its on or
// off colour and is never flipped by the user.
//
// The toggle flips when the left button or Space or Enter goes down, so it
// holds its new value by the time the release comes; `clicked()` follows at
// the release, once per press, wherever the pointer is then. `valueChanged`
// reports every change, the program's too. While input is off (lamps are
// usually created so) nothing flips and nothing is clicked.

#include "platform/ui/ColorRef.h"

#include <QWidget>

class CCWButton : public QWidget {
    Q_OBJECT

public:
    enum class Look { Toggle, SquareLamp, RoundLamp };

    explicit CCWButton(QWidget* parent = nullptr);

    void SetValue(bool on);
    bool GetValue() const { return m_on; }

    void SetLook(Look look);
    Look GetLook() const { return m_look; }
    // The lamp's colours; the toggle's track shows the on colour.
    void SetOnColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetOnColor() const { return m_onColour; }
    void SetOffColor(vexar::ui::COLORREF colour);
    vexar::ui::COLORREF GetOffColor() const { return m_offColour; }

    void SetInputEnabled(bool enabled);
    bool GetInputEnabled() const { return m_inputEnabled; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueChanged(bool on);
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool Flips() const { return m_look == Look::Toggle; }
    void Press(int key);
    void EndPress();
    void UpdateFocusPolicy();
    void PaintToggle(QPainter& painter) const;
    void PaintLamp(QPainter& painter) const;

    bool m_on = false;
    Look m_look = Look::Toggle;
    vexar::ui::COLORREF m_onColour = vexar::ui::RGB(0, 230, 0);
    vexar::ui::COLORREF m_offColour = vexar::ui::RGB(0, 80, 0);
    bool m_inputEnabled = true;
    bool m_pressed = false;  // a press waits for its release
    int m_pressKey = 0;      // the key that pressed, 0 for the mouse
};
