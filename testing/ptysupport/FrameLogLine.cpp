#include "testing/ptysupport/FrameLogLine.h"

#include <cstdio>

namespace vexar::ptysupport {

std::string FrameLogLine(std::chrono::microseconds sinceStart, const std::string& what,
                         const std::vector<std::uint8_t>& bytes)
{
    const long long us = sinceStart.count();
    char head[48];
    std::snprintf(head, sizeof head, "%+lld.%06lld ", us / 1000000, (us < 0 ? -us : us) % 1000000);
    std::string line = head + what;
    for (const std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        line += hex;
    }
    return line;
}

}  // namespace vexar::ptysupport
