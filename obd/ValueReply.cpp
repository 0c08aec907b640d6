#include "obd/ValueReply.h"

#include "obd/ObdText.h"
#include "obd/PidTable.h"

#include <cstdint>
#include <limits>
#include <utility>

namespace obdvane {

namespace {

VALUE_RECORD ValueOf(const OBD_RECORD& record, double value)
{
    VALUE_RECORD result = RecordOf<VALUE_RECORD>(record);
    result.value = value;
    return result;
}

}  // namespace

ValueReply::ValueReply(int service, int pid, unsigned scaling1, unsigned scaling2)
    : ObdReply(service, pid)
{
    LoadDefinitions(service, pid, scaling1, scaling2);
}

bool ValueReply::LoadDefinitions(int service, int pid, unsigned scaling1, unsigned scaling2)
{
    m_results.clear();
    SetRequest(service, pid);
    std::vector<ValueDefinition> rows;
    if (!LookupPidDefinitions(service, pid, scaling1, scaling2, rows))
        return false;
    for (ValueDefinition& row : rows)
        m_results.push_back(ValueResult{std::move(row), {}});
    return true;
}

ValueResult ValueReply::GetResult(std::size_t index) const
{
    return index < m_results.size() ? m_results[index] : ValueResult{};
}

void ValueReply::Parse(std::string text)
{
    ObdReply::Parse(std::move(text));
    DecodeValues();
}

// The values of one PID lie one after the other in each ECU's data, after
// the PID byte, each of its definition's byte count. An answer too short
// for the optional values (the second bank's fuel trim) drops them from
// the results for the rest of the reply; an answer too short for the
// others ends the decoding.
void ValueReply::DecodeValues()
{
    std::size_t count = m_results.size();
    std::size_t expected = 0;
    std::size_t optionalCount = 0;
    std::size_t optionalExpected = 0;
    for (const ValueResult& result : m_results) {
        const auto chars = 2 * static_cast<std::size_t>(result.definition.byteCount);
        expected += chars;
        if (result.definition.optional) {
            ++optionalCount;
            optionalExpected += chars;
        }
    }
    m_otherPid = false;
    bool optionalDropped = false;
    for (const OBD_RECORD& record : m_records) {
        if (record.negative) {
            for (std::size_t j = 0; j < count; ++j)
                m_results[j].values.push_back(ValueOf(record, std::numeric_limits<double>::quiet_NaN()));
            continue;
        }
        if (record.dataText.size() < 2)
            return;
        if (static_cast<int>(HexToInt(Slice(record.dataText, 0, 2))) != m_pid) {
            m_otherPid = true;  // another PID's bytes are no value of this one
            continue;
        }
        const std::string_view data = std::string_view(record.dataText).substr(2);  // after the PID byte
        if (data.size() < expected) {
            if (optionalDropped || optionalCount == 0)
                return;
            optionalDropped = true;
            count -= optionalCount;
            expected -= optionalExpected;
            if (data.size() < expected)
                return;
            m_results.resize(count);
        }
        for (std::size_t j = 0; j < count; ++j) {
            const ValueDefinition& definition = m_results[j].definition;
            const auto chars = 2 * static_cast<std::size_t>(definition.byteCount);
            const auto raw = static_cast<std::int32_t>(HexToInt(Slice(data, chars * j, chars)));
            m_results[j].values.push_back(ValueOf(record, static_cast<double>(raw) * definition.scale + definition.minimum));
        }
    }
}

}  // namespace obdvane
