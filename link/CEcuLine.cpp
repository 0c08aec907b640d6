#include "link/CEcuLine.h"

#include "common/Text.h"
#include "link/EcuExchange.h"
#include "link/SerialPort.h"

namespace vexar::link {

CEcuLine::CEcuLine(const std::u16string& logName, ProtocolHost* host, ProtocolTiming timing)
    : m_log(logName, u"Gestione comunicazione seriale con la centralina ECU"), m_pHost(host), m_timing(timing)
{
}

CEcuLine::~CEcuLine()
{
    // The port table is the process's: a port left open would keep its
    // descriptor and its exclusive lock after its owner has gone, and no
    // one could open that port again.
    if (m_bPortHeld)
        PortClose(m_nPort);
    m_log.Close();
}

int CEcuLine::OpenPort(int port, const std::u16string& devicePath, long baud, int parity, int dataBits,
                       int stopBits, int inQueue, int outQueue)
{
    if (m_bPortHeld)
        ClosePort(0);
    const int code = PortOpenConfig(port, devicePath.c_str(), baud, parity, dataBits, stopBits, inQueue, outQueue);
    if (code == PORT_OK) {
        m_nPort = port;
        m_bPortHeld = true;
        m_nBaud = baud;
    } else {
        m_nPort = 0;
        m_log.Write(vexar::Format(u"Impossibile aprire la porta seriale %s\nCodice errore : %d", devicePath, code));
    }
    return code;
}

int CEcuLine::ClosePort(int /*port*/)
{
    m_bPortHeld = false;
    return PortClose(m_nPort);
}

void CEcuLine::TraceFrame(bool received, bool overBridge, std::span<const std::uint8_t> bytes)
{
    detail::TraceFrame(m_pHost, received, overBridge, bytes);
}

}  // namespace vexar::link
