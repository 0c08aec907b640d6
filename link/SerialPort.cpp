#include "SerialPort.h"

#include "SerialLineSpeed.h"
#include "SerialText.h"
#include "platform/ComPortResolver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vexar::link {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFirstPort = 1;
constexpr int kLastPort = 256;
constexpr int kDefaultQueue = 512;
constexpr int kMinimumQueue = 30;
constexpr unsigned kDefaultTimeoutMs = 1000;
constexpr int kDefaultBreakMs = 250;
constexpr double kMaxTimeoutSeconds = 4294967.295;
constexpr unsigned kLineErrorMask = 0x1FF;
constexpr unsigned kStatusOutputHeld = 0x1000;
constexpr std::size_t kMaxErrorTextChars = 200;
// A write is taken as sent once what it still holds would leave within
// this time.
constexpr std::chrono::milliseconds kSentSlack{2};
// How often a wait for modem-line, error and output-empty events looks.
constexpr int kEventSliceMs = 10;

constexpr std::array<long, 17> kBaudRates = {110,   150,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                             19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

struct PortSlot {
    int fd = -1;
    int wakeFd = -1;  // eventfd that ends a wait (PortPurge, PortSetEventMask)
    int inQueue = 0;
    int outQueue = 0;
    unsigned readTimeoutMs = kDefaultTimeoutMs;
    unsigned writeTimeoutMs = kDefaultTimeoutMs;
    std::atomic<unsigned> eventMask{0};
    // The time one character takes on the line at the set speed and
    // framing: what a write's time-out grows by per byte and, on a device
    // that cannot report its output queue, how fast the bytes are paced.
    std::chrono::nanoseconds charTime{0};
    // A real port reports the bytes it still holds (TIOCOUTQ), so a write
    // waits until they have left. A pseudo-terminal always reports none
    // while its far end may not have taken them yet; for it the layer
    // models the line: `lineFreeAt` is when the bytes handed over so far
    // have left at the line's speed.
    bool reportsOutQueue = true;
    int parity = PORT_PARITY_NONE;  // the framing of the open, for charTime
    int dataBits = 8;
    int stopBits = 1;
    Clock::time_point lineFreeAt{};
    PORT_LINE_STATE lines;
    serial_icounter_struct errorBase{};  // line-error counters at the last clear
    bool isOpen() const { return fd >= 0; }
};

std::array<PortSlot, kLastPort + 1> g_ports;  // slot 0 is never used
// Guards each slot's open state (its descriptor) and its recorded lines:
// PortGetLineState may be asked from another thread than the one that
// drives the port (a test watching the DTR pulse of the link worker).
std::mutex g_lineStateLock;
std::atomic<int> g_lastError{0};
std::atomic<int> g_lastSystemError{0};

int Record(int code)
{
    g_lastError = code;
    return code;
}

// A failed system call: keeps errno for PortErrorText(-1).
int RecordSystemError()
{
    g_lastSystemError = errno;
    return Record(PORT_SYSTEM_ERROR);
}

bool ValidNumber(int port)
{
    return port >= kFirstPort && port <= kLastPort;
}

int QueueSize(int requested)
{
    if (requested == 0)
        return kDefaultQueue;
    return std::max(requested, kMinimumQueue);
}

bool InTable(long baud)
{
    return std::find(kBaudRates.begin(), kBaudRates.end(), baud) != kBaudRates.end();
}

// A device without modem lines or error counters answers these.
bool IsUnsupported(int error)
{
    return error == ENOTTY || error == EINVAL;
}

// Clears wake-ups. Every read, write and wait starts with it, so that a
// PortPurge or PortSetEventMask ends only a call that is in progress.
void Drain(int wakeFd)
{
    std::uint64_t count = 0;
    while (::read(wakeFd, &count, sizeof count) > 0) {
    }
}

enum class Wait { Ready, TimedOut, Woken, HungUp, Failed };

// The time left to a deadline, to the nanosecond (a byte at 57600 baud
// takes 0.17 ms: whole milliseconds would stretch every paced write).
timespec Remaining(Clock::time_point deadline)
{
    const long long left =
        std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count());
    return timespec{static_cast<time_t>(left / 1'000'000'000LL), static_cast<long>(left % 1'000'000'000LL)};
}

