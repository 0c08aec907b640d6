#pragma once

#include "obd/ObdRecords.h"
#include "obd/ReplyContent.h"

#include <vector>

namespace obdvane {

// An "SP" reply: one answer per ECU, separated by ETB, each the ECU's
// address, the response service and its data in hexadecimal; "AA7FSSCC"
// for a refusal; "-" when no ECU had data.
class ObdReply : public ReplyContent {
public:
    static constexpr int kNoPid = -1;

    ObdReply() = default;
    ObdReply(int service, int pid);
    ~ObdReply() override = default;

    // Splits the text into records. An answer that breaks off ends the
    // parse: the answers before it stay, it and those after it are lost.
    void Parse(std::string text) override;
    std::string GetText() const override { return m_text; }
    virtual bool SetRequest(int service, int pid);
    virtual std::string GetData() const { return m_text; }

    // The adapter answered "-": no ECU had data.
    bool IsNoData() const { return m_noData; }
    int GetService() const { return m_service; }
    int GetPid() const { return m_pid; }
    std::size_t GetRecordCount() const { return m_records.size(); }
    // A copy of record `index`; a new record (negative, code 0) past the end.
    OBD_RECORD GetRecord(std::size_t index) const;

protected:
    bool m_noData = false;
    std::vector<OBD_RECORD> m_records;
    int m_service = 0;
    int m_pid = 0;
};

}  // namespace obdvane
