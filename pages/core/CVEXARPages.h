#pragma once

// The pages-side base of the application object: what the data-bound
// controls share besides the images and tables of the link side. The
// operator profile decides what a control shows and accepts, the
// linked-control switch whether a change is handed on, and the sink of the
// link side carries the controls' posts to each other and to the view.
//
// Everything here is the user-interface thread's, except m_bRecording,
// which the acquisition page sets while the worker samples.

#include "config/ControlCodes.h"
#include "link/CVEXARLink.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>

class IDataCtrl;

class CVEXARPages : public vexar::link::CVEXARLink {
public:
    explicit CVEXARPages(vexar::link::LinkTiming timing = {});
    ~CVEXARPages() override;

    // Changes are handed on to linked controls only while set.
    bool m_bNotifyLinked = true;
    // The operator profile: 0 public, 1 privileged (also the development
    // profile), 2 remote, 3 development, 4 limited, 5 public limited.
    std::int32_t m_nOperator = OPR_PBL;
    bool m_bOprSvil = false;   // development profile: identifiers in place of labels
    bool m_bOprLimit = false;  // limited profile
    std::atomic<bool> m_bRecording{false};
    // The view takes WM_LIVE_SAMPLE (its live graph page exists); while
    // false the controls post no live points.
    bool m_bLiveSampleTarget = false;
    // The clock of the change history; tests set their own.
    std::function<std::time_t()> m_clock = [] { return std::time(nullptr); };

    // Posts `id` to a control through the sink: it is delivered on the
    // user-interface thread after the caller returns, in posting order, and
    // dropped (with its record) when the control is gone. Nothing without a
    // sink or a control.
    void PostToControl(IDataCtrl* control, unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                       std::unique_ptr<vexar::link::LinkPayload> payload = nullptr) const;
    // The same to one of the windows the link side names.
    void PostToWindow(vexar::link::UiWindow window, unsigned id, std::uintptr_t wParam = 0,
                      std::intptr_t lParam = 0, std::unique_ptr<vexar::link::LinkPayload> payload = nullptr) const;
    // Asks the worker to rebuild its polled lists after visibility
    // changed; the tables are published first when an entry's hidden byte
    // changed, so the worker sees the new state.
    void RequestPollRebuild(bool hiddenChanged);
};
