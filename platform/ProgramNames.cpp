#include "ProgramNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace vexar::platform {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kNames{{
    {"vexar.exe", kMainProgramFile},
    {"update.exe", kUpdaterFile},
    {"obdvane.dll", kObdLibraryFile},
    {"sigilkit.dll", kCipherLibraryFile},
    {"kd02flash.exe", "kd02flash"},
    {"st7flash.exe", "st7flash"},
    {"hc08flash.exe", "hc08flash"},
    {"hhwriter.exe", "hhwriter"},
    {"javaw.exe", "java"},
}};

}  // namespace

std::string LinuxProgramName(std::string_view windowsName)
{
    const std::string lower = Lower(windowsName);
    for (const auto& [windows, linux] : kNames)
        if (lower == windows)
            return std::string(linux);
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".exe") == 0)
        return std::string(windowsName.substr(0, windowsName.size() - 4));
    return std::string(windowsName);
}

}  // namespace vexar::platform
