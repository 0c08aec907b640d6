#pragma once

#include "obd/MonitorStatusReply.h"
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

    std::string GetName() const override { return "RtCommand"; }
    const MonitorStatusReply& GetStatusReply() const { return m_status; }

protected:
    ReplyContent* GetSecondContent() override { return &m_status; }

private:
    MonitorStatusReply m_status;
};

}  // namespace obdvane
