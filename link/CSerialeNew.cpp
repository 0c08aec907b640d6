#include "link/CSerialeNew.h"

#include "link/EcuExchange.h"
#include "link/SerialPort.h"

#include <algorithm>

namespace vexar::link {

namespace {

constexpr std::uint8_t kAck = 6;
constexpr std::size_t kCommandAt = 2;
constexpr std::size_t kPayloadAt = 3;
constexpr std::size_t kFrameOverhead = 5;  // two length bytes, command, two CRC bytes
constexpr std::size_t kBlockSize = 256;
constexpr std::size_t kMaxPieces = 64;
constexpr std::size_t kMaxPieceData = 254;

constexpr std::uint8_t CMD_READ_MAIN = 1;
constexpr std::uint8_t CMD_WRITE_MAIN = 2;
constexpr std::uint8_t CMD_READ_MEM = 3;
constexpr std::uint8_t CMD_WRITE_MEM = 4;
constexpr std::uint8_t CMD_READ_AUX = 5;
constexpr std::uint8_t CMD_MASKED_WRITE = 6;
constexpr std::uint8_t CMD_READ_IDENT = 7;
constexpr std::uint8_t CMD_RESET = 8;
constexpr std::uint8_t CMD_SESSION = 9;
constexpr std::uint8_t CMD_SET_BAUD = 10;
constexpr std::uint8_t CMD_UPLOAD_LIST = 11;

std::uint8_t High(std::uint32_t word) { return static_cast<std::uint8_t>((word >> 8) & 0xFF); }
std::uint8_t Low(std::uint32_t word) { return static_cast<std::uint8_t>(word & 0xFF); }

void PutLong(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

// A size byte of 0 stands for 256.
std::size_t SizeFromByte(std::uint8_t size) { return size == 0 ? kBlockSize : size; }

// The reply of a list upload: its 10 framing bytes and the bytes of every
// piece the frame asks for (piece count at 4, pieces of 4 bytes from 8,
// each address and length high byte first); 0 for a frame too short to
// hold its pieces.
int UploadListReplyLength(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 8)
        return 0;
    const std::size_t pieces = static_cast<std::size_t>(frame[4] << 8 | frame[5]);
    if (frame.size() < 8 + pieces * 4)
        return 0;
    int data = 0;
    for (std::size_t i = 0; i < pieces; ++i)
        data += frame[10 + i * 4] << 8 | frame[11 + i * 4];
    return 10 + data;
}

// The reply length a relayed frame's command calls for; 0 for a command
// that has no reply.
int RawReplyLength(std::span<const std::uint8_t> frame)
{
    if (frame.size() <= kCommandAt)
        return 0;
    switch (frame[kCommandAt]) {
    case 1:
    case 5:
        return frame.size() > 6 ? static_cast<int>(SizeFromByte(frame[6]) + 8) : 0;
    case 2:
        return 10;
    case 3:
        return frame.size() > 5 ? static_cast<int>(SizeFromByte(frame[5]) + 7) : 0;
    case 4:
    case 6:
        return 9;
    case 7:
        return 16;
    case 8:
    case 9:
        return 6;
    case 10:
        return 7;
    case CMD_UPLOAD_LIST: return UploadListReplyLength(frame);
    default:
        return 0;
    }
}

long BaudForSpeedCode(std::uint8_t code)
{
    switch (code) {
    case 0: return 4800;
    case 2: return 19200;
    case 3: return 38400;
    case 4: return 57600;
    case 5: return 115200;
    default: return 9600;
    }
}

// Whether [address, address + length) lies inside the 16-bit address space
// and inside an image of `imageSize` bytes.
bool RangeFits(std::uint64_t address, std::uint64_t length, std::size_t imageSize)
{
    const std::uint64_t end = address + length;
    return end <= CSerialeNew::kAddressSpace && end <= imageSize;
}

}  // namespace

CSerialeNew::CSerialeNew(const std::u16string& logName, ProtocolHost* host, ProtocolTiming timing)
    : CEcuLine(logName, host, timing), m_image(kAddressSpace, 0)
{
}

std::uint16_t CSerialeNew::Crc16(const std::uint8_t* bytes, std::uint16_t count) const
{
    const std::uint16_t crc = m_crc.Compute(std::span<const std::uint8_t>(bytes, count));
    return static_cast<std::uint16_t>((crc << 8) | (crc >> 8));
}

int CSerialeNew::ReportError(int result, std::uint8_t ecuError)
{
    if (result == RES_OK)
        return result;
    std::u16string_view text;
    switch (result) {
    case RES_NO_ACK:
        switch (ecuError) {
        case 5: text = u"Errore nella ricezione dell'ACK (ERR_CRC)"; break;
        case 6: text = u"Errore nella ricezione dell'ACK (ERR_LOST_DATA)"; break;
        case 7: text = u"Errore nella ricezione dell'ACK (ERR_TOO_MUCH_DATA)"; break;
        default: text = detail::ResultText(result); break;
        }
        break;
    case RES_NO_ECHO_BLOCK: text = u"Errore nella ricezione dell'ECO Block."; break;
    case RES_NO_ECHO_OFFSET: text = u"Errore nella ricezione dell'ECO Offset."; break;
    default: text = detail::ResultText(result); break;
    }
    m_log.Write(std::u16string(text));
    return result;
}

std::span<std::uint8_t> CSerialeNew::BeginRequest(std::uint8_t command, std::size_t payload, std::size_t replyLength)
{
    m_nTxLength = static_cast<std::uint16_t>(payload + kFrameOverhead);
    m_nRxLength = static_cast<std::uint16_t>(replyLength);
    m_txBuffer[0] = High(m_nTxLength);
    m_txBuffer[1] = Low(m_nTxLength);
    m_txBuffer[kCommandAt] = command;
    return std::span<std::uint8_t>(m_txBuffer).subspan(kPayloadAt, payload);
}

bool CSerialeNew::ReplyWord(std::size_t at, std::uint16_t word) const
{
    return m_rxBuffer[at] == High(word) && m_rxBuffer[at + 1] == Low(word);
}

int CSerialeNew::Transact()
{
    const auto request = std::span<std::uint8_t>(m_txBuffer).first(m_nTxLength);
    detail::SealFrame(m_crc, request);
    // The command code is checked by each command, not here.
    const int result = Run(request, std::span<std::uint8_t>(m_rxBuffer).first(m_nRxLength), false,
                           m_pHost ? m_pHost->Remote() : nullptr);
    if ((result == RES_REMOTE_GONE || result == RES_TIMEOUT || result == RES_BAD_CRC) && m_pHost &&
        m_pHost->Tracing())
        m_pHost->PostTraceLine(std::u16string(detail::ResultText(result)));
    return result;
}

int CSerialeNew::TransactRaw(std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected)
{
    expected = RawReplyLength(frame);
    if (static_cast<std::size_t>(expected) > reply.size())
        return RES_BAD_RANGE;
    // The relay does check the command code of the reply.
    return Run(frame, reply.first(static_cast<std::size_t>(expected)), true, nullptr);
}

int CSerialeNew::Run(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply, bool checkCommand,
                     RemoteLine* remote)
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
    return detail::RunTransaction(x, request, reply, checkCommand, remote);
}

