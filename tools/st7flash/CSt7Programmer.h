#pragma once

#include "tools/common/CToolLine.h"
#include "tools/common/CToolPortList.h"
#include "tools/common/CToolWorker.h"
#include "tools/common/IToolSink.h"
#include "tools/common/LoaderImage.h"
#include "tools/common/LoaderTexts.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace vexar::tools {

// The read time-outs and attempts of st7flash's exchanges; the defaults are
// the tool's own.
struct St7Timing {
    double resetTimeout = 0.02;  // s
    int resetAttempts = 2;
    double greetingTimeout = 3.0;
    double idleLineTimeout = 0.2;
    double eraseTimeout = 20.0;
    int eraseAttempts = 2;
    double writeTimeout = 0.5;
    int writeAttempts = 5;
    double vectorsTimeout = 0.3;
    int vectorsAttempts = 5;
    double checkTimeout = 1.0;
    int checkAttempts = 5;
    std::chrono::milliseconds pass{10};  // the pause after every pass of the loop
};

// st7flash's frames: the ECU application's reset and the boot loader's
// commands with their 8-bit sum and sequence number.
namespace st7 {
inline constexpr std::uint8_t CMD_ERASE = 0x40;
inline constexpr std::uint8_t CMD_WRITE = 0x41;
inline constexpr std::uint8_t CMD_VECTORS = 0x42;
inline constexpr std::uint8_t CMD_CHECK = 0x43;
std::vector<std::uint8_t> ResetFrame();
// Length, command, sequence, payload, sum.
std::vector<std::uint8_t> BootFrame(std::uint8_t command, std::uint8_t sequence, const std::vector<std::uint8_t>& payload);
// The words ERASE carries for a local time.
std::uint16_t TimeWord(const std::tm& time);
std::uint16_t DateWord(const std::tm& time);
}  // namespace st7

// What st7flash's worker does, and the state it shares with the dialog.
class CSt7Programmer {
public:
    enum State { IDLE = 0, GREETING = 1, ERASE = 2, WRITE = 3, VECTORS = 4, CHECK = 5, END = 6, RESET = 7 };
    enum class StartResult { Started, NotStarted, NoPort };
    using Clock = std::function<std::tm()>;

    explicit CSt7Programmer(IToolSink& sink, St7Timing timing = {}, Clock clock = {});
    ~CSt7Programmer();

    LOADER_IMAGE& Image() { return m_image; }
    CToolLine& Line() { return m_line; }
    CToolPortList& PortList() { return m_ports; }
    void SetLanguage(ToolLanguage language) { m_language = language; }
    ToolLanguage Language() const { return m_language; }
    void SetLockCom(bool lock) { m_lockCom = lock; }
    bool LockCom() const { return m_lockCom; }

    void StartThread();
    // Ends the worker at once, whatever step it is in, then closes the port.
    void StopThread();
    bool HasThread() const { return m_worker.IsRunning(); }

    StartResult StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report);
    bool IsRunning() const { return m_startRequest; }
    int CurrentState() const { return m_state; }

private:
    void ProgramThread(CToolWorker& worker);
    void Step();
    void Idle();
    void Reset();
    void Greeting();
    void Erase();
    void WriteBlock();
    void Vectors();
    void Check();
    void End();

    bool WaitForGreeting();
    // 0 accepted, -2 refused, -1 no valid answer.
    int ApplicationReset();
    int BootExchange(std::uint8_t command, const std::vector<std::uint8_t>& payload, double timeout, int attempts);
    void Status(std::u16string line) { m_sink.StatusText(std::move(line)); }
    int OkBox(const std::u16string& text);

    IToolSink& m_sink;
    St7Timing m_timing;
    Clock m_clock;
    LOADER_IMAGE m_image;
    CToolLine m_line{512};
    CToolPortList m_ports;
    CToolWorker m_worker;
    std::atomic<ToolLanguage> m_language{ToolLanguage::English};
    std::atomic<bool> m_lockCom{false};

    std::atomic<int> m_state{IDLE};
    std::atomic<bool> m_startRequest{false};
    std::atomic<bool> m_hold{false};  // the dialog is setting up a run: the worker keeps off the port
    std::uint8_t m_sequence = 0;
    std::uint16_t m_address = 0;
    std::uint16_t m_progress = 0;
    int m_resetCount = 0;
    bool m_powerPromptShown = false;
};

}  // namespace vexar::tools
