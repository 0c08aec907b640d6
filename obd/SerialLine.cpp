#include "obd/SerialLine.h"

#include "obd/Trace.h"
#include "platform/ComPortResolver.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace obdvane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kRtsLeadMs{100};  // RTS and DTR raised before the pulse
constexpr std::chrono::milliseconds kRtsLowMs{100};   // the pulse itself
constexpr std::chrono::milliseconds kRtsTailMs{50};   // settling before the purge

struct Speed {
    unsigned baud;
    speed_t constant;
};

constexpr std::array<Speed, 15> kSpeeds = {{{110, B110},
                                            {300, B300},
                                            {600, B600},
                                            {1200, B1200},
                                            {2400, B2400},
                                            {4800, B4800},
                                            {9600, B9600},
                                            {19200, B19200},
                                            {38400, B38400},
                                            {57600, B57600},
                                            {115200, B115200},
                                            {230400, B230400},
                                            {460800, B460800},
                                            {500000, B500000},
                                            {921600, B921600}}};

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        fields.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos)
            return fields;
        from = comma + 1;
    }
}

bool SmallNumber(const std::string& text, unsigned& value)
{
    if (text.empty() || text.size() > 7 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = 0;
    for (const char c : text)
        value = value * 10 + static_cast<unsigned>(c - '0');
    return true;
}

// Fills raw-mode line settings from "baud,parity,data bits,stop bits", for
// example "9600,n,8,1"; parity is n, e, o, m or s in either case.
bool ApplySettings(const std::string& text, termios& tio)
{
    const std::vector<std::string> fields = SplitCommas(text);
    unsigned baud = 0;
    unsigned dataBits = 0;
    if (fields.size() != 4 || !SmallNumber(fields[0], baud) || fields[1].size() != 1 ||
        !SmallNumber(fields[2], dataBits) || dataBits < 5 || dataBits > 8 || (fields[3] != "1" && fields[3] != "2"))
        return false;
    const auto speed = std::find_if(kSpeeds.begin(), kSpeeds.end(), [baud](const Speed& s) { return s.baud == baud; });
    if (speed == kSpeeds.end())
        return false;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | kSizes[dataBits - 5];
    switch (fields[1][0] | 0x20) {
    case 'n': break;
    case 'e': tio.c_cflag |= PARENB; break;
    case 'o': tio.c_cflag |= PARENB | PARODD; break;
    case 'm': tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 's': tio.c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }
    if (fields[3] == "2")
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::cfsetispeed(&tio, speed->constant) == 0 && ::cfsetospeed(&tio, speed->constant) == 0;
}

std::string DeviceOf(const std::string& portName)
{
    unsigned number = 0;
    if (!vexar::platform::ComPortResolver::ParseComName(portName, number))
        return {};
    return vexar::platform::ComPortResolver::FromEnvironment().DevicePath(number);
}

void ReleaseDevice(int fd)
{
    ::ioctl(fd, TIOCNXCL);  // leave the tty openable for others
    ::close(fd);
}

// The device opened for us alone, or -1.
int OpenExclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        ReleaseDevice(fd);
        return -1;
    }
    return fd;
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

enum class Ready { Yes, HungUp, No };

// Waits until the device is ready for `events`. No when the deadline
// passed or the line is being closed.
Ready WaitReady(int fd, int wakeFd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, RemainingMs(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || fds[1].revents != 0)
            return Ready::No;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            return Ready::HungUp;
        if (fds[0].revents & events)
            return Ready::Yes;
    }
}

// Moves bytes with `io` (a read or write of what is left) until all moved,
// the deadline passed or the line closes; returns how many moved. A raw
// tty read answers 0 when nothing is waiting, so 0 means "wait", except
// right after a hang-up, when nothing more will come.
template <typename Io>
std::uint32_t Transfer(int fd, int wakeFd, short events, Clock::time_point deadline, std::uint32_t length, Io io)
{
    std::uint32_t done = 0;
    bool hungUp = false;
    while (done < length) {
        const ssize_t n = io(done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if ((n < 0 && errno != EAGAIN) || hungUp)
            break;
        const Ready ready = WaitReady(fd, wakeFd, events, deadline);
        if (ready == Ready::No)
            break;
        hungUp = ready == Ready::HungUp;
    }
    return done;
}

}  // namespace

