#include "obd/LogCommand.h"

#include "obd/FrameParser.h"
#include "obd/ObdText.h"
#include "obd/ScantoolException.h"

#include <array>
#include <string>
#include <utility>

namespace obdvane {

namespace {

int KindOfType(const std::string& type)
{
    static constexpr std::array<std::pair<const char*, int>, 6> kKinds = {{{"ID", LogCommand::kId},
                                                                          {"EC", LogCommand::kEc},
                                                                          {"SP", LogCommand::kSp},
                                                                          {"UP", LogCommand::kUp},
                                                                          {"EZ", LogCommand::kEz},
                                                                          {"RP", LogCommand::kRp}}};
    for (const auto& [name, kind] : kKinds) {
        if (type == name)
            return kind;
    }
    return LogCommand::kNone;
}

}  // namespace

void LogCommand::Reset()
{
    m_kind = kNone;
    m_service = 0;
    m_pid = 0;
}

bool LogCommand::Check(const EXCHANGE_FRAME& sent, const EXCHANGE_FRAME& received)
{
    return ClassifySent(sent) && ParseReceived(received) && Matches();
}

bool LogCommand::ClassifySent(const EXCHANGE_FRAME& sent)
{
    FrameParser parser;
    if (!parser.Parse(sent))
        return false;
    m_sent = sent;
    m_kind = KindOfType(parser.GetReply().GetType());
    if (m_kind == kNone || m_kind == kUp)
        return false;
    if (m_kind == kSp)
        return ReadServiceAndPid(parser.GetReply().GetData());
    return true;
}

bool LogCommand::ReadServiceAndPid(const std::string& data)
{
    if (data.size() < 2)
        return false;
    const std::uint32_t service = HexToInt(std::string_view(data).substr(0, 2));
    m_service = static_cast<std::uint8_t>(service);
    if (ServiceHasPid(static_cast<int>(service))) {
        if (data.size() < 4)
            return false;
        m_pid = static_cast<std::uint8_t>(HexToInt(std::string_view(data).substr(2, 2)));
    }
    return true;
}

bool LogCommand::ParseReceived(const EXCHANGE_FRAME& received)
{
    FrameParser parser;
    if (!parser.Parse(received))
        return false;
    m_received = received;
    return true;
}

bool LogCommand::Matches() const
{
    FrameParser sent;
    FrameParser received;
    return sent.Parse(m_sent) && received.Parse(m_received) &&
           sent.GetReply().GetType() == received.GetReply().GetType();
}

void LogCommand::RequireMatch() const
{
    if (!Matches())
        throw LogCommandException("Response not valid.");
}

int LogCommand::GetKind() const
{
    RequireMatch();
    return m_kind;
}

std::uint8_t LogCommand::GetService() const
{
    RequireMatch();
    return m_service;
}

std::uint8_t LogCommand::GetPid() const
{
    RequireMatch();
    return m_pid;
}

}  // namespace obdvane
