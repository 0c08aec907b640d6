#pragma once

// The records the OBD replies produce: one per answering ECU, copied by
// value.

#include "obd/ValueDefinition.h"

#include <array>
#include <string>
#include <vector>

namespace obdvane {

// One ECU's answer inside an "SP" reply.
struct OBD_RECORD {
    int address = 0;          // the answer's first byte
    bool negative = true;     // a negative response (response service 7F)
    std::string serviceText;  // positive: the response service ("41"); negative: the refused service
    std::string dataText;     // positive: after the response service (service 01: the PID first);
                              // negative: after the refused service
    int negativeCode = 0;     // negative: the response code
};

// One value of one ECU's answer; NaN for a negative response.
struct VALUE_RECORD : OBD_RECORD {
    double value = 0.0;
};

// One ECU's monitor status (PID 01).
struct STATUS_RECORD : OBD_RECORD {
    static constexpr int kTestCount = 12;
    static constexpr int kComplete = 2;
    static constexpr int kNotComplete = 3;

    int troubleCodeCount = 0;  // 0 to 127
    int lamp = 0;              // 1: the malfunction indicator lamp is on
    std::array<int, kTestCount> available{};  // 1: the readiness test is supported
    std::array<int, kTestCount> complete{kComplete, kComplete, kComplete, kComplete, kComplete, kComplete,
                                         kComplete, kComplete, kComplete, kComplete, kComplete, kComplete};
};

// One ECU's stored trouble codes, 5 characters each ("P0133").
struct DTC_RECORD : OBD_RECORD {
    std::vector<std::string> codes;
};

// A record of one of the kinds above that carries an ECU answer's fields.
template <typename Record>
Record RecordOf(const OBD_RECORD& answer)
{
    Record record;
    static_cast<OBD_RECORD&>(record) = answer;
    return record;
}

// One value of the requested PID: its definition and what each answering
// ECU gave for it, in answer order.
struct ValueResult {
    ValueDefinition definition;
    std::vector<VALUE_RECORD> values;
};

}  // namespace obdvane
