#pragma once

// The scroll bars of a page or a page host whose content may be larger
// than the window: a bar shows only while the content exceeds the client
// area; a line is 10 pixels, a page the client's extent, the thumb scrolls
// as it is dragged, the position stays within the content; scrolling
// moves every child of the window by the difference, as the content
// moves under a fixed view. A wheel turn over the window or over a control
// on it that leaves the turn alone scrolls the content as a turn over the
// bar would; a turn the shown bars cannot take goes on to the window's
// parent.

#include "pages/core/CUtilityBuild.h"

#include <QObject>
#include <QPoint>
#include <QSize>

class QScrollBar;
class QWheelEvent;
class QWidget;

class PageScroller : public QObject {
public:
    explicit PageScroller(QWidget& window);
    ~PageScroller() override;

    // The content's extent: the scroll ranges.
    void SetContent(int width, int height);
    // The bars for a client size: shown or hidden, pages and positions
    // held within the new limits, the content moved back where a limit
    // shrank.
    void FitClient(QSize client);
    // How far the content is scrolled, in pixels.
    QPoint Offset() const { return {m_x.pos, m_y.pos}; }
    // The part of the window the bars leave free.
    QSize Viewport() const { return {m_x.page, m_y.page}; }
    QScrollBar* Horizontal() const { return m_horizontal; }
    QScrollBar* Vertical() const { return m_vertical; }
    // Keeps the bars at the window's right and bottom edges, over the
    // content.
    void PlaceBars();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Hands a wheel turn to the bar it scrolls; false when no shown bar
    // took it.
    bool Wheel(QWheelEvent& event);
    void OnValue(Qt::Orientation orientation, int value);
    void MoveContent(int dx, int dy);
    void ShowPositions();

    QWidget& m_window;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    CUtility::SCROLL_AXIS m_x;
    CUtility::SCROLL_AXIS m_y;
    bool m_bSetting = false;  // the program sets the bars: no scroll of its own
};
