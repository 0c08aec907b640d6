#include "ReferenceImages.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sys/wait.h>

namespace vexar::testing {
namespace {

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

std::string RandomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

bool RunCommand(const std::string& commandLine)
{
    const int status = std::system(commandLine.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string SRecordLine(int type, std::uint32_t address, const std::string& data)
{
    const int addressBytes = type == 2 || type == 8 ? 3 : type == 3 || type == 7 ? 4 : 2;
    const unsigned count = static_cast<unsigned>(addressBytes + data.size() + 1);
    unsigned sum = count;
    for (int i = 0; i < addressBytes; ++i)
        sum += (address >> (8 * i)) & 0xFF;
    std::string line = "S" + std::to_string(type) + Hex(count, 2) + Hex(address, 2 * addressBytes);
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
        line += Hex(static_cast<unsigned char>(c), 2);
    }
    return line + Hex(~sum & 0xFF, 2);
}

std::string HexLine(int type, std::uint32_t address, const std::string& data)
{
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(type);
    std::string line = ":" + Hex(static_cast<unsigned>(data.size()), 2) + Hex(address, 4) + Hex(type, 2);
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
        line += Hex(static_cast<unsigned char>(c), 2);
    }
    return line + Hex((0x100 - (sum & 0xFF)) & 0xFF, 2);
}

void RecordingReporter::ShowMessage(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    messages.push_back(narrow);
}

}  // namespace vexar::testing
