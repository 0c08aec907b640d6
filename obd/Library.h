#pragma once

// The library's global objects, which the exported functions work on.

namespace obdvane {

class Scantool;
class SerialPort;
class Vehicle;

// The one port to the adapter, for the library's whole life; its
// destructor closes the port when the library is unloaded.
SerialPort& TheSerialPort();
// The record of what the car's ECUs have said.
Vehicle& TheVehicle();
// The scan tool on the port and the vehicle record.
Scantool& TheScantool();

}  // namespace obdvane
