#pragma once

// The ranges a graph's axes return to (its stored ranges) and how a new
// point grows them: outward only, the X axis by whole steps of 120 seconds
// and the Y axis by whole units, until the point's cell lies inside. The
// cell of a point is x = the integer part of (time + 1) and y = the integer
// part of ((value + 1) / scale), so a first point at 0.4 s of value 0.3
// already takes the Y axis from 0..1 to 0..2: the upper edges are
// exclusive.
//
// The growth is computed, not stepped, so a point far out (a time of
// 10^12 s, say) costs as little as a near one.

#include <cstdint>

struct GraphRanges {
    static constexpr double kXStep = 120.0;
    static constexpr double kYStep = 1.0;

    double xMinimum = 0.0;
    double xMaximum = 120.0;
    double yMinimum = 0.0;
    double yMaximum = 1.0;

    // 0 to 120 s and 0 to 1.
    void Reset();
    // Grows the ranges for a point of `time` and `value` at `scale` (one of
    // GraphScale); true when any bound moved. The point must be plottable.
    bool Grow(double time, double value, double scale);

    bool operator==(const GraphRanges&) const = default;
};

// The divisor of a point's value: its display parameter, or 1 where that
// is below 1 (a parameter never read, a bad one).
double GraphScale(std::int32_t display);

// A point whose time or value is not a finite number has no place on a
// graph.
bool IsPlottable(double time, double value);
