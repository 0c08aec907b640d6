#include "tools/st7flash/CSt7Programmer.h"

#include "link/SerialPort.h"
#include "tools/common/ComputeCrc16.h"
#include "tools/st7flash/St7Texts.h"

#include <algorithm>

namespace vexar::tools {

using st7::Format;
using st7::Text;

namespace st7 {

std::vector<std::uint8_t> ResetFrame()
{
    std::vector<std::uint8_t> frame{0x04, 0x08};
    const std::uint16_t crc = ComputeCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
    return frame;
}

std::vector<std::uint8_t> BootFrame(std::uint8_t command, std::uint8_t sequence, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(payload.size() + 4), command, sequence};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint8_t sum = 0;
    for (const std::uint8_t b : frame)
        sum = static_cast<std::uint8_t>(sum + b);
    frame.push_back(sum);
    return frame;
}

std::uint16_t TimeWord(const std::tm& time)
{
    return static_cast<std::uint16_t>(time.tm_hour * 2048 + time.tm_min * 32 + time.tm_sec / 2);
}

std::uint16_t DateWord(const std::tm& time)
{
    const int year = time.tm_year + 1900;
    return static_cast<std::uint16_t>((((year - 2000) % 128 + 128) % 128) * 512 + (time.tm_mon + 1) * 32 + time.tm_mday);
}

}  // namespace st7

namespace {

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void PushWord(std::vector<std::uint8_t>& bytes, unsigned value)
{
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

std::u16string Widen(const std::uint8_t* bytes, int count)
{
    std::u16string text;
    for (int i = 0; i < count; ++i)
        text.push_back(bytes[i]);
    return text;
}

class AdvanceReport : public IPortAdvanceReport {
public:
    AdvanceReport(IToolSink& sink, ToolLanguage language) : m_sink(sink), m_language(language) {}
    void PortChosen(int port) override { m_sink.PortChosen(port); }
    void OpenFailed(int port, int error) override
    {
        m_sink.StatusText(Format(Text::OpenErrorAdvance, m_language, port, error));
    }

private:
    IToolSink& m_sink;
    ToolLanguage m_language;
};

}  // namespace

CSt7Programmer::CSt7Programmer(IToolSink& sink, St7Timing timing, Clock clock)
    : m_sink(sink), m_timing(timing), m_clock(clock ? std::move(clock) : Clock(LocalNow))
{
    m_image.Reset(0x10000, 0xFFFF);
}

CSt7Programmer::~CSt7Programmer()
{
    StopThread();
}

void CSt7Programmer::StartThread()
{
    m_worker.StartThread([this](CToolWorker& worker) { ProgramThread(worker); });
}

void CSt7Programmer::StopThread()
{
    m_worker.StopThread([this] { m_line.Purge(); });
    m_line.Close();
    m_state = IDLE;
    m_startRequest = false;
}

CSt7Programmer::StartResult CSt7Programmer::StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report)
{
    // The idle worker may be reading the port's text lines: it leaves that
    // read, and keeps off the port until the run is set up.
    m_hold = true;
    struct Release {
        CSt7Programmer& self;
        ~Release()
        {
            self.m_hold = false;
            self.m_worker.Notify();
        }
    } release{*this};
    m_worker.Abort([this] { m_line.Purge(); });
    m_line.Close();
    if (!m_image.loaded || !m_ports.CheckPortList(m_line, prompts))
        return StartResult::NotStarted;
    report.PortChosen(m_line.Port());
    int systemError = 0;
    if (m_line.Open(systemError) != link::PORT_OK) {
        m_sink.StatusText(Format(Text::OpenErrorStart, m_language, m_line.Port(), systemError));
        m_ports.CountTry();
        if (!m_ports.SwitchToNextPort(m_line, m_lockCom, report))
            return StartResult::NoPort;
    }
    link::PortFlushIn(m_line.OpenPort());
    link::PortSetTimeout(m_line.OpenPort(), m_timing.idleLineTimeout);
    m_sequence = 0;
    m_address = static_cast<std::uint16_t>(m_image.start & ~0x3Fu);
    m_progress = 0;
    m_state = IDLE;
    m_startRequest = true;
    m_worker.Notify();
    return StartResult::Started;
}

void CSt7Programmer::ProgramThread(CToolWorker& worker)
{
    while (!worker.QuitRequested()) {
        Step();
        if (worker.AbortRequested()) {
            m_state = IDLE;
            worker.EndAbort();
            continue;
        }
        worker.Pause(m_timing.pass);
    }
}

