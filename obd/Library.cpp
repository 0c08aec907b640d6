#include "obd/Library.h"

#include "obd/Scantool.h"
#include "obd/SerialPort.h"
#include "obd/Vehicle.h"

namespace obdvane {

// Each object is made at its first use, so that other global objects of the
// library may hold it whatever their order of construction; they are
// destroyed when the library is unloaded, each after every object that
// took it later (the scan tool before the port and the vehicle it holds).

SerialPort& TheSerialPort()
{
    static SerialPort port;
    return port;
}

Vehicle& TheVehicle()
{
    static Vehicle vehicle;
    return vehicle;
}

Scantool& TheScantool()
{
    static Scantool scantool(&TheSerialPort(), &TheVehicle());
    return scantool;
}

}  // namespace obdvane
