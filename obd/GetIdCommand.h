#pragma once

#include "obd/Command.h"
#include "obd/IdentificationReply.h"

namespace obdvane {

// "ID": the adapter's identification; it answers only in scan-tool mode.
class GetIdCommand : public Command {
public:
    using Command::Command;
    ~GetIdCommand() override = default;

    bool CheckReply() override { return IsReplyOfType({"ID"}); }
    void AfterReply() override { m_content.Parse(m_reply.GetData()); }
    std::string GetMnemonic() const override { return "ID"; }
    std::string GetName() const override { return "GetIdCommand"; }

    const IdentificationReply& GetContent() const { return m_content; }

private:
    IdentificationReply m_content;
};

}  // namespace obdvane