// ---- Block transfers --------------------------------------------------------

int CSerialeNew::ReadMain(std::uint32_t address, std::uint32_t length, ProgressTarget* progress)
{
    return ReadBlocks(CMD_READ_MAIN, address, length, progress);
}

int CSerialeNew::ReadAux(std::uint32_t address, std::uint32_t length, ProgressTarget* progress)
{
    return ReadBlocks(CMD_READ_AUX, address, length, progress);
}

// Command 1 asks for every block at the start address and assembles the
// blocks from offset 0 of the internal image; command 5 asks for each block
// at its own address and assembles it there.
int CSerialeNew::ReadBlocks(std::uint8_t command, std::uint32_t address, std::uint32_t length,
                            ProgressTarget* progress)
{
    const bool ownAddress = command == CMD_READ_AUX;
    std::span<std::uint8_t> target = ownAddress ? m_auxImage : m_mainImage;
    length = std::min<std::uint32_t>(length, kAddressSpace);
    if (!RangeFits(address, length, target.size()))
        return ReportError(RES_BAD_RANGE);

    const std::size_t blocks = (length + kBlockSize - 1) / kBlockSize;
    const std::size_t assembleAt = ownAddress ? address : 0;
    if (progress)
        progress->PostRange(blocks);
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::size_t size = std::min<std::size_t>(kBlockSize, length - i * kBlockSize);
        const std::uint8_t addressHigh = static_cast<std::uint8_t>(High(address) + (ownAddress ? i : 0));
        const auto payload = BeginRequest(command, 6, size + 8);
        payload[0] = static_cast<std::uint8_t>(i);
        payload[1] = addressHigh;
        payload[2] = Low(address);
        payload[3] = static_cast<std::uint8_t>(size);  // 256 travels as 0
        payload[4] = High(length);
        payload[5] = Low(length);

        int result = Transact();
        if (result == RES_OK) {
            if (ReplyByte(kCommandAt) != command)
                result = RES_NO_ECHO;
            else if (ReplyByte(3) != payload[0])
                result = RES_NO_ECHO_BLOCK;
            else if (ReplyByte(4) != addressHigh || ReplyByte(5) != payload[2])
                result = RES_NO_ECHO_OFFSET;
        }
        if (result != RES_OK)
            return ReportError(result);
        std::copy_n(m_rxBuffer.begin() + 6, size, m_image.begin() + static_cast<std::ptrdiff_t>(assembleAt + i * kBlockSize));
        if (progress)
            progress->PostStep(i + 1);
    }
    std::copy_n(m_image.begin() + static_cast<std::ptrdiff_t>(assembleAt), length, target.begin() + address);
    return RES_OK;
}

