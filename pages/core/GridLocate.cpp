#include "pages/core/GridLocate.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace CUtility {

namespace {

double At(std::span<const double> values, std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < values.size() ? values[static_cast<std::size_t>(index)]
                                                                         : 0.0;
}

std::int32_t WidthAt(std::span<const std::int32_t> widths, std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < widths.size() ? widths[static_cast<std::size_t>(index)]
                                                                         : 0;
}

// A position truncated toward zero; a value that is no number (a
// breakpoint or source that is not one) stays at 0.
std::int32_t Truncate(double position)
{
    if (!std::isfinite(position))
        return 0;
    if (position >= 2147483647.0)
        return INT32_MAX;
    if (position <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(position);
}

// Whether a breakpoint still lies before the value in the header's order.
bool Before(bool ascending, double breakpoint, double value)
{
    return ascending ? breakpoint < value : breakpoint > value;
}

// The half-way value between two breakpoints, and whether the value goes
// to the later of the two (exactly half-way goes to the earlier).
double Middle(bool ascending, double p, double v) { return ascending ? p + (v - p) / 2 : p - (p - v) / 2; }
bool ToLater(bool ascending, double value, double mid) { return ascending ? value > mid : value < mid; }

LOCATED_POINT LocateRow(bool ascending, std::span<const double> breakpoints, std::int32_t first,
                        std::int32_t count, std::int32_t h, double value)
{
    const auto centre = [h](std::int32_t r) { return r * h + h / 2; };
    for (std::int32_t r = first; r < count; ++r) {
        const double v = At(breakpoints, r);
        if (v == value)
            return {centre(r), r, 0, 0};
        if (Before(ascending, v, value))
            continue;
        if (r == first)
            return {r * h, r, 0, 0};
        const double p = At(breakpoints, r - 1);
        const double mid = Middle(ascending, p, v);
        const std::int32_t row = ToLater(ascending, value, mid) ? r : r - 1;
        const double y = centre(r - 1) + (value - p) * (centre(r) - centre(r - 1)) / (v - p);
        return {Truncate(y), row, 0, 0};
    }
    return {count * h, count - 1, 0, 0};
}

LOCATED_POINT LocateColumn(bool ascending, std::span<const double> breakpoints, std::span<const std::int32_t> widths,
                           std::int32_t first, std::int32_t count, std::int32_t left, double value)
{
    std::int32_t q = left;
    std::int32_t w = 0;
    double p = 0.0;
    std::int32_t pw = 0;
    for (std::int32_t c = first; c < count; ++c) {
        w = WidthAt(widths, c);
        const double v = At(breakpoints, c);
        if (v == value)
            return {q + w / 2, c, q, w};
        if (Before(ascending, v, value)) {
            p = v;
            pw = w;
            q += w;
            continue;
        }
        if (c == first)
            return {q, c, q, w};
        const double mid = Middle(ascending, p, v);
        if (ToLater(ascending, value, mid)) {
            const double a = q;
            const double b = q + w / 2;
            return {Truncate(a + (b - a) * (value - mid) / (v - mid)), c, q, w};
        }
        const double a = q - pw / 2;
        const double b = q;
        return {Truncate(a + (b - a) * (value - p) / (mid - p)), c - 1, q - pw, pw};
    }
    return {q, count - 1, q - w, w};
}

}  // namespace

LOCATED_POINT LocateRowAscending(std::span<const double> breakpoints, std::int32_t first, std::int32_t count,
                                 std::int32_t rowHeight, double value)
{
    return LocateRow(true, breakpoints, first, count, rowHeight, value);
}

LOCATED_POINT LocateRowDescending(std::span<const double> breakpoints, std::int32_t first, std::int32_t count,
                                  std::int32_t rowHeight, double value)
{
    return LocateRow(false, breakpoints, first, count, rowHeight, value);
}

LOCATED_POINT LocateColumnAscending(std::span<const double> breakpoints, std::span<const std::int32_t> widths,
                                    std::int32_t first, std::int32_t count, std::int32_t left, double value)
{
    return LocateColumn(true, breakpoints, widths, first, count, left, value);
}

LOCATED_POINT LocateColumnDescending(std::span<const double> breakpoints, std::span<const std::int32_t> widths,
                                     std::int32_t first, std::int32_t count, std::int32_t left, double value)
{
    return LocateColumn(false, breakpoints, widths, first, count, left, value);
}

std::int32_t MarkerDeadBand(std::int32_t position, std::int32_t previous)
{
    return std::abs(position - previous) < 3 ? previous : position;
}

}  // namespace CUtility
