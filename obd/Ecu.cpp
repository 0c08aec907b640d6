#include "obd/Ecu.h"

#include "obd/ObdText.h"
#include "obd/ScantoolException.h"

#include <string>

namespace obdvane {

namespace {

// The data byte `index` (0-based) after the PID of an answer's data text.
std::uint8_t DataByte(const std::string& data, std::size_t index)
{
    return static_cast<std::uint8_t>(HexToInt(Slice(data, 2 + 2 * index, 2)));
}

// A location's position; throws for one that is not set.
void RequirePosition(const O2SensorLocation& location, int& bank, int& sensor)
{
    if (!location.GetPosition(bank, sensor))
        throw EcuException("Oxygen sensor location not valid.");
}

}  // namespace

const Service01Data* Ecu::PidData(int service) const
{
    switch (service) {
    case 1: return &m_service01;
    case 3: throw EcuException("Service 0x03 has no PIDs.");
    case 4: throw EcuException("Service 0x04 has no PIDs.");
    case 7: throw EcuException("Service 0x07 has no PIDs.");
    default: return nullptr;
    }
}

Service01Data* Ecu::PidData(int service)
{
    return const_cast<Service01Data*>(static_cast<const Ecu*>(this)->PidData(service));
}

bool Ecu::IsReceived(int service, int pid) const
{
    const Service01Data* data = PidData(service);
    return data && data->received.IsReceived(pid);
}

bool Ecu::IsSupported(int service, int pid) const
{
    const Service01Data* data = PidData(service);
    return data && data->supported.IsSupported(pid);
}

bool Ecu::SetStatus(int service, int pid, int status)
{
    Service01Data* data = PidData(service);
    if (!data)
        return false;
    data->received.SetStatus(pid, status);
    return true;
}

bool Ecu::SetNegativeCode(int service, int pid, int code)
{
    Service01Data* data = PidData(service);
    if (!data)
        return false;
    data->received.SetNegativeCode(pid, code);
    return true;
}

bool Ecu::IsReceivedOrSupported(int service, int pid) const
{
    return IsReceived(service, pid) || IsSupported(service, pid);
}

bool Ecu::IsReceivedAndSupported(int service, int pid) const
{
    return IsReceived(service, pid) && IsSupported(service, pid);
}

bool Ecu::StoreSupportedPids(int base, const FRAME_ENTRY& entry)
{
    if (!IsRangeInText(entry.data, 2, 8))
        return false;
    std::uint32_t bitmap = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bitmap |= static_cast<std::uint32_t>(DataByte(entry.data, i)) << (8 * i);
    if (!m_service01.supported.SetRange(base, bitmap))
        return false;
    // Newly supported PIDs can move the sensors to another group.
    return CheckO2Pids();
}

bool Ecu::StoreMonitorStatus(const FRAME_ENTRY& entry)
{
    if (!IsRangeInText(entry.data, 2, 8))
        return false;
    return m_service01.monitorStatus.Set(DataByte(entry.data, 0), DataByte(entry.data, 1), DataByte(entry.data, 2),
                                         DataByte(entry.data, 3));
}

bool Ecu::StoreO2Locations(int pid, const FRAME_ENTRY& entry)
{
    if (!IsRangeInText(entry.data, 2, 2))
        return false;
    const std::uint8_t present = DataByte(entry.data, 0);
    // PID 13 describes two banks of four sensors, PID 1D four banks of two.
    const int perBank = pid == 0x13 ? 4 : 2;
    m_layoutPid = pid;
    m_locations.clear();
    for (int bit = 0; bit < 8; ++bit) {
        if (!((present >> bit) & 1))
            continue;
        O2SensorLocation location;
        location.SetPosition(bit / perBank + 1, bit % perBank + 1);
        m_locations.push_back(location);
    }
    return CheckO2Pids();
}

bool Ecu::CheckO2Pids()
{
    for (O2SensorLocation& location : m_locations) {
        int bank = 0;
        int sensor = 0;
        RequirePosition(location, bank, sensor);
        // Each layout numbers its sensors its own way, and only once the
        // ECU declares the PID that gave the layout.
        int pid = 0;
        if (m_layoutPid == 0x13 && HasPid13())
            pid = 4 * bank + sensor + 15;  // bank 1 sensor 1 is 0x14, bank 2 sensor 4 0x1B
        else if (m_layoutPid == 0x1D && HasPid1D())
            pid = 2 * bank + sensor + 17;  // bank 1 sensor 1 is 0x14, bank 4 sensor 2 0x1B
        else
            return true;  // the layout is not known yet: the groups stay
        if (!IsO2SensorPid(pid))
            throw EcuException("Oxygen sensor PID not valid.");
        int group = O2SensorLocation::kNoGroup;
        for (int g = 1; g <= 3 && group == O2SensorLocation::kNoGroup; ++g) {
            if (IsSupported(1, pid + 0x10 * (g - 1)))
                group = g;
        }
        location.SetGroup(group);
    }
    return true;
}

bool Ecu::IsO2SensorPid(int pid)
{
    return (pid >= 0x14 && pid <= 0x1B) || (pid >= 0x24 && pid <= 0x2B) || (pid >= 0x34 && pid <= 0x3B);
}

bool Ecu::HasPid13() const
{
    return IsReceivedAndSupported(1, 0x13);
}

bool Ecu::HasPid1D() const
{
    return IsReceivedAndSupported(1, 0x1D);
}

bool Ecu::HasMonitorStatus() const
{
    const ReceivedData& received = m_service01.received;
    const int pid00 = received.GetStatus(0x00);
    if (pid00 == ReceivedData::kNoData)
        return false;
    if (pid00 == ReceivedData::kReceived && !IsSupported(1, 0x01))
        return false;
    if (received.GetStatus(0x01) != ReceivedData::kReceived)
        return false;
    const MonitorStatus& status = m_service01.monitorStatus;
    return !status.IsEmpty() && !status.NoTestSupported();
}

bool Ecu::GetO2Locations(std::vector<O2SensorLocation>& locations) const
{
    locations = m_locations;
    return !locations.empty();
}

bool Ecu::GetO2Location(int bank, int sensor, O2SensorLocation& location) const
{
    for (const O2SensorLocation& candidate : m_locations) {
        int b = 0;
        int s = 0;
        RequirePosition(candidate, b, s);
        if (b == bank && s == sensor) {
            location = candidate;
            return true;
        }
    }
    location.Reset();
    return false;
}

}  // namespace obdvane
