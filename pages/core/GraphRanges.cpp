#include "pages/core/GraphRanges.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

// The bound after "while v <= low: low -= step", in one step. Past 2^53 a
// step no longer changes a double, so the result is kept strictly beyond
// the value by hand, and within the finite numbers.
double LowerTo(double low, double v, double step)
{
    if (v > low)
        return low;
    const double steps = std::floor((low - v) / step) + 1.0;
    double result = low - steps * step;
    if (!(result < v))
        result = std::nextafter(v, -kLargest);
    return std::isfinite(result) ? result : -kLargest;
}

// The bound after "while v >= high: high += step".
double RaiseTo(double high, double v, double step)
{
    if (v < high)
        return high;
    const double steps = std::floor((v - high) / step) + 1.0;
    double result = high + steps * step;
    if (!(result > v))
        result = std::nextafter(v, kLargest);
    return std::isfinite(result) ? result : kLargest;
}

}  // namespace

void GraphRanges::Reset() { *this = GraphRanges{}; }

bool GraphRanges::Grow(double time, double value, double scale)
{
    const double x = std::trunc(time + 1.0);
    const double y = std::trunc((value + 1.0) / scale);
    const bool inside = x >= std::trunc(xMinimum) && x < std::trunc(xMaximum) && y >= std::trunc(yMinimum) &&
                        y < std::trunc(yMaximum);
    if (inside)
        return false;
    const GraphRanges before = *this;
    xMinimum = LowerTo(xMinimum, x, kXStep);
    xMaximum = RaiseTo(xMaximum, x, kXStep);
    yMinimum = LowerTo(yMinimum, y, kYStep);
    yMaximum = RaiseTo(yMaximum, y, kYStep);
    return !(*this == before);
}

double GraphScale(std::int32_t display) { return display < 1 ? 1.0 : static_cast<double>(display); }

bool IsPlottable(double time, double value) { return std::isfinite(time) && std::isfinite(value); }
