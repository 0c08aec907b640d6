#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <sys/types.h>

namespace vexar::platform {

enum class ReadFileResult { Ok, OpenFailed, ShortRead, NoMemory };

// Reads a regular file whole, or its first `limit` bytes, into `bytes`.
// OpenFailed covers a missing file and anything that is not a regular file
// (a folder opens on Linux but cannot be read). `mode`, when given, receives
// the file's permission bits, and `size` its whole length.
ReadFileResult ReadRegularFile(const std::string& path, std::string& bytes,
                               std::size_t limit = std::numeric_limits<std::size_t>::max(),
                               mode_t* mode = nullptr, std::uint64_t* size = nullptr);

}  // namespace vexar::platform
