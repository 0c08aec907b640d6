#pragma once

#include "obd/O2SensorLocation.h"
#include "obd/ParsedFrame.h"
#include "obd/Service01Data.h"

#include <vector>

namespace obdvane {

// What one ECU has said: its service 01 data (supported PIDs, the fate of
// every PID asked for, the monitor status) and where its oxygen sensors
// sit. Copied whole; the vehicle keeps one per ECU address.
//
// The PID queries and stores take the service first. Service 1 works on the
// ECU's tables; services 3, 4 and 7 have no PIDs and throw EcuException;
// any other service answers false and changes nothing.
class Ecu {
public:
    virtual ~Ecu() = default;

    bool IsReceived(int service, int pid) const;
    bool IsSupported(int service, int pid) const;
    bool SetStatus(int service, int pid, int status);
    bool SetNegativeCode(int service, int pid, int code);
    bool IsReceivedOrSupported(int service, int pid) const;
    bool IsReceivedAndSupported(int service, int pid) const;

    // A positive service 01 answer whose data text begins with the PID:
    // the supported-PID bitmap at `base` (PID 00 or 20), the monitor status
    // (PID 01), the sensor locations (PID 13 or 1D). False, with nothing
    // changed, when the data breaks off.
    bool StoreSupportedPids(int base, const FRAME_ENTRY& entry);
    bool StoreMonitorStatus(const FRAME_ENTRY& entry);
    bool StoreO2Locations(int pid, const FRAME_ENTRY& entry);
    // Gives every sensor location the group of its supported PID, numbered
    // by the layout of the PID (13 or 1D) that gave the locations.
    bool CheckO2Pids();

    bool HasPid13() const;
    bool HasPid1D() const;
    // A monitor status was received from an ECU that declares PID 01 and
    // supports at least one readiness test.
    bool HasMonitorStatus() const;

    // `locations` receives copies of all locations in order; true when
    // there was one.
    bool GetO2Locations(std::vector<O2SensorLocation>& locations) const;
    // The location of bank and sensor; a reset one and false when none.
    bool GetO2Location(int bank, int sensor, O2SensorLocation& location) const;

    const Service01Data& GetService01() const { return m_service01; }

    // A PID of an oxygen sensor's values: 14-1B, 24-2B or 34-3B.
    static bool IsO2SensorPid(int pid);

private:
    Service01Data* PidData(int service);
    const Service01Data* PidData(int service) const;

    Service01Data m_service01;
    std::vector<O2SensorLocation> m_locations;
    int m_layoutPid = 0;  // 0x13 or 0x1D: the PID whose answer gave the locations
};

}  // namespace obdvane
