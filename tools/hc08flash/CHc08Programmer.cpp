#include "tools/hc08flash/CHc08Programmer.h"

#include "link/SerialPort.h"
#include "tools/hc08flash/Hc08Frames.h"

#include <algorithm>

namespace vexar::tools {

using hc08::Sprintf;

namespace {

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::u16string Widen(const std::uint8_t* bytes, int count)
{
    std::u16string text;
    for (int i = 0; i < count; ++i)
        text.push_back(bytes[i]);
    return text;
}

// hc08flash says nothing of a port it could not open while advancing.
class QuietAdvance : public IPortAdvanceReport {
public:
    explicit QuietAdvance(IToolSink& sink) : m_sink(sink) {}
    void PortChosen(int port) override { m_sink.PortChosen(port); }
    void OpenFailed(int, int) override {}

private:
    IToolSink& m_sink;
};

}  // namespace

CHc08Programmer::CHc08Programmer(IToolSink& sink, Hc08Timing timing, Clock clock)
    : m_sink(sink), m_timing(timing), m_clock(clock ? std::move(clock) : Clock(LocalNow))
{
    m_image.Reset(0x10000, 0xFFFF);
}

CHc08Programmer::~CHc08Programmer()
{
    StopThread();
}

void CHc08Programmer::StartThread()
{
    m_worker.StartThread([this](CToolWorker& worker) { ProgramThread(worker); });
}

void CHc08Programmer::PurgePort()
{
    std::lock_guard lock(m_portLock);
    m_line.Purge();
}

void CHc08Programmer::ClosePort()
{
    std::lock_guard lock(m_portLock);
    m_line.Close();
}

void CHc08Programmer::StopThread()
{
    m_run = false;
    m_worker.StopThread([this] { PurgePort(); });
    m_line.Close();
    m_state = ATTEMPT;
}

CHc08Programmer::StartResult CHc08Programmer::StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report)
{
    if (m_run || !m_image.loaded || !m_ports.CheckPortList(m_line, prompts))
        return StartResult::NotStarted;
    report.PortChosen(m_line.Port());
    int systemError = 0;
    if (m_line.Open(systemError) == link::PORT_OK) {
        link::PortSetTimeout(m_line.OpenPort(), m_timing.openTimeout);
        link::PortFlushIn(m_line.OpenPort());
    } else {
        Status(u"Error open serial port!");
        m_ports.CountTry();
        if (!m_ports.SwitchToNextPort(m_line, false, report))
            return StartResult::NoPort;
    }
    m_sequence = 0;
    m_address = m_image.start & ~0x3Fu;
    m_state = ATTEMPT;
    m_run = true;
    m_worker.Notify();
    return StartResult::Started;
}

void CHc08Programmer::StopRun()
{
    if (!m_worker.IsRunning())
        return;
    // The worker may be inside an exchange on the port: it is told to end
    // the step and the port is purged until it has, so that no read or
    // write outlives the Stop; the worker then closes the port itself.
    m_run = false;
    m_worker.Abort([this] { PurgePort(); });
}

void CHc08Programmer::ProgramThread(CToolWorker& worker)
{
    while (!worker.QuitRequested()) {
        if (worker.AbortRequested()) {
            m_run = false;
            ClosePort();
            m_state = ATTEMPT;
            m_sink.RunEnded();
            worker.EndAbort();
            continue;
        }
        if (m_run && m_line.IsOpen()) {
            Step();
            continue;
        }
        m_state = ATTEMPT;
        worker.Pause(m_timing.pass, [this] { return m_run.load(); });
    }
}

void CHc08Programmer::Step()
{
    switch (m_state) {
    case ATTEMPT:
        return Attempt();
    case GREETING:
        return Greeting();
    case INFO:
        return Information();
    case ERASE:
        return Erase();
    case WRITE:
        return WriteBlock();
    case VECTORS:
        return Vectors();
    case CHECK:
        return Check();
    default:
        return End();
    }
}

void CHc08Programmer::OkBox(const std::u16string& text)
{
    m_worker.Ask(
        [this, text](std::function<void(int)> answer) { m_sink.ShowBox(text, BoxButtons::Ok, std::move(answer)); },
        IDOK);
}

void CHc08Programmer::BoardError()
{
    if (m_worker.Interrupted())
        return;
    OkBox(u"Receive error from board");
    m_state = END;
}

bool CHc08Programmer::ApplicationRequest()
{
    // Read with the port's current time-out (1 s after the open at Start,
    // 0.2 s after a port advance, 1 s after a greeting wait).
    const int port = m_line.OpenPort();
    const std::vector<std::uint8_t> request = hc08::ApplicationRequest();
    link::PortFlushIn(port);
    link::PortWrite(port, request.data(), static_cast<int>(request.size()));
    std::uint8_t reply[4] = {};
    const int n = link::PortRead(port, reply, 4);
    return hc08::ApplicationAnswerAccepted(reply, n);
}

