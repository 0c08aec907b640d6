#include "ProgramReplacer.h"

#include "platform/AtomicFile.h"
#include "platform/FileRead.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace vexar::updater {

bool ReplaceProgramFile(const std::string& source, const std::string& destination)
{
    std::string bytes;
    mode_t sourceMode = 0;
    if (platform::ReadRegularFile(source, bytes, bytes.max_size(), &sourceMode) != platform::ReadFileResult::Ok)
        return false;

    struct stat old {};
    const bool replacing = ::stat(destination.c_str(), &old) == 0;
    if (!vexar::platform::WriteFileAtomically(destination, bytes.data(), bytes.size()))
        return false;
    // A first installation has no old file to take the permission bits
    // from: the copy gets the source's, so that it can be started.
    return replacing || ::chmod(destination.c_str(), sourceMode) == 0;
}

bool StartProgram(const std::string& path)
{
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    return ::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace vexar::updater