// Waits until the port is ready for `events`, the deadline passes or the
// port is woken from another thread.
Wait WaitUntil(const PortSlot& slot, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd fds[2] = {{slot.fd, events, 0}, {slot.wakeFd, POLLIN, 0}};
        const timespec timeout = Remaining(deadline);
        const int n = ::ppoll(fds, 2, &timeout, nullptr);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Wait::Failed;
        if (fds[1].revents & POLLIN) {
            Drain(slot.wakeFd);
            return Wait::Woken;
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            return Wait::HungUp;
        if (fds[0].revents & events)
            return Wait::Ready;
        if (n == 0 && timeout.tv_sec == 0 && timeout.tv_nsec == 0)
            return Wait::TimedOut;
    }
}

Clock::time_point DeadlineAfter(unsigned ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

enum class Transfer { Complete, TimedOut, Failed };

// Reads up to `count` bytes before the deadline; `got` tells how many came.
Transfer ReadBytes(PortSlot& slot, std::uint8_t* buffer, int count, Clock::time_point deadline, int& got)
{
    got = 0;
    bool hungUp = false;
    while (got < count) {
        const ssize_t n = ::read(slot.fd, buffer + got, static_cast<std::size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Transfer::Failed;
        // Nothing now. After a hang-up nothing will come: a failure, not a time-out.
        if (hungUp) {
            errno = EIO;
            return Transfer::Failed;
        }
        switch (WaitUntil(slot, POLLIN, deadline)) {
        case Wait::Ready:
            break;
        case Wait::HungUp:
            hungUp = true;
            break;
        case Wait::TimedOut:
        case Wait::Woken:
            return Transfer::TimedOut;
        case Wait::Failed:
            return Transfer::Failed;
        }
    }
    return Transfer::Complete;
}

// The bytes of the last write still on their way: those the device holds,
// or on a device that cannot say, those the line model has not yet sent.
int StillQueued(const PortSlot& slot)
{
    if (slot.reportsOutQueue) {
        int queued = 0;
        return ::ioctl(slot.fd, TIOCOUTQ, &queued) == 0 ? std::max(queued, 0) : 0;
    }
    const auto left = slot.lineFreeAt - Clock::now();
    if (left <= Clock::duration::zero() || slot.charTime.count() <= 0)
        return 0;
    return static_cast<int>((std::chrono::duration_cast<std::chrono::nanoseconds>(left) + slot.charTime -
                             std::chrono::nanoseconds(1)) /
                            slot.charTime);
}

// Waits until the bytes handed to the device have left the line, the
// deadline passes or the port is woken. `sent` drops by the bytes still
// queued when the wait gives up; those are left to go out (PortFlushOut
// discards them).
Transfer WaitSent(PortSlot& slot, Clock::time_point deadline, int& sent)
{
    for (;;) {
        // Bytes that leave within the slack count as gone: a protocol that
        // writes one byte and reads its echo then sleeps once per byte.
        const int queued = StillQueued(slot);
        if (queued == 0 || slot.charTime * queued < kSentSlack)
            return Transfer::Complete;
        // A real port is asked again after the time its queue needs, in
        // slices short enough to notice an early end.
        Clock::time_point until = slot.reportsOutQueue
                                      ? Clock::now() + std::min<Clock::duration>(slot.charTime * queued,
                                                                                 std::chrono::milliseconds(20))
                                      : slot.lineFreeAt;
        until = std::min(until, deadline);
        switch (WaitUntil(slot, 0, until)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            if (Clock::now() < deadline)
                break;
            [[fallthrough]];
        case Wait::Woken:
            sent = std::max(0, sent - StillQueued(slot));
            return Transfer::TimedOut;
        case Wait::HungUp:
            // The far end of a pseudo-terminal went away after taking the
            // bytes (or without reading them: it cannot be told); the next
            // call fails. A real port lost what it still held.
            if (!slot.reportsOutQueue)
                return Transfer::Complete;
            sent = std::max(0, sent - StillQueued(slot));
            errno = EIO;
            return Transfer::Failed;
        case Wait::Failed:
            return Transfer::Failed;
        }
    }
}

// Writes `count` bytes and returns once they have left the line, so that
// a caller's reply time-out starts when the far end has the request, on a
// real port and a pseudo-terminal alike. The time-out is the port's write
// time-out plus the time the bytes take on the line.
Transfer WriteBytes(PortSlot& slot, const std::uint8_t* buffer, int count, int& sent)
{
    sent = 0;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(slot.writeTimeoutMs) + slot.charTime * count;
    const Clock::time_point lineFrom = std::max(slot.lineFreeAt, start);
    const auto account = [&] {
        if (!slot.reportsOutQueue)
            slot.lineFreeAt = lineFrom + slot.charTime * sent;
    };
    while (sent < count) {
        const ssize_t n = ::write(slot.fd, buffer + sent, static_cast<std::size_t>(count - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Transfer::Failed;
        switch (WaitUntil(slot, POLLOUT, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
        case Wait::Woken:
            account();
            return Transfer::TimedOut;
        case Wait::HungUp:
            errno = EIO;
            return Transfer::Failed;
        case Wait::Failed:
            return Transfer::Failed;
        }
    }
    account();
    return WaitSent(slot, deadline, sent);
}

// The time of one character at `baud`: its start bit, data bits, parity
// bit and stop bits.
std::chrono::nanoseconds CharacterTime(long baud, int parity, int dataBits, int stopBits)
{
    if (baud <= 0)
        return std::chrono::nanoseconds(0);
    const long long bits = 1 + dataBits + (parity == PORT_PARITY_NONE ? 0 : 1) + stopBits;
    return std::chrono::nanoseconds(bits * 1'000'000'000LL / baud);
}

// Unix98 pseudo-terminal slaves (majors 136 to 143) and the old BSD ones
// (major 3) keep no output queue of their own to report.
bool IsPseudoTerminal(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned major = ::major(info.st_rdev);
    return (major >= 136 && major <= 143) || major == 3;
}

// Closes the port's device and marks the slot not open whatever the close
// says; false with errno set when the system close failed.
bool CloseSlot(PortSlot& slot)
{
    ::ioctl(slot.fd, TIOCNXCL);  // leave the tty openable for others
    if (slot.wakeFd >= 0)
        ::close(slot.wakeFd);
    const int fd = slot.fd;
    {
        std::lock_guard lock(g_lineStateLock);
        slot.fd = -1;
    }
    slot.wakeFd = -1;
    return ::close(fd) == 0;
}

// Opens the device of a port number, exclusive and close-on-exec; -6 when
// there is no such device or another holds it.
int OpenDevice(int port, const char16_t* name, PortSlot& slot)
{
    if (name && !*name)
        return PORT_NOT_FOUND;
    const std::string path =
        vexar::platform::ComPortResolver::FromEnvironment().DevicePath(static_cast<unsigned>(port));
    if (path.empty()) {
        errno = ENOENT;
        return PORT_NOT_FOUND;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return PORT_NOT_FOUND;
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return PORT_NOT_FOUND;
    }
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        ::close(fd);
        return PORT_NO_BUFFERS;
    }
    {
        std::lock_guard lock(g_lineStateLock);
        slot.fd = fd;
        // Opening a tty raises DTR and RTS.
        slot.lines = PORT_LINE_STATE{true, true, false, false, 0};
    }
    slot.wakeFd = wakeFd;
    slot.reportsOutQueue = !IsPseudoTerminal(fd);
    slot.lineFreeAt = Clock::time_point{};
    slot.readTimeoutMs = kDefaultTimeoutMs;
    slot.writeTimeoutMs = kDefaultTimeoutMs;
    slot.eventMask = 0;
    slot.errorBase = serial_icounter_struct{};
    ::ioctl(fd, TIOCGICOUNT, &slot.errorBase);
    return PORT_OK;
}

tcflag_t DataBitsFlag(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Raw mode with the given framing: every byte passes unchanged both ways.
void MakeRaw(termios& tio, int parity, int dataBits, int stopBits)
{
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | DataBitsFlag(dataBits);
    switch (parity) {
    case PORT_PARITY_ODD:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case PORT_PARITY_EVEN:
        tio.c_cflag |= PARENB;
        break;
    case PORT_PARITY_MARK:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case PORT_PARITY_SPACE:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

// Sets or clears modem lines; a device without them only records the request.
bool SetModemLines(PortSlot& slot, int bits, bool on)
{
    if (::ioctl(slot.fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !IsUnsupported(errno))
        return false;
    std::lock_guard lock(g_lineStateLock);
    if (bits & TIOCM_DTR)
        slot.lines.dtr = on;
    if (bits & TIOCM_RTS)
        slot.lines.rts = on;
    return true;
}

// Line errors since the last call, as error bits; the counters are then
// taken as the new base. A device without counters has no errors.
bool TakeLineErrors(PortSlot& slot, unsigned& errors)
{
    errors = 0;
    serial_icounter_struct now{};
    if (::ioctl(slot.fd, TIOCGICOUNT, &now) != 0)
        return IsUnsupported(errno);
    const serial_icounter_struct& base = slot.errorBase;
    if (now.buf_overrun != base.buf_overrun)
        errors |= PORT_CE_RXOVER;
    if (now.overrun != base.overrun)
        errors |= PORT_CE_OVERRUN;
    if (now.parity != base.parity)
        errors |= PORT_CE_RXPARITY;
    if (now.frame != base.frame)
        errors |= PORT_CE_FRAME;
    if (now.brk != base.brk)
        errors |= PORT_CE_BREAK;
    slot.errorBase = now;
    return true;
}

int ModemLines(const PortSlot& slot)
{
    int bits = 0;
    return ::ioctl(slot.fd, TIOCMGET, &bits) == 0 ? bits : -1;
}

struct ErrorText {
    int code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {-2, "Invalid port number."},
    {-3, "Port is not open."},
    {-4, "Unknown I/O error."},
    {-5, "Unexpected internal error."},
    {-6, "No serial port found."},
    {-7, "Cannot open port."},
    {-11, "Memory allocation error in creating buffers."},
    {-12, "Unable to allocate system resources."},
    {-13, "Invalid parameter."},
    {-14, "Invalid baud rate."},
    {-24, "Invalid parity."},
    {-34, "Illegal number of data bits."},
    {-44, "Illegal number of stop bits."},
    {-90, "Bad file handle."},
    {-91, "Error in performing file I/O."},
    {-94, "Invalid count; must be greater than or equal to 0."},
    {-97, "Invalid interrupt level."},
    {-99, "I/O operation timed out."},
    {-104, "Value must be between 0 and 255."},
    {-114, "Requested input queue size must be 0 or greater."},
    {-124, "Requested output queue size must be 0 or greater."},
    {-151, "General I/O error."},
    {-152, "Buffer parameter is NULL."},
    {-257, "Packet was sent, but no acknowledgment was received."},
    {-258, "Packet not sent within retry limit."},
    {-259, "Packet not received within retry limit."},
    {-260, "End of transmission character encountered when start of data character expected."},
    {-261, "Packet number could not be read."},
    {-262, "Packet number inconsistency."},
    {-263, "Packet data could not be read."},
    {-264, "Checksum could not be read."},
    {-265, "Checksum received did not match computed checksum."},
    {-269, "Packet size exceeds input queue size."},
    {-300, "Error opening file."},
    {-301, "Error reading file."},
    {-302, "Did not receive the initial negative acknowledgment character."},
    {-303, "Did not receive acknowledgment after the end of transmission character was sent."},
    {-304, "Error while writing to file."},
    {-305, "Did not receive either a start of data or end of transmission character when expected."},
    {-402, "Transfer was canceled because the CAN ASCII character was received."},
    {-503, "Invalid start delay."},
    {-504, "Invalid maximum number of retries."},
    {-505, "Invalid wait period."},
    {-506, "Invalid packet size."},
    {-507, "Unable to read Cyclical Redundancy Check."},
    {-508, "Cyclical Redundancy Check error."},
};

std::u16string SystemMessage(int error)
{
    char text[256];
    return detail::WidenUtf8(::strerror_r(error, text, sizeof text));
}

// The open slot of a port after PortCheck, or null with `code` set.
PortSlot* OpenSlot(int port, int& code)
{
    code = PortCheck(port);
    return code == PORT_OK ? &g_ports[port] : nullptr;
}

}  // namespace

int PortCheck(int port)
{
    if (!ValidNumber(port))
        return PORT_BAD_NUMBER;
    return Record(g_ports[port].isOpen() ? PORT_OK : PORT_NOT_OPEN);
}

int PortOpenConfig(int port, const char16_t* name, long baud, int parity, int dataBits, int stopBits,
                   int inQueue, int outQueue)
{
    if (!ValidNumber(port))
        return Record(PORT_BAD_NUMBER);
    PortSlot& slot = g_ports[port];
    if (slot.isOpen())
        return Record(PORT_CANNOT_OPEN);
    if (!InTable(baud))
        return Record(PORT_BAD_BAUD);
    if (parity < PORT_PARITY_NONE || parity > PORT_PARITY_SPACE)
        return Record(PORT_BAD_PARITY);
    if (dataBits < 5 || dataBits > 8)
        return Record(PORT_BAD_DATA_BITS);
    if (stopBits != 1 && stopBits != 2)
        return Record(PORT_BAD_STOP_BITS);

    if (const int code = OpenDevice(port, name, slot); code != PORT_OK)
        return Record(code);
    slot.inQueue = QueueSize(inQueue);
    slot.outQueue = QueueSize(outQueue);
    slot.charTime = CharacterTime(baud, parity, dataBits, stopBits);
    slot.parity = parity;
    slot.dataBits = dataBits;
    slot.stopBits = stopBits;

    termios tio{};
    bool configured = ::tcgetattr(slot.fd, &tio) == 0;
    if (configured) {
        MakeRaw(tio, parity, dataBits, stopBits);
        configured = ::tcsetattr(slot.fd, TCSANOW, &tio) == 0 &&
                     detail::SetLineSpeed(slot.fd, static_cast<unsigned>(baud));
    }
    if (!configured) {
        g_lastSystemError = errno;
        CloseSlot(slot);
        return Record(PORT_NO_RESOURCES);
    }
    return Record(PORT_OK);
}

int PortReopen(int port, const char16_t* name)
{
    if (!ValidNumber(port))
        return Record(PORT_BAD_NUMBER);
    PortSlot& slot = g_ports[port];
    if (slot.isOpen() && !CloseSlot(slot))
        return RecordSystemError();
    if (const int code = OpenDevice(port, name, slot); code != PORT_OK)
        return Record(code);
    slot.inQueue = kDefaultQueue;
    slot.outQueue = kDefaultQueue;
    return Record(PORT_OK);
}

int PortSetBaud(int port, long baud)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (!InTable(baud))
        return Record(PORT_BAD_BAUD);
    termios tio{};
    if (::tcgetattr(slot->fd, &tio) != 0) {
        g_lastSystemError = errno;
        CloseSlot(*slot);
        return Record(PORT_NO_RESOURCES);
    }
    if (!detail::SetLineSpeed(slot->fd, static_cast<unsigned>(baud))) {
        g_lastSystemError = errno;
        return Record(PORT_NO_RESOURCES);
    }
    slot->charTime = CharacterTime(baud, slot->parity, slot->dataBits, slot->stopBits);
    return Record(PORT_OK);
}

int PortClose(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (!CloseSlot(*slot))
        return RecordSystemError();
    return Record(PORT_OK);
}

int PortWrite(int port, const void* buffer, int count)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    Drain(slot->wakeFd);
    if (count < 0)
        return Record(PORT_BAD_COUNT);
    count = std::min(count, slot->outQueue);
    if (!buffer)
        return Record(PORT_NULL_BUFFER);
    int sent = 0;
    switch (WriteBytes(*slot, static_cast<const std::uint8_t*>(buffer), count, sent)) {
    case Transfer::Complete:
        Record(PORT_OK);
        return sent;
    case Transfer::TimedOut:
        Record(PORT_TIMEOUT);
        return sent;
    case Transfer::Failed:
        break;
    }
    return RecordSystemError();
}

int PortWriteByte(int port, std::uint8_t byte)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    Drain(slot->wakeFd);
    int sent = 0;
    switch (WriteBytes(*slot, &byte, 1, sent)) {
    case Transfer::Complete:
        Record(PORT_OK);
        return 1;
    case Transfer::TimedOut:
        Record(PORT_TIMEOUT);
        return 0;
    case Transfer::Failed:
        break;
    }
    return RecordSystemError();
}

int PortRead(int port, void* buffer, int count)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    Drain(slot->wakeFd);
    if (!buffer)
        return Record(PORT_NULL_BUFFER);
    // A negative count would read past any buffer: refuse it like a write does.
    if (count < 0)
        return Record(PORT_BAD_COUNT);
    count = std::min(count, slot->inQueue);
    int got = 0;
    switch (ReadBytes(*slot, static_cast<std::uint8_t*>(buffer), count, DeadlineAfter(slot->readTimeoutMs), got)) {
    case Transfer::Complete:
        Record(PORT_OK);
        return got;
    case Transfer::TimedOut:
        Record(PORT_TIMEOUT);
        return got;
    case Transfer::Failed:
        break;
    }
    return RecordSystemError();
}

int PortReadByte(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    Drain(slot->wakeFd);
    std::uint8_t byte = 0;
    int got = 0;
    switch (ReadBytes(*slot, &byte, 1, DeadlineAfter(slot->readTimeoutMs), got)) {
    case Transfer::Complete:
        Record(PORT_OK);
        return byte;
    case Transfer::TimedOut:
        return Record(PORT_TIMEOUT);
    case Transfer::Failed:
        break;
    }
    return RecordSystemError();
}

int PortReadUntil(int port, void* buffer, int count, std::uint8_t terminator)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    Drain(slot->wakeFd);
    if (!buffer)
        return Record(PORT_NULL_BUFFER);
    count = std::min(count, slot->inQueue);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    int stored = 0;
    while (stored < count) {
        int got = 0;
        const Transfer result = ReadBytes(*slot, bytes + stored, 1, DeadlineAfter(slot->readTimeoutMs), got);
        if (result != Transfer::Complete) {
            if (result == Transfer::Failed)
                g_lastSystemError = errno;
            Record(PORT_TIMEOUT);
            return stored;
        }
        if (bytes[stored++] == terminator)
            break;
    }
    Record(PORT_OK);
    return stored;
}

int PortInQueueLen(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    int waiting = 0;
    if (::ioctl(slot->fd, TIOCINQ, &waiting) != 0)
        return RecordSystemError();
    Record(PORT_OK);
    return waiting;
}

int PortSetTimeout(int port, double seconds)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (!(seconds >= 0.0 && seconds <= kMaxTimeoutSeconds))
        return Record(PORT_BAD_PARAMETER);
    // Rounded, so that 4.35 s is 4350 ms and not 4349.
    slot->readTimeoutMs = static_cast<unsigned>(std::llround(seconds * 1000.0));
    return Record(PORT_OK);
}

int PortLastError()
{
    return g_lastError;
}

void PortErrorText(int code, char16_t* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    std::fill(buffer, buffer + size, u'\0');
    std::u16string text;
    const auto known = std::find_if(std::begin(kErrorTexts), std::end(kErrorTexts),
                                    [code](const ErrorText& entry) { return entry.code == code; });
    if (known != std::end(kErrorTexts))
        text = detail::WidenUtf8(known->text);
    else if (code == PORT_SYSTEM_ERROR)
        text = SystemMessage(g_lastSystemError);
    else
        text = SystemMessage(code);
    // One place is kept for the terminator.
    const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(size) - 1, kMaxErrorTextChars);
    std::copy_n(text.begin(), std::min(limit, text.size()), buffer);
}

int PortStatus(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    unsigned errors = 0;
    if (!TakeLineErrors(*slot, errors))
        return RecordSystemError();
    unsigned status = errors & kLineErrorMask;
    if (slot->lines.outputHeld)
        status += kStatusOutputHeld;
    return static_cast<int>(status);
}

int PortFlushIn(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (::tcflush(slot->fd, TCIFLUSH) != 0)
        return RecordSystemError();
    return Record(PORT_OK);
}

int PortFlushOut(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (::tcflush(slot->fd, TCOFLUSH) != 0)
        return RecordSystemError();
    slot->lineFreeAt = Clock::time_point{};
    return Record(PORT_OK);
}

int PortPurge(int port)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    const std::uint64_t one = 1;
    if (::write(slot->wakeFd, &one, sizeof one) != sizeof one)
        return Record(PORT_IO_ERROR);
    return Record(PORT_OK);
}

