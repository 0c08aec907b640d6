#pragma once

#include <string>

namespace vexar::updater {

// Copies `source` over `destination` without ever writing the destination
// in place: the new bytes go to a temporary file in the destination's
// folder, flushed, given the old file's permission bits (the source's when
// there was no old file) and renamed over it. A program that still runs
// from the destination keeps its own, now unnamed, file. On failure the
// destination is left as it was, no temporary file remains and false is
// returned. The copy steps fail on demand through the atomic-write seam
// (VEXAR_FAULT_ATOMIC_WRITE).
bool ReplaceProgramFile(const std::string& source, const std::string& destination);

// Starts `path` as a new process with no arguments besides its own name and
// does not wait for it. Returns whether the process could be created.
bool StartProgram(const std::string& path);

}  // namespace vexar::updater
