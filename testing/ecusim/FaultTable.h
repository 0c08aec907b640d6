#pragma once

#include "testing/ptysupport/FaultQueue.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::ecusim {

// What can go wrong with one request.
enum class FaultKind {
    NoReply,         // the ECU does not hear the request: no reply, no effect
    TruncatedReply,  // the reply loses its last byte
    BadCrc,          // the reply's CRC is wrong
    WrongCommand,    // the reply carries another command code (CRC correct)
    WrongIndex,      // the echoed index or address differs (CRC correct)
    WrongBlock,      // the echoed block or frame number differs (CRC correct)
    WrongSpeed,      // the echoed speed code differs (CRC correct)
    Nak,             // the ECU refuses with a negative acknowledge and changes nothing
    LateReply,       // the reply leaves only after an extra delay
    CorruptEcho,     // the K-line echo differs from the request in one byte
    Unplug,          // the device disappears before the request is handled
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    std::uint8_t errorCode = 0;             // Nak: the error code sent after it
    std::chrono::milliseconds delay{0};     // LateReply: the extra delay
};

using Repeat = ptysupport::Repeat;

// Faults armed per command code. A request meets every fault armed
// "always" for its command, plus the oldest one armed "once", which it uses
// up; so faults armed once are met by successive requests in arming order.
class FaultTable {
public:
    void Arm(std::uint8_t command, Fault fault, Repeat repeat);
    void Clear();
    std::vector<Fault> Take(std::uint8_t command);

private:
    ptysupport::FaultQueue<std::uint8_t, Fault> m_faults;
};

// The command line's form of a fault: "COMMAND:KIND[:ARGUMENT][:always]",
// for example "1:no-reply", "2:nak:6:always", "7:late:700". KIND is one of
// no-reply, truncated, bad-crc, wrong-command, wrong-index, wrong-block,
// wrong-speed, nak (argument: error code), late (argument: milliseconds),
// corrupt-echo, unplug.
bool ParseFault(std::string_view text, std::uint8_t& command, Fault& fault, Repeat& repeat,
                std::string& error);

}  // namespace vexar::ecusim
