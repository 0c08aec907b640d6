#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::ecusim {

// Changes of the variable image over time: each step writes its bytes at
// its address when its time (from the start of the script) has come. With
// a loop period the steps repeat every period, else they run once.
struct VariableStep {
    std::chrono::milliseconds at{0};
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
};

struct VariableScript {
    std::vector<VariableStep> steps;  // in time order
    std::chrono::milliseconds loop{0};
};

// Reads a script from text, one statement a line; '#' starts a comment:
//   at <ms> <address> <hex byte> [<hex byte>...]
//   loop <ms>
// Numbers are decimal or "0x" hexadecimal; data bytes are two hex digits.
// Steps are kept in time order; a loop period must be longer than the last
// step's time. On error returns false with the line number and reason.
bool ParseVariableScript(std::string_view text, VariableScript& script, std::string& error);

}  // namespace vexar::ecusim
