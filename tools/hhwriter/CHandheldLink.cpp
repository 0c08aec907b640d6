#include "tools/hhwriter/CHandheldLink.h"

#include "link/SerialPort.h"
#include "tools/common/ComputeCrc16.h"

namespace vexar::tools {

namespace {

void PushCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = ComputeCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
}

}  // namespace

bool CHandheldLink::Open()
{
    Close();
    const int port = m_port;
    if (link::PortOpenConfig(port, nullptr, m_baud, link::PORT_PARITY_NONE, 8, 1, 512, 512) != link::PORT_OK)
        return false;
    m_openPort = port;
    link::PortSetTimeout(port, m_replyTimeout);
    link::PortFlushIn(port);
    return true;
}

void CHandheldLink::Close()
{
    const int port = m_openPort.exchange(0);
    if (port != 0)
        link::PortClose(port);
}

std::vector<std::uint8_t> CHandheldLink::BlockFrame(std::uint8_t bank, std::uint16_t address, const std::uint8_t* data,
                                                    std::size_t count)
{
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(count + 8), CMD_BLOCK, bank,
                                    static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                                    static_cast<std::uint8_t>(count)};
    frame.insert(frame.end(), data, data + count);
    PushCrc(frame);
    return frame;
}

std::vector<std::uint8_t> CHandheldLink::ByteFrame(std::uint16_t address, std::uint8_t value)
{
    std::vector<std::uint8_t> frame{0x07, CMD_BYTE, static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address), value};
    PushCrc(frame);
    return frame;
}

int CHandheldLink::Exchange(const std::vector<std::uint8_t>& frame, std::uint8_t* reply)
{
    const int port = m_openPort;
    if (port == 0)
        return -1;
    if (link::PortWrite(port, frame.data(), static_cast<int>(frame.size())) != static_cast<int>(frame.size()))
        return -1;
    return link::PortRead(port, reply, 4);
}

bool CHandheldLink::WriteBlock(std::uint8_t bank, std::uint16_t address, const std::uint8_t* data, std::size_t count)
{
    std::uint8_t reply[4] = {};
    return Exchange(BlockFrame(bank, address, data, count), reply) == 4;
}

bool CHandheldLink::WriteByte(std::uint16_t address, std::uint8_t value)
{
    std::uint8_t reply[4] = {};
    return Exchange(ByteFrame(address, value), reply) == 4 && reply[1] == CMD_BYTE;
}

bool CHandheldLink::WriteString(std::uint16_t address, const std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (!WriteByte(static_cast<std::uint16_t>(address + i), bytes[i]))
            return false;
    }
    return true;
}

}  // namespace vexar::tools
