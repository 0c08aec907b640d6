#pragma once

// One configured page of a page host: a child window in the host's tab
// strip holding the controls and free texts built from one tab of a window
// layout. It owns its control table, its label table and its page grid;
// it scrolls when its content is larger than the strip's display area,
// shows the design grid on Ctrl+Alt+Shift+E, passes the function keys and
// Escape to the host through the strip, relays the pointer to its
// controls' tooltips (a disabled control sees no pointer of its own), and
// lets a released letter press the first command or reset button whose
// name begins with it.

#include "config/CtrlWnd.h"
#include "pages/CUtilityPages.h"
#include "pages/core/LayoutSettings.h"
#include "pages/core/PageGrid.h"
#include "platform/ui/WindowBase.h"

#include <QWidget>

class CCtrlTab;
class CVEXARPages;
class PageScroller;
class QKeyEvent;

class CDlgTabWnd : public QWidget, public vexar::ui::WindowBase {
public:
    explicit CDlgTabWnd(CVEXARPages& app);
    // Deletes what the table and the label table still hold.
    ~CDlgTabWnd() override;

    // Makes the page a child of the strip, as large as its content, and
    // places it in the strip's display area; the grid's area follows. The
    // page starts hidden.
    bool Create(CCtrlTab& strip);
    // The display area under the strip's tabs: from the first tab's left
    // edge + 1 and 3 pixels under it to 2 pixels inside the strip's right
    // and bottom edges. The host places its pages again once their tabs
    // exist.
    void PlaceInStrip();
    static QRect DisplayArea(const CCtrlTab& strip);
    // Destroys the controls and the labels, and the page's window: hidden,
    // it takes no more input. The object stays until the host deletes it.
    void ClosePage();
    bool IsCreated() const { return m_bCreated; }

    bool preTranslateMessage(QWidget& target, QEvent& event) override;
    // The letter of a released key presses the first visible command or
    // reset button whose name begins with it, unless the key was typed
    // into a text field, a numeric field or a drop-down list.
    void PressByLetter(QWidget& target, const QKeyEvent& key);

    PageScroller& Scroller() const { return *m_scroller; }

    PAGE_GRID m_grid;
    CTRL_TABLE m_table;
    LABEL_TABLE m_labels;
    LAYOUT_SETTINGS m_settings;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ToggleDesignGrid();
    // The entry of the page's control that `widget` is or lies in; null
    // when it lies in none.
    const CTRL_WND* EntryOf(const QWidget* widget) const;
    bool IsShownUsable() const;

    CVEXARPages& m_app;
    PageScroller* m_scroller;
    bool m_bCreated = false;
    bool m_bCtrlReleased = false;  // a Ctrl key-up was seen: the next other key-up is no shortcut
};