int PortEscapeFunction(int port, int function)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    bool ok = false;
    switch (function) {
    case PORT_SETDTR:
    case PORT_CLRDTR:
        ok = SetModemLines(*slot, TIOCM_DTR, function == PORT_SETDTR);
        break;
    case PORT_SETRTS:
    case PORT_CLRRTS:
        ok = SetModemLines(*slot, TIOCM_RTS, function == PORT_SETRTS);
        break;
    case PORT_SETBREAK:
    case PORT_CLRBREAK:
        ok = ::ioctl(slot->fd, function == PORT_SETBREAK ? TIOCSBRK : TIOCCBRK) == 0;
        if (ok) {
            std::lock_guard lock(g_lineStateLock);
            slot->lines.breakOn = function == PORT_SETBREAK;
        }
        break;
    case PORT_SETXOFF:
    case PORT_SETXON:
        ok = ::tcflow(slot->fd, function == PORT_SETXOFF ? TCOOFF : TCOON) == 0;
        if (ok) {
            std::lock_guard lock(g_lineStateLock);
            slot->lines.outputHeld = function == PORT_SETXOFF;
        }
        break;
    default:
        errno = EINVAL;
        break;
    }
    if (!ok)
        return RecordSystemError();
    return Record(PORT_OK);
}

int PortSetEventMask(int port, unsigned mask)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    slot->eventMask = mask;
    // A new mask ends a wait in progress, which then reports no event.
    const std::uint64_t one = 1;
    if (::write(slot->wakeFd, &one, sizeof one) != sizeof one)
        return RecordSystemError();
    return Record(PORT_OK);
}

