#pragma once

// Files for hhwriter's tests: a language file, KD01 firmware as plain
// S-records, KD02 firmware as raw binary or Intel HEX.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vexar::tools::hhtest {

using Bytes = std::vector<std::uint8_t>;

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes Pattern(std::size_t size, unsigned seed)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 13 + seed + (i >> 8)) & 0xFF);
    return bytes;
}

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

// KD01 firmware from 0x8000 to `stop` (0xFF from 0x8100 to 0x81FF), reset
// vector 0x8000; the 64 KB memory it describes.
inline Bytes WriteKd01S19(const std::string& path, std::uint32_t stop = 0x83FF)
{
    Bytes memory(0x10000, 0xFF);
    for (std::uint32_t a = 0x8000; a <= stop; ++a)
        memory[a] = (a >= 0x8100 && a < 0x8200) ? 0xFF : static_cast<std::uint8_t>(a * 3 + (a >> 8));
    for (std::uint32_t a = 0xFFE0; a < 0x10000; a += 2) {
        memory[a] = 0x80;
        memory[a + 1] = static_cast<std::uint8_t>(a == 0xFFFE ? 0x00 : a);
    }
    std::string text;
    for (std::uint32_t a = 0x8000; a <= stop; a += 32)
        text += SRecord(a, &memory[a], std::min<std::uint32_t>(32, stop - a + 1));
    text += SRecord(0xFFE0, &memory[0xFFE0], 32);
    text += "S9030000FC\n";
    std::ofstream(path, std::ios::binary) << text;
    return memory;
}

inline std::string HexLine(unsigned count, unsigned address, unsigned type, const std::uint8_t* data)
{
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", count, address & 0xFFFF, type);
    std::string line = text;
    unsigned sum = count + ((address >> 8) & 0xFF) + (address & 0xFF) + type;
    for (unsigned i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02X", data[i]);
        line += text;
        sum += data[i];
    }
    std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

// Intel HEX with `data` at `first` (extended linear addresses).
inline void WriteHex(const std::string& path, std::uint32_t first, const Bytes& data)
{
    std::string text;
    std::uint32_t upper = 0xFFFFFFFF;
    for (std::size_t i = 0; i < data.size(); i += 16) {
        const std::uint32_t address = first + static_cast<std::uint32_t>(i);
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const std::uint8_t base[2] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
            text += HexLine(2, 0, 4, base);
        }
        text += HexLine(static_cast<unsigned>(std::min<std::size_t>(16, data.size() - i)), address, 0, &data[i]);
    }
    text += ":00000001FF\n";
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace vexar::tools::hhtest
