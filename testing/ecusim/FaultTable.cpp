#include "testing/ecusim/FaultTable.h"

#include "testing/ecusim/Numbers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexar::ecusim {

void FaultTable::Arm(std::uint8_t command, Fault fault, Repeat repeat)
{
    m_entries.push_back({command, fault, repeat});
}

void FaultTable::Clear()
{
    m_entries.clear();
}

std::vector<Fault> FaultTable::Take(std::uint8_t command)
{
    std::vector<Fault> faults;
    bool usedOnce = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->command == command && it->repeat == Repeat::Always) {
            faults.push_back(it->fault);
        } else if (it->command == command && !usedOnce) {
            faults.push_back(it->fault);
            usedOnce = true;
            it = m_entries.erase(it);
            continue;
        }
        ++it;
    }
    return faults;
}

namespace {

constexpr std::array<std::pair<std::string_view, FaultKind>, 11> kNames{{
    {"no-reply", FaultKind::NoReply},
    {"truncated", FaultKind::TruncatedReply},
    {"bad-crc", FaultKind::BadCrc},
    {"wrong-command", FaultKind::WrongCommand},
    {"wrong-index", FaultKind::WrongIndex},
    {"wrong-block", FaultKind::WrongBlock},
    {"wrong-speed", FaultKind::WrongSpeed},
    {"nak", FaultKind::Nak},
    {"late", FaultKind::LateReply},
    {"corrupt-echo", FaultKind::CorruptEcho},
    {"unplug", FaultKind::Unplug},
}};

std::vector<std::string_view> SplitColons(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto colon = text.find(':');
        fields.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos)
            return fields;
        text.remove_prefix(colon + 1);
    }
}

}  // namespace

bool ParseFault(std::string_view text, std::uint8_t& command, Fault& fault, Repeat& repeat,
                std::string& error)
{
    std::vector<std::string_view> fields = SplitColons(text);
    repeat = Repeat::Once;
    if (fields.size() > 2 && fields.back() == "always") {
        repeat = Repeat::Always;
        fields.pop_back();
    }
    unsigned long number = 0;
    if (fields.size() < 2 || !ParseUnsigned(fields[0], number) || number > 255) {
        error = "fault \"" + std::string(text) + "\": expected COMMAND:KIND[:ARGUMENT][:always]";
        return false;
    }
    command = static_cast<std::uint8_t>(number);
    const auto named = std::find_if(kNames.begin(), kNames.end(),
                                    [&](const auto& entry) { return entry.first == fields[1]; });
    if (named == kNames.end()) {
        error = "fault \"" + std::string(text) + "\": unknown kind \"" + std::string(fields[1]) + "\"";
        return false;
    }
    fault = Fault{named->second, 0, std::chrono::milliseconds(0)};
    const bool takesArgument = fault.kind == FaultKind::Nak || fault.kind == FaultKind::LateReply;
    if (fields.size() != (takesArgument ? 3u : 2u)) {
        error = "fault \"" + std::string(text) + "\": " +
                (takesArgument ? "this kind needs one argument" : "this kind takes no argument");
        return false;
    }
    if (takesArgument) {
        const unsigned long limit = fault.kind == FaultKind::Nak ? 255 : 60000;
        if (!ParseUnsigned(fields[2], number) || number > limit) {
            error = "fault \"" + std::string(text) + "\": bad argument \"" + std::string(fields[2]) + "\"";
            return false;
        }
        if (fault.kind == FaultKind::Nak)
            fault.errorCode = static_cast<std::uint8_t>(number);
        else
            fault.delay = std::chrono::milliseconds(number);
    }
    return true;
}

}  // namespace vexar::ecusim
