#pragma once

// Controls without a screen over the real control contract, for the tests
// of the contract, the table runtime and the link: a value control that
// shows a number (or a check box's 0/1 with its dependency lists), and a
// live control that shows a variable. Their "window" is two flags.
//
// QueuedUiSink stands where the windowing layer's adapter stands in the
// program: it queues every post (from the user-interface thread or the
// worker) and delivers the control messages when the test pumps it.

#include "config/RecControllo.h"
#include "link/ILinkUiSink.h"
#include "pages/core/CCtrlCore.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

namespace vexar::testing {

class CoreTestCtrl : public CCtrlCore {
public:
    // A check box's behaviour when the definition is a CTRL_CHECK (shown
    // 1 exactly when the raw value is 1, dependency lists, PAR_NO unbound);
    // otherwise the raw value through the conversion.
    CoreTestCtrl(CVEXARPages& app, REC_CONTROLLO definition, bool hidden = false);

    double GetValue() const override { return m_value; }
    // As the user would: sets the shown value and commits it.
    void UserSets(double value);
    // As the program would: shows without committing.
    void ProgramSets(double value) { m_value = value; }

    bool shown = true;
    bool enabled = true;

protected:
    bool IsBound() const override;
    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override;
    ShownValue Shown() const override { return {m_value, {}}; }
    void PutShown(const ShownValue& value) override { m_value = value.number; }
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override { return IsBound(); }
    std::vector<DependencyState> DependencyStates() const override;
    bool TakesProfileEnable() const override { return true; }
    std::int32_t Abilitato() const override;

    void ShowWindow(bool show) override { shown = show; }
    bool IsWindowShown() const override { return shown; }
    void EnableWindow(bool enable) override { enabled = enable; }

private:
    bool IsCheck() const { return m_definition.CATEGORIA == CTRL_CHECK; }
    double m_value = 0.0;
};

// One post as the sink saw it.
struct QueuedPost {
    link::UiWindow window;
    const IDataCtrl* control = nullptr;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class QueuedUiSink : public link::ILinkUiSink {
public:
    void Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message) override;
    void ShowError(std::u16string) override {}

    // Delivers the queued control messages, those they post included,
    // until none is left; posts to windows and to controls not registered
    // are recorded and dropped. Returns the number delivered.
    int Pump();
    // Waits until a post of `message` to `control` has been queued.
    bool WaitFor(const IDataCtrl* control, unsigned message, std::chrono::milliseconds limit);
    void Register(CCtrlCore* control);
    void Unregister(CCtrlCore* control);
    // Every post seen so far, delivered or not.
    std::vector<QueuedPost> Seen() const;
    void ClearSeen();

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::pair<QueuedPost, std::unique_ptr<link::LinkPayload>>> m_queue;
    std::vector<QueuedPost> m_seen;
    std::set<CCtrlCore*> m_controls;
};

}  // namespace vexar::testing
