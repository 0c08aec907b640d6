#pragma once

// The etched group frame of the dialogs: a frame line drawn twice, in the
// shadow colour and one line width further in the highlight colour, with
// its caption set into the top line 8 pixels from the left, between one
// blank before and after it (an empty caption leaves a gap of two
// blanks). The frame has no background of its own: its parent shows
// through. The owning dialog sets the font and the text colour after
// creation.

#include "platform/ui/ColorRef.h"

#include <QFont>
#include <QWidget>

#include <string>

class CCtrlBox : public QWidget {
public:
    explicit CCtrlBox(QWidget* parent = nullptr);
    ~CCtrlBox() override;

    void SetWindowText(const std::u16string& text);
    std::u16string GetWindowText() const { return m_text; }

    QFont m_font;
    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_faceColour;
    vexar::ui::COLORREF m_shadowColour;
    vexar::ui::COLORREF m_highlightColour;
    int m_nCaptionIndent = 8;
    int m_nCaptionOffset = 0;
    int m_nLineWidth = 1;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::u16string m_text;
};
