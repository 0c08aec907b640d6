#pragma once

// Fits a page dialog into its tab control, scales its controls from the
// 1024 x 768 design size (or from a display of more than 96 pixels per
// inch), and scrolls its content with two scroll bars while the window is
// smaller than the content.
//
// The owner calls, in its initialisation: Attach, then CheckLargeFonts or
// FitToScreen, then ScaleControl for each control when either returned
// true; and OnSize from its resize handling. The scroll bars are the
// helper's own children of the dialog; moving them scrolls the content,
// as do OnHScroll and OnVScroll with the system's scroll codes.
//
// Screen size and resolution are read from the dialog's screen unless a
// test sets its own.

#include "pages/core/DesignScreen.h"

#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>

class QScrollBar;
class QWidget;

class CScrollResizeFunc {
public:
    // Scroll codes.
    static constexpr int SB_LINEUP = 0;
    static constexpr int SB_LINELEFT = 0;
    static constexpr int SB_LINEDOWN = 1;
    static constexpr int SB_LINERIGHT = 1;
    static constexpr int SB_PAGEUP = 2;
    static constexpr int SB_PAGELEFT = 2;
    static constexpr int SB_PAGEDOWN = 3;
    static constexpr int SB_PAGERIGHT = 3;
    static constexpr int SB_THUMBPOSITION = 4;
    static constexpr int SB_THUMBTRACK = 5;
    static constexpr int SB_TOP = 6;
    static constexpr int SB_BOTTOM = 7;
    static constexpr int SB_ENDSCROLL = 8;

    static constexpr int kDesignWidth = kDesignScreenWidth;
    static constexpr int kDesignHeight = kDesignScreenHeight;
    static constexpr int kLineStep = 10;

    // Where a dialog fits differently from the pages' usual way.
    struct Options {
        // Large fonts grow the controls by the resolution over 96 (a design
        // laid out at 96 pixels per inch), in place of shrinking them by 96
        // over the resolution.
        bool growWithResolution = false;
    };

    CScrollResizeFunc();
    explicit CScrollResizeFunc(Options options);
    virtual ~CScrollResizeFunc();
    CScrollResizeFunc(const CScrollResizeFunc&) = delete;
    CScrollResizeFunc& operator=(const CScrollResizeFunc&) = delete;

    // Binds the helper to `dialog`, whose current area is its content until
    // a fitting records another; clears offsets and pages.
    void Attach(QWidget* dialog);
    // True, with the scale 96 over the resolution, when the display has
    // more than 96 pixels per inch either way.
    bool CheckLargeFonts();
    // Places the dialog in its tab control and scales to the screen; false
    // (nothing moved) on a screen of exactly 1024 x 768.
    bool FitToScreen();
    // Moves a child of the dialog to its scaled place and size. Qt gives
    // child places inside the client area already, so the caption and
    // border the system subtracts with `withCaption` are never in them; a
    // drop-down list is scaled by its closed box, since its list sizes
    // itself.
    void ScaleControl(QWidget& control, bool withCaption, bool comboBox);
    // value := numerator x value / denominator when the two differ and the
    // result is positive.
    static void ScaleCoord(int numerator, int denominator, int& value);

    void UpdateScrollBars(int availableWidth, int availableHeight);
    void OnSize();
    void OnHScroll(int code, int thumbPosition);
    void OnVScroll(int code, int thumbPosition);

    // The area the scroll bars reach, when it is not the dialog's area
    // after fitting (a dialog whose controls reach beyond the place its
    // tab control gives it).
    void SetContentRect(const QRect& content) { m_rcContent = content; }

    // Window less client size, for a dialog with a frame; 0 by default.
    void SetFrameAllowance(QSize allowance) { m_frameAllowance = allowance; }

    // What the tests see.
    int ScaleNumX() const { return m_nNumX; }
    int ScaleNumY() const { return m_nNumY; }
    int ScaleDenX() const { return m_nDenX; }
    int ScaleDenY() const { return m_nDenY; }
    int OffsetX() const { return m_nOffsetX; }
    int OffsetY() const { return m_nOffsetY; }
    QRect ContentRect() const { return m_rcContent; }
    QScrollBar* HorizontalBar() const { return m_hBar; }
    QScrollBar* VerticalBar() const { return m_vBar; }

    // Seams: the screen size and the resolution (x, y) in pixels per inch.
    std::function<QSize()> m_screenSize;
    std::function<QSize()> m_dpi;

private:
    enum class Axis { X, Y };
    QScrollBar* Bar(Axis axis) const { return axis == Axis::X ? m_hBar.data() : m_vBar.data(); }
    int& Offset(Axis axis) { return axis == Axis::X ? m_nOffsetX : m_nOffsetY; }
    void OnScroll(Axis axis, int code, int thumbPosition);
    // Moves the bar to `position`, scrolling the content by the difference.
    void ScrollTo(Axis axis, int position);
    // Moves every child of the dialog but the scroll bars.
    void ScrollContent(int dx, int dy);
    void PlaceBars();
    QSize ClientSize() const;

    Options m_options;
    QPointer<QWidget> m_dialog;
    QPointer<QScrollBar> m_hBar;
    QPointer<QScrollBar> m_vBar;
    int m_nNumX = 1;
    int m_nNumY = 1;
    int m_nDenX = 1;
    int m_nDenY = 1;
    QRect m_rcWindow;
    QRect m_rcContent;
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
    int m_nPageX = 0;
    int m_nPageY = 0;
    QSize m_frameAllowance{0, 0};
};
