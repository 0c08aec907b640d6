#include "testing/bootsim/Kd02Loader.h"

#include "testing/bootsim/BootSums.h"

#include <algorithm>
#include <span>
#include <utility>

namespace vexar::bootsim {

namespace {

constexpr std::size_t kLongestBootFrame = 1024 + 7;

void PutSum16(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t sum = ByteSum16(frame);
    frame.push_back(static_cast<std::uint8_t>(sum));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
}

// The length a boot request of this command must have (WRITE: at least).
std::size_t RequestLength(std::uint8_t command)
{
    switch (command) {
    case Kd02Loader::kConnect:
    case Kd02Loader::kErase:
        return 11;
    case Kd02Loader::kStopDownload:
        return 9;
    case Kd02Loader::kEraseResult:
    case Kd02Loader::kWriteVerify:
    case Kd02Loader::kDisconnect:
        return 7;
    case Kd02Loader::kWrite:
        return 8;
    default:
        return 0;
    }
}

// The boot loader's answer: command, length, 0x01 (accepted) or 0x00,
// a byte of its own, the payload, the 16-bit sum.
std::vector<std::uint8_t> BootReply(std::uint8_t command, bool accepted, const std::vector<std::uint8_t>& payload)
{
    const std::size_t length = 5 + payload.size() + 2;
    std::vector<std::uint8_t> reply{command, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(accepted ? 0x01 : 0x00), 0x00};
    reply.insert(reply.end(), payload.begin(), payload.end());
    PutSum16(reply);
    return reply;
}

// Bytes that cannot begin or continue a frame, logged as a bad request.
FrameOutcome Noise(std::vector<std::uint8_t> bytes, std::string note)
{
    FrameOutcome outcome;
    outcome.frame = std::move(bytes);
    outcome.valid = false;
    outcome.note = std::move(note);
    return outcome;
}

}  // namespace

Kd02Loader::Kd02Loader(Kd02Options options)
    : m_options(options), m_boot(options.startInBootLoader), m_flash(kFlashLast - kFlashFirst + 1, options.oldFlash)
{
}

long Kd02Loader::ListeningBaud() const
{
    return m_boot ? m_options.bootBaud : 9600;
}

std::vector<std::uint8_t> Kd02Loader::Flash(std::uint32_t address, std::size_t count) const
{
    std::vector<std::uint8_t> bytes(count, 0xFF);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = std::uint64_t(address) + i;
        if (at >= kFlashFirst && at <= kFlashLast)
            bytes[i] = m_flash[at - kFlashFirst];
    }
    return bytes;
}

void Kd02Loader::FillFlash(std::uint8_t value)
{
    std::fill(m_flash.begin(), m_flash.end(), value);
}

std::vector<std::uint8_t> Kd02Loader::DropPartial()
{
    return std::exchange(m_buffer, {});
}

std::optional<FrameOutcome> Kd02Loader::Heard(std::uint8_t byte)
{
    return m_boot ? HeardBootLoader(byte) : HeardApplication(byte);
}

std::optional<FrameOutcome> Kd02Loader::HeardApplication(std::uint8_t byte)
{
    m_buffer.push_back(byte);
    // 0x00, the length (4 to 16), the command, its data, the CRC.
    if (m_buffer[0] != 0x00 || (m_buffer.size() >= 2 && (m_buffer[1] < 4 || m_buffer[1] > 16))) {
        return Noise(std::exchange(m_buffer, {}), "not an application frame");
    }
    if (m_buffer.size() < 2 || m_buffer.size() < m_buffer[1])
        return std::nullopt;
    return Application(std::exchange(m_buffer, {}));
}

FrameOutcome Kd02Loader::Application(std::vector<std::uint8_t> frame)
{
    FrameOutcome outcome;
    const std::size_t n = frame.size();
    const std::uint16_t crc = ApplicationCrc(std::span(frame).first(n - 2));
    outcome.valid = frame[n - 2] == (crc & 0xFF) && frame[n - 1] == (crc >> 8);
    outcome.command = frame[2];
    outcome.frame = std::move(frame);
    if (!outcome.valid) {
        outcome.note = "bad CRC";
        return outcome;
    }
    const std::uint8_t command = outcome.frame[2];
    const bool query = command == kAppQuery && n == 6 && outcome.frame[3] == 0x01;
    const bool reset = command == kAppReset && n == 5;
    if (!query && !reset) {
        outcome.note = "not answered by the application";
        return outcome;
    }
    const std::optional<Fault> fault = m_faults.Take(command);
    if (fault && fault->kind == FaultKind::Silence) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    const bool refused = fault && fault->kind == FaultKind::Negative;
    std::vector<std::uint8_t> reply{0x00, 0x06, static_cast<std::uint8_t>(command), std::uint8_t(refused ? 0x15 : 0x06)};
    std::uint16_t replyCrc = ApplicationCrc(reply);
    if (fault && fault->kind == FaultKind::BadSum)
        replyCrc ^= 0x0101;
    if (fault && fault->kind == FaultKind::WrongEcho)
        reply[2] ^= 0x01;
    reply.push_back(static_cast<std::uint8_t>(replyCrc));
    reply.push_back(static_cast<std::uint8_t>(replyCrc >> 8));
    const auto delay = fault && fault->kind == FaultKind::Late ? fault->late : std::chrono::milliseconds(0);
    outcome.replies.push_back({delay, std::move(reply)});
    outcome.note = query ? "application query" : "application reset";
    if (reset && !refused) {
        m_boot = true;
        m_connected = false;
        outcome.note += ", boot loader entered";
    }
    outcome.stopReading = fault && fault->kind == FaultKind::StopReading;
    outcome.unplug = fault && fault->kind == FaultKind::Unplug;
    return outcome;
}

