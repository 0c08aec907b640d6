#pragma once

#include <array>
#include <cstdint>

namespace obdvane {

// The PIDs one service declares supported, PID 1 to 255, as the ECU's
// supported-PID bitmaps report them.
class SupportedData {
public:
    static constexpr int kSupported = 0;
    static constexpr int kNotSupported = 1;
    static constexpr int kNotReported = 2;

    SupportedData();
    virtual ~SupportedData() = default;

    // Every PID back to "not yet reported".
    void Reset();
    // Stores PIDs base + 1 to base + 32 from one bitmap whose answer bytes
    // A, B, C, D lie in bits 0-7, 8-15, 16-23 and 24-31; bit 7 of A is PID
    // base + 1. False, with nothing changed, when the range would pass 255.
    bool SetRange(int base, std::uint32_t bitmap);
    // kSupported, kNotSupported or kNotReported; throws
    // SupportedDataException "Index not valid." for a PID outside 1 to 255.
    int GetEntry(int pid) const;
    bool IsSupported(int pid) const;

private:
    static constexpr int kPidCount = 255;
    std::array<int, kPidCount> m_entries;
};

}  // namespace obdvane
