#include "pages/widgets/CWGraphTicks.h"

#include <algorithm>
#include <cmath>

namespace {

// Above this many decimals, or from this magnitude on, fixed notation
// gives labels too long for an axis.
constexpr int kMaxFixedDecimals = 9;
constexpr double kMaxFixedMagnitude = 1e9;
// A guard against steps that rounding made far smaller than asked for.
constexpr int kMaxTicks = 1000;

struct RoundStep {
    double step;
    int minorDivisions;
};

RoundStep ChooseStep(double span, int maxMajorCount)
{
    const double raw = span / maxMajorCount;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    if (normalised <= 1.0)
        return {magnitude, 5};
    if (normalised <= 2.0)
        return {2.0 * magnitude, 4};
    if (normalised <= 5.0)
        return {5.0 * magnitude, 5};
    return {10.0 * magnitude, 5};
}

// The multiples of `step` within [minimum, maximum]; each is computed from
// its index, so no error accumulates, and a value within rounding of zero
// is zero (no "-0" label).
std::vector<double> Multiples(double minimum, double maximum, double step)
{
    std::vector<double> values;
    const double tolerance = step * 1e-9;
    const double first = std::ceil((minimum - tolerance) / step);
    for (int k = 0; k <= kMaxTicks; ++k) {
        double v = (first + k) * step;
        if (v > maximum + tolerance)
            break;
        if (std::fabs(v) < tolerance)
            v = 0.0;
        values.push_back(v);
    }
    return values;
}

}  // namespace

CWGraphTicks MakeGraphTicks(double minimum, double maximum, int maxMajorCount)
{
    CWGraphTicks ticks;
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !(minimum < maximum) || maxMajorCount < 1)
        return ticks;
    const double span = maximum - minimum;
    if (!std::isfinite(span))
        return ticks;
    const RoundStep round = ChooseStep(span, maxMajorCount);
    if (!(round.step > 0.0) || span / round.step > kMaxTicks)
        return ticks;
    ticks.step = round.step;
    ticks.major = Multiples(minimum, maximum, round.step);
    for (double v : Multiples(minimum, maximum, round.step / round.minorDivisions)) {
        const double k = v / round.step;
        if (std::fabs(k - std::round(k)) > 1e-6)
            ticks.minor.push_back(v);
    }
    const int decimals = static_cast<int>(-std::floor(std::log10(round.step) + 1e-9));
    ticks.decimals = decimals > 0 ? decimals : 0;
    const double magnitude = std::max(std::fabs(minimum), std::fabs(maximum));
    ticks.scientific = ticks.decimals > kMaxFixedDecimals || magnitude >= kMaxFixedMagnitude;
    return ticks;
}

QString FormatGraphTick(double value, const CWGraphTicks& ticks)
{
    if (ticks.scientific)
        return QString::number(value, 'g', 6);
    return QString::number(value, 'f', ticks.decimals);
}