void CSt7Programmer::Step()
{
    switch (m_state) {
    case IDLE:
        return Idle();
    case RESET:
        return Reset();
    case GREETING:
        return Greeting();
    case ERASE:
        return Erase();
    case WRITE:
        return WriteBlock();
    case VECTORS:
        return Vectors();
    case CHECK:
        return Check();
    case END:
        return End();
    default:
        m_state = IDLE;
    }
}

void CSt7Programmer::Idle()
{
    if (m_hold)
        return;
    if (m_line.IsOpen()) {
        // Between runs the ECU's own text (a debug line) is shown as it comes.
        std::uint8_t line[100];
        const int n = link::PortReadUntil(m_line.OpenPort(), line, sizeof line, '\n');
        if (n > 0 && !m_worker.Interrupted())
            Status(Widen(line, n));
    }
    if (m_startRequest && !m_worker.Interrupted()) {
        m_ports.CountTry();
        m_resetCount = 0;
        m_state = RESET;
    }
}

int CSt7Programmer::ApplicationReset()
{
    const int port = m_line.OpenPort();
    const std::vector<std::uint8_t> frame = st7::ResetFrame();
    for (int attempt = 0; attempt < m_timing.resetAttempts && !m_worker.Interrupted(); ++attempt) {
        link::PortFlushIn(port);
        link::PortWrite(port, frame.data(), static_cast<int>(frame.size()));
        link::PortSetTimeout(port, m_timing.resetTimeout);
        std::uint8_t reply[5] = {};
        if (link::PortRead(port, reply, 5) != 5 || reply[1] != 0x08)
            continue;
        const std::uint16_t crc = ComputeCrc16(reply, 3);
        if (reply[3] != (crc >> 8) || reply[4] != (crc & 0xFF))
            continue;
        return reply[2] == 0x06 ? 0 : -2;
    }
    return -1;
}

int CSt7Programmer::BootExchange(std::uint8_t command, const std::vector<std::uint8_t>& payload, double timeout,
                                 int attempts)
{
    const int port = m_line.OpenPort();
    const std::vector<std::uint8_t> frame = st7::BootFrame(command, m_sequence, payload);
    for (int attempt = 0; attempt < attempts && !m_worker.Interrupted(); ++attempt) {
        link::PortFlushIn(port);
        link::PortWrite(port, frame.data(), static_cast<int>(frame.size()));
        link::PortSetTimeout(port, timeout);
        std::uint8_t reply[5] = {};
        if (link::PortRead(port, reply, 5) != 5)
            continue;
        const std::uint8_t sum = static_cast<std::uint8_t>(reply[0] + reply[1] + reply[2] + reply[3]);
        if (reply[1] != command || reply[4] != sum)
            continue;
        return reply[3] == 0x06 && reply[2] == m_sequence ? 0 : -2;
    }
    return -1;
}

int CSt7Programmer::OkBox(const std::u16string& text)
{
    return m_worker.Ask(
        [this, text](std::function<void(int)> answer) { m_sink.ShowBox(text, BoxButtons::Ok, std::move(answer)); },
        IDOK);
}

void CSt7Programmer::Reset()
{
    Status(Format(Text::TryReset, m_language, m_line.Port()));
    m_powerPromptShown = false;
    const int result = ApplicationReset();
    if (m_worker.Interrupted())
        return;
    if (result == 0) {
        m_state = GREETING;
        return;
    }
    ++m_resetCount;
    m_state = m_resetCount > 1 ? ERASE : GREETING;
}

bool CSt7Programmer::WaitForGreeting()
{
    static const char kGreeting[] = " Waiting for code download";
    const int port = m_line.OpenPort();
    link::PortFlushIn(port);
    link::PortSetTimeout(port, m_timing.greetingTimeout);
    for (;;) {
        std::uint8_t line[100];
        const auto begin = std::chrono::steady_clock::now();
        const int n = link::PortReadUntil(port, line, sizeof line, '\n');
        const bool ok = link::PortLastError() == link::PORT_OK;
        if (m_worker.Interrupted())
            return false;
        if (n <= 0 && !ok) {
            // Nothing came. A read that gave up well before its time-out
            // failed (the adapter was removed): say why, and stop waiting
            // instead of asking again and again.
            const auto waited = std::chrono::steady_clock::now() - begin;
            if (waited < std::chrono::duration<double>(m_timing.greetingTimeout * 0.5)) {
                char16_t text[200];
                link::PortErrorText(link::PORT_SYSTEM_ERROR, text, 200);
                Status(text);
            }
            return false;
        }
        Status(Widen(line, n));
        if (n >= 26 && std::equal(kGreeting, kGreeting + 26, line))
            return true;
    }
}

