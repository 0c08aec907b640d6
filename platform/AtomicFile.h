#pragma once

#include <cstddef>
#include <string>

namespace vexar::platform {

// Replaces a file whole or not at all: the bytes go to a temporary file in
// the target's folder, which is flushed to disk, given the target's
// permission bits (or the umask's default for a new file) and renamed over
// the target. On any failure the temporary file is removed, the target is
// left as it was, false is returned and errno tells why.
//
// Tests make a chosen step fail by setting VEXAR_FAULT_ATOMIC_WRITE to
// "create", "write", "flush" or "rename" in the environment; it is read at
// every call, so it reaches shared libraries and child processes as well.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size);

inline bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace vexar::platform
