#include "obd/O2SensorLocation.h"

namespace obdvane {

namespace {

bool InPositionRange(int n)
{
    return n >= 1 && n <= 4;
}

}  // namespace

void O2SensorLocation::Reset()
{
    m_group = kNoGroup;
    m_bank = 0;
    m_sensor = 0;
}

bool O2SensorLocation::SetPosition(int bank, int sensor)
{
    if (!InPositionRange(bank) || !InPositionRange(sensor))
        return false;
    m_bank = bank;
    m_sensor = sensor;
    return true;
}

bool O2SensorLocation::GetPosition(int& bank, int& sensor) const
{
    bank = m_bank;
    sensor = m_sensor;
    return m_bank != 0 && m_sensor != 0;
}

}  // namespace obdvane
