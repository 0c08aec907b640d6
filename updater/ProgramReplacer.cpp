#include "ProgramReplacer.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vexar::updater {
namespace {

// Reads a regular file whole; false when it cannot be opened, is not a
// regular file or reads short.
bool ReadRegularFile(const std::string& path, std::vector<unsigned char>& bytes, mode_t& mode)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        mode = st.st_mode & 07777;
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        ok = done == bytes.size();
    }
    ::close(fd);
    return ok;
}

}  // namespace

bool ReplaceProgramFile(const std::string& source, const std::string& destination)
{
    std::vector<unsigned char> bytes;
    mode_t sourceMode = 0;
    if (!ReadRegularFile(source, bytes, sourceMode))
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
