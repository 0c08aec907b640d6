#include "tools/kd02flash/CKd02Programmer.h"

#include "link/SerialPort.h"
#include "tools/kd02flash/Kd02Frames.h"

#include <algorithm>
#include <cstdio>

namespace vexar::tools {

using namespace kd02;

namespace {

std::u16string Widen(const char* text)
{
    std::u16string wide;
    for (; *text; ++text)
        wide.push_back(static_cast<unsigned char>(*text));
    return wide;
}

}  // namespace

std::u16string Kd02StatusLine(int code, int port, long value)
{
    static const char* const kLines[] = {"ECU Connected", "ECU Not Connected COM%d", "Erasing...", "Erasing Error",
                                         "Downloading...", "Download Successfully", "Download Error", "Disconnected",
                                         "APP ECU Connected", "APP ECU Not Connected COM%d", "APP ECU resetted",
                                         "APP ECU Not resetted", "Error to open COM%ld: %ld"};
    if (code < 1 || code > 13)
        return {};
    char line[96];
    if (code == ST_OPEN_ERROR)
        std::snprintf(line, sizeof line, kLines[code - 1], static_cast<long>(port), value);
    else
        std::snprintf(line, sizeof line, kLines[code - 1], port);
    return Widen(line);
}

class CKd02Programmer::AdvanceReport : public IPortAdvanceReport {
public:
    explicit AdvanceReport(IToolSink& sink) : m_sink(sink) {}
    void PortChosen(int port) override { m_sink.PortChosen(port); }
    void OpenFailed(int port, int systemError) override { m_sink.StatusCode(ST_OPEN_ERROR, port, systemError); }

private:
    IToolSink& m_sink;
};

CKd02Programmer::CKd02Programmer(IToolSink& sink, Kd02Timing timing) : m_sink(sink), m_timing(timing)
{
    m_image.Reset(0x3FFFC, 0xFFFFFF);
}

CKd02Programmer::~CKd02Programmer()
{
    StopThread();
}

void CKd02Programmer::StartThread()
{
    m_worker.StartThread([this](CToolWorker& worker) { ProgramThread(worker); });
}

void CKd02Programmer::StopThread()
{
    m_worker.StopThread([this] { m_line.Purge(); });
    m_line.Close();
    m_state = IDLE;
    m_running = false;
}

CKd02Programmer::StartResult CKd02Programmer::StartRun(IPortScanPrompts& prompts, IPortAdvanceReport& report)
{
    m_line.Close();
    if (!m_image.loaded || !m_ports.CheckPortList(m_line, prompts))
        return StartResult::NotStarted;
    report.PortChosen(m_line.Port());
    int systemError = 0;
    if (m_line.Open(systemError) != link::PORT_OK) {
        report.OpenFailed(m_line.Port(), systemError);
        m_ports.CountTry();
        if (!m_ports.SwitchToNextPort(m_line, false, report))
            return StartResult::NoPort;
    }
    link::PortFlushIn(m_line.OpenPort());
    link::PortSetTimeout(m_line.OpenPort(), 0.2);
    m_address = m_image.start;
    m_progress = 0;
    m_failures = 0;
    m_running = true;
    m_state = QUERY_APPLICATION;
    m_worker.Notify();
    return StartResult::Started;
}

void CKd02Programmer::AbortRun()
{
    m_worker.Abort([this] { m_line.Purge(); });
    m_state = IDLE;
    m_running = false;
}

void CKd02Programmer::ProgramThread(CToolWorker& worker)
{
    m_self = &worker;
    while (!worker.QuitRequested()) {
        Step(worker);
        if (worker.AbortRequested()) {
            // The step was cut short or ran its course: either way the run
            // is over, silently, and the dialog learns that the worker idles.
            m_state = IDLE;
            m_running = false;
            worker.EndAbort();
        }
    }
}

void CKd02Programmer::Step(CToolWorker& worker)
{
    switch (m_state) {
    case IDLE:
        worker.Pause(m_timing.idle, [this] { return m_state != IDLE; });
        return;
    case QUERY_APPLICATION:
        return QueryApplication();
    case RESET_APPLICATION:
        return ResetApplication();
    case CONNECT:
        return Connect();
    case ERASE:
        return Erase();
    case ERASE_RESULT:
        return EraseResult();
    case WRITE:
        return WriteBlock();
    case STOP_DOWNLOAD:
        return StopDownload();
    case VERIFY:
        return Verify();
    case DISCONNECT:
        return Disconnect();
    default:
        m_state = IDLE;
    }
}

void CKd02Programmer::EndRun()
{
    m_state = IDLE;
    m_running = false;
    m_sink.RunEnded();
}

bool CKd02Programmer::Pause(long ms)
{
    return m_self->Pause(std::chrono::milliseconds(std::max(0L, ms)));
}

bool CKd02Programmer::ApplicationExchange(const std::vector<std::uint8_t>& frame, std::uint8_t command)
{
    const int port = m_line.OpenPort();
    for (int attempt = 0; attempt < m_timing.applicationAttempts && !m_self->Interrupted(); ++attempt) {
        link::PortFlushIn(port);
        link::PortWrite(port, frame.data(), static_cast<int>(frame.size()));
        link::PortSetTimeout(port, m_timing.applicationTimeout);
        std::uint8_t reply[6] = {};
        const int n = link::PortRead(port, reply, 6);
        if (n == 6 && ApplicationReplyAccepted(reply, command))
            return true;
    }
    return false;
}

template <class Accept>
bool CKd02Programmer::BootExchange(const std::vector<std::uint8_t>& frame, std::size_t replyLength, double timeout,
                                   int attempts, std::vector<std::uint8_t>& reply, Accept accepted)
{
    const int port = m_line.OpenPort();
    for (int attempt = 0; attempt < attempts && !m_self->Interrupted(); ++attempt) {
        link::PortFlushIn(port);
        const int written = link::PortWrite(port, frame.data(), static_cast<int>(frame.size()));
        link::PortSetTimeout(port, timeout);
        if (replyLength == 0) {
            if (written == static_cast<int>(frame.size()))
                return true;
            continue;
        }
        reply.assign(replyLength, 0);
        const int n = link::PortRead(port, reply.data(), static_cast<int>(replyLength));
        if (n == static_cast<int>(replyLength) && accepted(reply))
            return true;
    }
    return false;
}

bool CKd02Programmer::BootSend(const std::vector<std::uint8_t>& frame)
{
    std::vector<std::uint8_t> none;
    return BootExchange(frame, 0, m_timing.writeTimeout, m_timing.attempts, none, [](const auto&) { return true; });
}

void CKd02Programmer::QueryApplication()
{
    m_ports.CountTry();
    link::PortSetBaud(m_line.OpenPort(), 9600);
    const bool answered = ApplicationExchange(ApplicationQueryFrame(), 0x09);
    if (m_self->Interrupted())
        return;
    if (answered) {
        m_sink.StatusCode(ST_APP_CONNECTED, m_line.Port(), 0);
        m_state = RESET_APPLICATION;
        return;
    }
    m_sink.StatusCode(ST_APP_NOT_CONNECTED, m_line.Port(), 0);
    link::PortSetBaud(m_line.OpenPort(), m_line.Baud());
    m_state = CONNECT;
}

void CKd02Programmer::ResetApplication()
{
    const bool reset = ApplicationExchange(ApplicationResetFrame(), 0x08);
    link::PortSetBaud(m_line.OpenPort(), m_line.Baud());
    if (m_self->Interrupted())
        return;
    m_sink.StatusCode(reset ? ST_APP_RESET : ST_APP_NOT_RESET, m_line.Port(), 0);
    m_state = CONNECT;
}

void CKd02Programmer::Connect()
{
    static const std::uint8_t kPattern[] = {0xAA, 0x55, 0xAA, 0x55};
    std::vector<std::uint8_t> reply;
    const bool connected = BootExchange(BootFrame(CMD_CONNECT, kPattern), 11, m_timing.connectTimeout,
                                        m_timing.connectAttempts, reply,
                                        [](const std::vector<std::uint8_t>& r) { return ConnectReplyAccepted(r); });
    if (m_self->Interrupted())
        return;
    if (connected) {
        m_sink.StatusCode(ST_CONNECTED, m_line.Port(), 0);
        m_state = ERASE;
        Pause(m_waits[W_CONNECT_ERASE]);
        return;
    }
    m_sink.StatusCode(ST_NOT_CONNECTED, m_line.Port(), 0);
    m_state = QUERY_APPLICATION;
    AdvanceReport report(m_sink);
    if (!m_ports.SwitchToNextPort(m_line, false, report))
        EndRun();
}

void CKd02Programmer::Erase()
{
    m_sink.StatusCode(ST_ERASING, m_line.Port(), 0);
    const std::uint32_t length = Kd02ProgrammedRange(m_image).Length();
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    std::vector<std::uint8_t> reply;
    const bool accepted = BootExchange(BootFrame(CMD_ERASE, payload), 7, m_timing.eraseTimeout, m_timing.attempts,
                                       reply, [](const auto& r) { return BootReplyAccepted(r, CMD_ERASE); });
    if (m_self->Interrupted())
        return;
    if (accepted) {
        m_state = ERASE_RESULT;
        Pause(m_waits[W_ERASE_RESULT]);
        return;
    }
    m_sink.StatusCode(ST_ERASE_ERROR, m_line.Port(), 0);
    EndRun();
}

void CKd02Programmer::EraseResult()
{
    std::vector<std::uint8_t> reply;
    const bool erased = BootExchange(BootFrame(CMD_ERASE_RESULT, {}), 8, m_timing.resultTimeout, m_timing.attempts,
                                     reply, [](const auto& r) { return BootReplyAccepted(r, CMD_ERASE_RESULT); }) &&
                        reply[5] == 0x01;
    if (m_self->Interrupted())
        return;
    if (!erased) {
        m_sink.StatusCode(ST_ERASE_ERROR, m_line.Port(), 0);
        EndRun();
        return;
    }
    m_sink.StatusCode(ST_DOWNLOADING, m_line.Port(), 0);
    m_failures = 0;
    m_address = Kd02ProgrammedRange(m_image).first;
    m_state = WRITE;
    Pause(m_waits[W_RESULT_WRITE]);
}

void CKd02Programmer::WriteBlock()
{
    // Every block is sent, 0xFF ones too: WRITE carries no address, so a
    // block left out would move every later byte.
    const std::uint32_t stop = Kd02ProgrammedRange(m_image).last;
    const std::uint32_t count = std::min<std::uint32_t>(stop - m_address + 1, kMostWriteBytes);
    std::vector<std::uint8_t> data(count, 0xFF);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_address + i < m_image.buffer.size())
            data[i] = m_image.buffer[m_address + i];
    }
    if (BootSend(BootFrame(CMD_WRITE, data))) {
        m_address += count;
        m_progress += static_cast<long>(count);
    } else if (!m_self->Interrupted()) {
        ++m_failures;
    }
    if (m_self->Interrupted())
        return;
    if (m_address > stop) {
        m_failures = 0;
        m_state = STOP_DOWNLOAD;
        if (!Pause(m_waits[W_WRITE_STOP]))
            return;
    }
    const long range = static_cast<long>(m_image.stop) - static_cast<long>(m_image.start);
    m_progress = std::min(m_progress, std::max(range, 0L));
    m_sink.Progress(m_progress, static_cast<long>(std::min(m_address, stop)));
    if (m_failures > 5) {
        const int answer = m_self->Ask(
            [this](std::function<void(int)> reply) {
                m_sink.ShowBox(u"Receive error from board", BoxButtons::RetryCancel, std::move(reply));
            },
            IDCANCEL);
        if (m_self->Interrupted())
            return;
        if (answer == IDRETRY) {
            m_failures = 0;
        } else {
            m_state = STOP_DOWNLOAD;
            if (!Pause(m_waits[W_WRITE_STOP]))
                return;
        }
    }
    Pause(m_waits[W_WRITE]);
}