int CHc08Programmer::Exchange(std::uint8_t command, bool withSequence, const std::vector<std::uint8_t>& payload,
                              int replyLength, std::vector<std::uint8_t>* reply)
{
    const int port = m_line.OpenPort();
    const std::vector<std::uint8_t> request =
        hc08::BootRequest(command, withSequence ? std::optional<std::uint8_t>(m_sequence) : std::nullopt, payload);
    std::vector<std::uint8_t> answer(static_cast<std::size_t>(replyLength));
    for (int attempt = 0; attempt < m_timing.exchangeAttempts && !m_worker.Interrupted(); ++attempt) {
        link::PortFlushIn(port);
        link::PortWrite(port, request.data(), static_cast<int>(request.size()));
        link::PortSetTimeout(port, m_timing.exchangeTimeout);
        const int n = link::PortRead(port, answer.data(), replyLength);
        if (m_worker.Interrupted())
            break;
        if (hc08::ReplyAccepted(request, answer.data(), n, replyLength)) {
            if (reply)
                *reply = answer;
            return 0;
        }
    }
    return -1;
}

void CHc08Programmer::Attempt()
{
    m_ports.CountTry();
    m_greetingTimedOut = false;
    bool answered = ApplicationRequest();
    if (!answered && !m_worker.Interrupted())
        answered = Exchange(hc08::CMD_PING, false, {}) == 0;
    if (m_worker.Interrupted())
        return;
    if (!answered)
        OkBox(u"Press the OK button and switch on the board");
    if (!m_worker.Interrupted())
        m_state = GREETING;
}

bool CHc08Programmer::WaitForGreeting()
{
    static const char kGreeting[] = " Waiting for code download";
    const int port = m_line.OpenPort();
    link::PortFlushIn(port);
    link::PortSetTimeout(port, m_timing.greetingTimeout);
    for (;;) {
        std::uint8_t line[100];
        const auto begin = std::chrono::steady_clock::now();
        const int n = link::PortReadUntil(port, line, sizeof line, '\n');
        if (m_worker.Interrupted())
            return false;
        if (n <= 0) {
            // Nothing came. A read that gave up well before its time-out
            // failed (a removed adapter): say why and stop waiting; it then
            // counts as a time-out.
            const auto waited = std::chrono::steady_clock::now() - begin;
            if (n < 0 || waited < std::chrono::duration<double>(m_timing.greetingTimeout * 0.5)) {
                char16_t text[200];
                link::PortErrorText(n < 0 ? n : link::PORT_SYSTEM_ERROR, text, 200);
                Status(text);
            }
            return false;
        }
        Status(Widen(line, n));
        if (n >= 26 && std::equal(kGreeting, kGreeting + 26, line))
            return true;
    }
}

void CHc08Programmer::Greeting()
{
    const bool found = WaitForGreeting();
    if (m_worker.Interrupted())
        return;
    if (m_line.IsOpen())
        link::PortSetTimeout(m_line.OpenPort(), m_timing.exchangeTimeout);
    if (found) {
        m_state = INFO;
        return;
    }
    OkBox(u"Elapsed timeout for downloading software");
    if (m_worker.Interrupted())
        return;
    m_greetingTimedOut = true;
    Status(Sprintf(" COM%d not connected ", m_line.Port()));
    m_state = END;
}

void CHc08Programmer::Information()
{
    std::vector<std::uint8_t> reply;
    if (Exchange(hc08::CMD_INFO, false, {}, hc08::kInfoReplyLength, &reply) == 0) {
        for (std::u16string& line : hc08::TargetInfoLines(hc08::ReadTargetInfo(reply.data())))
            Status(std::move(line));
    }
    if (m_worker.Interrupted())
        return;
    ++m_sequence;
    m_state = ERASE;
}

void CHc08Programmer::Erase()
{
    if (Exchange(hc08::CMD_ERASE, true, hc08::ErasePayload(m_clock(), m_image)) == 0) {
        ++m_sequence;
        m_state = WRITE;
        return;
    }
    BoardError();
}

void CHc08Programmer::WriteBlock()
{
    const auto first = m_image.buffer.begin() + m_address;
    if (!std::all_of(first, first + 64, [](std::uint8_t b) { return b == 0xFF; })) {
        std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(m_address >> 8), static_cast<std::uint8_t>(m_address),
                                          64};
        payload.insert(payload.end(), first, first + 64);
        if (Exchange(hc08::CMD_WRITE, true, payload) != 0)
            return BoardError();
    }
    // Skipped blocks count too: the boot loader numbers blocks, not frames.
    ++m_sequence;
    m_address += 64;
    m_sink.Progress(long(m_address) - long(m_image.start), long(m_address));
    if (m_address > m_image.stop)
        m_state = VECTORS;
}

void CHc08Programmer::Vectors()
{
    if (Exchange(hc08::CMD_VECTORS, true, hc08::VectorPayload(m_image)) == 0) {
        m_state = CHECK;
        return;
    }
    BoardError();
}

void CHc08Programmer::Check()
{
    const std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(m_image.checksum >> 8),
                                            static_cast<std::uint8_t>(m_image.checksum)};
    if (Exchange(hc08::CMD_CHECK, true, payload) != 0)
        return BoardError();
    m_sink.Succeeded();
    Status(u" Download completed successfully");
    m_state = END;
}

void CHc08Programmer::End()
{
    if (m_greetingTimedOut) {
        QuietAdvance report(m_sink);
        bool advanced = false;
        {
            std::lock_guard lock(m_portLock);
            advanced = m_ports.SwitchToNextPort(m_line, false, report);
        }
        if (advanced) {
            m_state = ATTEMPT;
            return;
        }
    }
    m_run = false;
    if (m_line.IsOpen())
        link::PortSetTimeout(m_line.OpenPort(), m_timing.exchangeTimeout);
    ClosePort();
    m_state = ATTEMPT;
    m_sink.RunEnded();
}

}  // namespace vexar::tools
