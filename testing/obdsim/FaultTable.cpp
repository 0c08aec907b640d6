#include "testing/obdsim/FaultTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexar::obdsim {

void FaultTable::Arm(std::string selector, Fault fault, Repeat repeat)
{
    m_faults.Arm(std::move(selector), fault, repeat);
}

void FaultTable::Clear()
{
    m_faults.Clear();
}

std::vector<Fault> FaultTable::Take(const std::string& mnemonic, const std::string& data)
{
    const std::string request = mnemonic + data;
    return m_faults.Take(
        [&](const std::string& selector) { return selector == "*" || request.starts_with(selector); });
}

namespace {

constexpr std::array<std::pair<std::string_view, FaultKind>, 9> kNames{{
    {"no-reply", FaultKind::NoReply},
    {"bad-checksum", FaultKind::BadChecksum},
    {"junk", FaultKind::Junk},
    {"truncated", FaultKind::Truncated},
    {"endless", FaultKind::Endless},
    {"nak", FaultKind::Nak},
    {"wrong-type", FaultKind::WrongType},
    {"late", FaultKind::LateReply},
    {"reversed", FaultKind::Reversed},
}};

bool Milliseconds(std::string_view text, long& value)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return true;
}

}  // namespace

bool ParseFault(std::string_view text, std::string& selector, Fault& fault, Repeat& repeat, std::string& error)
{
    const std::vector<std::string_view> fields = ptysupport::SplitFaultText(text, repeat);
    const std::string quoted = "fault \"" + std::string(text) + "\": ";
    if (fields.size() < 2 || fields[0].empty()) {
        error = quoted + "expected SELECTOR:KIND[:ARGUMENT][:always]";
        return false;
    }
    const auto named = std::find_if(kNames.begin(), kNames.end(), [&](const auto& e) { return e.first == fields[1]; });
    if (named == kNames.end()) {
        error = quoted + "unknown kind \"" + std::string(fields[1]) + "\"";
        return false;
    }
    const bool takesArgument = named->second == FaultKind::LateReply;
    if (fields.size() != (takesArgument ? 3u : 2u)) {
        error = quoted + (takesArgument ? "this kind needs one argument" : "this kind takes no argument");
        return false;
    }
    long ms = 0;
    if (takesArgument && !Milliseconds(fields[2], ms)) {
        error = quoted + "bad argument \"" + std::string(fields[2]) + "\"";
        return false;
    }
    selector = std::string(fields[0]);
    fault = Fault{named->second, std::chrono::milliseconds(ms)};
    return true;
}

}  // namespace vexar::obdsim
