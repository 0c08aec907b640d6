#include "obd/MonitorStatus.h"

#include "obd/ScantoolException.h"

namespace obdvane {

MonitorStatus::MonitorStatus()
{
    Reset();
}

void MonitorStatus::Reset()
{
    m_empty = true;
    m_a = m_b = m_c = m_d = 0xFF;
}

bool MonitorStatus::Set(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    m_a = a;
    m_b = b;
    m_c = c;
    m_d = d;
    m_empty = false;
    return true;
}

void MonitorStatus::RequireData() const
{
    if (m_empty)
        throw MonitorStatusException("Data not initialized.");
}

bool MonitorStatus::IsTestSupported(int index) const
{
    RequireData();
    if (index < 0 || index >= kTestCount)
        throw MonitorStatusException("Readiness test index not valid.");
    if (index < 4)
        return (m_b >> index) & 1;
    return (m_c >> (index - 4)) & 1;
}

bool MonitorStatus::NoTestSupported() const
{
    RequireData();
    for (int i = 0; i < kTestCount; ++i) {
        if (IsTestSupported(i))
            return false;
    }
    return true;
}

}  // namespace obdvane
