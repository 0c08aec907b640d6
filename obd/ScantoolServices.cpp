// The scan tool's requests behind the exported functions: one adapter
// command each, answered for the first ECU the connect found.
#include "obd/Scantool.h"

#include "obd/DtcCommand.h"
#include "obd/RtCommand.h"
#include "obd/SpCommand.h"
#include "obd/ValueCommand.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace obdvane {

namespace {

constexpr unsigned kBitmapFlags = 32;
constexpr unsigned kSensorFlags = 8;
constexpr int kReadinessTests = 12;
constexpr unsigned kCodeChars = 5;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Toward zero, and 0 for what has no integer value, so that no input of
// the adapter leads to an undefined conversion.
std::int32_t Truncate(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    if (value <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// The low 32 bits of a decoded number: a 4-byte bitmap with its top bit set
// decodes as a negative number.
std::uint32_t Word(double value)
{
    if (std::isnan(value) || std::fabs(value) > 9.0e18)
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(value));
}

// The first ECU's record among the answers: the first with its address.
// Nothing when it did not answer, whatever the other ECUs said: their
// answers are not the first ECU's.
template <typename Record, typename GetRecord>
std::optional<Record> PickFirstEcu(std::size_t count, GetRecord get, std::uint8_t first)
{
    for (std::size_t i = 0; i < count; ++i) {
        Record record = get(i);
        if (record.address == first)
            return record;
    }
    return std::nullopt;
}

std::optional<VALUE_RECORD> PickValue(const ValueResult& result, std::uint8_t first)
{
    return PickFirstEcu<VALUE_RECORD>(result.values.size(), [&](std::size_t i) { return result.values[i]; }, first);
}

template <typename Command, typename Reply>
int Run(Command& command, const Reply& (Command::*content)() const, Reply& reply)
{
    try {
        command.Execute();
        reply = (command.*content)();
        return reply.IsNoData() ? kStatusNoData : kStatusDone;
    } catch (...) {
        return kStatusExchangeFailed;
    }
}

}  // namespace

// ---- PID set-up ----

PidScalings Scantool::GetScalings() const
{
    return {m_ratioMaximum, m_voltageMaximum, m_currentMaximum, m_pressureMaximum, m_airFlowMaximum};
}

// The supported-PID bitmaps one after another, as far as they go, then the
// ECU's maxima where it has PIDs 4F and 50.
bool Scantool::ReadPidSetup()
{
    m_ratioMaximum = m_voltageMaximum = m_currentMaximum = m_pressureMaximum = m_airFlowMaximum = 0;
    std::array<std::int32_t, kBitmapFlags> flags{};
    constexpr std::size_t kNextBitmap = 31;
    if (GetSupportedPids(1, 0x00, flags.data(), kBitmapFlags) != kStatusDone || flags[kNextBitmap] != 1)
        return true;
    if (GetSupportedPids(1, 0x20, flags.data(), kBitmapFlags) != kStatusDone || flags[kNextBitmap] != 1)
        return true;
    if (GetSupportedPids(1, 0x40, flags.data(), kBitmapFlags) != kStatusDone)
        return true;
    if (flags[0x4F - 0x41] == 1) {
        int ratio = 0, voltage = 0, current = 0, pressure = 0;
        if (ReadPid4F(&ratio, &voltage, &current, &pressure) != kStatusDone)
            ratio = voltage = current = pressure = 0;
        m_ratioMaximum = ratio;
        m_voltageMaximum = voltage;
        m_currentMaximum = current;
        m_pressureMaximum = pressure;
    }
    if (flags[0x50 - 0x41] == 1) {
        int airFlow = 0;
        if (ReadPid50(&airFlow) != kStatusDone)
            airFlow = 0;
        m_airFlowMaximum = airFlow;
    }
    return true;
}

int Scantool::ReadPid4F(int* ratio, int* voltage, int* current, int* pressure)
{
    std::array<double, 4> values{kNaN, kNaN, 0.0, 0.0};
    const int status = GetValues(1, 0x4F, values, 0, 0);
    *ratio = Truncate(values[0]);
    *voltage = Truncate(values[1]);
    *current = Truncate(values[2]);
    *pressure = Truncate(values[3]);
    return status;
}

int Scantool::ReadPid50(int* airFlow)
{
    std::array<double, 4> values{kNaN, kNaN, 0.0, 0.0};
    const int status = GetValues(1, 0x50, values, 0, 0);
    *airFlow = Truncate(values[0]);
    return status;
}

// ---- service 01 ----

int Scantool::GetSupportedPids(int service, int base, std::int32_t* flags, unsigned count)
{
    if (count > 0)
        std::fill(flags, flags + count, 0);
    if (count != kBitmapFlags || base % 32 != 0)
        return kStatusWrongSize;
    if (service != 1)
        return kStatusNoData;
    double value = 0.0;
    const int status = GetValue(1, base, &value, 0);
    if (status != kStatusDone)
        return status;
    const std::uint32_t word = Word(value);  // answer byte A in the top bits
    for (unsigned k = 0; k < kBitmapFlags; ++k)
        flags[k] = (word >> (31 - k)) & 1;
    return kStatusDone;
}

int Scantool::GetO2SensorsPresent(int pid, std::int32_t* flags, unsigned count)
{
    if (count > 0)
        std::fill(flags, flags + count, 0);
    if (count != kSensorFlags)
        return kStatusWrongSize;
    double value = 0.0;
    const int status = GetValue(1, pid, &value, 0);
    if (status != kStatusDone)
        return status;
    const std::uint32_t byte = Word(value);
    for (unsigned k = 0; k < kSensorFlags; ++k)
        flags[k] = (byte >> (7 - k)) & 1;
    return kStatusDone;
}

int Scantool::GetMonitorStatus(std::int32_t* mil, std::int32_t* codeCount, std::int32_t* available,
                               int availableCount, std::int32_t* complete, int completeCount)
{
    if (availableCount != kReadinessTests || completeCount != kReadinessTests)
        return kStatusWrongSize;
    *mil = 0;
    *codeCount = 0;
    std::fill(available, available + kReadinessTests, 0);
    std::fill(complete, complete + kReadinessTests, 0);
    STATUS_RECORD record;
    const int status = ReadMonitorStatus(record);
    if (status != kStatusDone)
        return status;
    *mil = record.lamp == 1 ? 1 : 0;
    *codeCount = record.troubleCodeCount;
    for (int i = 0; i < kReadinessTests; ++i) {
        available[i] = record.available[static_cast<std::size_t>(i)] != 0 ? 1 : 0;
        complete[i] = record.complete[static_cast<std::size_t>(i)] == STATUS_RECORD::kNotComplete ? 0 : 1;
    }
    return kStatusDone;
}

int Scantool::GetPid03(std::uint8_t* first, std::uint8_t* second)
{
    double value = 0.0;
    const int status = GetValue(1, 0x03, &value, 0);
    const std::int32_t both = Truncate(value);  // the two answer bytes as one number
    *first = static_cast<std::uint8_t>(both >> 8);
    *second = static_cast<std::uint8_t>(both);
    return status;
}

int Scantool::GetDouble(int pid, double* value, unsigned scaling)
{
    double decoded = 0.0;
    const int status = GetValue(1, pid, &decoded, scaling);
    *value = decoded;
    return status;
}

int Scantool::GetInt(int pid, std::int32_t* value)
{
    double decoded = 0.0;
    const int status = GetValue(1, pid, &decoded, 0);
    *value = Truncate(decoded);
    return status;
}

int Scantool::GetPair(int service, int pid, double* first, double* second, unsigned scalingA, unsigned scalingB)
{
    std::array<double, 2> values{kNaN, kNaN};
    const int status = GetValues(service, pid, values, scalingA, scalingB);
    *first = values[0];
    *second = values[1];
    return status;
}

int Scantool::GetRatioAndVoltage(int service, int pid, double* ratio, double* voltage)
{
    return GetPair(service, pid, ratio, voltage, m_ratioMaximum, m_voltageMaximum);
}

int Scantool::GetRatioAndCurrent(int service, int pid, double* ratio, double* current)
{
    return GetPair(service, pid, ratio, current, m_ratioMaximum, m_currentMaximum);
}

int Scantool::GetValue(int service, int pid, double* value, unsigned scaling)
{
    m_lastNegativeCode = 0;
    ValueReply reply;
    const int status = RequestValue(service, pid, reply, scaling, 0);
    if (status != kStatusDone)
        return status;
    std::uint8_t first = 0;
    if (!FirstEcu(first))
        return kStatusNoData;
    if (reply.GetResultCount() == 0)
        return kStatusNoData;  // a PID the table does not decode
    const std::optional<VALUE_RECORD> record = PickValue(reply.GetResult(0), first);
    if (!record)
        return kStatusNoData;
    if (record->negative) {
        m_lastNegativeCode = record->negativeCode;
        return kStatusNegative;
    }
    *value = record->value;
    return kStatusDone;
}

int Scantool::GetValues(int service, int pid, std::span<double> out, unsigned scalingA, unsigned scalingB)
{
    m_lastNegativeCode = 0;
    ValueReply reply;
    int status = RequestValue(service, pid, reply, scalingA, scalingB);
    if (status != kStatusDone)
        return status;
    std::uint8_t first = 0;
    const bool known = FirstEcu(first);
    for (std::size_t i = 0; i < reply.GetResultCount() && i < out.size(); ++i) {
        const ValueResult result = reply.GetResult(i);
        const std::optional<VALUE_RECORD> record = known ? PickValue(result, first) : std::nullopt;
        if (!record) {
            status = kStatusNoData;  // out[i] keeps what the caller put there
            continue;
        }
        if (record->negative) {
            status = kStatusNegative;
            m_lastNegativeCode = record->negativeCode;
            out[i] = result.definition.minimum;
        } else {
            out[i] = record->value;
        }
    }
    return status;
}

int Scantool::RequestValue(int service, int pid, ValueReply& reply, unsigned scalingA, unsigned scalingB)
{
    return ExecuteValueCommand(service, pid, "", scalingA, scalingB, reply);
}

// ---- monitor status, services 03 and 04 ----

int Scantool::ReadMonitorStatus(STATUS_RECORD& status)
{
    m_lastNegativeCode = 0;
    MonitorStatusReply reply;
    const int result = ExecuteStatusCommand(reply);
    if (result != kStatusDone)
        return result;
    std::uint8_t first = 0;
    if (!FirstEcu(first))
        return kStatusNoData;
    std::optional<STATUS_RECORD> picked = PickFirstEcu<STATUS_RECORD>(
        reply.GetStatusCount(), [&](std::size_t i) { return reply.GetRecordAt(i); }, first);
    if (!picked)
        return kStatusNoData;
    if (picked->negative) {
        m_lastNegativeCode = picked->negativeCode;
        return kStatusNegative;
    }
    status = *picked;
    return kStatusDone;
}

int Scantool::ReadDtcs(char* buffer, unsigned length, unsigned* count)
{
    m_lastNegativeCode = 0;
    *count = 0;
    if (length % kCodeChars != 0)
        return kStatusWrongSize;
    DtcReply reply(m_protocol);
    int status = ExecuteDtcCommand(reply);
    if (length > 0)
        std::memset(buffer, 0, length);
    if (status != kStatusDone)
        return status;
    std::uint8_t first = 0;
    if (!FirstEcu(first))
        return kStatusNoData;
    unsigned written = 0;
    bool answered = false;
    for (std::size_t i = 0; i < reply.GetDtcCount(); ++i) {
        const DTC_RECORD record = reply.GetRecordAt(i);
        if (record.address != first)
            continue;  // another ECU's codes
        answered = true;
        if (record.negative) {
            m_lastNegativeCode = record.negativeCode;
            status = kStatusNegative;
            continue;
        }
        for (const std::string& code : record.codes) {
            if (code.size() != kCodeChars || written + kCodeChars > length)
                continue;
            std::memcpy(buffer + written, code.data(), kCodeChars);
            written += kCodeChars;
            ++*count;
        }
    }
    return answered ? status : kStatusNoData;
}

int Scantool::ClearDtcs()
{
    ObdReply reply;
    return ExecuteClearCommand(reply);
}

// ---- commands ----

int Scantool::ExecuteValueCommand(int service, int pid, const std::string& extra, unsigned scalingA,
                                  unsigned scalingB, ValueReply& reply)
{
    try {
        ValueCommand command(service, pid, extra, scalingA, scalingB, m_timeouts);
        return Run(Ready(command), &ValueCommand::GetValueReply, reply);
    } catch (...) {
        return kStatusExchangeFailed;
    }
}

int Scantool::ExecuteDtcCommand(DtcReply& reply)
{
    try {
        DtcCommand command(m_protocol, m_timeouts);
        return Run(Ready(command), &DtcCommand::GetDtcReply, reply);
    } catch (...) {
        return kStatusExchangeFailed;
    }
}

int Scantool::ExecuteStatusCommand(MonitorStatusReply& reply)
{
    try {
        RtCommand command(m_timeouts);
        return Run(Ready(command), &RtCommand::GetStatusReply, reply);
    } catch (...) {
        return kStatusExchangeFailed;
    }
}

int Scantool::ExecuteClearCommand(ObdReply& reply)
{
    try {
        SpCommand command(4, ObdReply::kNoPid, "", m_timeouts);
        return Run(Ready(command), &SpCommand::GetObdReply, reply);
    } catch (...) {
        return kStatusExchangeFailed;
    }
}

int Scantool::GetLastNegativeCode() const
{
    switch (m_lastNegativeCode) {
    case 0x10: return 1;
    case 0x11: return 2;
    case 0x12: return 3;
    case 0x21: return 4;
    case 0x22: return 5;
    case 0x78: return 6;
    default: return 0;
    }
}

}  // namespace obdvane
