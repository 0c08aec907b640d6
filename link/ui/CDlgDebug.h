#pragma once

// The trace window of the link traffic ("Debug"): a modeless, top-most
// window listing every frame the two ECU protocols send and receive, their
// error reports and the bridge traffic, one line each, as the producers
// post them (WM_TRACE_LINE with a TRACE_LINE record).
//
// The object lives as long as its owner (the view); only its window comes
// and goes. Create shows it, registers it with the link's sink and sets the
// application's trace target, so the producers start formatting lines;
// Close (OK, Cancel, the close box) clears the target first, so the
// producers stop, then empties and hides the window. A line already on its
// way when the window closes is dropped on arrival, its record freed.
//
// The lines hold no TAB, so the list has no tab stops.

#include "platform/ui/WindowBase.h"

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <atomic>
#include <chrono>

namespace vexar::link {

class LinkUiSinkAdapter;

class CDlgDebug : public QDialog, public ui::WindowBase {
public:
    static constexpr int IDD = 180;
    static constexpr int IDC_LIST = 1121;
    static constexpr int IDC_FREEZE = 1119;
    static constexpr int IDC_CLEAR = 1120;
    // The band above the list that holds the buttons and the check box.
    static constexpr int kBandHeight = 45;
    static constexpr int kMaxLines = 1000;
    // Lines the newest line keeps in view above it, itself included.
    static constexpr int kVisibleLines = 16;

    // `traceTarget` is the application's trace target; `sink` (may be
    // null) the link's sink, which delivers the lines to this window.
    CDlgDebug(std::atomic<const void*>& traceTarget, LinkUiSinkAdapter* sink, QWidget* parent = nullptr);
    ~CDlgDebug() override;

    // Shows the window and starts tracing; when open, restores it and
    // gives it the focus.
    void Create();
    void Close();

    void OnTraceLine(std::u16string line);
    void OnClearList();

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;

    // 1 while the window is open.
    unsigned char m_bCreated = 0;

    QListWidget& List() { return m_list; }
    // The index of the first line shown.
    int FirstVisible() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;  // Esc and the close box

private:
    void Layout();
    void ShowAtOnce();

    std::atomic<const void*>& m_traceTarget;
    LinkUiSinkAdapter* m_sink;
    QListWidget m_list;
    QCheckBox m_freeze;
    QPushButton m_clear;
    QPushButton m_ok;
    QPushButton m_cancel;
    static constexpr std::chrono::milliseconds kPaintInterval{15};
    std::chrono::steady_clock::time_point m_lastPaint{};
};

}  // namespace vexar::link