int CSerialeNew::WriteMain(std::uint32_t address, std::uint32_t length, ProgressTarget* progress)
{
    length = std::min<std::uint32_t>(length, kAddressSpace);
    if (!RangeFits(address, length, m_mainImage.size()))
        return ReportError(RES_BAD_RANGE);

    const std::size_t blocks = (length + kBlockSize - 1) / kBlockSize;
    if (progress)
        progress->PostRange(blocks);
    for (std::size_t i = 0; i < blocks; ++i) {
        const std::size_t size = std::min<std::size_t>(kBlockSize, length - i * kBlockSize);
        const auto payload = BeginRequest(CMD_WRITE_MAIN, 6 + size, 10);
        payload[0] = static_cast<std::uint8_t>(i);
        payload[1] = High(address);
        payload[2] = Low(address);
        payload[3] = static_cast<std::uint8_t>(size);
        payload[4] = High(length);
        payload[5] = Low(length);
        std::copy_n(m_mainImage.begin() + static_cast<std::ptrdiff_t>(address + i * kBlockSize), size,
                    payload.begin() + 6);

        int result = Transact();
        if (result == RES_OK) {
            if (ReplyByte(kCommandAt) != CMD_WRITE_MAIN)
                result = RES_NO_ECHO;
            else if (ReplyByte(3) != payload[0])
                result = RES_NO_ECHO_BLOCK;
            else if (!ReplyWord(4, static_cast<std::uint16_t>(address)))
                result = RES_NO_ECHO_OFFSET;
            else if (ReplyByte(6) != kAck)
                return ReportError(RES_NO_ACK, ReplyByte(7));
        }
        if (result != RES_OK)
            return ReportError(result);
        if (progress)
            progress->PostStep(i + 1);
    }
    return RES_OK;
}

// ---- Memory access ------------------------------------------------------------

int CSerialeNew::ReadMem(std::uint16_t address, std::uint32_t length, std::span<std::uint8_t> bytes)
{
    const std::size_t size = std::min<std::size_t>(length, kBlockSize);
    if (size > bytes.size())
        return ReportError(RES_BAD_RANGE);
    if (size == 0)
        return RES_OK;
    const auto payload = BeginRequest(CMD_READ_MEM, 3, size + 7);
    payload[0] = High(address);
    payload[1] = Low(address);
    payload[2] = static_cast<std::uint8_t>(size);

    int result = Transact();
    if (result == RES_OK) {
        if (ReplyByte(kCommandAt) != CMD_READ_MEM)
            result = RES_NO_ECHO;
        else if (!ReplyWord(3, address))
            result = RES_NO_ECHO_INDEX;
        else
            std::copy_n(m_rxBuffer.begin() + 5, size, bytes.begin());
    }
    return ReportError(result);
}

