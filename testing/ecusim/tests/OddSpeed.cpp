// termios2 lets the client set any rate; its header clashes with
// <termios.h>, hence this file of its own.
#include "testing/ecusim/tests/PtyClient.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vexar::ecusim::test {

bool PtyClient::SetOddSpeed(long baud)
{
    struct termios2 settings {};
    if (ioctl(m_fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(m_fd, TCSETS2, &settings) == 0;
}

}  // namespace vexar::ecusim::test
