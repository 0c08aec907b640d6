#pragma once

#include "tools/common/CToolLine.h"
#include "tools/common/CToolPortList.h"
#include "tools/common/CToolWorker.h"
#include "tools/common/IToolSink.h"
#include "tools/common/LoaderImage.h"

#include <array>
#include <atomic>
#include <chrono>
#include <string>

namespace vexar::tools {

// The read time-outs and attempts of kd02flash's exchanges; the defaults are
// the tool's own, tests shorten the long waits and lengthen the short reads.
struct Kd02Timing {
    double applicationTimeout = 0.05;  // s, query and reset
    int applicationAttempts = 5;
    double connectTimeout = 0.05;
    int connectAttempts = 100;
    double eraseTimeout = 10.0;
    double resultTimeout = 1.0;  // ERASE_RESULT and WRITE_VERIFY
    double writeTimeout = 2.0;   // set before the frames that have no reply
    int attempts = 5;            // ERASE, ERASE_RESULT, WRITE, STOPDOWNLOAD, WRITE_VERIFY, DISCONNECT
    std::chrono::milliseconds idle{100};
};

// The seven pauses between the steps ("WAIT" of the settings file), in ms.
enum Kd02Wait { W_CONNECT_ERASE, W_ERASE_RESULT, W_RESULT_WRITE, W_WRITE, W_WRITE_STOP, W_STOP_VERIFY, W_VERIFY_DISCONNECT };
inline constexpr std::array<long, 7> kKd02DefaultWaits{10, 10, 200, 200, 500, 500, 500};

// Status codes of kd02flash's lines.
enum Kd02Status {
    ST_CONNECTED = 1, ST_NOT_CONNECTED, ST_ERASING, ST_ERASE_ERROR, ST_DOWNLOADING, ST_DOWNLOAD_OK, ST_DOWNLOAD_ERROR,
    ST_DISCONNECTED, ST_APP_CONNECTED, ST_APP_NOT_CONNECTED, ST_APP_RESET, ST_APP_NOT_RESET, ST_OPEN_ERROR
};
// The line of a status code; `port` for codes 2 and 10, `value` (the
// system's error number) for 13.
std::u16string Kd02StatusLine(int code, int port, long value);

// What kd02flash's worker does, and the state it shares with the dialog:
// the image, the line and its port list, the pauses, the run state. The
// dialog changes them only while no run is active.
class CKd02Programmer {
public:
    // Worker states.
    enum State { IDLE = 0, CONNECT = 1, ERASE = 3, ERASE_RESULT = 4, WRITE = 5, STOP_DOWNLOAD = 6, VERIFY = 7,
                 DISCONNECT = 10, QUERY_APPLICATION = 11, RESET_APPLICATION = 12 };
    enum class StartResult { Started, NotStarted, NoPort };

    explicit CKd02Programmer(IToolSink& sink, Kd02Timing timing = {});
    ~CKd02Programmer();

    LOADER_IMAGE& Image() { return m_image; }
    CToolLine& Line() { return m_line; }
    CToolPortList& PortList() { return m_ports; }
    std::array<long, 7>& Waits() { return m_waits; }

    // Starts the worker (idle) when none runs.
    void StartThread();
    // Ends the worker at once, whatever step it is in, then closes the port.
    void StopThread();
    bool HasThread() const { return m_worker.IsRunning(); }

    // Start in the idle look: closes the port; with an image loaded and the
    // ports scanned, opens the configured port (or the next that opens) and
    // starts the run. `title` is told the port about to be opened.
    StartResult StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report);
    // Stop in the running look: the worker ends its step at once and idles.
    void AbortRun();
    bool IsRunning() const { return m_running; }
    int CurrentState() const { return m_state; }

private:
    void ProgramThread(CToolWorker& worker);
    void Step(CToolWorker& worker);
    void EndRun();
    bool Pause(long ms);

    void QueryApplication();
    void ResetApplication();
    void Connect();
    void Erase();
    void EraseResult();
    void WriteBlock();
    void StopDownload();
    void Verify();
    void Disconnect();

    // One exchange with the ECU application; true when accepted.
    bool ApplicationExchange(const std::vector<std::uint8_t>& frame, std::uint8_t command);
    // Sends a boot frame up to `attempts` times; with a reply length, reads
    // the reply (`reply` gets the last one) until `accepted` takes it.
    template <class Accept>
    bool BootExchange(const std::vector<std::uint8_t>& frame, std::size_t replyLength, double timeout, int attempts,
                      std::vector<std::uint8_t>& reply, Accept accepted);
    bool BootSend(const std::vector<std::uint8_t>& frame);

    IToolSink& m_sink;
    Kd02Timing m_timing;
    LOADER_IMAGE m_image;
    CToolLine m_line{2048};
    CToolPortList m_ports;
    std::array<long, 7> m_waits = kKd02DefaultWaits;
    CToolWorker m_worker;
    CToolWorker* m_self = nullptr;  // the worker, seen from its own thread

    std::atomic<int> m_state{IDLE};
    std::atomic<bool> m_running{false};
    std::uint32_t m_address = 0;
    long m_progress = 0;
    int m_failures = 0;

    // The port advance seen from the worker: status line 13 for a port that
    // does not open.
    class AdvanceReport;
};

}  // namespace vexar::tools
