#pragma once

#include "obd/Command.h"
#include "obd/NumericReply.h"

namespace obdvane {

// "EC": the connect. The adapter is woken and must announce itself; it
// then has the long time-out to find the car's protocol, whose number is
// the reply's data. "EZ" and "RP" replies count as well.
class EcCommand : public Command {
public:
    using Command::Command;
    ~EcCommand() override = default;

    void Prepare() override;
    bool CheckReply() override { return IsReplyOfType({"EC", "EZ", "RP"}); }
    void AfterReply() override { m_content.Parse(m_reply.GetData()); }
    std::string GetMnemonic() const override { return "EC"; }
    std::string GetName() const override { return "EcCommand"; }

    // The protocol number the adapter reported.
    int GetProtocol() const { return m_content.GetValue(); }

private:
    NumericReply m_content;
};

}  // namespace obdvane
