#include "obd/Library.h"

#include "obd/SerialPort.h"

namespace obdvane {

SerialPort& TheSerialPort()
{
    // Made at its first use, so that other global objects of the library
    // may hold it whatever their order of construction; destroyed when the
    // library is unloaded, after every object that took it later.
    static SerialPort port;
    return port;
}

}  // namespace obdvane
