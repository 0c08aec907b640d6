#pragma once

// The report-style list view of the pages and dialogs: rows with columns,
// no tree. It tells its parent window when the user has finished scrolling
// with a scroll bar (WM_LIST_SCROLL_END, no parameters): once the thumb is
// let go or a held arrow or page click ends, never while the thumb moves.
// A left double-click tells the parent as well, and is then handled as
// usual. The diagnosis window reselects its marked row on that message.

#include "platform/ui/WindowBase.h"

#include <QTreeWidget>

class CCtrlList : public QTreeWidget, public vexar::ui::WindowBase {
public:
    explicit CCtrlList(QWidget* parent = nullptr);
    ~CCtrlList() override;

    bool preTranslateMessage(QWidget& target, QEvent& event) override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void WatchScrollBar(QScrollBar& bar);
    void OnBarAction(int action);
    void PostScrollEnd();

    Qt::MouseButton m_barButton = Qt::NoButton;  // the button held on a scroll bar
};
