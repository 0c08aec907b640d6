#pragma once

// The programming tools' own window messages.

#include "platform/ui/WindowMessage.h"

namespace vexar::tools {

inline constexpr unsigned WM_TOOL_QUIT = ui::WM_USER + 1;             // dialog to worker: end the loop
inline constexpr unsigned WM_TOOL_STATUS = ui::WM_USER + 4;           // a status line
inline constexpr unsigned WM_TOOL_PROGRESS = ui::WM_USER + 5;         // wParam bytes written, lParam address
inline constexpr unsigned WM_TOOL_START_ARGUMENTS = ui::WM_USER + 6;  // dialog to itself after its start
inline constexpr unsigned WM_TOOL_ABORT = ui::WM_USER + 7;            // dialog to worker: back to idle

// Our worker reports by posting to the dialog only, so two more notices
// travel that way: the run has ended (the dialog shows idle), and the port
// advance has changed the port (the dialog's title shows it).
inline constexpr unsigned WM_TOOL_RUN_ENDED = ui::WM_USER + 8;
inline constexpr unsigned WM_TOOL_PORT_CHOSEN = ui::WM_USER + 9;  // wParam the port
inline constexpr unsigned WM_TOOL_SUCCEEDED = ui::WM_USER + 10;   // the download succeeded

}  // namespace vexar::tools