int CSerialeNew::WriteMem(std::uint16_t address, std::uint32_t length, std::span<const std::uint8_t> bytes)
{
    const std::size_t size = std::min<std::size_t>(length, kBlockSize);
    if (size > bytes.size())
        return ReportError(RES_BAD_RANGE);
    if (size == 0)
        return RES_OK;
    const auto payload = BeginRequest(CMD_WRITE_MEM, 3 + size, 9);
    payload[0] = High(address);
    payload[1] = Low(address);
    payload[2] = static_cast<std::uint8_t>(size);
    std::copy_n(bytes.begin(), size, payload.begin() + 3);

    return AddressedWriteExchange(CMD_WRITE_MEM, address);
}

// The exchange of a write to an ECU address: the reply echoes the command
// and the address and carries an acknowledge byte, followed on a refusal by
// the ECU's error code.
int CSerialeNew::AddressedWriteExchange(std::uint8_t command, std::uint16_t address)
{
    int result = Transact();
    if (result == RES_OK) {
        if (ReplyByte(kCommandAt) != command)
            result = RES_NO_ECHO;
        else if (!ReplyWord(3, address))
            result = RES_NO_ECHO_OFFSET;
        else if (ReplyByte(5) != kAck)
            return ReportError(RES_NO_ACK, ReplyByte(6));
    }
    return ReportError(result);
}

int CSerialeNew::MaskedWrite(std::uint16_t address, std::uint32_t keepMask, std::uint32_t value)
{
    const auto payload = BeginRequest(CMD_MASKED_WRITE, 10, 9);
    payload[0] = High(address);
    payload[1] = Low(address);
    PutLong(&payload[2], keepMask);
    PutLong(&payload[6], value);

    return AddressedWriteExchange(CMD_MASKED_WRITE, address);
}

// ---- Identification, reset, session, speed ------------------------------------

int CSerialeNew::ReadIdent(std::span<std::uint8_t, kIdentLength> buffer)
{
    BeginRequest(CMD_READ_IDENT, 0, kIdentLength + kFrameOverhead);
    int result = Transact();
    if (result == RES_OK) {
        std::copy_n(m_rxBuffer.begin() + kPayloadAt, kIdentLength, buffer.begin());
        if (ReplyByte(kCommandAt) != CMD_READ_IDENT)
            result = RES_NO_ECHO;
    }
    return ReportError(result);
}

// A command whose reply is its echo and an acknowledge byte.
int CSerialeNew::AcknowledgedCommand(std::uint8_t command, std::span<const std::uint8_t> payload)
{
    std::span<std::uint8_t> request = BeginRequest(command, payload.size(), 6);
    std::copy(payload.begin(), payload.end(), request.begin());
    int result = Transact();
    if (result == RES_OK) {
        if (ReplyByte(3) != kAck)
            result = RES_NO_ACK;
        else if (ReplyByte(kCommandAt) != command)
            result = RES_NO_ECHO;
    }
    return ReportError(result);
}

int CSerialeNew::ResetEcu()
{
    return AcknowledgedCommand(CMD_RESET, {});
}

int CSerialeNew::Session(std::uint8_t flag)
{
    const std::uint8_t payload[] = {flag};
    return AcknowledgedCommand(CMD_SESSION, payload);
}

int CSerialeNew::SetBaud(std::uint8_t speedCode)
{
    BeginRequest(CMD_SET_BAUD, 1, 7)[0] = speedCode;
    int result = Transact();
    if (result == RES_OK) {
        // All three are checked; when several fail, the last one found wins.
        if (ReplyByte(kCommandAt) != CMD_SET_BAUD)
            result = RES_NO_ECHO;
        if (ReplyByte(3) != speedCode)
            result = RES_NO_ECHO_BAUD;
        if (ReplyByte(4) != kAck)
            result = RES_NO_ACK;
    }
    if (result != RES_OK)
        return ReportError(result);

    // The ECU has switched. When this side cannot follow, the link is lost:
    // say so, so that the caller keeps the speed it really uses.
    const long baud = BaudForSpeedCode(speedCode);
    if (PortSetBaud(m_nPort, baud) != PORT_OK) {
        m_log.Write(u"Impossibile modificare il baud rate della linea seriale!");
        return RES_TIMEOUT;
    }
    m_nBaud = baud;
    return RES_OK;
}