// One operation using the open line. While any exists, Close waits.
class SerialLine::Use {
public:
    explicit Use(SerialLine& line)
        : m_line(line)
    {
        std::lock_guard lock(line.m_mutex);
        if (!line.m_open)
            return;
        ++line.m_users;
        fd = line.m_fd;
        wakeFd = line.m_wakeFd;
        timeoutMs = line.m_timeoutMs;
    }
    ~Use()
    {
        if (fd < 0)
            return;
        std::lock_guard lock(m_line.m_mutex);
        if (--m_line.m_users == 0)
            m_line.m_idle.notify_all();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

    explicit operator bool() const { return fd >= 0; }

    int fd = -1;
    int wakeFd = -1;
    std::uint32_t timeoutMs = 0;

private:
    SerialLine& m_line;
};

SerialLine::SerialLine(LineTimings timings)
    : m_timings(timings)
{
}

SerialLine::~SerialLine()
{
    Close();
}

bool SerialLine::Open(const std::string& portName, const std::string& settings)
{
    std::lock_guard lifecycle(m_lifecycle);
    if (IsOpen())
        return false;
    const std::string path = DeviceOf(portName);
    {
        std::lock_guard lock(m_mutex);
        m_devicePath = path;
    }
    if (path.empty())
        return false;
    const int fd = OpenExclusive(path);
    if (fd < 0)
        return false;
    ::tcflush(fd, TCIOFLUSH);
    const std::string chosen = settings.empty() ? kDefaultSettings : settings;
    termios tio{};
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0 || ::tcgetattr(fd, &tio) != 0 || !ApplySettings(chosen, tio) ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        if (wakeFd >= 0)
            ::close(wakeFd);
        ReleaseDevice(fd);
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_fd = fd;
        m_wakeFd = wakeFd;
        m_settings = chosen;
        m_lines = LineState{true, true};  // opening a tty raises both
        m_open = true;
    }
    Trace("### Opening serial port -> wait for 1500 msec <-");
    std::this_thread::sleep_for(m_timings.openSettle);
    return true;
}

void SerialLine::Close()
{
    std::lock_guard lifecycle(m_lifecycle);
    int fd = -1;
    int wakeFd = -1;
    {
        std::unique_lock lock(m_mutex);
        if (!m_open)
            return;
        m_open = false;  // no new operation starts
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t woken = ::write(m_wakeFd, &one, sizeof one);
        m_idle.wait(lock, [this] { return m_users == 0; });
        fd = std::exchange(m_fd, -1);
        wakeFd = std::exchange(m_wakeFd, -1);
    }
    ::close(wakeFd);
    ReleaseDevice(fd);
    Trace("### Closing serial port -> wait for 500 msec <-");
    std::this_thread::sleep_for(m_timings.closeSettle);
    Trace("### Closing serial port... completed.");
}

bool SerialLine::Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& count)
{
    Use use(*this);
    if (!use)
        return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(use.timeoutMs);
    const std::uint32_t moved = Transfer(use.fd, use.wakeFd, POLLIN, deadline, length, [&](std::uint32_t done) {
        return ::read(use.fd, buffer + done, length - done);
    });
    if (moved == length) {
        count = length;
        return true;
    }
    Trace("Failed in call to ReadFile... Probable Read Timeout\n");
    return false;
}

bool SerialLine::Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& count)
{
    Use use(*this);
    if (!use)
        return false;
    // The driver's total time-out bounds a write like a read, and the wait
    // for it gives up after the write wait whatever the time-out is.
    const auto bound = std::min<std::chrono::milliseconds>(std::chrono::milliseconds(use.timeoutMs), m_timings.writeWait);
    const Clock::time_point deadline = Clock::now() + bound;
    const std::uint32_t moved = Transfer(use.fd, use.wakeFd, POLLOUT, deadline, length, [&](std::uint32_t done) {
        return ::write(use.fd, buffer + done, length - done);
    });
    if (moved == length) {
        count = length;
        return true;
    }
    Trace("Failed in call to WriteFile... Probable Write Timeout\n");
    return false;
}

void SerialLine::SetTimeouts(std::uint32_t milliseconds)
{
    std::lock_guard lock(m_mutex);
    m_timeoutMs = milliseconds;
}

void SerialLine::SetModemLine(int fd, int line, bool on)
{
    // A device without modem lines refuses; the request is recorded anyway.
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
    std::lock_guard lock(m_mutex);
    if (line == TIOCM_RTS)
        m_lines.rts = on;
    else
        m_lines.dtr = on;
}

void SerialLine::SetLines()
{
    Use use(*this);
    if (!use)
        return;
    SetModemLine(use.fd, TIOCM_RTS, true);
    SetModemLine(use.fd, TIOCM_DTR, true);
    std::this_thread::sleep_for(kRtsLeadMs);
    SetModemLine(use.fd, TIOCM_RTS, false);
    std::this_thread::sleep_for(kRtsLowMs);
    SetModemLine(use.fd, TIOCM_RTS, true);
    std::this_thread::sleep_for(kRtsTailMs);
    ::tcflush(use.fd, TCIOFLUSH);
}

void SerialLine::Purge()
{
    Use use(*this);
    if (use)
        ::tcflush(use.fd, TCIOFLUSH);
}

bool SerialLine::IsOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

std::string SerialLine::GetDevicePath() const
{
    std::lock_guard lock(m_mutex);
    return m_devicePath;
}

std::string SerialLine::GetSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

std::uint32_t SerialLine::GetTimeout() const
{
    std::lock_guard lock(m_mutex);
    return m_timeoutMs;
}

LineState SerialLine::GetLineState() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

}  // namespace obdvane
