#pragma once

#include "obd/ExchangeFrame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace obdvane {

class Ecu;
class O2SensorLocation;

// The six identification texts of the adapter's last "ID" reply.
struct VEHICLE_INFO {
    std::array<std::string, 6> texts;
};

// The record of what the car's ECUs have said. Commands tell it every
// exchange, the frame sent and the bytes received, whether or not the
// reply was valid; holders of the record read it through the queries.
class AbstractVehicle {
public:
    virtual ~AbstractVehicle() = default;

    virtual int GetProtocol() const = 0;
    virtual void GetInfo(VEHICLE_INFO& info) const = 0;
    virtual bool GetEcuAddresses(std::vector<std::uint8_t>& addresses) const = 0;
    virtual bool GetEcu(std::uint8_t address, Ecu& ecu) const = 0;
    virtual bool GetEcusWithMonitorStatus(std::vector<std::uint8_t>& addresses) const = 0;
    virtual bool HasMonitorStatus(std::uint8_t address, Ecu& ecu) const = 0;
    virtual bool GetO2Locations(std::uint8_t address, std::vector<O2SensorLocation>& locations) const = 0;
    virtual bool GetO2Location(std::uint8_t address, int bank, int sensor, O2SensorLocation& location) const = 0;
    virtual void Clear() = 0;
    // Learns from one exchange; may throw a refusal of the record, which
    // then ends the command's execution.
    virtual bool OnExchange(EXCHANGE_FRAME sent, EXCHANGE_FRAME received) = 0;
};

}  // namespace obdvane
