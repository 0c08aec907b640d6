#pragma once

#include <cstdint>

namespace obdvane {

// The port the command layer and the adapter handshake talk through. Reads
// and writes report what moved in their count argument only: 0 unless all
// the bytes moved within the port's time-out.
class AbstractPort {
public:
    virtual void Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& written) = 0;
    virtual void Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& read) = 0;
    // The read and write time-out in milliseconds.
    virtual void SetTimeouts(std::uint32_t milliseconds) = 0;
    // Pulses the modem-control lines to wake the adapter, then discards
    // everything received and not yet sent.
    virtual void SetLines() = 0;

protected:
    // Ports are never destroyed through this interface.
    ~AbstractPort() = default;
};

}  // namespace obdvane
