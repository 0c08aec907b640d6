#pragma once

// What the command-line programs of the simulators share: the answer to
// --help or to a bad command line, the reading of a file the command line
// names, the start with the terminal published in a COM folder, and the
// printing of the frame log until a stop signal.

#include "testing/ptysupport/StopSignals.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace vexar::ptysupport {

// Prints the reason, when there is one, as "<program>: <reason>" on the
// standard error, then the usage: on the standard output for --help (no
// reason), else on the standard error. Returns the exit code, 0 or 2.
int UsageExit(const char* program, const char* usage, const std::string& error);

// The whole of a file named on the command line; false with
// "cannot read <path>" when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

// Starts the simulator and, when `comNumber` is not 0, publishes its
// terminal as <comFolder>/COM<comNumber>. False with the reason.
template <class Simulator>
bool StartPublished(Simulator& sim, const std::string& comFolder, long comNumber, std::string& error)
{
    return sim.Start(error) && (comNumber == 0 || sim.PublishCom(comFolder, static_cast<int>(comNumber), error));
}

// Serves until a stop signal comes, handing every record the simulator
// logs to `print` in order (none when `quiet`), then stops the simulator.
template <class Simulator, class Print>
void ServeUntilStopped(StopSignals& stopSignals, Simulator& sim, bool quiet, Print print)
{
    std::size_t printed = 0;
    for (;;) {
        const bool stop = stopSignals.Wait(std::chrono::milliseconds(100));
        if (!quiet) {
            const auto log = sim.FrameLog();
            for (; printed < log.size(); ++printed)
                print(log[printed]);
        }
        if (stop)
            break;
    }
    sim.Stop();
}

}  // namespace vexar::ptysupport
