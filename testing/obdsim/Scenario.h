#pragma once

// What the simulated adapter and the car behind it say: the adapter's
// identification and the protocol it finds, and per ECU the service 01
// values, refusals, stored trouble codes, lamp and readiness.

#include "testing/obdsim/ObdFrame.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexar::obdsim {

// A request a refusal answers: an OBD service and, for services with PIDs,
// the PID (kAnyPid for a service without one).
constexpr int kAnyPid = -1;
using RequestKey = std::pair<int, int>;

struct EcuScenario {
    std::uint8_t address = 0x10;
    // Service 01 answers by PID: the data bytes after the PID. PIDs 00, 20,
    // 40 ... (supported bitmaps) and 01 (monitor status) are made from the
    // rest unless given here.
    std::map<std::uint8_t, Bytes> pids;
    // Negative response codes by request, any byte.
    std::map<RequestKey, std::uint8_t> refusals;
    // Service 01 answers that name another PID than the one requested: by
    // requested PID, the PID byte the answer carries before its data.
    std::map<std::uint8_t, std::uint8_t> answerPids;
    std::vector<std::uint16_t> dtcs;  // stored trouble codes, two bytes each
    bool mil = false;
    // Monitor-status bytes B, C and D: readiness tests available and complete.
    std::array<std::uint8_t, 3> readiness{0x07, 0x65, 0x00};
};

struct Scenario {
    int protocol = 3;                 // number of the connect reply (0: no vehicle found)
    std::string connectType = "EC";   // type of the connect reply: EC, EZ or RP
    std::vector<std::string> ident{"OBDSIM", "1.0", "VIRTUAL", "0001", "PTY", "SIM"};
    std::chrono::milliseconds searchDelay{0};  // the adapter looking for the car's protocol
    std::vector<EcuScenario> ecus;
};

// One engine ECU at address 10 with coolant temperature, rpm and speed.
Scenario DefaultScenario();

// Reads a scenario text, one statement a line ('#' starts a comment):
//   protocol N | connect-type EC|EZ|RP | ident F1|F2|... | search-delay MS
//   ecu XX            starts an ECU; the statements below belong to it:
//   pid PP BB BB ...  refuse SS [PP] CODE  dtc P0133 ...  mil on|off
//   readiness BB BB BB  answer-pid PP QQ (PID PP answered as PID QQ)
// Numbers after pid, refuse, ecu, readiness and answer-pid are hexadecimal
// bytes.
// False with the line and reason on error.
bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error);

// "P0133", "C0123", "B0123", "U0100" to their two-byte codes.
bool ParseDtc(std::string_view text, std::uint16_t& code);

// Whether a service's requests carry a PID after the service byte.
bool ServiceHasPid(int service);

}  // namespace vexar::obdsim
