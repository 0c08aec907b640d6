#include "testing/obdsim/Scenario.h"

#include <algorithm>
#include <sstream>

namespace vexar::obdsim {

namespace {

bool Decimal(std::string_view text, unsigned long limit, unsigned long& value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = 0;
    for (const char c : text)
        value = value * 10 + static_cast<unsigned long>(c - '0');
    return value <= limit;
}

std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> SplitBars(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = text.find('|', from);
        fields.push_back(text.substr(from, bar - from));
        if (bar == std::string::npos)
            return fields;
        from = bar + 1;
    }
}

bool HexBytes(const std::vector<std::string>& words, std::size_t from, Bytes& bytes)
{
    bytes.clear();
    for (std::size_t i = from; i < words.size(); ++i) {
        std::uint8_t b = 0;
        if (!ReadHexByte(words[i], b))
            return false;
        bytes.push_back(b);
    }
    return true;
}

// One statement; false with the reason.
bool Statement(const std::vector<std::string>& w, std::string_view rest, Scenario& s, std::string& why)
{
    const std::string& key = w[0];
    unsigned long n = 0;
    std::uint8_t b = 0;
    EcuScenario* ecu = s.ecus.empty() ? nullptr : &s.ecus.back();
    auto needEcu = [&] {
        if (!ecu)
            why = "\"" + key + "\" before any \"ecu\"";
        return ecu != nullptr;
    };
    if (key == "protocol") {
        if (w.size() != 2 || !Decimal(w[1], 99, n))
            return why = "protocol takes one number", false;
        s.protocol = static_cast<int>(n);
    } else if (key == "connect-type") {
        if (w.size() != 2 || (w[1] != "EC" && w[1] != "EZ" && w[1] != "RP"))
            return why = "connect-type is EC, EZ or RP", false;
        s.connectType = w[1];
    } else if (key == "ident") {
        const std::size_t start = rest.find_first_not_of(" \t", rest.find("ident") + 5);
        if (start == std::string_view::npos)
            return why = "ident needs its fields", false;
        s.ident = SplitBars(std::string(rest.substr(start)));
    } else if (key == "search-delay") {
        if (w.size() != 2 || !Decimal(w[1], 600000, n))
            return why = "search-delay takes milliseconds", false;
        s.searchDelay = std::chrono::milliseconds(n);
    } else if (key == "ecu") {
        if (w.size() != 2 || !ReadHexByte(w[1], b))
            return why = "ecu takes one hexadecimal address", false;
        s.ecus.push_back(EcuScenario{});
        s.ecus.back().address = b;
    } else if (key == "pid") {
        Bytes bytes;
        if (!needEcu())
            return false;
        if (w.size() < 2 || !ReadHexByte(w[1], b) || !HexBytes(w, 2, bytes))
            return why = "pid takes a PID and its data bytes in hexadecimal", false;
        ecu->pids[b] = bytes;
    } else if (key == "refuse") {
        Bytes bytes;
        if (!needEcu())
            return false;
        if (w.size() < 3 || w.size() > 4 || !HexBytes(w, 1, bytes))
            return why = "refuse takes a service, a PID where it has one, and a code", false;
        const bool withPid = ServiceHasPid(bytes[0]);
        if (bytes.size() != (withPid ? 3u : 2u))
            return why = "refuse: this service " + std::string(withPid ? "needs" : "takes no") + " PID", false;
        ecu->refusals[{bytes[0], withPid ? bytes[1] : kAnyPid}] = bytes.back();
    } else if (key == "answer-pid") {
        Bytes bytes;
        if (!needEcu())
            return false;
        if (w.size() != 3 || !HexBytes(w, 1, bytes))
            return why = "answer-pid takes the PID requested and the PID answered", false;
        ecu->answerPids[bytes[0]] = bytes[1];
    } else if (key == "dtc") {
        if (!needEcu())
            return false;
        for (std::size_t i = 1; i < w.size(); ++i) {
            std::uint16_t code = 0;
            if (!ParseDtc(w[i], code))
                return why = "not a trouble code: " + w[i], false;
            ecu->dtcs.push_back(code);
        }
    } else if (key == "mil") {
        if (!needEcu())
            return false;
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off"))
            return why = "mil is on or off", false;
        ecu->mil = w[1] == "on";
    } else if (key == "readiness") {
        Bytes bytes;
        if (!needEcu())
            return false;
        if (!HexBytes(w, 1, bytes) || bytes.size() != 3)
            return why = "readiness takes three hexadecimal bytes", false;
        std::copy(bytes.begin(), bytes.end(), ecu->readiness.begin());
    } else {
        return why = "unknown statement \"" + key + "\"", false;
    }
    return true;
}

}  // namespace

bool ServiceHasPid(int service)
{
    switch (service) {
    case 1: case 2: case 5: case 6: case 8: case 9: return true;
    default: return false;
    }
}

Scenario DefaultScenario()
{
    Scenario scenario;
    EcuScenario engine;
    engine.pids[0x05] = {0x7B};        // coolant 83 degrees
    engine.pids[0x0C] = {0x1A, 0xF8};  // 1726 rpm
    engine.pids[0x0D] = {0x32};        // 50 km/h
    scenario.ecus.push_back(engine);
    return scenario;
}

bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error)
{
    Scenario read;
    read.ecus.clear();
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        line = line.substr(0, line.find('#'));
        const std::vector<std::string> words = Words(line);
        std::string why;
        if (!words.empty() && !Statement(words, line, read, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    scenario = std::move(read);
    return true;
}

bool ParseDtc(std::string_view text, std::uint16_t& code)
{
    static constexpr std::string_view kLetters = "PCBU";
    if (text.size() != 5)
        return false;
    const std::size_t letter = kLetters.find(static_cast<char>(text[0] & ~0x20));
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    if (letter == std::string_view::npos || text[1] < '0' || text[1] > '3' || !ReadHexByte(text.substr(1, 2), high) ||
        !ReadHexByte(text.substr(3, 2), low))
        return false;
    code = static_cast<std::uint16_t>((letter << 14) | (high << 8) | low);
    return true;
}

}  // namespace vexar::obdsim
