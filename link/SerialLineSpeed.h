#pragma once

// The line speed of an open tty, any rate the driver can make. Kept in a
// file of its own: the kernel's termios2 header cannot share a translation
// unit with <termios.h>.

namespace vexar::link::detail {

// Sets input and output speed to `baud` bits per second; false with errno
// set when the driver refuses.
bool SetLineSpeed(int fd, unsigned baud);

// The output speed the tty is set to; false with errno set on failure.
bool GetLineSpeed(int fd, unsigned& baud);

}  // namespace vexar::link::detail
