#pragma once

#include "obd/AbstractVehicle.h"
#include "obd/Ecu.h"
#include "obd/ParsedFrame.h"

#include <map>

namespace obdvane {

// The library's record of the car, learnt from the exchanges alone (the
// frames are read again; the commands' reply contents are not used): the
// protocol of the last connect reply, the identification texts, and per
// ECU that gave a positive service 01 answer its Ecu record.
//
// Records only grow or are overwritten: an ECU seen in an earlier connect
// keeps its record. Every store works on a copy of the ECU's record and
// puts it back at its end, so a refusal leaves that record as it was.
// The queries take no lock; the exchanges run under the command lock.
class Vehicle : public AbstractVehicle {
public:
    Vehicle();
    ~Vehicle() override = default;

    int GetProtocol() const override { return m_protocol; }
    void GetInfo(VEHICLE_INFO& info) const override { info = m_info; }
    bool GetEcuAddresses(std::vector<std::uint8_t>& addresses) const override;
    bool GetEcu(std::uint8_t address, Ecu& ecu) const override;
    // True when any ECU is known, whether or not one has a monitor status.
    bool GetEcusWithMonitorStatus(std::vector<std::uint8_t>& addresses) const override;
    bool HasMonitorStatus(std::uint8_t address, Ecu& ecu) const override;
    // Only for an ECU with a valid monitor status.
    bool GetO2Locations(std::uint8_t address, std::vector<O2SensorLocation>& locations) const override;
    bool GetO2Location(std::uint8_t address, int bank, int sensor, O2SensorLocation& location) const override;
    void Clear() override;
    bool OnExchange(EXCHANGE_FRAME sent, EXCHANGE_FRAME received) override;

private:
    bool StoreIdentification(const EXCHANGE_FRAME& frame);
    bool StoreProtocol(const EXCHANGE_FRAME& frame);
    bool StoreObdResponse(int service, int pid, const EXCHANGE_FRAME& frame);
    static bool MatchesRequest(int service, int pid, const FRAME_ENTRY& entry);
    bool StoreMode01Data(int pid, const FRAME_ENTRY& entry);
    bool StoreNegativeCode(int address, int pid, int code);
    bool MarkNoData(int pid);

    std::map<std::uint8_t, Ecu> m_ecus;
    int m_protocol = 0;
    VEHICLE_INFO m_info;
};

}  // namespace obdvane
