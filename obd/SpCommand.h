#pragma once

#include "obd/Command.h"
#include "obd/ObdReply.h"

namespace obdvane {

// "SP": an OBD request, its data the service and the PID as two
// hexadecimal digits each (a service or PID of -1 is left out), then the
// extra text. The reply's ECU answers go into an ObdReply; commands that
// decode further hand its text to a second content.
class SpCommand : public Command {
public:
    SpCommand(int service, int pid, const std::string& extra, CommandTimeouts timeouts = {});
    ~SpCommand() override = default;

    bool CheckReply() override { return IsReplyOfType({"SP"}); }
    void AfterReply() override;
    std::string GetMnemonic() const override { return "SP"; }
    std::string GetName() const override { return "SpCommand"; }

    const ObdReply& GetObdReply() const { return m_obd; }

protected:
    // The content that decodes the answers further; none here.
    virtual ReplyContent* GetSecondContent() { return nullptr; }

private:
    ObdReply m_obd;
};

}  // namespace obdvane