// ---- Address-list upload --------------------------------------------------------

int CSerialeNew::UploadList(std::uint16_t value, std::span<const REC_UPLD_SV> blocks, ProgressTarget* progress)
{
    for (const REC_UPLD_SV& block : blocks) {
        if (block.address < 0 || block.length < 0 ||
            !RangeFits(static_cast<std::uint64_t>(block.address), static_cast<std::uint64_t>(block.length),
                       m_auxImage.size()))
            return ReportError(RES_BAD_RANGE);
    }

    // Cut the blocks into frames of at most 64 pieces and 254 data bytes; a
    // block that does not fit whole closes the frame with its first part.
    std::vector<std::vector<Piece>> frames;
    std::vector<Piece> pieces;
    std::size_t room = kMaxPieceData;
    for (const REC_UPLD_SV& block : blocks) {
        std::size_t address = static_cast<std::size_t>(block.address);
        std::size_t left = static_cast<std::size_t>(block.length);
        while (left > 0) {
            const std::size_t take = std::min(left, room);
            pieces.push_back({static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(take)});
            address += take;
            left -= take;
            room -= take;
            if (pieces.size() == kMaxPieces || room == 0) {
                frames.push_back(std::move(pieces));
                pieces.clear();
                room = kMaxPieceData;
            }
        }
    }
    if (!pieces.empty())
        frames.push_back(std::move(pieces));

    if (progress && !blocks.empty()) {
        // The list is sorted; an unsorted one gets an empty range, not a huge one.
        const std::int32_t spread = std::max(blocks.back().address - blocks.front().address, 0);
        progress->PostRange(static_cast<std::size_t>(spread) / kMaxPieceData);
    }
    for (std::size_t k = 0; k < frames.size(); ++k) {
        if (const int result = SendFrame(static_cast<std::uint16_t>(k), frames[k], value); result != RES_OK)
            return ReportError(result);
        if (progress && k + 1 < frames.size())
            progress->PostStep(k + 1);
    }
    for (const REC_UPLD_SV& block : blocks)
        std::copy_n(m_image.begin() + block.address, block.length, m_auxImage.begin() + block.address);
    return RES_OK;
}

// One frame of the upload; its data are laid into the internal image.
int CSerialeNew::SendFrame(std::uint16_t number, const std::vector<Piece>& pieces, std::uint16_t value)
{
    std::size_t data = 0;
    for (const Piece& piece : pieces)
        data += piece.length;
    const auto payload = BeginRequest(CMD_UPLOAD_LIST, 5 + pieces.size() * 4, data + 10);
    payload[0] = Low(number);
    payload[1] = High(static_cast<std::uint32_t>(pieces.size()));
    payload[2] = Low(static_cast<std::uint32_t>(pieces.size()));
    payload[3] = High(value);
    payload[4] = Low(value);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        payload[5 + i * 4] = High(pieces[i].address);
        payload[6 + i * 4] = Low(pieces[i].address);
        payload[7 + i * 4] = High(pieces[i].length);
        payload[8 + i * 4] = Low(pieces[i].length);
    }

    const int result = Transact();
    if (result != RES_OK)
        return result;
    if (ReplyByte(kCommandAt) != CMD_UPLOAD_LIST)
        return RES_NO_ECHO;
    if (ReplyByte(3) != payload[0])
        return RES_NO_ECHO_BLOCK;
    auto from = m_rxBuffer.begin() + 8;
    for (const Piece& piece : pieces) {
        std::copy_n(from, piece.length, m_image.begin() + piece.address);
        from += piece.length;
    }
    return RES_OK;
}

}  // namespace vexar::link
