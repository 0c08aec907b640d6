#include "testing/ptysupport/ComLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vexar::ptysupport {

bool ComLinkPath(const std::string& folder, int number, std::string& path, std::string& error)
{
    if (number < 1 || number > 256) {
        error = "COM number " + std::to_string(number) + " is outside 1 to 256";
        return false;
    }
    path = folder + "/COM" + std::to_string(number);
    return true;
}

bool PublishLink(const std::string& link, const std::string& target, std::string& error)
{
    const std::string temporary = link + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 || std::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot publish " + link + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveLinkTo(const std::string& link, const std::string& target)
{
    if (link.empty())
        return;
    char current[4096];
    const ssize_t length = readlink(link.c_str(), current, sizeof current);
    if (length > 0 && std::string(current, static_cast<std::size_t>(length)) == target)
        unlink(link.c_str());
}

}  // namespace vexar::ptysupport
