#pragma once

#include <cstddef>
#include <string>

namespace vexar::platform {

// Replaces a file whole or not at all: the bytes go to a temporary file in
// the target's folder, which is flushed to disk, given the target's
// permission bits (or the umask's default for a new file) and renamed over
// the target; then the folder is flushed too, so the new entry survives a
// power cut. On a failure before the rename the temporary file is removed,
// the target is left as it was, false is returned and errno tells why. When
// only the folder's flush fails, the new file is in place (and nothing else
// is left behind) but the save is still reported as failed.
//
// Tests make a chosen step fail by setting VEXAR_FAULT_ATOMIC_WRITE to
// "create", "write", "flush", "rename" or "syncdir" in the environment; it
// is read at every call, so it reaches shared libraries and child
// processes as well.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size);

inline bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace vexar::platform
