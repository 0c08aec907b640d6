#include "link/CSeriale.h"

#include "link/EcuExchange.h"

#include <algorithm>

namespace vexar::link {

namespace {

constexpr std::uint8_t kAck = 6;
constexpr std::size_t kCommandAt = 1;
constexpr std::size_t kPayloadAt = 2;
constexpr std::size_t kFrameOverhead = 4;  // length, command, two CRC bytes

constexpr std::uint8_t CMD_READ_BYTE = 1;
constexpr std::uint8_t CMD_WRITE_BYTE = 2;
constexpr std::uint8_t CMD_READ_AUX_BLOCK = 5;
constexpr std::uint8_t CMD_MASKED_WRITE_AUX = 6;
constexpr std::uint8_t CMD_READ_IDENT = 7;
constexpr std::uint8_t CMD_RESET = 8;
constexpr std::uint8_t CMD_SESSION = 9;

// The reply length a relayed frame's command calls for; 0 for a command
// that has no reply.
int RawReplyLength(std::span<const std::uint8_t> frame)
{
    if (frame.size() <= kCommandAt)
        return 0;
    const std::uint8_t command = frame[kCommandAt];
    switch (command) {
    case 1:
        return 6;
    case 5:
    case 11:
        return frame.size() > 3 ? frame[3] + 5 : 0;
    case 7:
        return 15;
    default:
        return command >= 2 && command <= 12 ? 5 : 0;
    }
}

}  // namespace

CSeriale::CSeriale(const std::u16string& logName, ProtocolHost* host, ProtocolTiming timing)
    : CEcuLine(logName, host, timing)
{
}

std::uint16_t CSeriale::Crc16(const std::uint8_t* bytes, unsigned count) const
{
    const std::uint16_t crc = m_crc.Compute(std::span<const std::uint8_t>(bytes, count % 256));
    return static_cast<std::uint16_t>((crc << 8) | (crc >> 8));
}

int CSeriale::ReportError(int result)
{
    if (result != RES_OK)
        m_log.Write(std::u16string(detail::ResultText(result)));
    return result;
}

std::span<std::uint8_t> CSeriale::BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength)
{
    m_nTxLength = static_cast<std::uint8_t>(payload + kFrameOverhead);
    m_nRxLength = static_cast<std::uint8_t>(replyLength);
    m_txBuffer[0] = m_nTxLength;
    m_txBuffer[kCommandAt] = command;
    return std::span<std::uint8_t>(m_txBuffer).subspan(kPayloadAt, payload);
}

int CSeriale::Transact()
{
    const auto request = std::span<std::uint8_t>(m_txBuffer).first(m_nTxLength);
    detail::SealFrame(m_crc, request);
    return Run(request, std::span<std::uint8_t>(m_rxBuffer).first(m_nRxLength), m_pHost ? m_pHost->Remote() : nullptr);
}

int CSeriale::Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, RemoteLine* remote)
{
    detail::Exchange x;
    x.host = m_pHost;
    x.crc = &m_crc;
    x.timing = m_timing;
    x.port = m_nPort;
    x.baud = m_nBaud;
    x.commandAt = kCommandAt;
    x.source = m_pSource;
    std::lock_guard lock(m_csExchange);
    // A reply with another command code is retried.
    return detail::RunTransaction(x, request, reply, true, remote);
}

int CSeriale::ReadByte(std::uint8_t index)
{
    if (index >= m_mainImage.size())
        return ReportError(RES_BAD_RANGE);
    BeginRequest(CMD_READ_BYTE, 1, 6)[0] = index;
    int result = Transact();
    if (result == RES_OK) {
        if (m_rxBuffer[kPayloadAt] == index)
            m_mainImage[index] = m_rxBuffer[kPayloadAt + 1];
        else
            result = RES_NO_ECHO_INDEX;
    }
    return ReportError(result);
}

int CSeriale::WriteByte(std::uint8_t index)
{
    if (index >= m_mainImage.size())
        return ReportError(RES_BAD_RANGE);
    const auto payload = BeginRequest(CMD_WRITE_BYTE, 3, 5);
    payload[0] = index;
    payload[1] = 0;  // keep no bit of the ECU's byte
    payload[2] = m_mainImage[index];
    return Acknowledged();
}

int CSeriale::ReadAuxBlock(std::uint8_t index, std::uint8_t count)
{
    // The reply (count + 5 bytes) must fit a one-byte length, and the bytes
    // must land inside the image.
    if (count + kFrameOverhead + 1 > 255 || std::size_t{index} + count > m_auxImage.size())
        return ReportError(RES_BAD_RANGE);
    const auto payload = BeginRequest(CMD_READ_AUX_BLOCK, 2, count + kFrameOverhead + 1);
    payload[0] = index;
    payload[1] = count;
    int result = Transact();
    if (result == RES_OK) {
        if (m_rxBuffer[kPayloadAt] == index)
            std::copy_n(m_rxBuffer.begin() + kPayloadAt + 1, count, m_auxImage.begin() + index);
        else
            result = RES_NO_ECHO_INDEX;
    }
    return ReportError(result);
}

int CSeriale::MaskedWriteAuxByte(std::uint8_t index, std::uint8_t keepMask, std::uint8_t value)
{
    const auto payload = BeginRequest(CMD_MASKED_WRITE_AUX, 3, 5);
    payload[0] = index;
    payload[1] = keepMask;
    payload[2] = value;
    return Acknowledged();
}

int CSeriale::ReadIdent(std::span<std::uint8_t, kIdentLength> buffer)
{
    BeginRequest(CMD_READ_IDENT, 0, kIdentLength + kFrameOverhead);
    const int result = Transact();
    if (result == RES_OK)
        std::copy_n(m_rxBuffer.begin() + kPayloadAt, kIdentLength, buffer.begin());
    return ReportError(result);
}

int CSeriale::ResetEcu()
{
    BeginRequest(CMD_RESET, 0, 5);
    return Acknowledged();
}

int CSeriale::Session(std::uint8_t flag)
{
    BeginRequest(CMD_SESSION, 1, 5)[0] = flag;
    return Acknowledged();
}

// Runs a prepared request whose reply is one acknowledge byte.
int CSeriale::Acknowledged()
{
    int result = Transact();
    if (result == RES_OK && m_rxBuffer[kPayloadAt] != kAck)
        result = RES_NO_ACK;
    return ReportError(result);
}

int CSeriale::TransactRaw(std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected)
{
    expected = RawReplyLength(frame);
    if (static_cast<std::size_t>(expected) > reply.size())
        return RES_BAD_RANGE;
    return Run(frame, reply.first(static_cast<std::size_t>(expected)), nullptr);
}

}  // namespace vexar::link
