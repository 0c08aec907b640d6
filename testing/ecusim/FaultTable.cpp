#include "testing/ecusim/FaultTable.h"

#include "testing/ecusim/Numbers.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexar::ecusim {

void FaultTable::Arm(std::uint8_t command, Fault fault, Repeat repeat)
{
    m_faults.Arm(command, fault, repeat);
}

void FaultTable::Clear()
{
    m_faults.Clear();
}

std::vector<Fault> FaultTable::Take(std::uint8_t command)
{
    return m_faults.Take([command](std::uint8_t armed) { return armed == command; });
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

}  // namespace

bool ParseFault(std::string_view text, std::uint8_t& command, Fault& fault, Repeat& repeat,
                std::string& error)
{
    const std::vector<std::string_view> fields = ptysupport::SplitFaultText(text, repeat);
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
