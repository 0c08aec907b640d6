#include "ProgramFolder.h"

#include <cstdlib>
#include <limits.h>
#include <unistd.h>

namespace vexar::platform {

std::string ProgramFolder()
{
    std::string folder;
    if (const char* home = std::getenv("VEXAR_HOME"); home && *home) {
        folder = home;
    } else {
        char exe[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0) {
            folder.assign(exe, static_cast<std::size_t>(n));
            folder.erase(folder.find_last_of('/') + 1);
        }
    }
    if (folder.empty())
        folder = "./";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

}  // namespace vexar::platform
