#include "testing/ptysupport/PtyPair.h"

#include "testing/ptysupport/LineSpeed.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vexar::ptysupport {

PtyPair::~PtyPair()
{
    Close();
}

bool PtyPair::Open(long baud, std::string& error)
{
    Close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("cannot unlock the pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = std::string("cannot make the pseudo-terminal non-blocking: ") + std::strerror(errno);
        Close();
        return false;
    }
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0 || !PrepareSlaveLine(m_slave, baud)) {
        error = "cannot set up " + m_slavePath + ": " + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void PtyPair::Close()
{
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
}

}  // namespace vexar::ptysupport
