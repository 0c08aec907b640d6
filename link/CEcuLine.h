#pragma once

// What the two ECU protocol classes share: the serial port they own, its
// speed, the session log, the CRC, the frame buffers, the two images they
// read and write, the host that tells them about K-line, trace and bridge,
// and the time-outs. Not thread-safe: one thread at a time.

#include "common/CLogFile.h"
#include "link/EcuCrc16.h"
#include "link/EcuTypes.h"
#include "link/LineSource.h"
#include "link/ProtocolHost.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

namespace vexar::link {

class CEcuLine {
public:
    static constexpr std::size_t kIdentLength = 11;

    virtual ~CEcuLine();
    CEcuLine(const CEcuLine&) = delete;
    CEcuLine& operator=(const CEcuLine&) = delete;

    void SetHost(ProtocolHost* host) { m_pHost = host; }

    // Opens and configures the port (PortOpenConfig); the serial layer's
    // code. A failure is logged and leaves the port number 0. A port this
    // object still holds is closed first: it holds one port at a time, and
    // closes it when it goes.
    int OpenPort(int port, const std::u16string& devicePath, long baud, int parity, int dataBits, int stopBits,
                 int inQueue, int outQueue);
    // Closes the port kept at the open; the argument is not used.
    int ClosePort(int port);
    int GetPort() const { return m_nPort; }
    // Replaces the port by a byte source for the transactions (null: the
    // port again). Not owned.
    void SetLineSource(LineSource* source) { m_pSource = source; }

    // The images the commands read and write (not owned): the parameters
    // (main) and the variables (auxiliary).
    void SetMainImage(std::span<std::uint8_t> image) { m_mainImage = image; }
    void SetAuxImage(std::span<std::uint8_t> image) { m_auxImage = image; }

    // Posts a trace line of the bytes while a trace window is open.
    void TraceFrame(bool received, bool overBridge, std::span<const std::uint8_t> bytes);
    // Writes a text of the caller's to the session log.
    void WriteLog(const std::u16string& text) { m_log.Write(text); }

protected:
    // On the slave of remote assistance the relay thread and the link
    // worker share this object's line: each exchange (all its attempts)
    // holds the line alone. No other lock is taken while it is held but
    // the trace window's post.
    std::mutex m_csExchange;
    // `logName` names the session log; `host` may be null: no K-line, no
    // trace, no bridge.
    CEcuLine(const std::u16string& logName, ProtocolHost* host, ProtocolTiming timing);

    int m_nPort = 0;
    bool m_bPortHeld = false;  // m_nPort was opened here and not closed since
    long m_nBaud = 0;
    CLogFile m_log;
    EcuCrc16 m_crc;
    std::array<std::uint8_t, 512> m_txBuffer{};
    std::array<std::uint8_t, 512> m_rxBuffer{};
    std::span<std::uint8_t> m_mainImage;
    std::span<std::uint8_t> m_auxImage;
    ProtocolHost* m_pHost = nullptr;
    LineSource* m_pSource = nullptr;
    ProtocolTiming m_timing;
};

}  // namespace vexar::link
