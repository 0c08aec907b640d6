#pragma once

// Running a simulator's program from its tests, as a person or a script
// runs it.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vexar::ptysupport {

// Starts `program` with `arguments` (the program name not included), its
// standard output and error written to the two files; the pid, or -1.
pid_t SpawnProgram(const std::string& program, std::vector<std::string> arguments, const std::string& stdoutPath,
                   const std::string& stderrPath);

// Waits for the child to end: its exit code, 128 + the signal that ended
// it, or -1.
int WaitExit(pid_t pid);

// Waits until `path` exists; false when it did not within `timeout`.
bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

}  // namespace vexar::ptysupport
