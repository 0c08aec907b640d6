#pragma once

#include "obd/MonitorStatusReply.h"
#include "obd/ScantoolException.h"
#include "obd/SpCommand.h"

namespace obdvane {

// Service 01 PID 01: the monitor status of every ECU.
class RtCommand : public SpCommand {
public:
    explicit RtCommand(CommandTimeouts timeouts = {})
        : SpCommand(1, 1, "", timeouts)
    {
    }
    ~RtCommand() override = default;

    // An answer for another PID fails the exchange, as for the value
    // requests.
    void AfterReply() override
    {
        SpCommand::AfterReply();
        if (m_status.AnswersAnotherPid())
            throw CommandException(GetName() + " reply for another PID");
    }
    std::string GetName() const override { return "RtCommand"; }
    const MonitorStatusReply& GetStatusReply() const { return m_status; }

protected:
    ReplyContent* GetSecondContent() override { return &m_status; }

private:
    MonitorStatusReply m_status;
};

}  // namespace obdvane
