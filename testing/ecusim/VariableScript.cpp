#include "testing/ecusim/VariableScript.h"

#include "testing/ecusim/Numbers.h"

#include <algorithm>
#include <charconv>

namespace vexar::ecusim {

namespace {

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > at)
            words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool ParseHexByte(std::string_view text, std::uint8_t& byte)
{
    unsigned value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 2 || status != std::errc() || end != text.data() + text.size())
        return false;
    byte = static_cast<std::uint8_t>(value);
    return true;
}

// Parses one statement into the script; returns an empty text or the reason.
std::string ParseStatement(const std::vector<std::string_view>& words, VariableScript& script)
{
    unsigned long number = 0;
    if (words[0] == "loop") {
        if (words.size() != 2 || !ParseUnsigned(words[1], number) || number == 0)
            return "\"loop\" needs a period in milliseconds above 0";
        script.loop = std::chrono::milliseconds(number);
        return {};
    }
    if (words[0] != "at")
        return "unknown statement \"" + std::string(words[0]) + "\"";
    if (words.size() < 4)
        return "\"at\" needs a time, an address and at least one byte";
    VariableStep step;
    if (!ParseUnsigned(words[1], number) || number > 86400000)
        return "bad time \"" + std::string(words[1]) + "\"";
    step.at = std::chrono::milliseconds(number);
    if (!ParseUnsigned(words[2], number) || number > 0xFFFF)
        return "bad address \"" + std::string(words[2]) + "\"";
    step.address = static_cast<std::uint16_t>(number);
    for (std::size_t i = 3; i < words.size(); ++i) {
        std::uint8_t byte = 0;
        if (!ParseHexByte(words[i], byte))
            return "bad byte \"" + std::string(words[i]) + "\"";
        step.bytes.push_back(byte);
    }
    if (step.address + step.bytes.size() > 0x10000)
        return "the bytes run past address 0xFFFF";
    script.steps.push_back(std::move(step));
    return {};
}

}  // namespace

bool ParseVariableScript(std::string_view text, VariableScript& script, std::string& error)
{
    VariableScript parsed;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        const std::vector<std::string_view> words = Words(line);
        if (words.empty())
            continue;
        if (std::string reason = ParseStatement(words, parsed); !reason.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        }
    }
    std::stable_sort(parsed.steps.begin(), parsed.steps.end(),
                     [](const VariableStep& a, const VariableStep& b) { return a.at < b.at; });
    if (parsed.loop.count() > 0 && !parsed.steps.empty() && parsed.loop <= parsed.steps.back().at) {
        error = "the loop period must be longer than the last step's time";
        return false;
    }
    script = std::move(parsed);
    return true;
}

}  // namespace vexar::ecusim
