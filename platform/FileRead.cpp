#include "FileRead.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace vexar::platform {

ReadFileResult ReadRegularFile(const std::string& path, std::string& bytes, std::size_t limit, mode_t* mode,
                               std::uint64_t* size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadFileResult::OpenFailed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadFileResult::OpenFailed;
    }
    if (mode)
        *mode = st.st_mode & 07777;
    if (size)
        *size = static_cast<std::uint64_t>(st.st_size);

    ReadFileResult result = ReadFileResult::Ok;
    try {
        bytes.assign(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        if (done < bytes.size())
            result = ReadFileResult::ShortRead;
    } catch (const std::bad_alloc&) {
        result = ReadFileResult::NoMemory;
    }
    ::close(fd);
    return result;
}

}  // namespace vexar::platform
