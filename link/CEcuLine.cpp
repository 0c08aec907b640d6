#include "link/CEcuLine.h"

#include "common/Text.h"
#include "link/EcuExchange.h"
#include "link/SerialPort.h"

namespace vexar::link {

CEcuLine::CEcuLine(const std::u16string& logName, ProtocolHost* host, ProtocolTiming timing)
    : m_log(logName, u"Gestione comunicazione seriale con la centralina ECU"), m_pHost(host), m_timing(timing)
{
}

CEcuLine::~CEcuLine() { m_log.Close(); }

int CEcuLine::OpenPort(int port, const std::u16string& devicePath, long baud, int parity, int dataBits,
                       int stopBits, int inQueue, int outQueue)
{
    const int code = PortOpenConfig(port, devicePath.c_str(), baud, parity, dataBits, stopBits, inQueue, outQueue);
    if (code == PORT_OK) {
        m_nPort = port;
        m_nBaud = baud;
    } else {
        m_nPort = 0;
        m_log.Write(vexar::Format(u"Impossibile aprire la porta seriale %s\nCodice errore : %d", devicePath, code));
    }
    return code;
}

int CEcuLine::ClosePort(int /*port*/) { return PortClose(m_nPort); }

void CEcuLine::TraceFrame(bool received, bool overBridge, std::span<const std::uint8_t> bytes)
{
    detail::TraceFrame(m_pHost, received, overBridge, bytes);
}

}  // namespace vexar::link