int PortGetEventMask(int port, unsigned* mask)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (!mask) {
        errno = EINVAL;
        return RecordSystemError();
    }
    *mask = slot->eventMask;
    return Record(PORT_OK);
}

int PortWaitEvent(int port, unsigned* mask)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    const unsigned wanted = slot->eventMask;
    if (!mask || wanted == 0) {
        errno = EINVAL;
        return RecordSystemError();
    }
    *mask = 0;
    Drain(slot->wakeFd);
    const int linesAtStart = ModemLines(*slot);
    for (;;) {
        unsigned seen = 0;
        int waiting = 0;
        if ((wanted & PORT_EV_RXCHAR) && ::ioctl(slot->fd, TIOCINQ, &waiting) == 0 && waiting > 0)
            seen |= PORT_EV_RXCHAR;
        if ((wanted & PORT_EV_TXEMPTY) && ::ioctl(slot->fd, TIOCOUTQ, &waiting) == 0 && waiting == 0)
            seen |= PORT_EV_TXEMPTY;
        if (const int lines = ModemLines(*slot); lines >= 0 && linesAtStart >= 0) {
            const int changed = lines ^ linesAtStart;
            if (changed & TIOCM_CTS)
                seen |= PORT_EV_CTS & wanted;
            if (changed & TIOCM_DSR)
                seen |= PORT_EV_DSR & wanted;
            if (changed & TIOCM_CD)
                seen |= PORT_EV_RLSD & wanted;
            if (changed & TIOCM_RI)
                seen |= PORT_EV_RING & wanted;
        }
        if (wanted & (PORT_EV_BREAK | PORT_EV_ERR)) {
            unsigned errors = 0;
            if (TakeLineErrors(*slot, errors)) {
                if (errors & PORT_CE_BREAK)
                    seen |= PORT_EV_BREAK & wanted;
                if (errors & (PORT_CE_FRAME | PORT_CE_OVERRUN | PORT_CE_RXPARITY))
                    seen |= PORT_EV_ERR & wanted;
            }
        }
        if (seen) {
            *mask = seen;
            return Record(PORT_OK);
        }
        switch (WaitUntil(*slot, (wanted & PORT_EV_RXCHAR) ? POLLIN : 0,
                          Clock::now() + std::chrono::milliseconds(kEventSliceMs))) {
        case Wait::Woken:
            return Record(PORT_OK);
        case Wait::HungUp:
            errno = EIO;
            return RecordSystemError();
        case Wait::Failed:
            return RecordSystemError();
        case Wait::Ready:
        case Wait::TimedOut:
            break;
        }
    }
}

