#include "testing/bootsim/DemoFirmware.h"

#include <algorithm>
#include <cstdio>

namespace vexar::bootsim {

namespace {

constexpr std::size_t kDemoFirmwareSize = 2048;
constexpr std::size_t kRecordBytes = 16;

// One record: its length, address, type and data, then the two's
// complement of the sum of them all.
std::string Record(std::uint16_t address, std::uint8_t type, const std::uint8_t* data, std::size_t count)
{
    char hex[4];
    std::string line = ":";
    unsigned sum = 0;
    const auto put = [&](std::uint8_t byte) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
        sum += byte;
    };
    put(static_cast<std::uint8_t>(count));
    put(static_cast<std::uint8_t>(address >> 8));
    put(static_cast<std::uint8_t>(address & 0xFF));
    put(type);
    for (std::size_t i = 0; i < count; ++i)
        put(data[i]);
    std::snprintf(hex, sizeof hex, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + hex + "\r\n";
}

}  // namespace

std::vector<std::uint8_t> DemoFirmwareImage()
{
    std::vector<std::uint8_t> image(kDemoFirmwareSize);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>((i * 37 + (i >> 8) * 11 + 0x5A) & 0xFF);
    return image;
}

std::string IntelHex(std::uint32_t address, const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    std::uint32_t page = 0xFFFFFFFF;
    for (std::size_t offset = 0; offset < bytes.size();) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(offset);
        if (at >> 16 != page) {
            page = at >> 16;
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(page >> 8), static_cast<std::uint8_t>(page)};
            text += Record(0, 0x04, upper, 2);
        }
        // A record never crosses into the next page.
        const std::size_t count =
            std::min({kRecordBytes, bytes.size() - offset, static_cast<std::size_t>(0x10000 - (at & 0xFFFF))});
        text += Record(static_cast<std::uint16_t>(at & 0xFFFF), 0x00, bytes.data() + offset, count);
        offset += count;
    }
    return text + Record(0, 0x01, nullptr, 0);
}

}  // namespace vexar::bootsim
