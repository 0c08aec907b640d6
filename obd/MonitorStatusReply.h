#pragma once

#include "obd/ObdReply.h"

namespace obdvane {

// An "SP" reply to service 01 PID 01: per ECU the lamp, the number of
// stored trouble codes and the twelve readiness tests.
class MonitorStatusReply : public ObdReply {
public:
    MonitorStatusReply();
    ~MonitorStatusReply() override = default;

    void Parse(std::string text) override;

    std::size_t GetStatusCount() const { return m_statuses.size(); }
    // A copy of status `index`; a new record past the end.
    STATUS_RECORD GetRecordAt(std::size_t index) const;
    // The last parse met an ECU answer for another PID than 01; that
    // answer gave no status.
    bool AnswersAnotherPid() const { return m_otherPid; }

private:
    void DecodeStatus();

    std::vector<STATUS_RECORD> m_statuses;
    bool m_otherPid = false;
};

}  // namespace obdvane
