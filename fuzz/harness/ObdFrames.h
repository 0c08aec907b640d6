#pragma once

// The frames of the scan adapter for the seeds of the obdvane targets:
// STX, header, ETB, address, ETB, type, ETB and data when there is data,
// the byte sum of everything after STX as two hexadecimal digits, ETX.

#include <cstdio>
#include <string>

namespace vexar::fuzz {

inline std::string AdapterFrame(const std::string& type, const std::string& data)
{
    std::string body = "STL\x17" "0\x17" + type;
    if (!data.empty())
        body += "\x17" + data;
    unsigned sum = 0;
    for (const char c : body)
        sum += static_cast<unsigned char>(c);
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", sum & 0xFF);
    return "\x02" + body + checksum + "\x03";
}

}  // namespace vexar::fuzz
