#pragma once

// The records of the graph's traces: one stored point, and one trace with
// its name, its colour slot and every point it has received.

#include <cstdint>
#include <string>
#include <vector>

// One stored point: the time in seconds and the value divided by the
// point's scale, as the trace's plot shows it.
struct REC_PUNTO {
    double x = 0.0;
    double y = 0.0;

    bool operator==(const REC_PUNTO&) const = default;
};

struct TRACE_INFO {
    std::u16string name;            // the variable's IDENTIFICATORE: the plot's name and the points' key
    std::int32_t slot = 0;          // colour slot 0 to 9, chosen by the owner
    std::vector<REC_PUNTO> points;  // in the order received
};
