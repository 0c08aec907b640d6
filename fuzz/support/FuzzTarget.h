#pragma once

// One fuzz target per reader: a function that hands one input to the real
// reader through its public entry. The same source builds into a libFuzzer
// program (clang) and into the replay tests of the main suite (any
// compiler), so every target registers itself under its name.
//
//     VEXAR_FUZZ_TARGET(CipherFile)
//     {
//         ... data, size ...
//         return 0;
//     }
//
// A target returns 0. What it finds wrong with a reader's answer (a result
// outside the reader's documented set, say) it reports with FUZZ_CHECK,
// which ends the process like a sanitizer report does.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexar::fuzz {

using TargetEntry = int (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name;
    TargetEntry entry;
};

// Every target linked into this program, in registration order.
const std::vector<Target>& Targets();

struct Registration {
    Registration(const char* name, TargetEntry entry);
};

// Prints the failed condition with its place and aborts.
[[noreturn]] void CheckFailed(const char* condition, const char* file, int line);

}  // namespace vexar::fuzz

#define VEXAR_FUZZ_TARGET(name)                                                                  \
    static int name##FuzzInput(const std::uint8_t* data, std::size_t size);                      \
    static const ::vexar::fuzz::Registration name##FuzzRegistration{#name, name##FuzzInput};     \
    static int name##FuzzInput([[maybe_unused]] const std::uint8_t* data, [[maybe_unused]] std::size_t size)

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::vexar::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
