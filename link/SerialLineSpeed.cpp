#include "SerialLineSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vexar::link::detail {

bool SetLineSpeed(int fd, unsigned baud)
{
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    // BOTHER takes the rate from the speed fields, standard or not; the
    // input speed follows the output speed when CIBAUD is cleared.
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

bool GetLineSpeed(int fd, unsigned& baud)
{
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    baud = tio.c_ospeed;
    return true;
}

}  // namespace vexar::link::detail
