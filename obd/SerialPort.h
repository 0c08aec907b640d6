#pragma once

#include "obd/AbstractPort.h"
#include "obd/SerialLine.h"

#include <string>

namespace obdvane {

// The adapter's port: always 9600 baud, no parity, 8 data bits, 1 stop bit.
class SerialPort : public AbstractPort {
public:
    explicit SerialPort(LineTimings timings = {});
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the named port ("COM3"); throws SerialException when the line
    // refuses, also when this port is open already (the open line stays).
    void Open(const std::string& portName);
    void Close();

    // The counts are 0 unless all the bytes moved within the time-out.
    void Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& written) override;
    void Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& read) override;
    void SetTimeouts(std::uint32_t milliseconds) override;
    void SetLines() override;

    const std::string& GetPortName() const { return m_portName; }
    const SerialLine& GetLine() const { return m_line; }

private:
    SerialLine m_line;
    std::string m_portName;
};

}  // namespace obdvane
