#pragma once

// One serial line to the scan adapter, on a tty found through the COM-port
// map (platform/ComPortResolver): a name such as "COM3" opens the device
// the map gives for number 3.
//
// The line runs raw (no echo, no character mapping, no flow control),
// exclusive (a flock on the device besides TIOCEXCL, which root ignores)
// and close-on-exec. Every read and write waits until all its bytes moved
// or its total time-out passed, with poll(); a write waits at most the
// write wait of LineTimings.
//
// Threads: one thread at a time reads, writes and pulses. Close may come
// from any thread: it ends a wait in progress (which then fails as if timed
// out), waits until every operation using the line has left, and only then
// closes the descriptor.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace obdvane {

// The fixed waits of the line. Tests shorten them; the defaults are the
// adapter's.
struct LineTimings {
    std::chrono::milliseconds openSettle{1500};   // after every open, before the first use
    std::chrono::milliseconds closeSettle{500};   // after every close
    std::chrono::milliseconds writeWait{1500};    // the longest a write waits, whatever the time-out
};

// The modem-control lines as last requested. A device without them (a
// pseudo-terminal) refuses the requests, which are recorded all the same.
struct LineState {
    bool rts = false;
    bool dtr = false;
};

class SerialLine {
public:
    static constexpr std::uint32_t kInitialTimeoutMs = 1500;
    static constexpr const char* kDefaultSettings = "9600,n,8,1";

    explicit SerialLine(LineTimings timings = {});
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens the port with the settings text "baud,parity,data bits,stop
    // bits" ("9600,n,8,1" when empty). False when the line is already open
    // (the open line is untouched), the name is no COM port, the device is
    // missing or held by another, or the settings are refused.
    bool Open(const std::string& portName, const std::string& settings);
    void Close();

    // True only when all `length` bytes moved; `count` is then set, and left
    // as the caller set it otherwise.
    bool Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& count);
    bool Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& count);

    // The read time-out (and the driver's write time-out); kept while the
    // line is closed for the next open.
    void SetTimeouts(std::uint32_t milliseconds);
    // RTS low for 100 ms with DTR high, both high afterwards, then a purge:
    // anything received before the end of the pulse is discarded.
    void SetLines();
    // Discards everything received and not yet sent.
    void Purge();

    bool IsOpen() const;
    std::string GetDevicePath() const;  // the device of the last open
    std::string GetSettings() const;    // the settings text of the last open
    std::uint32_t GetTimeout() const;
    LineState GetLineState() const;

private:
    class Use;

    void SetModemLine(int fd, int line, bool on);

    const LineTimings m_timings;
    std::mutex m_lifecycle;  // one open or close at a time
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_fd = -1;
    int m_wakeFd = -1;  // eventfd that ends a wait when the line closes
    int m_users = 0;    // operations using the descriptor now
    bool m_open = false;
    std::string m_devicePath;
    std::string m_settings;
    std::uint32_t m_timeoutMs = kInitialTimeoutMs;
    LineState m_lines;
};

}  // namespace obdvane
