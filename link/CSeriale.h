#pragma once

// The first ECU protocol: frames with a one-byte length, byte indexes 0 to
// 255 into two memory images, one request per byte for parameters.
//
// Frame: total length (CRC included, 4 to 255), command code, payload,
// CRC-16 low byte, high byte. The reply repeats the request's command.
// Every command returns a result code (EcuTypes.h) and writes the text of a
// failure to the object's session log. Not thread-safe: one thread at a
// time (the link worker, or on a remote slave the relay thread).

#include "common/CLogFile.h"
#include "link/EcuCrc16.h"
#include "link/EcuTypes.h"
#include "link/ProtocolHost.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexar::link {

class CSeriale {
public:
    static constexpr std::size_t kIdentLength = 11;

    // `logName` names the session log ("InfoSeriale" for the application's
    // object). `host` may be null: no K-line, no trace, no bridge.
    explicit CSeriale(const std::u16string& logName, ProtocolHost* host = nullptr, ProtocolTiming timing = {});
    virtual ~CSeriale();
    CSeriale(const CSeriale&) = delete;
    CSeriale& operator=(const CSeriale&) = delete;

    void SetHost(ProtocolHost* host) { m_pHost = host; }

    // Opens and configures the port (PortOpenConfig); the serial layer's
    // code. A failure is logged and leaves the port number 0.
    int OpenPort(int port, const std::u16string& devicePath, long baud, int parity, int dataBits, int stopBits,
                 int inQueue, int outQueue);
    // Closes the port kept at the open; the argument is not used.
    int ClosePort(int port);
    int GetPort() const { return m_nPort; }

    // The images the commands read and write (not owned): the parameters
    // and the variables.
    void SetMainImage(std::span<std::uint8_t> image) { m_mainImage = image; }
    void SetAuxImage(std::span<std::uint8_t> image) { m_auxImage = image; }

    int ReadByte(std::uint8_t index);                  // command 1: main image [index]
    int WriteByte(std::uint8_t index);                 // command 2: main image [index]
    int ReadAuxBlock(std::uint8_t index, std::uint8_t count);  // command 5: aux image [index, index + count)
    int MaskedWriteAuxByte(std::uint8_t index, std::uint8_t keepMask, std::uint8_t value);  // command 6
    int ReadIdent(std::span<std::uint8_t, kIdentLength> buffer);  // command 7
    int ResetEcu();                                    // command 8
    int Session(std::uint8_t flag);                    // command 9: 1 open, 0 close

    // The slave side of the relay: sends a frame built by the remote master
    // unchanged and reads the reply its command calls for into `reply`.
    // `expected` receives that reply length (0 for a command without one,
    // which never gets a reply).
    int TransactRaw(std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected);

    // The CRC of the first `count` bytes (count taken modulo 256) with its
    // two bytes exchanged, so that storing it high byte first puts the
    // CRC's low byte first.
    std::uint16_t Crc16(const std::uint8_t* bytes, unsigned count) const;

    // Posts a trace line of the bytes while a trace window is open.
    void TraceFrame(bool received, bool overBridge, std::span<const std::uint8_t> bytes);

    // Writes the result's text to the log when the result is not RES_OK;
    // returns the result.
    int ReportError(int result);
    // Writes a text of the caller's to the session log.
    void WriteLog(const std::u16string& text) { m_log.Write(text); }

private:
    int Transact();
    int Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, RemoteLine* remote);
    // Sets up the request: length, command, payload; returns the payload.
    std::span<std::uint8_t> BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength);
    int Acknowledged();

    int m_nPort = 0;
    long m_nBaud = 0;
    CLogFile m_log;
    EcuCrc16 m_crc;
    std::array<std::uint8_t, 512> m_txBuffer{};
    std::array<std::uint8_t, 512> m_rxBuffer{};
    std::uint8_t m_nRxLength = 0;
    std::uint8_t m_nTxLength = 0;
    std::span<std::uint8_t> m_mainImage;
    std::span<std::uint8_t> m_auxImage;
    ProtocolHost* m_pHost = nullptr;
    ProtocolTiming m_timing;
};

}  // namespace vexar::link
