#include "testing/ecusim/EngineScript.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace vexar::ecusim {

namespace {

// The moments of a loop, in seconds.
constexpr double kCrank = 2.0;          // the starter turns
constexpr double kFires = 3.2;          // the engine fires and flares
constexpr double kIdle = 4.5;           // idle on petrol
constexpr double kBlip = 22.0;          // the driver revs once the reducer is warm
constexpr double kChangeoverDelay = 5;  // the calibration's Ritardo_Cambio
constexpr double kKeyOff = 86.0;

// The calibration's changeover conditions (VXG4_R0107_City).
constexpr double kChangeoverRpm = 2200;
constexpr double kChangeoverTemp = 40;

// Reducer warm-up: from 20 degrees when the engine fires, towards 75,
// passing 40 about 16 s later.
constexpr double kAmbient = 20;
constexpr double kHot = 75;
constexpr double kWarmUp = 34.9;  // seconds

// Engine speed on the drive, between the key frames (seconds, rpm).
constexpr std::array<std::array<double, 2>, 18> kDrive{{
    {kBlip, 850},
    {23.0, 2500},
    {28.5, 2500},
    {32, 3500},
    {36, 4500},
    {39, 5500},
    {41, 3000},
    {45, 1500},
    {49, 2200},
    {53, 3800},
    {56, 4200},
    {60, 2000},
    {63, 900},
    {66, 900},
    {69, 3000},
    {72, 5000},
    {77, 2400},
    {80, 880},
}};

constexpr double kInjectorFaultFrom = 50, kInjectorFaultTo = 62;
constexpr std::uint16_t kInjector3 = 0x04;
constexpr double kReserveFrom = 70;

double Wave(double t, double period) { return std::sin(2 * std::numbers::pi * t / period); }

double Smooth(double from, double to, double fraction)
{
    const double f = std::clamp(fraction, 0.0, 1.0);
    return from + (to - from) * f * f * (3 - 2 * f);
}

double IdleRpm(double t) { return 850 + 25 * Wave(t, 1.3) + 10 * Wave(t, 0.7); }

// The engine speed the driver asks for, without the idle's wobble.
double DriveRpm(double t)
{
    for (std::size_t i = 1; i < kDrive.size(); ++i)
        if (t < kDrive[i][0])
            return Smooth(kDrive[i - 1][1], kDrive[i][1], (t - kDrive[i - 1][0]) / (kDrive[i][0] - kDrive[i - 1][0]));
    return kDrive.back()[1];
}

double Rpm(double t)
{
    if (t < kCrank || t >= kKeyOff)
        return 0;
    if (t < kFires)
        return 220 + 30 * Wave(t, 0.25);
    if (t < kIdle)
        return t < 3.8 ? Smooth(220, 1350, (t - kFires) / 0.6) : Smooth(1350, 880, (t - 3.8) / 0.7);
    if (t < kBlip || t >= kDrive.back()[0])
        return IdleRpm(t);
    const double rpm = DriveRpm(t);
    return rpm < 1000 ? IdleRpm(t) : rpm + 20 * Wave(t, 0.9);
}

// In whole degrees, as the sensor's byte holds it and the ECU compares it.
double GasTemp(double t)
{
    if (t < kFires)
        return kAmbient;
    return std::round(kAmbient + (kHot - kAmbient) * (1 - std::exp(-(t - kFires) / kWarmUp)));
}

// The first moment the changeover conditions hold: warm reducer and the
// changeover speed reached.
double ChangeoverStart()
{
    for (double t = kIdle; t < kKeyOff; t += 0.01)
        if (GasTemp(t) >= kChangeoverTemp && Rpm(t) >= kChangeoverRpm)
            return t;
    return kKeyOff;
}

}  // namespace

