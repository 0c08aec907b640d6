#include "obd/PidTable.h"

namespace obdvane {

namespace {

constexpr double kBitmapMaximum = 4294967295.0;  // 2^32 - 1
constexpr double kPercentPerCount = 100.0 / 255.0;
constexpr double kTrimPerCount = 100.0 / 128.0;
constexpr double kPer255 = 1.0 / 255.0;
constexpr double kPer65535 = 1.0 / 65535.0;
constexpr double kPer32768 = 1.0 / 32768.0;

ValueDefinition Row(const char* format, int unit, int bytes, double minimum, double maximum, double scale,
                    bool optional = false)
{
    return ValueDefinition{format, unit, bytes, minimum, maximum, scale, optional};
}

// A scale the ECU's own maximum sets: the maximum (or the default maximum
// when the ECU reported none) times the factor.
double ScaledBy(unsigned scaling, double defaultMaximum, double factor)
{
    return (scaling != 0 ? static_cast<double>(scaling) : defaultMaximum) * factor;
}

ValueDefinition Percent()
{
    return Row("%3.1f", kUnitPercent, 1, 0, 100, kPercentPerCount);
}

ValueDefinition Temperature()
{
    return Row("%3.0f", kUnitCelsius, 1, -40, 215, 1);
}

ValueDefinition FuelTrim(bool optional)
{
    return Row("%3.1f", kUnitPercent, 1, -100, 99.22, kTrimPerCount, optional);
}

ValueDefinition EquivalenceRatio(unsigned scaling1)
{
    return Row("%3.3f", kUnitNone, 2, 0, 1.999, ScaledBy(scaling1, 2, kPer65535));
}

ValueDefinition Maximum(double maximum, double scale)
{
    return Row("%d", kUnitNone, 1, 0, maximum, scale);
}

bool InRange(int pid, int first, int last)
{
    return pid >= first && pid <= last;
}

// The rows of one PID; empty for a PID without rows.
std::vector<ValueDefinition> RowsOf(int pid, unsigned s1, unsigned s2)
{
    if (pid == 0x00 || pid == 0x20 || pid == 0x40)
        return {Row("%d", kUnitNone, 4, 0, kBitmapMaximum, 1)};
    if (InRange(pid, 0x06, 0x09))
        return {FuelTrim(false), FuelTrim(true)};
    if (InRange(pid, 0x14, 0x1B))
        return {Row("%1.3f", kUnitVolt, 1, 0, 1.275, 0.005), FuelTrim(false)};
    if (InRange(pid, 0x24, 0x2B))
        return {EquivalenceRatio(s1), Row("%3.3f", kUnitVolt, 2, 0, 7.999, ScaledBy(s2, 8, kPer65535))};
    if (InRange(pid, 0x34, 0x3B))
        return {EquivalenceRatio(s1), Row("%3.2f", kUnitMilliampere, 2, -128, 127.996, ScaledBy(s2, 128, kPer32768))};
    if (InRange(pid, 0x3C, 0x3F))
        return {Row("%4.0f", kUnitCelsius, 2, -40, 6513.5, 0.1)};
    if (InRange(pid, 0x47, 0x4C))
        return {Percent()};
    switch (pid) {
    case 0x03: return {Row("%d", kUnitNone, 2, 0, kBitmapMaximum, 1)};
    case 0x04: return {Percent()};
    case 0x05: return {Temperature()};
    case 0x0A: return {Row("%3.0f", kUnitKilopascal, 1, 0, 765, 3)};
    case 0x0B: return {Row("%4.1f", kUnitKilopascal, 1, 0, 255, s1 != 0 ? s1 * kPer255 : 1.0)};
    case 0x0C: return {Row("%5.0f", kUnitRpm, 2, 0, 16383.5, 0.25)};
    case 0x0D: return {Row("%3.0f", kUnitKmPerHour, 1, 0, 255, 1)};
    case 0x0E: return {Row("%2.1f", kUnitCrankDegrees, 1, -64, 63.5, 0.5)};
    case 0x0F: return {Temperature()};
    case 0x10: return {Row("%4.2f", kUnitGramsPerSecond, 2, 0, 655.35, s1 != 0 ? s1 * kPer65535 : 0.01)};
    case 0x11: return {Percent()};
    case 0x13:
    case 0x1D: return {Row("%d", kUnitNone, 1, 0, 255, 1)};
    case 0x1F: return {Row("%5.0f", kUnitSeconds, 2, 0, 65535, 1)};
    case 0x22: return {Row("%4.1f", kUnitKilopascal, 2, 0, 5177.27, 5178.0 / 65535.0)};
    case 0x23: return {Row("%6.0f", kUnitKilopascal, 2, 0, 65535, 10)};
    case 0x33: return {Row("%3.0f", kUnitKilopascal, 1, 0, 255, 1)};
    case 0x43: return {Row("%5.1f", kUnitPercent, 2, 0, 25700, kPercentPerCount)};
    case 0x44: return {EquivalenceRatio(s1)};
    case 0x45: return {Percent()};
    case 0x46: return {Temperature()};
    // Maximum equivalence ratio, sensor voltage, sensor current, and intake
    // pressure in units of 10 kPa.
    case 0x4F: return {Maximum(255, 1), Maximum(255, 1), Maximum(255, 1), Maximum(2550, 10)};
    // Maximum air flow in units of 10 g/s, then three bytes kept as read.
    case 0x50: return {Maximum(2550, 10), Maximum(0, 1), Maximum(0, 1), Maximum(0, 1)};
    default: return {};
    }
}

}  // namespace

bool LookupPidDefinitions(int service, int pid, unsigned scaling1, unsigned scaling2,
                          std::vector<ValueDefinition>& rows)
{
    rows.clear();
    if (service != 1 || pid < 0 || pid > 0x50)
        return false;
    rows = RowsOf(pid, scaling1, scaling2);
    return !rows.empty();
}

}  // namespace obdvane
