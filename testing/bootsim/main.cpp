// bootsim: a simulated KD02 or KD01 ECU or the handheld terminal, with its
// boot loader, on a pseudo-terminal, for people and scripts. It serves until SIGINT or
// SIGTERM and prints every frame it hears and sends, one line each.
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/HandheldTerminal.h"
#include "testing/bootsim/Kd01Loader.h"
#include "testing/bootsim/Kd02Loader.h"
#include "testing/ptysupport/SimulatorProgram.h"
#include "testing/ptysupport/StopSignals.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

using namespace vexar::bootsim;
namespace ptysupport = vexar::ptysupport;

namespace {

const char kUsage[] =
    "usage: bootsim [--loader kd02|kd01|handheld] [--com-dir DIR --com N] [--baud N] [--boot] [--off]\n"
    "               [--greeting-delay MS] [--noise LINE]... [--wire] [--quiet] [--cpu N]\n"
    "               [--fault COMMAND:KIND[:MS][@N][:always]]... [--app-fault COMMAND:KIND...]...\n"
    "--baud: the boot loader's speed (kd02; its application hears 9600) or the device's (kd01, handheld)\n"
    "--boot: the boot loader runs from the start; --off: the KD01 board or the handheld is switched off\n"
    "--fault: a boot-loader fault; --app-fault: a fault of the handheld application's frames\n"
    "--cpu: the CPU code the handheld's boot loader reports\n"
    "fault kinds: silence bad-sum negative wrong-echo wrong-tag short late:MS stop-reading unplug\n";

struct Settings {
    std::string loader = "kd02";
    std::string comDir;
    long com = 0;
    long baud = 19200;
    bool boot = false;
    bool off = false;
    long greetingDelay = 30;
    std::vector<std::string> noise;
    bool wire = false;
    bool quiet = false;
    std::vector<std::string> faults;
    std::vector<std::string> appFaults;
    long cpu = 0x3C;
};

bool Number(const std::string& text, long low, long high, long& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

bool ParseArguments(int argc, char** argv, Settings& s, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            error.clear();
            return false;
        }
        if (option == "--boot" || option == "--off" || option == "--wire" || option == "--quiet") {
            (option == "--boot" ? s.boot : option == "--off" ? s.off : option == "--wire" ? s.wire : s.quiet) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + option;
            return false;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (option == "--loader")
            ok = (s.loader = value) == "kd02" || value == "kd01" || value == "handheld";
        else if (option == "--com-dir")
            s.comDir = value;
        else if (option == "--com")
            ok = Number(value, 1, 256, s.com);
        else if (option == "--baud")
            ok = Number(value, 50, 4000000, s.baud);
        else if (option == "--greeting-delay")
            ok = Number(value, 0, 600000, s.greetingDelay);
        else if (option == "--noise")
            s.noise.push_back(value);
        else if (option == "--fault")
            s.faults.push_back(value);
        else if (option == "--app-fault")
            s.appFaults.push_back(value);
        else if (option == "--cpu")
            ok = Number(value, 0, 255, s.cpu);
        else {
            error = "unknown option: " + option;
            return false;
        }
        if (!ok) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (s.comDir.empty() != (s.com == 0)) {
        error = "--com-dir and --com go together";
        return false;
    }
    return true;
}

std::unique_ptr<BootDevice> MakeDevice(const Settings& s, std::string& error)
{
    BootFaults* faults = nullptr;
    BootFaults* appFaults = nullptr;
    std::unique_ptr<BootDevice> device;
    if (s.loader == "handheld") {
        HandheldOptions options;
        options.baud = s.baud;
        options.startInBootLoader = s.boot;
        options.poweredOn = !s.off;
        options.greetingDelay = std::chrono::milliseconds(s.greetingDelay);
        options.noiseLines = s.noise;
        options.cpuCode = static_cast<std::uint8_t>(s.cpu);
        auto handheld = std::make_unique<HandheldTerminal>(options);
        faults = &handheld->LoaderFaults();
        appFaults = &handheld->ApplicationFaults();
        device = std::move(handheld);
    } else if (s.loader == "kd02") {
        Kd02Options options;
        options.bootBaud = s.baud;
        options.startInBootLoader = s.boot;
        auto kd02 = std::make_unique<Kd02Loader>(options);
        faults = &kd02->Faults();
        device = std::move(kd02);
    } else {
        Kd01Options options;
        options.baud = s.baud;
        options.startInBootLoader = s.boot;
        options.poweredOn = !s.off;
        options.greetingDelay = std::chrono::milliseconds(s.greetingDelay);
        options.noiseLines = s.noise;
        auto kd01 = std::make_unique<Kd01Loader>(options);
        faults = &kd01->Faults();
        device = std::move(kd01);
    }
    for (const std::string& fault : s.faults) {
        if (!faults->ArmFromText(fault, error)) {
            error = fault + ": " + error;
            return nullptr;
        }
    }
    if (!s.appFaults.empty() && !appFaults) {
        error = "--app-fault is for the handheld";
        return nullptr;
    }
    for (const std::string& fault : s.appFaults) {
        if (!appFaults->ArmFromText(fault, error)) {
            error = fault + ": " + error;
            return nullptr;
        }
    }
    return device;
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    std::string error;
    if (!ParseArguments(argc, argv, settings, error))
        return ptysupport::UsageExit("bootsim", kUsage, error);
    ptysupport::StopSignals stopSignals;
    std::unique_ptr<BootDevice> device = MakeDevice(settings, error);
    if (!device) {
        std::fprintf(stderr, "bootsim: %s\n", error.c_str());
        return 2;
    }
    BootSimulator sim(std::move(device));
    sim.SetWireTiming(settings.wire);
    if (!ptysupport::StartPublished(sim, settings.comDir, settings.com, error)) {
        std::fprintf(stderr, "bootsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("bootsim: %s on %s at %ld baud", settings.loader.c_str(), sim.SlavePath().c_str(), settings.baud);
    if (settings.com != 0)
        std::printf(" as %s/COM%ld", settings.comDir.c_str(), settings.com);
    std::printf("\n");
    std::fflush(stdout);
    const Clock::time_point origin = Clock::now();
    ptysupport::ServeUntilStopped(stopSignals, sim, settings.quiet, [origin](const BootRecord& record) {
        std::printf("%s\n", BootRecordLine(record, origin).c_str());
        std::fflush(stdout);
    });
    return 0;
}