int PortClearError(int port, unsigned* errors, PORT_QUEUE_STATUS* status, int request)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (request != PORT_CLEAR_ERRORS)
        return Record(PORT_BAD_PARAMETER);
    unsigned taken = 0;
    if (!TakeLineErrors(*slot, taken))
        return RecordSystemError();
    if (errors)
        *errors = taken;
    if (status) {
        int inQueue = 0;
        int outQueue = 0;
        if (::ioctl(slot->fd, TIOCINQ, &inQueue) != 0 || ::ioctl(slot->fd, TIOCOUTQ, &outQueue) != 0)
            return RecordSystemError();
        status->outputHeld = slot->lines.outputHeld ? 1 : 0;
        status->inQueue = static_cast<unsigned>(inQueue);
        status->outQueue = static_cast<unsigned>(outQueue);
    }
    return Record(PORT_OK);
}

int PortSetHandshake(int port, int mode)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    termios tio{};
    if (::tcgetattr(slot->fd, &tio) != 0)
        return Record(PORT_IO_ERROR);
    if (mode >= 0 && mode <= 2) {
        // Mode 0: no flow control, DTR and RTS held on. Modes 1 and 2: CTS
        // flow control with RTS driven by the driver; the tty layer has no
        // DTR/DSR handshake, so mode 2 keeps DTR on like mode 1.
        if (mode == 0)
            tio.c_cflag &= ~CRTSCTS;
        else
            tio.c_cflag |= CRTSCTS;
        const int lines = mode == 0 ? (TIOCM_DTR | TIOCM_RTS) : TIOCM_DTR;
        if (::tcsetattr(slot->fd, TCSANOW, &tio) != 0 || !SetModemLines(*slot, lines, true))
            return Record(PORT_IO_ERROR);
    }
    {
        std::lock_guard lock(g_lineStateLock);
        slot->lines.handshake = mode;
    }
    return Record(PORT_OK);
}

int PortSendBreak(int port, int milliseconds)
{
    int code = 0;
    PortSlot* slot = OpenSlot(port, code);
    if (!slot)
        return code;
    if (milliseconds < 0 || milliseconds > 255)
        return Record(PORT_BAD_PARAMETER);
    if (milliseconds == 0)
        milliseconds = kDefaultBreakMs;
    if (::ioctl(slot->fd, TIOCSBRK) != 0)
        return Record(PORT_IO_ERROR);
    {
        std::lock_guard lock(g_lineStateLock);
        slot->lines.breakOn = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    if (::ioctl(slot->fd, TIOCCBRK) != 0)
        return Record(PORT_IO_ERROR);
    {
        std::lock_guard lock(g_lineStateLock);
        slot->lines.breakOn = false;
    }
    return Record(PORT_OK);
}

int PortGetLineState(int port, PORT_LINE_STATE& state)
{
    if (!ValidNumber(port))
        return PORT_BAD_NUMBER;
    const PortSlot& slot = g_ports[port];
    std::lock_guard lock(g_lineStateLock);
    if (!slot.isOpen())
        return PORT_NOT_OPEN;
    state = slot.lines;
    return PORT_OK;
}

}  // namespace vexar::link
