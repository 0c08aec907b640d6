#pragma once

// Starts the separate programs the main program hands work to (the
// programming tools, the Java runtime, the updater) and polls them without
// waiting. A program runs in the folder given, with exactly the arguments
// given (no quoting: each is one entry of its argument vector), inherits
// only standard input, output and error, and gets the program's
// environment plus VEXAR_COM_DIR naming the COM folder this program uses,
// so a tool numbers the ports as the main program does.

#include <string>
#include <sys/types.h>
#include <vector>

namespace vexar::platform {

// Starts `program` (a path, or a bare name looked up through PATH) in
// `folder` with `arguments` after its own name. Returns the child's process
// id, or 0 when it could not be started (missing file, not executable,
// missing folder); nothing is left behind then.
pid_t StartProgram(const std::string& program, const std::string& folder,
                   const std::vector<std::string>& arguments);

// Whether a started program still runs; a program that has ended is reaped
// here (no zombie is left). A pid of 0 or one that is not our child counts
// as ended.
bool ProgramRunning(pid_t pid);

}  // namespace vexar::platform
