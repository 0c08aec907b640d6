// ecusim: a simulated gas ECU on a pseudo-terminal, for people and scripts.
// It serves until SIGINT or SIGTERM and prints every frame it hears and
// sends, one line each.
#include "testing/ecusim/EcuSimulator.h"
#include "testing/ecusim/Numbers.h"
#include "testing/ptysupport/FrameLogLine.h"
#include "testing/ptysupport/SimulatorProgram.h"
#include "testing/ptysupport/StopSignals.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace vexar::ecusim;
namespace ptysupport = vexar::ptysupport;

namespace {

const char kUsage[] =
    "usage: ecusim [--protocol 1|2] [--com-dir DIR --com N] [--baud N] [--kline] [--wire]\n"
    "              [--ident TEXT] [--par-size N] [--var-size N]\n"
    "              [--par-file FILE | --par-fill BYTE] [--var-file FILE | --var-fill BYTE]\n"
    "              [--var-script FILE] [--fault COMMAND:KIND[:ARGUMENT][:always]]...\n"
    "              [--frame-gap MS] [--quiet]\n"
    "fault kinds: no-reply truncated bad-crc wrong-command wrong-index wrong-block\n"
    "             wrong-speed nak:CODE late:MS corrupt-echo unplug\n";

struct Settings {
    SimulatorOptions options;
    std::string comDir;
    long com = 0;
    std::string parFile, varFile, varScript;
    long parFill = -1, varFill = -1;
    std::vector<std::string> faults;
    bool quiet = false;
};

bool Number(const std::string& text, unsigned long limit, unsigned long& value)
{
    return ParseUnsigned(text, value) && value <= limit;
}

// Reads the command line; on error returns false with the reason.
bool ParseArguments(int argc, char** argv, Settings& s, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            error.clear();
            return false;
        }
        auto flag = [&](const char* name, bool& target) {
            if (option != name)
                return false;
            target = true;
            return true;
        };
        if (flag("--kline", s.options.klineEcho) || flag("--wire", s.options.wireTiming) ||
            flag("--quiet", s.quiet))
            continue;
        if (i + 1 >= argc) {
            error = "unknown option or missing value: " + option;
            return false;
        }
        const std::string value = argv[++i];
        unsigned long n = 0;
        bool ok = true;
        if (option == "--protocol") {
            ok = Number(value, 2, n) && n >= 1;
            s.options.protocol = n == 2 ? Protocol::Second : Protocol::First;
        } else if (option == "--com-dir") {
            s.comDir = value;
        } else if (option == "--com") {
            ok = Number(value, 256, n) && n >= 1;
            s.com = static_cast<long>(n);
        } else if (option == "--baud") {
            ok = Number(value, 4000000, n) && n >= 50;
            s.options.baud = static_cast<long>(n);
        } else if (option == "--ident") {
            s.options.ident = value;
        } else if (option == "--par-size" || option == "--var-size") {
            ok = Number(value, 65536, n) && n >= 1;
            (option == "--par-size" ? s.options.parameterSize : s.options.variableSize) = n;
        } else if (option == "--par-file") {
            s.parFile = value;
        } else if (option == "--var-file") {
            s.varFile = value;
        } else if (option == "--par-fill" || option == "--var-fill") {
            ok = Number(value, 255, n);
            (option == "--par-fill" ? s.parFill : s.varFill) = static_cast<long>(n);
        } else if (option == "--var-script") {
            s.varScript = value;
        } else if (option == "--fault") {
            s.faults.push_back(value);
        } else if (option == "--frame-gap") {
            ok = Number(value, 10000, n) && n >= 1;
            s.options.frameGap = std::chrono::milliseconds(n);
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

// Applies everything that needs the simulator object: images, script, faults.
bool Prepare(EcuSimulator& sim, const Settings& s, std::string& error)
{
    if (s.parFill >= 0)
        sim.FillImage(Image::Parameters, static_cast<std::uint8_t>(s.parFill));
    if (s.varFill >= 0)
        sim.FillImage(Image::Variables, static_cast<std::uint8_t>(s.varFill));
    if (!s.parFile.empty() && !sim.LoadImage(Image::Parameters, s.parFile, error))
        return false;
    if (!s.varFile.empty() && !sim.LoadImage(Image::Variables, s.varFile, error))
        return false;
    for (const std::string& text : s.faults) {
        std::uint8_t command = 0;
        Fault fault;
        Repeat repeat = Repeat::Once;
        if (!ParseFault(text, command, fault, repeat, error))
            return false;
        sim.InjectFault(command, fault, repeat);
    }
    if (!s.varScript.empty()) {
        std::string text;
        if (!ptysupport::ReadTextFile(s.varScript, text, error))
            return false;
        VariableScript script;
        if (!ParseVariableScript(text, script, error)) {
            error = s.varScript + ": " + error;
            return false;
        }
        sim.RunVariableScript(std::move(script));
    }
    return true;
}

const char* KindTag(FrameRecord::Kind kind)
{
    switch (kind) {
    case FrameRecord::Kind::Request: return "RX";
    case FrameRecord::Kind::Echo: return "ECHO";
    case FrameRecord::Kind::Reply: return "TX";
    case FrameRecord::Kind::Ignored: return "IGNORED";
    case FrameRecord::Kind::Noise: return "NOISE";
    }
    return "?";
}

void Print(const FrameRecord& record, SimClock::time_point origin)
{
    char what[64];
    std::snprintf(what, sizeof what, "%s %ld (%zu)%s", KindTag(record.kind), record.baud, record.bytes.size(),
                  record.crcOk ? "" : " bad CRC");
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(record.first - origin);
    std::printf("%s\n", ptysupport::FrameLogLine(since, what, record.bytes).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    std::string error;
    if (!ParseArguments(argc, argv, settings, error))
        return ptysupport::UsageExit("ecusim", kUsage, error);

    // Blocked before the simulator's thread exists, so that only the wait
    // below receives them.
    ptysupport::StopSignals stopSignals;

    EcuSimulator sim(settings.options);
    if (!Prepare(sim, settings, error)) {
        std::fprintf(stderr, "ecusim: %s\n", error.c_str());
        return 2;
    }
    if (!ptysupport::StartPublished(sim, settings.comDir, settings.com, error)) {
        std::fprintf(stderr, "ecusim: %s\n", error.c_str());
        return 1;
    }
    std::printf("ecusim: protocol %d on %s at %ld baud", static_cast<int>(settings.options.protocol),
                sim.SlavePath().c_str(), settings.options.baud);
    if (settings.com != 0)
        std::printf(" as %s/COM%ld", settings.comDir.c_str(), settings.com);
    std::printf("\n");
    std::fflush(stdout);

    const SimClock::time_point origin = SimClock::now();
    ptysupport::ServeUntilStopped(stopSignals, sim, settings.quiet,
                                  [origin](const FrameRecord& record) { Print(record, origin); });
    return 0;
}
