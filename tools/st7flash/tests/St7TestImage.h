#pragma once

// A KD01 firmware for the tests: S-records from 0x8010, a 64-byte block of
// 0xFF inside, the interrupt vectors, enciphered into a ".run" file with our
// cipher library as the tools' images are.

#include "sigilkit.h"
#include "TempDir.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vexar::tools::st7test {

struct TestImage {
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0xFF);
    std::uint32_t start = 0x8010;
    std::uint32_t stop = 0x81A5;
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
    std::snprintf(text, sizeof text, "%02X\r\n", ~sum & 0xFF);
    return line + text;
}

// Writes `path` (a ".run") and returns what it holds.
inline TestImage WriteRunFile(const std::string& folder, const std::string& name)
{
    TestImage image;
    for (std::uint32_t a = image.start; a <= image.stop; ++a)
        image.memory[a] = static_cast<std::uint8_t>((a * 7 + 1) & 0x7F);
    for (std::uint32_t a = 0x8080; a < 0x80C0; ++a)
        image.memory[a] = 0xFF;  // a whole block of 0xFF: not sent
    for (std::uint32_t a = 0xFFE0; a <= 0xFFFF; ++a)
        image.memory[a] = static_cast<std::uint8_t>(a & 0xFF);
    std::string text = "S00600004844521B\r\n";
    for (std::uint32_t a = image.start; a <= image.stop; a += 16) {
        const unsigned count = std::min<std::uint32_t>(16, image.stop - a + 1);
        text += SRecord(a, image.memory.data() + a, count);
    }
    text += SRecord(0xFFE0, image.memory.data() + 0xFFE0, 16);
    text += SRecord(0xFFF0, image.memory.data() + 0xFFF0, 16);
    text += "S9030000FC\r\n";
    const std::string plain = folder + "/" + name + ".txt";
    vexar::testing::WriteAll(plain, text);
    CryptInit(reinterpret_cast<const unsigned char*>("3FA0C81D5E7B29640D1CE8A7B5F23961"), 32, 32);
    FileEncrypt(plain.c_str(), (folder + "/" + name).c_str(), SIGILKIT_CFB);
    return image;
}

}  // namespace vexar::tools::st7test
