#pragma once

// The programming tools' own window messages.

#include "platform/ui/WindowMessage.h"

namespace vexar::tools {

inline constexpr unsigned WM_TOOL_QUIT = ui::WM_USER + 1;             // dialog to worker: end the loop
inline constexpr unsigned WM_TOOL_STATUS = ui::WM_USER + 4;           // a status line
inline constexpr unsigned WM_TOOL_PROGRESS = ui::WM_USER + 5;         // wParam bytes written, lParam address
inline constexpr unsigned WM_TOOL_START_ARGUMENTS = ui::WM_USER + 6;  // dialog to itself after its start
inline constexpr unsigned WM_TOOL_ABORT = ui::WM_USER + 7;            // dialog to worker: back to idle

}  // namespace vexar::tools
