#pragma once

#include <string>

namespace obdvane {

// Units of the decoded values.
enum UnitCode : int {
    kUnitNone = 0,  // bitmap, count, status or ratio
    kUnitCelsius = 1,
    kUnitRpm = 2,
    kUnitKilopascal = 3,
    kUnitPercent = 4,
    kUnitVolt = 5,
    kUnitMilliampere = 6,
    kUnitKmPerHour = 7,
    kUnitCrankDegrees = 8,
    kUnitGramsPerSecond = 9,
    kUnitSeconds = 10,
};

// One value of a service 01 PID: where it lies in the answer and how its
// raw number becomes a physical one (raw x scale + minimum). The format,
// the unit and the maximum travel with every decoded value for whoever
// shows it; the decoding does not read them.
struct ValueDefinition {
    std::string format;
    int unitCode = kUnitNone;
    int byteCount = 0;   // bytes of the value, most significant first
    double minimum = 0.0;
    double maximum = 0.0;
    double scale = 1.0;
    bool optional = false;  // the value may be missing from the end of the answer

    bool operator==(const ValueDefinition&) const = default;
};

}  // namespace obdvane
