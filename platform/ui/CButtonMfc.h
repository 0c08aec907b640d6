#pragma once

// The owner-drawn push button of the form view and the dialogs: a flat
// face in a colour of its own with a raised edge, sunken while pressed,
// its text centred on one line in a colour of its own; a disabled button
// lays a one-pixel checkerboard of the system face colour over its face
// and embosses its text in grey. The owner sets the two colours after
// creation (and repaints when it changes them while the button shows).

#include "platform/ui/ColorRef.h"

#include <QPushButton>

class QPainter;

class CButtonMfc : public QPushButton {
public:
    explicit CButtonMfc(QWidget* parent = nullptr);
    explicit CButtonMfc(const QString& text, QWidget* parent = nullptr);
    ~CButtonMfc() override;

    // The system button face, as at construction.
    vexar::ui::COLORREF m_faceColour;
    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);

    // Paints the whole button in `rect` as it stands: pressed, focused,
    // enabled or not.
    void DrawItem(QPainter& painter, const QRect& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
