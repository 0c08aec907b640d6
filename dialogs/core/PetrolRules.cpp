#include "dialogs/core/PetrolRules.h"

#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using vexar::Format;
using vexar::link::OBD_DTC_LIST;
using vexar::link::OBD_PID_RESULT;

namespace CUtility {

namespace {

bool In(int pid, int first, int last) { return pid >= first && pid <= last; }

template <std::size_t N>
std::u16string Digits(const std::array<std::int32_t, N>& flags)
{
    std::u16string text;
    for (std::int32_t flag : flags)
        text += Format(u"%ld", flag);
    return text;
}

// UTF-16 little-endian with a byte-order mark, as the system's text files.
std::string Utf16File(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The first four decimal numbers of a line, when it holds four.
std::optional<std::array<long, 4>> FourNumbers(const std::u16string& line)
{
    const std::string text = vexar::ToUtf8(line);
    std::array<long, 4> numbers{};
    const char* at = text.c_str();
    for (long& number : numbers) {
        char* end = nullptr;
        number = std::strtol(at, &end, 10);
        if (end == at)
            return std::nullopt;
        at = end;
    }
    return numbers;
}

}  // namespace

std::u16string FormatFuelSystemStatus(int code)
{
    switch (code) {
    case 0: return u"OL";
    case 1: return u"CL";
    case 2: return u"OL-Drive";
    case 3: return u"OL-Fault";
    case 4: return u"CL-Fault";
    default: return u"---";
    }
}

std::u16string PidErrorText(int status)
{
    switch (status) {
    case 1: return u"ComunicationError";
    case 2: return u"NoResponseFromEcu";
    case 3: return u"NegativeResponseFromEcu";
    case 4: return u"IncorrectParameter";
    case 5: return u"GenericError";
    default: return u"---";
    }
}

std::u16string FormatPidBitmap(const std::array<std::int32_t, 32>& flags) { return Digits(flags); }

std::u16string FormatPidValue(int pid, const OBD_PID_RESULT& r)
{
    if (pid == 0x01)
        return Format(u"Mil: %s; ", r.mil ? u"On" : u"Off") +
               Format(u"Dtc = %lu; ", static_cast<std::uint32_t>(r.codeCount)) + u"Supported: " + Digits(r.available) +
               u"; " + u"Completed: " + Digits(r.complete);
    if (pid == 0x03)
        return Format(u"%s; %s", FormatFuelSystemStatus(r.fuel1), FormatFuelSystemStatus(r.fuel2));
    if (pid == 0x04 || pid == 0x11 || pid == 0x22 || pid == 0x43 || pid == 0x45 || In(pid, 0x49, 0x4C))
        return Format(u"%.1lf", r.value);
    if (pid == 0x05)
        return Format(u"%ld", r.integer);
    if (In(pid, 0x06, 0x09))
        return Format(u"%.1lf; %.1lf", r.value, r.value2);
    if (pid == 0x0A || pid == 0x0C || pid == 0x0D || pid == 0x0F || pid == 0x1F || pid == 0x23 || In(pid, 0x3C, 0x3F) ||
        pid == 0x46)
        return Format(u"%lu", static_cast<std::uint32_t>(r.integer));
    if (pid == 0x0B || pid == 0x0E || pid == 0x33 || pid == 0x47 || pid == 0x48)
        return Format(u"%.0lf", r.value);
    if (pid == 0x10)
        return Format(u"%.2lf", r.value);
    if (pid == 0x13 || pid == 0x1D)
        return Digits(r.locations);
    if (In(pid, 0x14, 0x1B))
        return Format(u"%.3lf; %.1lf", r.value, r.value2);
    if (In(pid, 0x24, 0x2B) || In(pid, 0x34, 0x3B))
        return Format(u"%.3lf; %.3lf", r.value, r.value2);
    if (pid == 0x44)
        return Format(u"%.3lf", r.value);
    return {};
}

bool IsShownPid(int pid)
{
    return pid == 0x01 || In(pid, 0x03, 0x11) || In(pid, 0x13, 0x1B) || pid == 0x1D || pid == 0x1F ||
           In(pid, 0x22, 0x2B) || In(pid, 0x33, 0x3F) || In(pid, 0x43, 0x4C);
}

std::pair<int, std::u16string> PidResultText(int pid, const OBD_PID_RESULT& result)
{
    if (result.status == 0)
        return {kPidImageGood, FormatPidValue(pid, result)};
    return {kPidImageFailed, PidErrorText(result.status)};
}

std::string BenzCompanionPath(const std::string& languageFile)
{
    const std::size_t slash = languageFile.rfind('/');
    if (slash == std::string::npos)
        return {};
    return languageFile.substr(0, slash + 1) + "Benz_" + languageFile.substr(slash + 1);
}

std::u16string ReadBenzValue(const std::string& languageFile, std::u16string_view key)
{
    const std::string path = BenzCompanionPath(languageFile);
    if (path.empty() || key.empty())
        return {};
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return {};
    std::u16string line;
    while (file.ReadString(line)) {
        const std::size_t at = line.find(key);
        if (at != std::u16string::npos)
            return vexar::Trim(std::u16string_view(line).substr(at + key.size()));
    }
    return {};
}

std::vector<std::pair<std::u16string, std::u16string>> TroubleCodeRows(const OBD_DTC_LIST& list,
                                                                        const std::string& languageFile)
{
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    if (list.status == 2)
        return rows;
    if (list.status != 0) {
        rows.emplace_back(u"---", PidErrorText(list.status));
        return rows;
    }
    const std::size_t held = list.codes.size() / vexar::link::kObdCodeChars;
    const std::size_t count = list.count < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(list.count), held);
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string code;
        for (std::size_t k = 0; k < vexar::link::kObdCodeChars; ++k)
            code += static_cast<char16_t>(static_cast<unsigned char>(list.codes[i * vexar::link::kObdCodeChars + k]));
        std::u16string text = ReadBenzValue(languageFile, code);
        rows.emplace_back(std::move(code), std::move(text));
    }
    return rows;
}

bool WritePidFile(const std::string& path, const std::vector<std::pair<int, std::u16string>>& rows)
{
    std::u16string text;
    for (const auto& [pid, description] : rows)
        text += Format(u"PID%02X\t// %s\n", pid, description);
    return vexar::platform::WriteFileAtomically(path, Utf16File(text));
}

BenzLayout ReadBenzLayout(const std::string& path)
{
    BenzLayout layout;
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return layout;
    std::u16string line;
    if (file.ReadString(line)) {
        layout.place = FourNumbers(line);
        if (file.ReadString(line))
            layout.widths = FourNumbers(line);
    }
    return layout;
}

bool WriteBenzLayout(const std::string& path, const std::array<long, 4>& place, const std::array<long, 4>& widths)
{
    const std::u16string text =
        Format(u"%ld\t%ld\t%ld\t%ld\t// x, y, cx, cy\n", place[0], place[1], place[2], place[3]) +
        Format(u"%ld\t%ld\t%ld\t%ld\t// Dimensione colonne PID, Desc, Val, Mis\n", widths[0], widths[1], widths[2],
               widths[3]);
    return vexar::platform::WriteFileAtomically(path, Utf16File(text));
}

std::optional<int> ObdPeriodOf(double value)
{
    if (!std::isfinite(value) || value != std::floor(value) || value < kObdPeriodMin || value > kObdPeriodMax)
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace CUtility
