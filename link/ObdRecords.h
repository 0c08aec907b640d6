#pragma once

// What the OBD poll posts to the petrol windows: one PID's result
// (WM_OBD_PID_VALUE) and the stored trouble codes (WM_OBD_DTC_LIST), each
// owned by whoever holds the message, and the supported-PID bitmaps of the
// last connect.

#include "link/LinkRequests.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vexar::link {

// The shape of a PID's answer, after the adapter library's call forms.
enum class ObdForm {
    None,             // no call: 00, 02, 12, 1C, 1E, 20, 21, 2C-32, 40-42, above 4C
    MonitorStatus,    // 01: lamp, code count, twelve readiness flags twice
    FuelSystem,       // 03: two status bytes
    OneDouble,        // 04, 0B, 0E, 10, 11, 22, 33, 43-45, 47-4C
    OneInteger,       // 05, 0A, 0C, 0D, 0F, 1F, 23, 3C-3F, 46
    TwoValues,        // 06-09, 14-1B, 24-2B, 34-3B
    SensorLocations,  // 13, 1D: eight flags
};

ObdForm ObdFormOf(int pid);
// The packed size of a result of the form, its status included (108, 6,
// 12, 8, 20, 36); 0 without a form.
int ObdFormSize(ObdForm form);

// One PID's result: the status of the library call, then the outputs of
// its form, as the call left them (also when the status is not 0).
struct OBD_PID_RESULT : LinkPayload {
    ObdForm form = ObdForm::None;
    std::int32_t status = 5;
    // MonitorStatus
    std::int32_t mil = 0;
    std::int32_t codeCount = 0;
    std::array<std::int32_t, 12> available{};
    std::array<std::int32_t, 12> complete{};
    // FuelSystem
    std::uint8_t fuel1 = 0;
    std::uint8_t fuel2 = 0;
    // OneDouble (value), TwoValues (value, value2)
    double value = 0;
    double value2 = 0;
    // OneInteger
    std::int32_t integer = 0;
    // SensorLocations
    std::array<std::int32_t, 8> locations{};
};

// Room for the most codes a monitor status can count (seven bits).
inline constexpr int kObdMaxStoredCodes = 127;
inline constexpr int kObdCodeChars = 5;

// The stored trouble codes: the status of the read, the code texts (five
// characters each, no terminators) and the count the library returned.
struct OBD_DTC_LIST : LinkPayload {
    std::int32_t status = 0;
    std::vector<char> codes;
    std::int32_t count = 0;
};

// The supported-PID bitmaps of the last connect: the status of each of the
// three reads (PIDs 00, 20, 40) and one flag per PID 01-20, 21-40, 41-60.
struct OBD_SUPPORTED_DATA {
    std::array<std::int32_t, 3> status{};
    std::array<std::array<std::int32_t, 32>, 3> flags{};
};

}  // namespace vexar::link
