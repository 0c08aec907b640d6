#pragma once

// The first ECU protocol: frames with a one-byte length, byte indexes 0 to
// 255 into two memory images, one request per byte for parameters.
//
// Frame: total length (CRC included, 4 to 255), command code, payload,
// CRC-16 low byte, high byte. The reply repeats the request's command.
// Every command returns a result code (EcuTypes.h) and writes the text of a
// failure to the object's session log. Not thread-safe: one thread at a
// time (the link worker, or on a remote slave the relay thread).

#include "link/CEcuLine.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexar::link {

class CSeriale : public CEcuLine {
public:
    // `logName` names the session log ("InfoSeriale" for the application's
    // object). `host` may be null: no K-line, no trace, no bridge.
    explicit CSeriale(const std::u16string& logName, ProtocolHost* host = nullptr, ProtocolTiming timing = {});

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

    // Writes the result's text to the log when the result is not RES_OK;
    // returns the result.
    int ReportError(int result);

private:
    int Transact();
    int Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, RemoteLine* remote);
    // Sets up the request: length, command, payload; returns the payload.
    std::span<std::uint8_t> BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength);
    int Acknowledged();

    std::uint8_t m_nRxLength = 0;
    std::uint8_t m_nTxLength = 0;
};

}  // namespace vexar::link
