#pragma once

// The second ECU protocol: frames with a two-byte length, 16-bit byte
// addresses, block transfers of up to 256 bytes with block numbers and
// echoed addresses, masked 32-bit writes, the upload of a list of address
// ranges in one exchange, and a change of line speed.
//
// Frame: total length (CRC included) most significant byte first, command
// code, payload, CRC-16 low byte, high byte. Numbers in payloads are sent
// most significant byte first; a block size of 256 travels as 0. The
// transaction does not check the reply's command code: every command does.
// Not thread-safe: one thread at a time.

#include "link/CEcuLine.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexar::link {

class CSerialeNew : public CEcuLine {
public:
    static constexpr std::size_t kAddressSpace = 65536;

    // `logName` names the session log ("InfoSerialeNew" for the
    // application's object). `host` may be null: no K-line, no trace, no
    // bridge.
    explicit CSerialeNew(const std::u16string& logName, ProtocolHost* host = nullptr, ProtocolTiming timing = {});

    // Block transfers between the ECU and the image at the same addresses.
    // Lengths of 65536 or more are cut to 65536; a range that then ends
    // beyond 65536 or beyond the image is refused with RES_BAD_RANGE before
    // anything is sent. A failed read leaves the image unchanged; a failed
    // write leaves the blocks before it written in the ECU.
    int ReadMain(std::uint32_t address, std::uint32_t length, ProgressTarget* progress);   // command 1
    int WriteMain(std::uint32_t address, std::uint32_t length, ProgressTarget* progress);  // command 2
    int ReadAux(std::uint32_t address, std::uint32_t length, ProgressTarget* progress);    // command 5

    // Up to 256 bytes of ECU memory (longer requests are cut to 256) into or
    // from `bytes`, which must hold them.
    int ReadMem(std::uint16_t address, std::uint32_t length, std::span<std::uint8_t> bytes);         // command 3
    int WriteMem(std::uint16_t address, std::uint32_t length, std::span<const std::uint8_t> bytes);  // command 4

    // Up to four bytes from `address` on: a keep-mask bit of 1 keeps the
    // ECU's bit, 0 takes the bit of `value`.
    int MaskedWrite(std::uint16_t address, std::uint32_t keepMask, std::uint32_t value);  // command 6
    int ReadIdent(std::span<std::uint8_t, kIdentLength> buffer);                          // command 7
    int ResetEcu();                                                                        // command 8
    int Session(std::uint8_t flag);                                                        // command 9
    // Asks the ECU for another line speed (code 0 4800, 1 9600, 2 19200,
    // 3 38400, 4 57600, 5 115200; other codes 9600) and switches the local
    // port once the ECU agreed. RES_TIMEOUT when the local port cannot
    // follow: the ECU listens on the new speed, this side does not.
    int SetBaud(std::uint8_t speedCode);  // command 10
    // Reads the sorted blocks into the auxiliary image in frames of at most
    // 64 pieces and 254 data bytes. `value` is handed to the ECU as it is.
    int UploadList(std::uint16_t value, std::span<const REC_UPLD_SV> blocks, ProgressTarget* progress);  // command 11

    // The slave side of the relay, as CSeriale::TransactRaw.
    int TransactRaw(std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected);

    // The CRC of the first `count` bytes, two bytes exchanged (see CSeriale).
    std::uint16_t Crc16(const std::uint8_t* bytes, std::uint16_t count) const;
    // Writes the result's text to the log when it is not RES_OK; after a
    // negative acknowledge the ECU's error code selects the text.
    int ReportError(int result, std::uint8_t ecuError = 0);

private:
    struct Piece {
        std::uint16_t address;
        std::uint16_t length;
    };

    int Transact();
    int Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, bool checkCommand,
            RemoteLine* remote);
    std::span<std::uint8_t> BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength);
    int AcknowledgedCommand(std::uint8_t command, std::span<const std::uint8_t> payload);
    int AddressedWriteExchange(std::uint8_t command, std::uint16_t address);
    int ReadBlocks(std::uint8_t command, std::uint32_t address, std::uint32_t length, ProgressTarget* progress);
    int SendFrame(std::uint16_t number, const std::vector<Piece>& pieces, std::uint16_t value);
    std::uint8_t ReplyByte(std::size_t at) const { return m_rxBuffer[at]; }
    bool ReplyWord(std::size_t at, std::uint16_t word) const;

    std::vector<std::uint8_t> m_image;  // where block reads are assembled, 65536 bytes
    std::uint16_t m_nRxLength = 0;
    std::uint16_t m_nTxLength = 0;
};

}  // namespace vexar::link
