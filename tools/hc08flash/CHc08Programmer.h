#pragma once

#include "tools/common/CToolLine.h"
#include "tools/common/CToolPortList.h"
#include "tools/common/CToolWorker.h"
#include "tools/common/IToolSink.h"
#include "tools/common/LoaderImage.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vexar::tools {

// hc08flash's read time-outs and attempts; the defaults are the tool's own.
struct Hc08Timing {
    double openTimeout = 1.0;      // s, after the open at Start
    double exchangeTimeout = 1.0;  // every boot-loader exchange, and after the greeting wait
    int exchangeAttempts = 3;
    double greetingTimeout = 5.0;
    std::chrono::milliseconds pass{10};  // the idle worker's pause
};

// hc08flash's worker (ProgramThread) and the run state it shares with the
// dialog. The worker lives from the dialog's start to its end and works
// only while a run is active and the port is open.
class CHc08Programmer {
public:
    enum State { ATTEMPT = 0, GREETING = 1, ERASE = 2, WRITE = 3, VECTORS = 4, CHECK = 5, END = 6, INFO = 7 };
    enum class StartResult { Started, NotStarted, NoPort };
    using Clock = std::function<std::tm()>;

    explicit CHc08Programmer(IToolSink& sink, Hc08Timing timing = {}, Clock clock = {});
    ~CHc08Programmer();

    LOADER_IMAGE& Image() { return m_image; }
    CToolLine& Line() { return m_line; }
    CToolPortList& PortList() { return m_ports; }

    // The worker for the dialog's life.
    void StartThread();
    // Exit: ends any run at once and joins the worker.
    void StopThread();
    bool HasThread() const { return m_worker.IsRunning(); }

    // Start: scans the ports, opens one (advancing past those that do not
    // open) and starts a run. NoPort when none opened.
    StartResult StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report);
    // Stop: the worker ends the step it is in without a word, closes the
    // port itself and reports RunEnded; returns once it has.
    void StopRun();
    bool IsRunning() const { return m_run; }
    int CurrentState() const { return m_state; }

private:
    void ProgramThread(CToolWorker& worker);
    void Step();
    void Attempt();
    void Greeting();
    void Information();
    void Erase();
    void WriteBlock();
    void Vectors();
    void Check();
    void End();

    bool WaitForGreeting();
    bool ApplicationRequest();
    // 0 on an accepted reply (copied to `reply` when given), -1 otherwise.
    int Exchange(std::uint8_t command, bool withSequence, const std::vector<std::uint8_t>& payload,
                 int replyLength = 7, std::vector<std::uint8_t>* reply = nullptr);
    void Status(std::u16string line) { m_sink.StatusText(std::move(line)); }
    // The dialog purges the port while the worker may close it: the two
    // never overlap, so a purge never reaches a port being closed.
    void PurgePort();
    void ClosePort();
    void OkBox(const std::u16string& text);
    void BoardError();

    IToolSink& m_sink;
    Hc08Timing m_timing;
    Clock m_clock;
    LOADER_IMAGE m_image;
    CToolLine m_line{2048};
    CToolPortList m_ports;
    CToolWorker m_worker;
    std::mutex m_portLock;

    std::atomic<int> m_state{ATTEMPT};
    std::atomic<bool> m_run{false};
    std::uint8_t m_sequence = 0;
    std::uint32_t m_address = 0;
    bool m_greetingTimedOut = false;  // in this attempt
};

}  // namespace vexar::tools
