#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexar::tools {

// hhwriter's line to the handheld terminal's application: opened for one
// item and closed after it, block writes into a bank and byte writes, each
// answered with 4 bytes. Every frame ends with the CRC-16 of the bytes
// before it, low byte first.
class CHandheldLink {
public:
    static constexpr std::uint8_t CMD_BLOCK = 0x4C;  // "L"
    static constexpr std::uint8_t CMD_BYTE = 0x41;   // "A"

    // `replyTimeout`: seconds to wait for the 4 reply bytes (2 s).
    explicit CHandheldLink(double replyTimeout = 2.0) : m_replyTimeout(replyTimeout) {}
    ~CHandheldLink() { Close(); }
    CHandheldLink(const CHandheldLink&) = delete;
    CHandheldLink& operator=(const CHandheldLink&) = delete;

    void SetPort(int port) { m_port = port; }
    int Port() const { return m_port; }
    void SetBaud(long baud) { m_baud = baud; }
    long Baud() const { return m_baud; }

    // Opens port "COM%d" at the baud, 8 data bits, no parity, one stop bit,
    // queues of 512 bytes; read time-out 2 s, receive queue purged.
    bool Open();
    void Close();
    bool IsOpen() const { return m_openPort != 0; }

    // {n + 8, "L", bank, address (high first), n, data, CRC}: true when 4
    // reply bytes arrive.
    bool WriteBlock(std::uint8_t bank, std::uint16_t address, const std::uint8_t* data, std::size_t count);
    // {7, "A", address (high first), value, CRC}: true when 4 reply bytes
    // arrive and byte 1 is "A".
    bool WriteByte(std::uint16_t address, std::uint8_t value);
    // One byte write per byte at consecutive addresses; stops at the first
    // failure.
    bool WriteString(std::uint16_t address, const std::uint8_t* bytes, std::size_t count);

    static std::vector<std::uint8_t> BlockFrame(std::uint8_t bank, std::uint16_t address, const std::uint8_t* data,
                                                std::size_t count);
    static std::vector<std::uint8_t> ByteFrame(std::uint16_t address, std::uint8_t value);

private:
    // Sends the frame and reads the 4 reply bytes; the count read.
    int Exchange(const std::vector<std::uint8_t>& frame, std::uint8_t* reply);

    double m_replyTimeout;
    int m_port = 1;
    long m_baud = 19200;
    std::atomic<int> m_openPort{0};
};

}  // namespace vexar::tools
