#pragma once

// A list box that keeps its horizontal scroll extent equal to its widest
// item, so long lines can be scrolled into view. Each item's width is its
// text extent in the list's font plus 6 pixels, tabs expanded at the tab
// stops when the list uses them; the extent follows every addition,
// insertion and deletion, and a change of the tab stops measures every
// item again. The horizontal scroll bar shows while the extent is wider
// than the list.
//
// Tab stops are given in dialog units and kept in pixels of the list's
// font; until some are given, the first measurement sets one stop of 2
// dialog units.

#include "platform/ui/ColorRef.h"

#include <QAbstractScrollArea>

#include <string>
#include <vector>

class CHorzListBox : public QAbstractScrollArea {
public:
    static constexpr int LB_ERR = -1;

    // `useTabStops`: tabs go to the tab stops (the list's tab-stop style).
    explicit CHorzListBox(QWidget* parent = nullptr, bool useTabStops = false);
    ~CHorzListBox() override;

    // The index of the new item, at the end.
    int AddString(const std::u16string& text);
    // At `index`, or at the end for -1; LB_ERR past the end.
    int InsertString(int index, const std::u16string& text);
    // The number of items left, or LB_ERR for no such item.
    int DeleteString(int index);
    void ResetContent();
    // Stops in dialog units; none restores the default. False for a
    // negative stop.
    bool SetTabStops(const std::vector<int>& stops);
    const std::vector<int>& TabStopPixels() const { return m_tabPixels; }

    int GetCount() const { return static_cast<int>(m_items.size()); }
    std::u16string GetText(int index) const;
    int GetCurSel() const { return m_curSel; }
    // The selected item (and scrolled into view), or none for -1;
    // LB_ERR past the end.
    int SetCurSel(int index);

    int GetHorizontalExtent() const { return m_extent; }
    void SetHorizontalExtent(int extent);

    void RecalcHorizontalExtent();
    // Records and returns the width of item `index` showing `text`.
    int MeasureItemWidth(int index, const std::u16string& text);

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The left edges of the text's pieces between tabs, the last entry the
    // end of the text.
    std::vector<int> PieceEdges(const QString& text) const;
    int TextExtent(const QString& text) const;
    void ConvertTabStops();
    void ItemAdded(int index);
    void UpdateScrollBars();
    int RowHeight() const;
    int RowAt(int y) const;

    bool m_useTabStops;
    std::vector<std::u16string> m_items;
    std::vector<int> m_widths;
    int m_widest = 0;
    int m_extent = 0;
    std::vector<int> m_tabStops;   // dialog units, as given
    std::vector<int> m_tabPixels;  // the same in pixels
    int m_curSel = -1;
};
