#include "SingleInstanceLock.h"

#include "ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vexar::platform {

SingleInstanceLock::~SingleInstanceLock() { Release(); }

std::string SingleInstanceLock::LockPath(const std::string& name)
{
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = runtime;
        if (folder.back() != '/')
            folder += '/';
    } else {
        folder = ProgramFolder();
    }
    return folder + name + ".lock";
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(const std::string& name)
{
    Release();
    const int fd = ::open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Failed;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Result::HeldElsewhere : Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstanceLock::Release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace vexar::platform
