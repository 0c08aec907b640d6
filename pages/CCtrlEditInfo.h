#pragma once

// The information field of the dialogs: a text field without a datum
// whose text and background colours are members its owner sets after
// creation (black on the system window colour until then).

#include "platform/ui/ColorRef.h"

#include <QLineEdit>

class CCtrlEditInfo : public QLineEdit {
public:
    explicit CCtrlEditInfo(QWidget* parent = nullptr);
    ~CCtrlEditInfo() override;

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_bkColour;

protected:
    void paintEvent(QPaintEvent* event) override;
};
