#include "obd/SerialPort.h"

#include "obd/ScantoolException.h"
#include "obd/Trace.h"

namespace obdvane {

SerialPort::SerialPort(LineTimings timings)
    : m_line(timings)
{
}

SerialPort::~SerialPort()
{
    Close();
}

void SerialPort::Open(const std::string& portName)
{
    m_portName = portName;
    if (!m_line.Open(portName, std::string())) {
        Trace("### Opening serial port %s... failed.", portName.c_str());
        throw SerialException("SerialPort::open:Open error.");
    }
    Trace("### Opening serial port %s... completed.", portName.c_str());
}

void SerialPort::Close()
{
    m_line.Close();
}

void SerialPort::Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& written)
{
    written = 0;
    m_line.Write(buffer, length, written);
}

void SerialPort::Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& read)
{
    read = 0;
    m_line.Read(buffer, length, read);
}

void SerialPort::SetTimeouts(std::uint32_t milliseconds)
{
    m_line.SetTimeouts(milliseconds);
}

void SerialPort::SetLines()
{
    m_line.SetLines();
}

}  // namespace obdvane
