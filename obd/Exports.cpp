// The exported functions of obdvane. None lets an exception out: every
// outcome is a small integer result.
#include "obdvane/obdvane.h"

#include "obd/Library.h"
#include "obd/ScantoolException.h"
#include "obd/SerialPort.h"

#include <string>

namespace {

constexpr uint32_t kLastPort = 255;

}  // namespace

int32_t OpenCom(uint32_t port)
{
    if (port == 0 || port > kLastPort)
        return 0;
    try {
        obdvane::TheSerialPort().Open("COM" + std::to_string(port));
        return 1;
    } catch (const obdvane::SerialException&) {
        return 0;
    } catch (...) {
        return 0;
    }
}

int32_t CloseCom(void)
{
    try {
        obdvane::TheSerialPort().Close();
        return 1;
    } catch (...) {
        return 0;
    }
}
