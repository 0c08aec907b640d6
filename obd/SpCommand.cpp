#include "obd/SpCommand.h"

#include <cstdio>

namespace obdvane {

namespace {

std::string TwoHexDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

SpCommand::SpCommand(int service, int pid, const std::string& extra, CommandTimeouts timeouts)
    : Command(timeouts), m_obd(service, pid)
{
    if (service != ObdReply::kNoPid)
        m_data += TwoHexDigits(service);
    if (pid != ObdReply::kNoPid)
        m_data += TwoHexDigits(pid);
    m_data += extra;
}

void SpCommand::AfterReply()
{
    m_obd.Parse(m_reply.GetData());
    if (ReplyContent* second = GetSecondContent())
        second->Parse(m_obd.GetText());
}

}  // namespace obdvane