void CSt7Programmer::Greeting()
{
    Status(Format(Text::WaitingBoot, m_language, m_line.Port()));
    const bool found = WaitForGreeting();
    if (m_worker.Interrupted())
        return;
    if (found) {
        m_state = ERASE;
        return;
    }
    if (m_resetCount <= 1) {
        m_state = RESET;
        return;
    }
    Status(Format(Text::AbortiveAttempt, m_language, m_line.Port()));
    AdvanceReport report(m_sink, m_language);
    if (m_ports.SwitchToNextPort(m_line, m_lockCom, report)) {
        link::PortSetTimeout(m_line.OpenPort(), m_timing.idleLineTimeout);
        m_state = IDLE;
    } else {
        m_startRequest = false;
        m_state = END;
    }
}

void CSt7Programmer::Erase()
{
    Status(Format(Text::TryErase, m_language, m_line.Port()));
    const std::tm now = m_clock();
    std::vector<std::uint8_t> payload;
    PushWord(payload, st7::TimeWord(now));
    PushWord(payload, st7::DateWord(now));
    PushWord(payload, m_image.start);
    PushWord(payload, m_image.stop);
    PushWord(payload, m_image.resetVector);
    const int result = BootExchange(st7::CMD_ERASE, payload, m_timing.eraseTimeout, m_timing.eraseAttempts);
    if (m_worker.Interrupted())
        return;
    if (result == 0) {
        ++m_sequence;
        m_state = WRITE;
        return;
    }
    if (m_powerPromptShown) {
        OkBox(Format(Text::ErrorErasing, m_language));
        m_state = END;
        return;
    }
    m_powerPromptShown = true;
    OkBox(Format(Text::PressOkSwitchOn, m_language));
    if (!m_worker.Interrupted())
        m_state = GREETING;
}

void CSt7Programmer::WriteBlock()
{
    const std::vector<std::uint8_t> block(m_image.buffer.begin() + m_address, m_image.buffer.begin() + m_address + 64);
    if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; })) {
        m_address = static_cast<std::uint16_t>(m_address + 64);
    } else {
        std::vector<std::uint8_t> payload;
        PushWord(payload, m_address);
        payload.push_back(64);
        payload.insert(payload.end(), block.begin(), block.end());
        const int result = BootExchange(st7::CMD_WRITE, payload, m_timing.writeTimeout, m_timing.writeAttempts);
        if (m_worker.Interrupted())
            return;
        if (result != 0) {
            OkBox(Format(Text::ErrorProgramming, m_language));
            m_state = END;
            return;
        }
        m_address = static_cast<std::uint16_t>(m_address + 64);
        m_progress = static_cast<std::uint16_t>(m_progress + 64);
        ++m_sequence;
    }
    if (m_address > m_image.stop)
        m_state = VECTORS;
    m_progress = static_cast<std::uint16_t>(std::min<long>(m_progress, long(m_image.stop) - long(m_image.start)));
    m_sink.Progress(m_progress, m_address);
}

void CSt7Programmer::Vectors()
{
    std::vector<std::uint8_t> payload;
    for (std::uint32_t at = 0xFFE0; at <= 0xFFFF; at += 2)
        payload.insert(payload.end(), {0xCC, m_image.buffer[at], m_image.buffer[at + 1]});
    const int result = BootExchange(st7::CMD_VECTORS, payload, m_timing.vectorsTimeout, m_timing.vectorsAttempts);
    if (m_worker.Interrupted())
        return;
    if (result == 0) {
        m_state = CHECK;
        return;
    }
    OkBox(Format(Text::ErrorVector, m_language));
    m_state = END;
}

void CSt7Programmer::Check()
{
    std::vector<std::uint8_t> payload;
    PushWord(payload, m_image.checksum);
    const int result = BootExchange(st7::CMD_CHECK, payload, m_timing.checkTimeout, m_timing.checkAttempts);
    if (m_worker.Interrupted())
        return;
    if (result == 0) {
        m_sink.Succeeded();
        Status(Format(Text::DownloadCompleted, m_language));
    } else {
        OkBox(Format(Text::ErrorCheck, m_language));
    }
    m_state = END;
}

void CSt7Programmer::End()
{
    m_startRequest = false;
    m_sink.RunEnded();
    if (m_line.IsOpen())
        link::PortSetTimeout(m_line.OpenPort(), m_timing.idleLineTimeout);
    m_state = IDLE;
}

}  // namespace vexar::tools
