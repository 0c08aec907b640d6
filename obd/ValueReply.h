#pragma once

#include "obd/ObdReply.h"

namespace obdvane {

// An "SP" reply to a service 01 PID decoded by the PID table: one result
// per value of the PID, each with the value of every answering ECU.
//
// A reply serves one parse after one load of definitions: the parse
// appends to the results that the load made.
class ValueReply : public ObdReply {
public:
    ValueReply() = default;
    ValueReply(int service, int pid, unsigned scaling1, unsigned scaling2);
    ~ValueReply() override = default;

    void Parse(std::string text) override;
    // Empties the results, records the request and makes one empty result
    // per value the table gives; false, with no results, when it gives none.
    virtual bool LoadDefinitions(int service, int pid, unsigned scaling1, unsigned scaling2);

    // An ECU answered with another PID than the one requested; that
    // answer gave no values.
    bool AnswersAnotherPid() const { return m_otherPid; }

    std::size_t GetResultCount() const { return m_results.size(); }
    // A copy of result `index`; a new result past the end.
    ValueResult GetResult(std::size_t index) const;

private:
    void DecodeValues();

    std::vector<ValueResult> m_results;
    bool m_otherPid = false;
};

}  // namespace obdvane
