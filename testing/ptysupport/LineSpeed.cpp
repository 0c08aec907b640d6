// The kernel's termios2 interface reports and accepts arbitrary rates. Its
// header clashes with <termios.h>, so it is used in this file only.
#include "testing/ptysupport/LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vexar::ptysupport {

std::chrono::nanoseconds WireTime(long baud, std::size_t bytes)
{
    if (baud <= 0)
        return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(static_cast<long long>(10'000'000'000LL * static_cast<long long>(bytes) / baud));
}

long ProgramLineSpeed(int masterFd)
{
    struct termios2 settings {};
    if (ioctl(masterFd, TCGETS2, &settings) != 0)
        return -1;
    return static_cast<long>(settings.c_ospeed);
}

bool PrepareSlaveLine(int slaveFd, long baud)
{
    struct termios2 settings {};
    if (ioctl(slaveFd, TCGETS2, &settings) != 0)
        return false;
    settings.c_iflag = 0;
    settings.c_oflag = 0;
    settings.c_lflag = 0;
    settings.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return ioctl(slaveFd, TCSETS2, &settings) == 0;
}

}  // namespace vexar::ptysupport
