#include "testing/obdsim/AdapterResponder.h"

#include <optional>

namespace vexar::obdsim {

namespace {

constexpr int kNegative = 0x7F;
constexpr int kPidsPerBitmap = 0x20;

std::string Hex(int byte)
{
    return HexText({static_cast<std::uint8_t>(byte)});
}

// The request data as bytes; nothing when it is not whole hexadecimal bytes.
std::optional<Bytes> RequestBytes(const std::string& data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return std::nullopt;
    Bytes bytes(data.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!ReadHexByte(std::string_view(data).substr(2 * i, 2), bytes[i]))
            return std::nullopt;
    }
    return bytes;
}

// A PID the ECU answers for: one with a value or a refusal, and the
// monitor status, which every ECU has.
bool Claims(const EcuScenario& ecu, int pid)
{
    return pid == 0x01 || ecu.pids.count(static_cast<std::uint8_t>(pid)) != 0 || ecu.refusals.count({1, pid}) != 0;
}

bool ClaimsAbove(const EcuScenario& ecu, int pid)
{
    for (int p = pid + 1; p <= 0xFF; ++p) {
        if (Claims(ecu, p))
            return true;
    }
    return false;
}

// The supported-PID bitmap at `base`: a bit per PID base+1 .. base+32, most
// significant first; the last one also says that a further bitmap follows.
std::optional<Bytes> Bitmap(const EcuScenario& ecu, int base)
{
    if (base != 0 && !ClaimsAbove(ecu, base))
        return std::nullopt;
    Bytes bytes(4, 0);
    for (int k = 0; k < kPidsPerBitmap; ++k) {
        const int pid = base + 1 + k;
        const bool last = k == kPidsPerBitmap - 1;
        if (Claims(ecu, pid) || (last && ClaimsAbove(ecu, pid)))
            bytes[static_cast<std::size_t>(k / 8)] |= static_cast<std::uint8_t>(0x80 >> (k % 8));
    }
    return bytes;
}

Bytes MonitorStatus(const EcuScenario& ecu)
{
    const std::size_t count = std::min<std::size_t>(ecu.dtcs.size(), 0x7F);
    const auto a = static_cast<std::uint8_t>(count | (ecu.mil ? 0x80 : 0x00));
    return {a, ecu.readiness[0], ecu.readiness[1], ecu.readiness[2]};
}

Bytes CodeBytes(std::uint16_t code)
{
    return {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)};
}

}  // namespace

AdapterResponder::AdapterResponder(Scenario scenario)
    : m_scenario(std::move(scenario))
{
}

Reply AdapterResponder::Answer(const Frame& request)
{
    if (request.type == "ID") {
        std::string data;
        for (std::size_t i = 0; i < m_scenario.ident.size(); ++i)
            data += (i ? std::string(1, static_cast<char>(kEtb)) : std::string()) + m_scenario.ident[i];
        return {"ID", data};
    }
    if (request.type == "EC")
        return {m_scenario.connectType, std::to_string(m_scenario.protocol), m_scenario.searchDelay};
    if (request.type == "SP")
        return AnswerObd(request.data);
    return {request.type, std::string(1, static_cast<char>(kNak))};
}

Reply AdapterResponder::AnswerObd(const std::string& data)
{
    const std::optional<Bytes> request = RequestBytes(data);
    if (!request || (ServiceHasPid((*request)[0]) && request->size() < 2))
        return {"SP", std::string(1, static_cast<char>(kNak))};
    const int service = (*request)[0];
    const int pid = ServiceHasPid(service) ? (*request)[1] : kAnyPid;

    std::string answers;
    for (EcuScenario& ecu : m_scenario.ecus) {
        std::string answer;
        if (const auto refusal = ecu.refusals.find({service, pid}); refusal != ecu.refusals.end()) {
            answer = Hex(ecu.address) + Hex(kNegative) + Hex(service) + Hex(refusal->second);
        } else if (service == 0x01) {
            answer = Service01(ecu, pid);
        } else if (service == 0x03) {
            answer = Service03(ecu);
        } else if (service == 0x04) {
            ecu.dtcs.clear();
            ecu.mil = false;
            answer = Hex(ecu.address) + Hex(0x44);
        }
        if (answer.empty())
            continue;
        if (!answers.empty())
            answers += static_cast<char>(kEtb);
        answers += answer;
    }
    return {"SP", answers.empty() ? "-" : answers};
}

std::string AdapterResponder::Service01(const EcuScenario& ecu, int pid) const
{
    std::optional<Bytes> value;
    if (const auto given = ecu.pids.find(static_cast<std::uint8_t>(pid)); given != ecu.pids.end())
        value = given->second;
    else if (pid == 0x01)
        value = MonitorStatus(ecu);
    else if (pid % kPidsPerBitmap == 0)
        value = Bitmap(ecu, pid);
    if (!value)
        return {};
    const auto answered = ecu.answerPids.find(static_cast<std::uint8_t>(pid));
    const int named = answered != ecu.answerPids.end() ? answered->second : pid;
    return Hex(ecu.address) + Hex(0x41) + Hex(named) + HexText(*value);
}

// Stored codes: on ISO 15765-4 one answer with the number of codes first;
// on the older protocols three codes an answer, the last filled with 0000.
std::string AdapterResponder::Service03(const EcuScenario& ecu) const
{
    const std::string head = Hex(ecu.address) + Hex(0x43);
    if (m_scenario.protocol == 5) {
        std::string answer = head + Hex(static_cast<int>(ecu.dtcs.size()));
        for (const std::uint16_t code : ecu.dtcs)
            answer += HexText(CodeBytes(code));
        return answer;
    }
    std::string answers;
    std::size_t i = 0;
    do {
        std::string answer = head;
        for (std::size_t slot = 0; slot < 3; ++slot, ++i)
            answer += HexText(CodeBytes(i < ecu.dtcs.size() ? ecu.dtcs[i] : 0));
        if (!answers.empty())
            answers += static_cast<char>(kEtb);
        answers += answer;
    } while (i < ecu.dtcs.size());
    return answers;
}

}  // namespace vexar::obdsim
