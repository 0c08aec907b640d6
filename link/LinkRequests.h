#pragma once

// What travels with a link request or a window message: the numbers, and a
// record owned by whoever holds the message. The sender allocates it, the
// receiver owns it from then on, so a message dropped anywhere (an unknown
// request, a request still queued at exit, a post to a window that has
// closed) frees its record with it.

#include "config/AcqSample.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vexar::link {

// Base of every record that travels with a message.
struct LinkPayload {
    virtual ~LinkPayload() = default;
};

// Memory read or write by address (WM_LINK_WRITE_MEMORY, WM_LINK_READ_MEMORY).
// The value holds the first `size` bytes in ECU order.
struct MEMORY_REQUEST : LinkPayload {
    std::uint16_t address = 0;
    std::int32_t size = 0;  // 1, 2 or 4
    std::array<std::uint8_t, 4> value{};
};

// Masked write of one variable (WM_LINK_WRITE_VARIABLE). `mask` and `value`
// are the pair of CUtility::GetDatoMask: 32-bit words whose bytes in memory
// are those to apply from the address on; a set keep-mask bit keeps the
// ECU's bit.
struct VARIABLE_WRITE : LinkPayload {
    std::int32_t address = 0;  // the low 16 bits are used
    std::int32_t size = 0;     // 1 to 4
    std::int32_t engValue = 0; // the engineering value, for the sender's own use
    std::uint32_t mask = 0;
    std::uint32_t value = 0;
};

// Read of a variable range (WM_LINK_READ_VARIABLE).
struct VARIABLE_READ : LinkPayload {
    std::int32_t address = 0;
    std::int32_t length = 0;
};

// Remote-assistance client id, most significant byte first.
struct REMOTE_ID : LinkPayload {
    std::array<std::uint8_t, 4> id{};
};

// One acquisition sample for a recorded control (WM_ACQ_SAMPLE).
struct ACQ_SAMPLE_MESSAGE : LinkPayload {
    ACQ_SAMPLE sample;
};

// One live graph point for the view's graph page (WM_LIVE_SAMPLE).
struct GRAPH_POINT_MESSAGE : LinkPayload {
    GRAPH_POINT point;
};

// One line of the link traffic for the trace window (WM_TRACE_LINE): at
// most 999 characters, no TAB.
struct TRACE_LINE : LinkPayload {
    std::u16string text;
};

// One message: its number, two words and the record it owns (may be null).
struct LinkMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::unique_ptr<LinkPayload> payload;
};

}  // namespace vexar::link
