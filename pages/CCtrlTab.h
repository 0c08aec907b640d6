#pragma once

// The tab strip of a page host. Its tabs are owner-painted, each as wide
// as the text it shows: each is filled with the strip's background colour and shows its
// text centred on one line, cut to its first 62 characters; the selected
// tab stands a little higher but is painted the same. The page windows
// are the strip's children, placed in the area under the tabs; what they
// post to the strip (WM_SELECT_PAGE, WM_CLOSE) goes on to the strip's
// parent, the host, which so receives the function keys and Escape
// pressed on any page.

#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QWidget>

#include <string>

class QPainter;

class CCtrlTab : public QWidget, public vexar::ui::WindowBase {
    Q_OBJECT

public:
    explicit CCtrlTab(QWidget* parent = nullptr);
    ~CCtrlTab() override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;

    // The tabs. The first tab put into an empty strip is selected; -1
    // selects none. Rectangles are in the strip's coordinates.
    int InsertItem(int index, const std::u16string& text);
    bool SetItemText(int index, const std::u16string& text);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const { return m_curSel; }
    // The selection before, or -1 when `index` is past the last tab.
    int SetCurSel(int index);
    QRect GetItemRect(int index) const;

    // Paints the inside of tab `item` in `rect`.
    void DrawItem(QPainter& painter, int item, const QRect& rect) const;

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);

    static constexpr int kMaxTextLength = 62;

signals:
    // A tab was clicked (the button let go over the tab it went down on).
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Bar;

    void LayoutBar();
    void Select(int index);

    Bar* m_bar;
    vexar::ui::COLORREF m_bkColour;
    int m_curSel = -1;
};
