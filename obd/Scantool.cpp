// The scan tool's connect: the adapter's protocol, scan-tool mode and the
// ECUs that answer.
#include "obd/Scantool.h"

#include "obd/EcCommand.h"
#include "obd/GetIdCommand.h"
#include "obd/ObdText.h"
#include "obd/RtCommand.h"
#include "obd/ScantoolException.h"
#include "obd/SpCommand.h"
#include "obd/Trace.h"

#include <algorithm>

namespace obdvane {

namespace {

// A supported-PID answer whose first bitmap byte declares PID 01.
bool DeclaresMonitorStatus(const OBD_RECORD& record)
{
    return !record.negative && record.dataText.size() >= 10 && (HexToInt(Slice(record.dataText, 2, 2)) & 0x80);
}

bool HasReadinessTest(const STATUS_RECORD& status)
{
    return std::find(status.available.begin(), status.available.end(), 1) != status.available.end();
}

}  // namespace

Scantool::Scantool(AbstractPort* port, AbstractVehicle* vehicle, CommandTimeouts timeouts)
    : m_port(port), m_vehicle(vehicle), m_timeouts(timeouts)
{
}

bool Scantool::Connect([[maybe_unused]] int mode, [[maybe_unused]] int flag)
{
    m_protocol = 0;
    ConnectEcu(mode, flag);
    return m_protocol != 0;
}

bool Scantool::ConnectEcu([[maybe_unused]] int mode, [[maybe_unused]] int flag)
{
    try {
        // The adapter has the long time-out to find the car's protocol.
        EcCommand connect(m_timeouts);
        Ready(connect).Execute();
        m_protocol = connect.GetProtocol();
        IsScantoolModeActive();
        if (!DiscoverEcus())
            return false;
        ReadPidSetup();
        return true;
    } catch (const SerialException& e) {
        m_protocol = 0;
        Trace("connect: Errore seriale: %s\n", e.GetMessage().c_str());
    } catch (const CommandException& e) {
        m_protocol = 0;
        Trace("connect: Errore comunicazione: %s\n", e.GetMessage().c_str());
    } catch (const FirmwareException& e) {
        m_protocol = 0;
        Trace("connect: Aggiornare firmware: %s\n", e.GetMessage().c_str());
    } catch (const ScantoolException&) {
        // A refusal of the vehicle record: the protocol found stays.
    }
    return false;
}

bool Scantool::IsScantoolModeActive()
{
    GetIdCommand identification(m_timeouts);
    Ready(identification).Execute();
    return true;
}

bool Scantool::DiscoverEcus()
{
    SetEcuAddresses({});
    SpCommand supported(1, 0x00, "", m_timeouts);
    Ready(supported).Execute();
    RtCommand monitor(m_timeouts);
    Ready(monitor).Execute();

    const ObdReply& bitmaps = supported.GetObdReply();
    const MonitorStatusReply& statuses = monitor.GetStatusReply();
    std::vector<std::uint8_t> found;
    for (std::size_t i = 0; i < bitmaps.GetRecordCount(); ++i) {
        const OBD_RECORD record = bitmaps.GetRecord(i);
        if (!DeclaresMonitorStatus(record))
            continue;
        const auto address = static_cast<std::uint8_t>(record.address);
        for (std::size_t k = 0; k < statuses.GetStatusCount(); ++k) {
            const STATUS_RECORD status = statuses.GetRecordAt(k);
            if (!status.negative && status.address == address && HasReadinessTest(status))
                found.push_back(address);
        }
    }
    SetEcuAddresses(found);
    return !found.empty();
}

std::vector<std::uint8_t> Scantool::GetEcuAddresses() const
{
    std::lock_guard lock(m_ecusLock);
    return m_ecuAddresses;
}

void Scantool::SetEcuAddresses(std::vector<std::uint8_t> addresses)
{
    std::lock_guard lock(m_ecusLock);
    m_ecuAddresses = std::move(addresses);
}

bool Scantool::FirstEcu(std::uint8_t& address) const
{
    std::lock_guard lock(m_ecusLock);
    if (m_ecuAddresses.empty())
        return false;
    address = m_ecuAddresses.front();
    return true;
}

}  // namespace obdvane
