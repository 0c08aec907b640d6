#pragma once

#include <string>

namespace vexar::platform {

// The folder everything "beside the program" lives in: $VEXAR_HOME when it
// is set and not empty, else the real folder of the running executable.
// The result always ends with '/', so a file name can be appended directly.
std::string ProgramFolder();

}  // namespace vexar::platform
