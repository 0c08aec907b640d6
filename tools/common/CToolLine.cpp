#include "tools/common/CToolLine.h"

#include "link/SerialPort.h"

#include <cerrno>

namespace vexar::tools {

int CToolLine::Open(int& systemError)
{
    const int port = m_port;
    const int result = link::PortOpenConfig(port, nullptr, m_baud, link::PORT_PARITY_NONE, 8, 1, m_queueSize,
                                            m_queueSize);
    systemError = result == link::PORT_OK ? 0 : errno;
    if (result == link::PORT_OK)
        m_openPort = port;
    return result;
}

void CToolLine::Close()
{
    const int port = m_openPort.exchange(0);
    if (port != 0)
        link::PortClose(port);
}

void CToolLine::Purge() const
{
    const int port = m_openPort;
    if (port != 0)
        link::PortPurge(port);
}

}  // namespace vexar::tools
