// obdsim: a simulated OBD-II scan adapter on a pseudo-terminal, for people
// and scripts. It serves until SIGINT or SIGTERM and prints every frame it
// hears and sends, one line each.
#include "testing/obdsim/ObdSimulator.h"
#include "testing/ptysupport/FrameLogLine.h"
#include "testing/ptysupport/SimulatorProgram.h"
#include "testing/ptysupport/StopSignals.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace vexar::obdsim;
namespace ptysupport = vexar::ptysupport;

namespace {

const char kUsage[] =
    "usage: obdsim [--com-dir DIR --com N] [--scenario FILE] [--wake BYTES|none]\n"
    "              [--fault SELECTOR:KIND[:ARGUMENT][:always]]... [--stream-rate N] [--quiet]\n"
    "BYTES: hexadecimal bytes separated by commas, the adapter's answer to the\n"
    "       wake-up (default BD; BC: firmware to update; none: no adapter)\n"
    "SELECTOR: ID, EC, SP, SP010C ... or *; fault kinds: no-reply bad-checksum\n"
    "       junk truncated endless nak wrong-type late:MS reversed\n";

struct Settings {
    SimulatorOptions options;
    std::string comDir;
    long com = 0;
    std::vector<std::string> faults;
    bool quiet = false;
};

bool Number(const std::string& text, long limit, long& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stol(text);
    return value <= limit;
}

bool WakeBytes(const std::string& text, Bytes& bytes)
{
    bytes.clear();
    if (text == "none")
        return true;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        std::uint8_t b = 0;
        if (!ReadHexByte(std::string_view(text).substr(from, comma - from), b))
            return false;
        bytes.push_back(b);
        if (comma == std::string::npos)
            return true;
        from = comma + 1;
    }
}

bool LoadScenario(const std::string& path, Scenario& scenario, std::string& error)
{
    std::string text;
    if (!ptysupport::ReadTextFile(path, text, error))
        return false;
    if (!ParseScenario(text, scenario, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

// Reads the command line; on error returns false with the reason (none
// for --help).
bool ParseArguments(int argc, char** argv, Settings& s, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            error.clear();
            return false;
        }
        if (option == "--quiet") {
            s.quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + option;
            return false;
        }
        const std::string value = argv[++i];
        long n = 0;
        bool ok = true;
        if (option == "--com-dir") {
            s.comDir = value;
        } else if (option == "--com") {
            ok = Number(value, 256, n) && n >= 1;
            s.com = n;
        } else if (option == "--scenario") {
            if (!LoadScenario(value, s.options.scenario, error))
                return false;
        } else if (option == "--wake") {
            ok = WakeBytes(value, s.options.wakeAnswer);
        } else if (option == "--fault") {
            s.faults.push_back(value);
        } else if (option == "--stream-rate") {
            ok = Number(value, 1000000, n) && n >= 1;
            s.options.streamRate = n;
        } else {
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

bool ArmFaults(ObdSimulator& sim, const Settings& s, std::string& error)
{
    for (const std::string& text : s.faults) {
        std::string selector;
        Fault fault;
        Repeat repeat = Repeat::Once;
        if (!ParseFault(text, selector, fault, repeat, error))
            return false;
        sim.InjectFault(selector, fault, repeat);
    }
    return true;
}

const char* KindTag(FrameRecord::Kind kind)
{
    switch (kind) {
    case FrameRecord::Kind::Request: return "RX";
    case FrameRecord::Kind::Reply: return "TX";
    case FrameRecord::Kind::WakeUp: return "WAKE";
    case FrameRecord::Kind::Announce: return "ANNOUNCE";
    case FrameRecord::Kind::Acknowledge: return "ACK";
    case FrameRecord::Kind::Noise: return "NOISE";
    }
    return "?";
}

void Print(const FrameRecord& record, SimClock::time_point origin)
{
    char what[64];
    std::snprintf(what, sizeof what, "%s (%zu)%s", KindTag(record.kind), record.bytes.size(),
                  record.checksumOk ? "" : " bad checksum");
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(record.time - origin);
    std::string line = ptysupport::FrameLogLine(since, what, record.bytes);
    if (!record.bytes.empty())
        line += "  " + Readable(record.bytes);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    std::string error;
    if (!ParseArguments(argc, argv, settings, error))
        return ptysupport::UsageExit("obdsim", kUsage, error);

    // Blocked before the simulator's thread exists, so that only the wait
    // below receives them.
    ptysupport::StopSignals stopSignals;

    ObdSimulator sim(settings.options);
    if (!ArmFaults(sim, settings, error)) {
        std::fprintf(stderr, "obdsim: %s\n", error.c_str());
        return 2;
    }
    if (!ptysupport::StartPublished(sim, settings.comDir, settings.com, error)) {
        std::fprintf(stderr, "obdsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("obdsim: adapter on %s, protocol %d, %zu ECU(s)", sim.SlavePath().c_str(),
                settings.options.scenario.protocol, settings.options.scenario.ecus.size());
    if (settings.com != 0)
        std::printf(" as %s/COM%ld", settings.comDir.c_str(), settings.com);
    std::printf("\n");
    std::fflush(stdout);

    const SimClock::time_point origin = SimClock::now();
    ptysupport::ServeUntilStopped(stopSignals, sim, settings.quiet,
                                  [origin](const FrameRecord& record) { Print(record, origin); });
    return 0;
}