void CKd02Programmer::StopDownload()
{
    const std::uint16_t checksum = Kd02ProgramChecksum(m_image);
    const std::uint8_t payload[] = {static_cast<std::uint8_t>(checksum), static_cast<std::uint8_t>(checksum >> 8)};
    const bool sent = BootSend(BootFrame(CMD_STOPDOWNLOAD, payload));
    if (m_self->Interrupted())
        return;
    if (!sent) {
        m_sink.StatusCode(ST_DOWNLOAD_ERROR, m_line.Port(), 0);
        EndRun();
        return;
    }
    m_state = VERIFY;
    Pause(m_waits[W_STOP_VERIFY]);
}

void CKd02Programmer::Verify()
{
    std::vector<std::uint8_t> reply;
    const bool verified = BootExchange(BootFrame(CMD_WRITE_VERIFY, {}), 8, m_timing.resultTimeout, m_timing.attempts,
                                       reply, [](const auto& r) { return BootReplyAccepted(r, CMD_WRITE_VERIFY); }) &&
                          reply[5] == 0x01;
    if (m_self->Interrupted())
        return;
    if (!verified) {
        m_sink.StatusCode(ST_DOWNLOAD_ERROR, m_line.Port(), 0);
        EndRun();
        return;
    }
    m_sink.StatusCode(ST_DOWNLOAD_OK, m_line.Port(), 0);
    m_state = DISCONNECT;
    Pause(m_waits[W_VERIFY_DISCONNECT]);
}

void CKd02Programmer::Disconnect()
{
    m_sink.StatusCode(ST_DISCONNECTED, m_line.Port(), 0);
    BootSend(BootFrame(CMD_DISCONNECT, {}));
    if (m_self->Interrupted())
        return;
    EndRun();
}

}  // namespace vexar::tools
