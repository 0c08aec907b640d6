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

#include "common/CLogFile.h"
#include "link/EcuCrc16.h"
#include "link/EcuTypes.h"
#include "link/ProtocolHost.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexar::link {

class CSerialeNew {
public:
    static constexpr std::size_t kIdentLength = 11;
    static constexpr std::size_t kAddressSpace = 65536;

    // `logName` names the session log ("InfoSerialeNew" for the
    // application's object). `host` may be null: no K-line, no trace, no
    // bridge.
    explicit CSerialeNew(const std::u16string& logName, ProtocolHost* host = nullptr, ProtocolTiming timing = {});
    virtual ~CSerialeNew();
    CSerialeNew(const CSerialeNew&) = delete;
    CSerialeNew& operator=(const CSerialeNew&) = delete;

    void SetHost(ProtocolHost* host) { m_pHost = host; }

    int OpenPort(int port, const std::u16string& devicePath, long baud, int parity, int dataBits, int stopBits,
                 int inQueue, int outQueue);
    int ClosePort(int port);
    int GetPort() const { return m_nPort; }

    // The parameter (main) and variable (auxiliary) images, not owned.
    void SetMainImage(std::span<std::uint8_t> image) { m_mainImage = image; }
    void SetAuxImage(std::span<std::uint8_t> image) { m_auxImage = image; }

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
    void TraceFrame(bool received, bool overBridge, std::span<const std::uint8_t> bytes);
    // Writes the result's text to the log when it is not RES_OK; after a
    // negative acknowledge the ECU's error code selects the text.
    int ReportError(int result, std::uint8_t ecuError = 0);
    // Writes a text of the caller's to the session log.
    void WriteLog(const std::u16string& text) { m_log.Write(text); }

private:
    struct Piece {
        std::uint16_t address;
        std::uint16_t length;
    };

    int Transact();
    int Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, bool checkCommand,
            RemoteLine* remote);
    std::span<std::uint8_t> BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength);
    int ReadBlocks(std::uint8_t command, std::uint32_t address, std::uint32_t length, ProgressTarget* progress);
    int SendFrame(std::uint16_t number, const std::vector<Piece>& pieces, std::uint16_t value);
    std::uint8_t ReplyByte(std::size_t at) const { return m_rxBuffer[at]; }
    bool ReplyWord(std::size_t at, std::uint16_t word) const;

    int m_nPort = 0;
    long m_nBaud = 0;
    CLogFile m_log;
    EcuCrc16 m_crc;
    std::vector<std::uint8_t> m_image;  // where block reads are assembled, 65536 bytes
    std::array<std::uint8_t, 512> m_txBuffer{};
    std::array<std::uint8_t, 512> m_rxBuffer{};
    std::uint16_t m_nRxLength = 0;
    std::uint16_t m_nTxLength = 0;
    std::span<std::uint8_t> m_mainImage;
    std::span<std::uint8_t> m_auxImage;
    ProtocolHost* m_pHost = nullptr;
    ProtocolTiming m_timing;
};

}  // namespace vexar::link