std::optional<FrameOutcome> Kd02Loader::HeardBootLoader(std::uint8_t byte)
{
    m_buffer.push_back(byte);
    if (m_buffer.size() < 3)
        return std::nullopt;
    const std::size_t length = m_buffer[1] | (std::size_t(m_buffer[2]) << 8);
    const std::size_t expected = RequestLength(m_buffer[0]);
    const bool lengthOk = expected != 0 && (m_buffer[0] == kWrite ? length >= expected && length <= kLongestBootFrame
                                                                   : length == expected);
    if (!lengthOk) {
        return Noise(std::exchange(m_buffer, {}), "not a boot-loader frame");
    }
    if (m_buffer.size() < length)
        return std::nullopt;
    return BootLoader(std::exchange(m_buffer, {}));
}

FrameOutcome Kd02Loader::BootLoader(std::vector<std::uint8_t> frame)
{
    FrameOutcome outcome;
    const std::size_t n = frame.size();
    const std::uint16_t sum = ByteSum16(std::span(frame).first(n - 2));
    const bool sumOk = frame[n - 2] == (sum & 0xFF) && frame[n - 1] == (sum >> 8);
    const bool markOk = frame[3] == 0x00 && frame[4] == 0x01;
    const std::uint8_t command = frame[0];
    outcome.command = command;
    outcome.valid = sumOk && markOk;
    outcome.frame = std::move(frame);
    if (!outcome.valid) {
        outcome.note = sumOk ? "bad bytes 3-4" : "bad sum";
        return outcome;
    }
    const std::optional<Fault> fault = m_faults.Take(command);
    const FaultKind kind = fault ? fault->kind : FaultKind::Late;
    if (fault && kind == FaultKind::Silence) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    std::uint8_t status = 0;
    bool accepted = false;
    if (fault && kind == FaultKind::Negative) {
        outcome.note = "refused (fault)";
    } else {
        accepted = Act(command, outcome.frame, status, outcome.note);
    }

    std::vector<std::uint8_t> payload;
    bool answers = true;
    switch (command) {
    case kConnect:
        payload = {0xAA, 0x55, 0xAA, 0x55};
        break;
    case kErase:
        break;
    case kEraseResult:
    case kWriteVerify:
        payload = {status};
        break;
    default:
        answers = false;  // WRITE, STOPDOWNLOAD and DISCONNECT are not answered
    }
    if (answers) {
        std::vector<std::uint8_t> reply = BootReply(command, accepted, payload);
        if (fault && kind == FaultKind::BadSum)
            reply.back() ^= 0x01;
        if (fault && kind == FaultKind::WrongEcho)
            reply[0] ^= 0x80;
        auto delay = command == kErase ? m_options.eraseTime : std::chrono::milliseconds(0);
        if (fault && kind == FaultKind::Late)
            delay += fault->late;
        outcome.replies.push_back({delay, std::move(reply)});
    }
    outcome.stopReading = fault && kind == FaultKind::StopReading;
    outcome.unplug = fault && kind == FaultKind::Unplug;
    return outcome;
}

bool Kd02Loader::Act(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::uint8_t& status,
                     std::string& note)
{
    const std::size_t dataLength = frame.size() - 7;
    const std::uint8_t* data = frame.data() + 5;
    switch (command) {
    case kConnect:
        m_connected = true;
        note = "connected";
        return true;
    case kErase: {
        const std::uint32_t length = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
        if (!m_connected || length == 0 || length > kFlashLast - kFlashFirst + 1) {
            note = m_connected ? "erase length outside the flash" : "erase before connect";
            return false;
        }
        std::fill(m_flash.begin(), m_flash.begin() + length, 0xFF);
        m_eraseLength = length;
        m_erased = true;
        m_writeFault = false;
        m_stopSeen = false;
        m_writeAddress = kFlashFirst;
        note = "erased " + std::to_string(length) + " bytes";
        return true;
    }
    case kEraseResult:
        status = m_erased ? 0x01 : 0x00;
        note = m_erased ? "erased" : "not erased";
        return m_connected;
    case kWrite: {
        if (!m_erased || m_writeAddress + dataLength > kFlashFirst + m_eraseLength) {
            m_writeFault = true;
            note = "write outside the erased range";
            return false;
        }
        for (std::size_t i = 0; i < dataLength; ++i)
            m_flash[m_writeAddress - kFlashFirst + i] &= data[i];  // flash only clears bits
        note = "stored at " + std::to_string(m_writeAddress);
        m_writeAddress += static_cast<std::uint32_t>(dataLength);
        return true;
    }
    case kStopDownload:
        m_stopSum = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
        m_stopSeen = true;
        note = "stop download";
        return true;
    case kWriteVerify: {
        // An odd length is padded as erased flash reads.
        const std::uint16_t sum = WordSum16(std::span(m_flash).first(m_eraseLength), 0xFF);
        const bool verified = m_erased && m_stopSeen && !m_writeFault && sum == m_stopSum;
        status = verified ? 0x01 : 0x00;
        note = verified ? "verified" : "verify failed";
        return m_connected;
    }
    case kDisconnect:
        m_boot = false;
        m_connected = false;
        note = "application started";
        return true;
    default:
        return false;
    }
}

}  // namespace vexar::bootsim
