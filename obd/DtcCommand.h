#pragma once

#include "obd/DtcReply.h"
#include "obd/SpCommand.h"

namespace obdvane {

// Service 03: the stored trouble codes, whose layout depends on the
// protocol of the connection.
class DtcCommand : public SpCommand {
public:
    explicit DtcCommand(int protocol, CommandTimeouts timeouts = {})
        : SpCommand(3, ObdReply::kNoPid, "", timeouts), m_dtcs(protocol)
    {
    }
    ~DtcCommand() override = default;

    std::string GetName() const override { return "DtcCommand"; }
    const DtcReply& GetDtcReply() const { return m_dtcs; }

protected:
    ReplyContent* GetSecondContent() override { return &m_dtcs; }

private:
    DtcReply m_dtcs;
};

}  // namespace obdvane