EngineState EngineAt(std::chrono::milliseconds at)
{
    const double t = static_cast<double>(at.count()) / 1000.0;
    static const double changeover = ChangeoverStart();
    const double onGas = changeover + kChangeoverDelay;
    EngineState s;
    s.gasTempC = GasTemp(t);
    s.rpm = Rpm(t);
    const bool running = t >= kFires && t < kKeyOff;
    if (t >= kCrank && t < kFires)
        s.batteryV = 10.6 + 0.2 * Wave(t, 0.5);
    else if (running)
        s.batteryV = 13.8 + 0.1 * Wave(t, 7.0);
    else
        s.batteryV = 12.4;
    if (t < kCrank || t >= kKeyOff)
        return s;

    // Load: more with speed, more still while the engine speeds up.
    const double speeding = std::max(0.0, (Rpm(t + 0.3) - Rpm(t)) / 0.3);
    const double load = std::clamp(s.rpm / 6000 + speeding / 2000, 0.0, 1.0);
    s.petrolInjMs = running ? 2.4 + 0.6 * s.rpm / 1000 + 3.0 * load : 6.0;

    if (t < changeover) {
        s.ecuState = s.gasTempC < kChangeoverTemp ? 1 : 0;
        return s;
    }
    // The valves open with the changeover; the reducer's pressure builds
    // within a second and then follows the load.
    s.valvesOpen = true;
    s.pressureBar = Smooth(0, 0.85 + 0.9 * load, (t - changeover) / 1.0);
    s.reserve = t >= kReserveFrom;
    if (t < onGas) {
        s.ecuState = 2;
        return s;
    }
    s.ecuState = 7;
    s.lambdaPct = std::round(2 * Wave(t, 1.7) + 3 * Wave(t, 5.3));
    s.gasInjMs = s.petrolInjMs * 1.12 * (1 + s.lambdaPct / 100);
    if (t >= kInjectorFaultFrom && t < kInjectorFaultTo)
        s.injectorErrors = kInjector3;
    return s;
}

std::vector<std::uint8_t> EncodeLiveBytes(const EngineState& s)
{
    auto byte = [](double raw) { return static_cast<std::uint8_t>(std::clamp(std::lround(raw), 0L, 255L)); };
    auto word = [](std::vector<std::uint8_t>& out, double raw) {
        const auto value = static_cast<std::uint16_t>(std::clamp(std::lround(raw), 0L, 65535L));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    };
    std::vector<std::uint8_t> out;
    word(out, s.rpm);                    // 0-1 rpm
    out.push_back(byte(26 + 85 * s.pressureBar));  // 2: the sensor's 26 counts are 0 bar, 230 are 2.4 bar
    out.push_back(byte(s.gasTempC + 40));          // 3: 40 is 0 degrees
    word(out, s.gasInjMs / 0.004);       // 4-5: 4 us a count
    out.push_back(byte(s.batteryV * 10));          // 6: 0.1 V a count
    out.push_back(static_cast<std::uint8_t>((s.valvesOpen ? 0x01 : 0) | (s.reserve ? 0x02 : 0)));  // 7: lamps
    out.push_back(s.ecuState);                     // 8
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(s.lambdaPct)));  // 9: signed per cent
    word(out, s.petrolInjMs / 0.004);    // 10-11
    word(out, s.gasInjMs / 0.004);       // 12-13: the injector factor applies on the screen
    return out;
}

std::string MakeEngineScript()
{
    std::string text =
        "# The demonstration's engine, made by vexar-engine-script: live variables\n"
        "# (bytes 0 to 13) every 200 ms, the diagnosis bytes (16 to 19) when they\n"
        "# change; see testing/ecusim/EngineScript.h.\n";
    char line[160];
    EngineState previous;
    previous.sensorError = 0xFF;  // the first step writes the diagnosis bytes too
    for (auto at = std::chrono::milliseconds(0); at < kEngineLoop; at += kEngineStep) {
        const EngineState state = EngineAt(at);
        std::string bytes;
        for (std::uint8_t b : EncodeLiveBytes(state)) {
            std::snprintf(line, sizeof line, " %02X", b);
            bytes += line;
        }
        std::snprintf(line, sizeof line, "at %lld 0%s\n", static_cast<long long>(at.count()), bytes.c_str());
        text += line;
        if (state.sensorError != previous.sensorError || state.injectorErrors != previous.injectorErrors) {
            std::snprintf(line, sizeof line, "at %lld 16 %02X 00 %02X %02X\n", static_cast<long long>(at.count()),
                          state.sensorError, state.injectorErrors >> 8, state.injectorErrors & 0xFF);
            text += line;
        }
        previous = state;
    }
    std::snprintf(line, sizeof line, "loop %lld\n", static_cast<long long>(kEngineLoop.count()));
    text += line;
    return text;
}

}  // namespace vexar::ecusim
