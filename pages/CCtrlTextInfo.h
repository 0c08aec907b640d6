#pragma once

// The floating value text of the graph: a small bordered box with centred
// text in black on RGB(255, 255, 225), made as a hidden child of its
// parent by CreateInfo and moved to where a value is to be read by
// ShowInfo. The object outlives its window, as the graph keeps one per
// trace: nothing shows before CreateInfo or after DestroyInfo.

#include "platform/ui/ColorRef.h"

#include <QPointer>

#include <string>

class QWidget;

class CCtrlTextInfo {
public:
    CCtrlTextInfo();
    virtual ~CCtrlTextInfo();
    CCtrlTextInfo(const CCtrlTextInfo&) = delete;
    CCtrlTextInfo& operator=(const CCtrlTextInfo&) = delete;

    // The window, hidden, {0, 0, 50, 20}, id 0xFFFF; false when there is
    // one already.
    bool CreateInfo(QWidget& parent);
    // Sizes the window to the text in its font, with room for the border,
    // puts its corner at {x, y} in the parent and shows it.
    void ShowInfo(const std::u16string& text, int x, int y);
    void HideInfo();
    void DestroyInfo();

    // The window while it exists, else null.
    QWidget* Window() const;

    static constexpr int kInfoId = 0xFFFF;

private:
    class Label;

    // Set while created. The parent owns the window too and may destroy it
    // first.
    QPointer<Label> m_window;
    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_bkColour = vexar::ui::RGB(255, 255, 225);
};
