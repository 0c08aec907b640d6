#pragma once

// Tick marks of a chart axis: major ticks at a round step (1, 2 or 5 times
// a power of ten) chosen so that at most a given number fit the range, the
// minor ticks between them, and the label text of a major tick with as
// many decimals as the step needs. Labels are written in the C locale.

#include <QString>

#include <vector>

struct CWGraphTicks {
    std::vector<double> major;
    std::vector<double> minor;
    double step = 0.0;
    int decimals = 0;
    bool scientific = false;  // values too large or steps too fine for fixed notation
};

// Ticks within [minimum, maximum], ends included. A range that is empty,
// reversed or not finite, or a count below 1, gives no ticks.
CWGraphTicks MakeGraphTicks(double minimum, double maximum, int maxMajorCount);

// The label of a major tick of `ticks`.
QString FormatGraphTick(double value, const CWGraphTicks& ticks);
