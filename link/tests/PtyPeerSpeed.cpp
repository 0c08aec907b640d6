// Kept apart from PtyPeer.cpp: the kernel's termios2 header cannot share a
// translation unit with <termios.h>.
#include "PtyPeer.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <stdexcept>
#include <sys/ioctl.h>

namespace vexar::linktest {

unsigned TtySpeed(int fd)
{
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        throw std::runtime_error("TCGETS2 failed");
    return tio.c_ospeed;
}

}  // namespace vexar::linktest
