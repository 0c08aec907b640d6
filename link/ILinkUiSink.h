#pragma once

// How the link worker reaches the user interface without touching a
// window: it posts messages to named windows through this sink, and the
// user-interface side delivers them on its own thread. A post to a window
// that does not exist (or no longer exists) is dropped there with its
// record.

#include "link/LinkRequests.h"

#include <string>
#include <utility>

class IDataCtrl;

namespace vexar::link {

// The windows the link side addresses.
enum class UiWindow {
    MainFrame,
    View,
    ProgressWindow,  // CDlgECUProg
    GraphPage,       // CDlgGraph
    AcqPage,         // CDlgAcq
    MaintPage,       // CDlgMaint
    DiagWindow,      // CDlgDiag
    TestResult,      // CDlgTestRes
    RemoteMaster,    // CDlgAssRemMaster
    RemoteSlave,     // CDlgAssRemSlave
    TraceWindow,     // CDlgDebug
    PetrolWindow,    // CDlgDinamSVBenz
    PetrolAcqPage,   // CDlgAcqBenz
    PetrolDtcPage,   // CDlgDiagBenz
    Control,         // a data-bound control, named by the post's control (last)
};

class ILinkUiSink {
public:
    virtual ~ILinkUiSink() = default;
    // Queues `message` for `window` (for UiWindow::Control, for `control`)
    // and returns at once. Called from the worker's thread.
    virtual void Post(UiWindow window, const IDataCtrl* control, LinkMessage message) = 0;
    // Delivers `message` to `window` and returns once the window has
    // handled it (the opening of the progress window, which must stand
    // before the first progress step). It must return at once when the
    // user interface is gone or going, so that the exit never waits on the
    // worker. Without a window of its own a sink may deliver it as a post.
    virtual void Send(UiWindow window, LinkMessage message) { Post(window, nullptr, std::move(message)); }
    // Shows the user an error text in a message box, without blocking the
    // caller.
    virtual void ShowError(std::u16string text) = 0;
};

}  // namespace vexar::link
