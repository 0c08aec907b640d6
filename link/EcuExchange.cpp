#include "link/EcuExchange.h"

#include "common/Text.h"
#include "link/SerialPort.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <thread>
#include <vector>

namespace vexar::link::detail {

namespace {

constexpr std::size_t kMaxTraceChars = 999;
constexpr std::size_t kBridgeBuffer = 512;
constexpr double kBitsPerByte = 10.0;  // start bit, eight data bits, stop bit

// The read time-out of one transaction: the configured wait plus the time
// the request and the reply need on the line.
double ReadTimeout(const Exchange& x, std::size_t bytesOnLine)
{
    double seconds = x.timing.readTimeoutSeconds;
    if (x.baud > 0)
        seconds += static_cast<double>(bytesOnLine) * kBitsPerByte / static_cast<double>(x.baud);
    return seconds;
}

// Where the bytes of one attempt go and come from.
class AttemptLine {
public:
    AttemptLine(const Exchange& x, RemoteLine* remote) : m_x(x), m_remote(remote) {}

    void Send(std::span<const std::uint8_t> request)
    {
        if (m_remote) {
            std::vector<std::uint8_t> relayed(kRelayPrefix.begin(), kRelayPrefix.end());
            relayed.insert(relayed.end(), request.begin(), request.end());
            m_remote->DropPending();
            m_remote->Send(relayed);
            TraceFrame(m_x.host, false, true, relayed);
            return;
        }
        if (m_x.source) {
            m_x.source->Send(request);
        } else {
            PortFlushIn(m_x.port);
            PortFlushOut(m_x.port);
            PortWrite(m_x.port, request.data(), static_cast<int>(request.size()));
        }
        TraceFrame(m_x.host, false, false, request);
    }

    // Reads what the attempt waits for into `into` (whose size is the count
    // expected); the number of bytes that arrived, or RES_REMOTE_GONE.
    int Receive(std::span<std::uint8_t> into)
    {
        if (m_remote)
            return ReceiveFromBridge(into);
        if (into.empty())
            return 0;
        const int count = static_cast<int>(into.size());
        const int got = std::clamp(m_x.source ? m_x.source->Receive(into) : PortRead(m_x.port, into.data(), count),
                                   0, count);
        if (got > 0)
            TraceFrame(m_x.host, true, false, into.first(static_cast<std::size_t>(got)));
        return got;
    }

private:
    int ReceiveFromBridge(std::span<std::uint8_t> into)
    {
        // One receive, into room for more than expected: the close notice
        // must be seen even when a shorter reply is awaited.
        std::array<std::uint8_t, kBridgeBuffer> buffer{};
        const int got = m_remote->Receive(buffer, into.size());
        // A bridge that is closed or reset will not answer any attempt.
        if (got < 0)
            return RES_REMOTE_GONE;
        if (got == 0)
            return 0;
        const auto arrived = std::span<const std::uint8_t>(buffer).first(std::min<std::size_t>(got, buffer.size()));
        TraceFrame(m_x.host, true, true, arrived);
        if (arrived.size() >= kCloseNotice.size() && std::equal(kCloseNotice.begin(), kCloseNotice.end(), arrived.begin()))
            return RES_REMOTE_GONE;
        std::copy_n(arrived.begin(), std::min(arrived.size(), into.size()), into.begin());
        return static_cast<int>(arrived.size());
    }

    const Exchange& m_x;
    RemoteLine* m_remote;
};

constexpr std::u16string_view kResultTexts[] = {
    u"",
    u"Errore nel calcolo del CRC ricevuto.",
    u"Errore nella ricezione dell'ECO al comando inviato.",
    u"Errore nella ricezione dell'ECO Index.",
    u"Expire Time Out nella comunicazione.",
    u"Errore nella ricezione dell'ACK.",
};

}  // namespace

void SealFrame(const EcuCrc16& crc, std::span<std::uint8_t> frame)
{
    if (frame.size() < 2)
        return;
    const std::uint16_t value = crc.Compute(frame.first(frame.size() - 2));
    frame[frame.size() - 2] = static_cast<std::uint8_t>(value & 0xFF);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(value >> 8);
}

bool CrcMatches(const EcuCrc16& crc, std::span<const std::uint8_t> frame)
{
    if (frame.size() < 2)
        return false;
    const std::uint16_t value = crc.Compute(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (value & 0xFF) && frame[frame.size() - 1] == (value >> 8);
}

int RunTransaction(const Exchange& x, std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                   bool checkCommand, RemoteLine* remote)
{
    AttemptLine line(x, remote);
    // The K-line echo is a property of the local interface; through the
    // bridge the slave reads it on its own line and relays only the reply.
    const bool readEcho = !remote && x.host && x.host->KLine();
    const bool canBeReply = reply.size() >= x.commandAt + 3;  // command code and CRC
    if (!remote && !x.source)
        PortSetTimeout(x.port, ReadTimeout(x, request.size() + reply.size()));

    std::vector<std::uint8_t> echo(request.size());
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        line.Send(request);
        // The echo is judged afresh at every attempt: one garbled echo
        // costs that attempt only.
        bool echoOk = true;
        if (readEcho) {
            const int got = line.Receive(echo);
            echoOk = got == static_cast<int>(echo.size()) && std::equal(echo.begin(), echo.end(), request.begin());
        }
        if (echoOk) {
            const int got = line.Receive(reply);
            if (got == RES_REMOTE_GONE)
                return RES_REMOTE_GONE;
            if (canBeReply && got == static_cast<int>(reply.size()) &&
                (!checkCommand || reply[x.commandAt] == request[x.commandAt]))
                return CrcMatches(*x.crc, reply) ? RES_OK : RES_BAD_CRC;
        }
        std::this_thread::sleep_for(x.timing.retryPause);
    }
    return RES_TIMEOUT;
}

std::u16string FormatTraceLine(std::chrono::system_clock::time_point when, bool received, bool overBridge,
                               std::span<const std::uint8_t> bytes)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    const long milliseconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000);
    const std::u16string time = Format(u"%ld:%ld:%ld:%ld", local.tm_hour, local.tm_min, local.tm_sec, milliseconds);

    const char16_t* head = received ? (overBridge ? u"%s RX-ET(%ldB): " : u"%s RX-SL(%ldB): ")
                                    : (overBridge ? u"%s TX-ET(%ldB): " : u"%s TX-SL(%ldB): ");
    std::u16string line = Format(head, time, static_cast<long>(bytes.size()));
    for (const std::uint8_t byte : bytes) {
        if (line.size() >= kMaxTraceChars)
            break;
        line += Format(u"%02X ", byte);
    }
    if (line.size() > kMaxTraceChars)
        line.resize(kMaxTraceChars);
    return line;
}

void TraceFrame(ProtocolHost* host, bool received, bool overBridge, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || !host || !host->Tracing())
        return;
    host->PostTraceLine(FormatTraceLine(std::chrono::system_clock::now(), received, overBridge, bytes));
}

std::u16string_view ResultText(int result)
{
    if (result < 0 && result >= RES_NO_ACK)
        return kResultTexts[-result];
    if (result == RES_BAD_RANGE)
        return u"Intervallo di indirizzi fuori dall'area di memoria.";
    if (result == RES_REMOTE_GONE)
        return u"Slave remoto disconnesso.";
    return {};
}

}  // namespace vexar::link::detail
