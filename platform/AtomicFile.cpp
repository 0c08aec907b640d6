#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexar::platform {
namespace {

enum class Step { Create, Write, Flush, Rename, SyncFolder };

bool FaultInjectedAt(Step step)
{
    const char* fault = std::getenv("VEXAR_FAULT_ATOMIC_WRITE");
    if (!fault)
        return false;
    static const char* const names[] = {"create", "write", "flush", "rename", "syncdir"};
    return std::strcmp(fault, names[static_cast<int>(step)]) == 0;
}

// The permission bits a newly created file would get from open(..., 0666).
mode_t DefaultNewFileMode()
{
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

// Makes the folder's entry for a renamed file durable: without it a power
// cut right after the rename can bring back the old file, or none.
bool SyncFolderOf(const std::string& path)
{
    if (FaultInjectedAt(Step::SyncFolder)) {
        errno = EIO;
        return false;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size)
{
    if (FaultInjectedAt(Step::Create)) {
        errno = EACCES;
        return false;
    }
    std::string temp = path + ".tmpXXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        errno = error;
        return false;
    };

    if (FaultInjectedAt(Step::Write))
        return fail(EIO);
    if (!WriteAll(fd, static_cast<const unsigned char*>(data), size))
        return fail(errno);

    struct stat target {};
    mode_t mode = ::stat(path.c_str(), &target) == 0 ? (target.st_mode & 07777) : DefaultNewFileMode();
    if (::fchmod(fd, mode) != 0)
        return fail(errno);

    if (FaultInjectedAt(Step::Flush))
        return fail(EIO);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }

    if (FaultInjectedAt(Step::Rename) || ::rename(temp.c_str(), path.c_str()) != 0) {
        int error = FaultInjectedAt(Step::Rename) ? EXDEV : errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // The new file is in place now; a folder that cannot be synced is
    // still a failed save, since it may not survive a power cut.
    return SyncFolderOf(path);
}

}  // namespace vexar::platform
