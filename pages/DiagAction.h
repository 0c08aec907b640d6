#pragma once

// The record a recovery-action list sends its owner (the diagnosis window)
// with WM_DIAG_ACTION: which action the list shows for which error. The
// message owns it; the receiver keeps or drops it with the message.

#include "platform/ui/MessagePayload.h"

#include <cstdint>

struct DIAG_ACTION : vexar::ui::MessagePayload {
    std::int32_t key = 0;     // ID_GUI of the list
    std::int32_t value = -1;  // the error code handed in with WM_COMBO_SELECT_ELEMENT, or -1
    std::int32_t index = -1;  // the list position selected after the change (-1: none)
    std::uint8_t origin = 0;  // 1 the user chose the action, 0 a refresh, a default or the window
};
