#pragma once

// A radio button in colours of its own: text black and background the
// button face until its owner sets them. They apply at every painting, so
// the owner may set them after the button is made; a disabled button keeps
// its greyed text.

#include "platform/ui/ColorRef.h"

#include <QRadioButton>

class CCtrlRdb : public QRadioButton {
public:
    explicit CCtrlRdb(QWidget* parent = nullptr);
    ~CCtrlRdb() override;

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_bkColour;

protected:
    void paintEvent(QPaintEvent* event) override;
};
