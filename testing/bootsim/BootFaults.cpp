#include "testing/bootsim/BootFaults.h"

#include <charconv>

namespace vexar::bootsim {

namespace {

bool ReadNumber(std::string_view text, unsigned long limit, unsigned long& value)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size() && value <= limit;
}

}  // namespace

void BootFaults::Arm(std::uint8_t command, Fault fault, bool always, std::size_t nth)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({command, fault, always, nth});
}

void BootFaults::Clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
}

std::optional<Fault> BootFaults::Take(std::uint8_t command)
{
    std::lock_guard lock(m_mutex);
    const std::size_t count = ++m_counts[command];
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->command != command || (it->nth != 0 && it->nth != count))
            continue;
        const Fault fault = it->fault;
        if (!it->always)
            m_entries.erase(it);
        return fault;
    }
    return std::nullopt;
}

bool BootFaults::ArmFromText(std::string_view text, std::string& error)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto colon = text.find(':');
        fields.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
    }
    bool always = false;
    if (fields.size() > 2 && fields.back() == "always") {
        always = true;
        fields.pop_back();
    }
    std::size_t nth = 0;
    if (!fields.empty()) {
        std::string_view& last = fields.back();
        if (const auto at = last.find('@'); at != std::string_view::npos) {
            unsigned long n = 0;
            if (!ReadNumber(last.substr(at + 1), 1000000, n) || n == 0) {
                error = "bad request number in fault";
                return false;
            }
            nth = n;
            last = last.substr(0, at);
        }
    }
    unsigned long command = 0;
    if (fields.size() < 2 || !ReadNumber(fields[0], 255, command)) {
        error = "a fault is COMMAND:KIND[:MS][@N][:always]";
        return false;
    }
    Fault fault;
    const std::string_view kind = fields[1];
    std::size_t expected = 2;
    if (kind == "silence")
        fault.kind = FaultKind::Silence;
    else if (kind == "bad-sum")
        fault.kind = FaultKind::BadSum;
    else if (kind == "negative")
        fault.kind = FaultKind::Negative;
    else if (kind == "wrong-echo")
        fault.kind = FaultKind::WrongEcho;
    else if (kind == "wrong-tag")
        fault.kind = FaultKind::WrongTag;
    else if (kind == "short")
        fault.kind = FaultKind::Short;
    else if (kind == "stop-reading")
        fault.kind = FaultKind::StopReading;
    else if (kind == "unplug")
        fault.kind = FaultKind::Unplug;
    else if (kind == "late") {
        unsigned long ms = 0;
        if (fields.size() < 3 || !ReadNumber(fields[2], 600000, ms)) {
            error = "late needs its milliseconds";
            return false;
        }
        fault.kind = FaultKind::Late;
        fault.late = std::chrono::milliseconds(ms);
        expected = 3;
    } else {
        error = "unknown fault kind " + std::string(kind);
        return false;
    }
    if (fields.size() != expected) {
        error = "too many fields in fault";
        return false;
    }
    Arm(static_cast<std::uint8_t>(command), fault, always, nth);
    return true;
}

}  // namespace vexar::bootsim
