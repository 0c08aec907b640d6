#include "obd/Command.h"

#include "obd/AbstractPort.h"
#include "obd/AbstractVehicle.h"
#include "obd/ScantoolException.h"
#include "obd/Trace.h"

#include <algorithm>
#include <chrono>

namespace obdvane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kHandshakeReads = 3;

int MillisecondsSince(Clock::time_point start)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void TraceBytes(const std::uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        Trace("%c", bytes[i]);
}

}  // namespace

std::recursive_mutex& CommandLock()
{
    static std::recursive_mutex lock;
    return lock;
}

Command::Command(CommandTimeouts timeouts)
    : m_timeouts(timeouts)
{
}

Command::~Command() = default;

void Command::Prepare()
{
    if (AbstractPort* port = m_reply.GetPort())
        port->SetTimeouts(m_timeouts.replyMs);
    m_frame = std::make_unique<CmdBuilder>(GetMnemonic(), m_data);
}

void Command::Execute()
{
    Trace("### Command::Execute <- %s.\n", GetName().c_str());
    std::lock_guard lock(CommandLock());
    Prepare();
    m_replyValid = false;

    Trace("### Command::Execute::write <- ");
    Clock::time_point started = Clock::now();
    std::uint32_t written = 0;
    if (AbstractPort* port = m_reply.GetPort(); port && m_frame)
        port->Write(m_frame->GetBuffer(), m_frame->GetLength(), written);
    Trace("%d", MillisecondsSince(started));
    Trace(" msec");
    Trace("  -> ");
    if (written == 0) {
        Trace("----\n");
        throw SerialException(GetName() + " write error");
    }
    TraceBytes(m_frame->GetBuffer(), static_cast<int>(m_frame->GetLength()));
    Trace("|\n");

    started = Clock::now();
    Receive(m_attempts);
    Trace("### Command::Execute::read  -> ");
    Trace("%d", MillisecondsSince(started));
    Trace(" msec");
    Trace("  -> ");
    if (m_reply.GetRawCount() == 0) {
        Trace("----\n");
    } else {
        TraceBytes(m_reply.GetRaw(), m_reply.GetRawCount());
        Trace("%s", m_reply.IsNak() ? "|NAK\n" : "|\n");
    }

    m_replyValid = CheckReply();
    // The vehicle sees every exchange, a failed one too.
    if (AbstractVehicle* vehicle = m_reply.GetVehicle()) {
        vehicle->OnExchange(MakeExchangeFrame(m_frame->GetBuffer(), m_frame->GetLength()),
                            MakeExchangeFrame(m_reply.GetRaw(), static_cast<std::size_t>(m_reply.GetRawCount())));
    }
    if (!m_replyValid)
        throw CommandException(GetName() + " read error: " + m_reply.Describe(GetMnemonic()));
    AfterReply();
}

void Command::AfterReply()
{
}

std::string Command::GetMnemonic() const
{
    return {};
}

std::string Command::GetName() const
{
    return {};
}

void Command::DetectAdapter()
{
    AbstractPort* port = m_reply.GetPort();
    if (port) {
        port->SetTimeouts(m_timeouts.replyMs);
        port->SetLines();
    }
    for (int attempt = 0; attempt < kHandshakeReads; ++attempt) {
        std::uint8_t byte = 0;
        if (!ReadByte(byte))
            continue;
        if (byte == kAdapterPresent) {
            std::uint32_t written = 0;
            port->Write(&kAdapterAcknowledge, 1, written);
            if (written == 0)
                throw SerialException(GetName() + " write error");
            return;
        }
        if (byte == kAdapterOldFirmware)
            throw FirmwareException(GetName() + " 'carvix' firmware detected.");
    }
    throw CommandException(GetName() + " 'tessilon' not detected");
}

bool Command::ReadByte(std::uint8_t& byte)
{
    byte = 0;
    std::uint32_t count = 0;
    if (AbstractPort* port = m_reply.GetPort())
        port->Read(&byte, 1, count);
    if (count == 0)
        byte = 0;
    return count != 0;
}

bool Command::IsReplyOfType(std::initializer_list<std::string_view> types) const
{
    if (!m_reply.IsComplete() || m_reply.IsNak())
        return false;
    const std::string type = m_reply.GetType();
    return std::find(types.begin(), types.end(), type) != types.end();
}

}  // namespace obdvane
