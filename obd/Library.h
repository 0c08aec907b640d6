#pragma once

// The library's global objects, which the exported functions work on.

namespace obdvane {

class SerialPort;

// The one port to the adapter, for the library's whole life; its
// destructor closes the port when the library is unloaded.
SerialPort& TheSerialPort();

}  // namespace obdvane
