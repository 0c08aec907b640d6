#pragma once

// A handheld microcontroller firmware for the tests: S-records from 0x1010
// with a 64-byte block of 0xFF inside, and the interrupt vectors.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vexar::tools::hc08test {

struct TestImage {
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0xFF);
    std::uint32_t start = 0x1010;
    std::uint32_t stop = 0x10E5;
};

inline std::string SRecord(unsigned address, const std::uint8_t* data, unsigned count)
{
    char text[16];
    std::snprintf(text, sizeof text, "S1%02X%04X", count + 3, address);
    std::string line = text;
    unsigned sum = count + 3 + (address >> 8) + (address & 0xFF);
    for (unsigned i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", data[i]);
        line += text;
        sum += data[i];
    }
    std::snprintf(text, sizeof text, "%02X\n", ~sum & 0xFF);
    return line + text;
}

// Writes <folder>/<name> with the image from `start` to `stop` (0xFF from
// 0x1040 to 0x107F when `gap`) and its vectors; returns the image.
inline TestImage WriteS19File(const std::string& path, std::uint32_t start = 0x1010, std::uint32_t stop = 0x10E5,
                              bool gap = true)
{
    TestImage image;
    image.start = start;
    image.stop = stop;
    for (std::uint32_t a = start; a <= stop; ++a)
        image.memory[a] = (gap && a >= 0x1040 && a < 0x1080) ? 0xFF : static_cast<std::uint8_t>(a * 7 + (a >> 8));
    for (std::uint32_t a = 0xFFCC; a <= 0xFFFF; a += 2) {
        image.memory[a] = static_cast<std::uint8_t>(start >> 8);
        image.memory[a + 1] = static_cast<std::uint8_t>(a);
    }
    std::string text = "S00600004844521B\n";
    for (std::uint32_t a = start; a <= stop; a += 32) {
        const unsigned count = std::min<std::uint32_t>(32, stop - a + 1);
        text += SRecord(a, &image.memory[a], count);
    }
    for (std::uint32_t a = 0xFFCC; a <= 0xFFFF; a += 26)
        text += SRecord(a, &image.memory[a], 26);
    text += "S9030000FC\n";
    std::ofstream(path, std::ios::binary) << text;
    return image;
}

}  // namespace vexar::tools::hc08test
