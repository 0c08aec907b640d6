#pragma once

// One window message: its number, two words and the record it owns. The
// numbers of the system's own messages (WM_APP + n) live with the modules
// that define them; this layer knows only the few standard ones it handles
// itself.

#include "platform/ui/MessagePayload.h"

#include <cstdint>
#include <memory>

namespace vexar::ui {

inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_USER = 0x0400;  // the first number of a program's private messages
inline constexpr unsigned WM_COMMAND = 0x0111;  // wParam: command id in the low 16 bits
inline constexpr unsigned WM_TIMER = 0x0113;    // wParam: timer id

struct WindowMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::unique_ptr<MessagePayload> payload;
};

}  // namespace vexar::ui
