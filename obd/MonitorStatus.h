#pragma once

#include <cstdint>

namespace obdvane {

// One ECU's monitor status (service 01 PID 01): the four answer bytes. Of
// the twelve readiness tests, test i (0 to 3) is supported when bit i of B
// is set, test i (4 to 11) when bit i - 4 of C is set.
class MonitorStatus {
public:
    static constexpr int kTestCount = 12;

    MonitorStatus();
    virtual ~MonitorStatus() = default;

    void Reset();
    bool Set(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);
    bool IsEmpty() const { return m_empty; }
    // Both throw MonitorStatusException "Data not initialized." before a
    // Set; IsTestSupported "Readiness test index not valid." for an index
    // outside 0 to 11.
    bool IsTestSupported(int index) const;
    bool NoTestSupported() const;

    std::uint8_t GetA() const { return m_a; }
    std::uint8_t GetB() const { return m_b; }
    std::uint8_t GetC() const { return m_c; }
    std::uint8_t GetD() const { return m_d; }

private:
    void RequireData() const;

    bool m_empty = true;
    std::uint8_t m_a = 0xFF;
    std::uint8_t m_b = 0xFF;
    std::uint8_t m_c = 0xFF;
    std::uint8_t m_d = 0xFF;
};

}  // namespace obdvane
