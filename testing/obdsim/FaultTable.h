#pragma once

#include "testing/ptysupport/FaultQueue.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::obdsim {

// What can go wrong with the reply to one request.
enum class FaultKind {
    NoReply,      // silence: the adapter does not answer
    BadChecksum,  // the reply's checksum characters are wrong
    Junk,         // bytes that belong to no frame come before the reply
    Truncated,    // the reply breaks off before its checksum and ETX
    Endless,      // a frame begins and its data never ends (until the next request)
    Nak,          // the adapter refuses: the reply's data is NAK
    WrongType,    // the reply carries another type (checksum right)
    LateReply,    // the reply leaves only after an extra delay
    Reversed,     // the ECUs' answers of an "SP" reply come in reverse order
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    std::chrono::milliseconds delay{0};  // LateReply
};

using Repeat = ptysupport::Repeat;

// Faults armed per request. A selector picks requests by the start of their
// mnemonic and data: "ID", "EC", "SP" (every OBD request), "SP010C" (PID 0C
// of service 01), "SP03"; "*" picks every request. A request meets every
// matching fault armed "always", plus the oldest matching one armed
// "once", which it uses up.
class FaultTable {
public:
    void Arm(std::string selector, Fault fault, Repeat repeat);
    void Clear();
    std::vector<Fault> Take(const std::string& mnemonic, const std::string& data);

private:
    ptysupport::FaultQueue<std::string, Fault> m_faults;
};

// The command line's form of a fault: "SELECTOR:KIND[:ARGUMENT][:always]",
// for example "ID:no-reply", "SP010C:nak:always", "EC:late:700". KIND is
// one of no-reply, bad-checksum, junk, truncated, endless, nak, wrong-type,
// late (argument: milliseconds), reversed.
bool ParseFault(std::string_view text, std::string& selector, Fault& fault, Repeat& repeat, std::string& error);

}  // namespace vexar::obdsim
