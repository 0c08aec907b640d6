#pragma once

// A static text in colours of its own: the label of the pages and the
// caption and unit labels of the controls. The text colour is a public
// member that its creator sets; the background (the button face at first)
// changes through SetBkColor, which repaints at once. The text is plain,
// never read as markup; a disabled label keeps its greyed text.

#include "platform/ui/ColorRef.h"

#include <QLabel>

class CCtrlStatic : public QLabel {
public:
    explicit CCtrlStatic(QWidget* parent = nullptr);
    ~CCtrlStatic() override;

    void ShowCtrl(bool show);
    // Stores the colour and repaints before it returns, without waiting
    // for the next paint cycle.
    void SetBkColor(vexar::ui::COLORREF colour);

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    vexar::ui::COLORREF m_bkColour;
};
