#include "obd/Vehicle.h"

#include "obd/LogCommand.h"
#include "obd/ObdText.h"

namespace obdvane {

namespace {

bool Reparse(const EXCHANGE_FRAME& frame, ParsedFrame& parsed)
{
    return parsed.ParseBytes(frame.buffer, static_cast<std::size_t>(frame.length));
}

// A refusal's code: the byte after the rejected service.
int NegativeCode(const FRAME_ENTRY& entry)
{
    return static_cast<int>(HexToInt(Slice(entry.data, 0, 2)));
}

}  // namespace

Vehicle::Vehicle()
{
    Clear();
}

void Vehicle::Clear()
{
    m_ecus.clear();
    m_protocol = 0;
    m_info = VEHICLE_INFO{};
}

bool Vehicle::GetEcuAddresses(std::vector<std::uint8_t>& addresses) const
{
    addresses.clear();
    for (const auto& [address, ecu] : m_ecus)
        addresses.push_back(address);
    return !addresses.empty();
}

bool Vehicle::GetEcu(std::uint8_t address, Ecu& ecu) const
{
    const auto found = m_ecus.find(address);
    if (found == m_ecus.end())
        return false;
    ecu = found->second;
    return true;
}

bool Vehicle::GetEcusWithMonitorStatus(std::vector<std::uint8_t>& addresses) const
{
    addresses.clear();
    for (const auto& [address, ecu] : m_ecus) {
        if (ecu.HasMonitorStatus())
            addresses.push_back(address);
    }
    return !m_ecus.empty();
}

bool Vehicle::HasMonitorStatus(std::uint8_t address, Ecu& ecu) const
{
    Ecu record;
    GetEcu(address, record);
    if (!record.HasMonitorStatus())
        return false;
    ecu = record;
    return true;
}

bool Vehicle::GetO2Locations(std::uint8_t address, std::vector<O2SensorLocation>& locations) const
{
    Ecu record;
    return HasMonitorStatus(address, record) && record.GetO2Locations(locations);
}

bool Vehicle::GetO2Location(std::uint8_t address, int bank, int sensor, O2SensorLocation& location) const
{
    Ecu record;
    return HasMonitorStatus(address, record) && record.GetO2Location(bank, sensor, location);
}

bool Vehicle::OnExchange(EXCHANGE_FRAME sent, EXCHANGE_FRAME received)
{
    LogCommand log;
    log.Reset();
    if (!log.Check(sent, received))
        return false;
    switch (log.GetKind()) {
    case LogCommand::kId:
        return StoreIdentification(received);
    case LogCommand::kEc:
    case LogCommand::kEz:
    case LogCommand::kRp:
        return StoreProtocol(received);
    case LogCommand::kSp:
        return StoreObdResponse(log.GetService(), log.GetPid(), received);
    default:
        return false;
    }
}

bool Vehicle::StoreProtocol(const EXCHANGE_FRAME& frame)
{
    m_protocol = 0;
    ParsedFrame parsed;
    if (!Reparse(frame, parsed))
        return false;
    m_protocol = parsed.GetProtocol();  // 0 to 5; the re-parse keeps 0 for any other number
    const int kind = parsed.GetKind();
    return kind == ParsedFrame::kEc || kind == ParsedFrame::kEz || kind == ParsedFrame::kRp;
}

bool Vehicle::StoreIdentification(const EXCHANGE_FRAME& frame)
{
    m_info = VEHICLE_INFO{};
    ParsedFrame parsed;
    if (!Reparse(frame, parsed))
        return false;
    static constexpr int kFieldOrder[] = {1, 2, 4, 5, 3, 6};
    for (std::size_t i = 0; i < m_info.texts.size(); ++i)
        m_info.texts[i] = parsed.GetField(kFieldOrder[i]);
    return !parsed.GetField(2).empty();
}

// Only service 01 answers reach the ECU records; the walk ends at the first
// answer that is not stored, and the later ECUs of the reply stay as they
// were.
bool Vehicle::StoreObdResponse(int service, int pid, const EXCHANGE_FRAME& frame)
{
    ParsedFrame parsed;
    if (!Reparse(frame, parsed))
        return false;
    if (parsed.IsNoData())
        return service == 1 && MarkNoData(pid);
    FRAME_ENTRY entry;
    for (std::size_t position = 0; parsed.GetNextEntry(position, entry);) {
        if (service != 1)
            return false;
        if (!entry.negative) {
            if (!MatchesRequest(service, pid, entry) || !StoreMode01Data(pid, entry))
                return false;
        } else if (!StoreNegativeCode(entry.address, pid, NegativeCode(entry))) {
            return false;
        }
    }
    return true;
}

// "41" answers service 1, "49" service 9; services with PIDs must answer
// the PID asked for.
bool Vehicle::MatchesRequest(int service, int pid, const FRAME_ENTRY& entry)
{
    if (static_cast<std::uint8_t>(DecimalToInt(entry.service) - 40) != static_cast<std::uint8_t>(service))
        return false;
    if (ServiceHasPid(service))
        return entry.data.size() >= 2 && static_cast<int>(HexToInt(Slice(entry.data, 0, 2))) == pid;
    return service == 3 || service == 4 || service == 7;
}

bool Vehicle::StoreMode01Data(int pid, const FRAME_ENTRY& entry)
{
    const auto address = static_cast<std::uint8_t>(entry.address);
    Ecu record;
    GetEcu(address, record);
    record.SetStatus(1, pid, ReceivedData::kReceived);
    bool stored = true;
    if (pid == 0x00 || pid == 0x20)
        stored = record.StoreSupportedPids(pid, entry);
    else if (pid == 0x01)
        stored = record.StoreMonitorStatus(entry);
    else if (pid == 0x13 || pid == 0x1D)
        stored = record.StoreO2Locations(pid, entry);
    else if (Ecu::IsO2SensorPid(pid))
        stored = record.CheckO2Pids();
    m_ecus[address] = record;
    return stored;
}

bool Vehicle::StoreNegativeCode(int address, int pid, int code)
{
    const auto found = m_ecus.find(static_cast<std::uint8_t>(address));
    if (found == m_ecus.end())
        return false;  // a refusal creates no record
    Ecu record = found->second;
    record.SetNegativeCode(1, pid, code);
    found->second = record;
    return true;
}

bool Vehicle::MarkNoData(int pid)
{
    for (auto& [address, ecu] : m_ecus) {
        Ecu record = ecu;
        record.SetStatus(1, pid, ReceivedData::kNoData);
        ecu = record;
    }
    return !m_ecus.empty();
}

}  // namespace obdvane
