#pragma once

#include "obd/ScantoolException.h"
#include "obd/SpCommand.h"
#include "obd/ValueReply.h"

namespace obdvane {

// A service 01 PID whose values the PID table decodes, with the ECU's own
// scalings where the PID has them.
class ValueCommand : public SpCommand {
public:
    ValueCommand(int service, int pid, const std::string& extra, unsigned scaling1, unsigned scaling2,
                 CommandTimeouts timeouts = {})
        : SpCommand(service, pid, extra, timeouts), m_values(service, pid, scaling1, scaling2)
    {
    }
    ~ValueCommand() override = default;

    // An answer for another PID than the one asked is no answer to this
    // request: the exchange fails, as one the vehicle record refuses.
    void AfterReply() override
    {
        SpCommand::AfterReply();
        if (m_values.AnswersAnotherPid())
            throw CommandException(GetName() + " reply for another PID");
    }
    std::string GetName() const override { return "ValueCommand"; }
    const ValueReply& GetValueReply() const { return m_values; }

protected:
    ReplyContent* GetSecondContent() override { return &m_values; }

private:
    ValueReply m_values;
};

}  // namespace obdvane
