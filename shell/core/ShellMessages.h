#pragma once

// The window messages of the main frame and the view besides those of the
// link (link/LinkMessages.h), with the system's numbers. A number the link
// header holds is named here, never defined again.

#include "link/LinkMessages.h"

namespace vexar::shell {

using link::WM_APP;
using link::WM_CALIB_NAME_CHANGED;  // the calibration-name field -> view
using link::WM_EDIT_COMMIT;         // to the calibration-name field
using link::WM_OBD_PID_SELECTION;   // petrol acquisition page -> view

inline constexpr unsigned WM_LANGUAGE_CHANGED = WM_APP + 1;    // frame -> view: the language file's path
inline constexpr unsigned WM_CLOSE_ALL_WINDOWS = WM_APP + 2;   // frame -> view, on the exit road
inline constexpr unsigned WM_LAYOUT_BARS = WM_APP + 4;         // sent once to the frame at start-up
inline constexpr unsigned WM_CLOSE_FRAME = WM_APP + 10;        // view -> frame, last step of the exit road
inline constexpr unsigned WM_WRITE_ALL_REQUEST = WM_APP + 39;  // the view to itself
inline constexpr unsigned WM_STARTUP_DONE = WM_APP + 49;       // the application -> view
inline constexpr unsigned WM_CONNECT_ABORTED = WM_APP + 55;    // frame -> view

}  // namespace vexar::shell
