#include "testing/bootsim/Kd01Loader.h"

#include "testing/bootsim/BootSums.h"

#include <algorithm>
#include <span>
#include <utility>

namespace vexar::bootsim {

namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

FrameOutcome Noise(std::vector<std::uint8_t> bytes, std::string note)
{
    FrameOutcome outcome;
    outcome.frame = std::move(bytes);
    outcome.valid = false;
    outcome.note = std::move(note);
    return outcome;
}

// The length a request of the command must have (WRITE: at least).
std::size_t RequestLength(std::uint8_t command)
{
    switch (command) {
    case Kd01Loader::kErase:
        return 14;
    case Kd01Loader::kWrite:
        return 8;
    case Kd01Loader::kVectors:
        return 7;
    case Kd01Loader::kCheck:
        return 6;
    default:
        return 0;
    }
}

std::uint16_t Word(const std::uint8_t* high)
{
    return static_cast<std::uint16_t>((high[0] << 8) | high[1]);
}

}  // namespace

Kd01Loader::Kd01Loader(Kd01Options options)
    : m_options(std::move(options)), m_on(m_options.poweredOn), m_boot(m_options.startInBootLoader),
      m_memory(0x10000, 0x00)
{
}

long Kd01Loader::ListeningBaud() const
{
    return m_on ? m_options.baud : 0;
}

std::vector<std::uint8_t> Kd01Loader::Memory(std::uint32_t address, std::size_t count) const
{
    std::vector<std::uint8_t> bytes(count, 0xFF);
    for (std::size_t i = 0; i < count && address + i < m_memory.size(); ++i)
        bytes[i] = m_memory[address + i];
    return bytes;
}

void Kd01Loader::FillMemory(std::uint8_t value)
{
    std::fill(m_memory.begin(), m_memory.end(), value);
}

std::vector<TimedBytes> Kd01Loader::GreetingBytes() const
{
    std::vector<TimedBytes> bytes;
    for (const std::string& line : m_options.noiseLines)
        bytes.push_back({m_options.greetingDelay, Bytes(line + "\r\n")});
    bytes.push_back({m_options.greetingDelay, Bytes(kGreeting)});
    return bytes;
}

void Kd01Loader::PowerOn()
{
    if (m_on)
        return;
    m_on = true;
    m_boot = true;
    m_buffer.clear();
    const std::vector<TimedBytes> greeting = GreetingBytes();
    m_unsolicited.insert(m_unsolicited.end(), greeting.begin(), greeting.end());
}

void Kd01Loader::PowerOff()
{
    m_on = false;
    m_boot = false;
    m_buffer.clear();
    m_unsolicited.clear();
}

std::vector<TimedBytes> Kd01Loader::TakeUnsolicited()
{
    return std::exchange(m_unsolicited, {});
}

std::vector<std::uint8_t> Kd01Loader::DropPartial()
{
    return std::exchange(m_buffer, {});
}

std::optional<FrameOutcome> Kd01Loader::Heard(std::uint8_t byte)
{
    return m_boot ? HeardBootLoader(byte) : HeardApplication(byte);
}

std::optional<FrameOutcome> Kd01Loader::HeardApplication(std::uint8_t byte)
{
    // The application's frames: length, command, data, CRC (low first). It
    // answers only the reset: 04 08 CRC.
    m_buffer.push_back(byte);
    if (m_buffer[0] < 4 || m_buffer[0] > 32)
        return Noise(std::exchange(m_buffer, {}), "not an application frame");
    if (m_buffer.size() < m_buffer[0])
        return std::nullopt;
    FrameOutcome outcome;
    outcome.frame = std::exchange(m_buffer, {});
    const std::size_t n = outcome.frame.size();
    const std::uint16_t crc = ApplicationCrc(std::span(outcome.frame).first(n - 2));
    outcome.valid = outcome.frame[n - 2] == (crc & 0xFF) && outcome.frame[n - 1] == (crc >> 8);
    outcome.command = outcome.frame[1];
    if (!outcome.valid) {
        outcome.note = "bad CRC";
        return outcome;
    }
    if (outcome.command != kAppReset || n != 4) {
        outcome.note = "not answered by the application";
        return outcome;
    }
    const std::optional<Fault> fault = m_faults.Take(kAppReset);
    if (fault && fault->kind == FaultKind::Silence) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    const bool refused = fault && fault->kind == FaultKind::Negative;
    std::vector<std::uint8_t> reply{0x05, kAppReset, refused ? kNak : kAck};
    if (fault && fault->kind == FaultKind::WrongEcho)
        reply[1] ^= 0x01;
    std::uint16_t replyCrc = ApplicationCrc(reply);
    if (fault && fault->kind == FaultKind::BadSum)
        replyCrc ^= 0x0101;
    reply.push_back(static_cast<std::uint8_t>(replyCrc));
    reply.push_back(static_cast<std::uint8_t>(replyCrc >> 8));
    const auto delay = fault && fault->kind == FaultKind::Late ? fault->late : std::chrono::milliseconds(0);
    outcome.replies.push_back({delay, std::move(reply)});
    outcome.note = "application reset";
    if (!refused) {
        m_boot = true;
        for (TimedBytes& bytes : GreetingBytes()) {
            bytes.delay += delay;
            outcome.replies.push_back(std::move(bytes));
        }
        outcome.note += ", boot loader started";
    }
    outcome.stopReading = fault && fault->kind == FaultKind::StopReading;
    outcome.unplug = fault && fault->kind == FaultKind::Unplug;
    return outcome;
}

std::optional<FrameOutcome> Kd01Loader::HeardBootLoader(std::uint8_t byte)
{
    m_buffer.push_back(byte);
    if (m_buffer.size() < 2)
        return std::nullopt;
    const std::size_t length = m_buffer[0];
    const std::uint8_t command = m_buffer[1];
    const std::size_t least = RequestLength(command);
    const bool lengthOk = least != 0 && (command == kErase || command == kCheck ? length == least : length >= least);
    if (!lengthOk)
        return Noise(std::exchange(m_buffer, {}), "not a boot-loader frame");
    if (m_buffer.size() < length)
        return std::nullopt;
    return BootLoader(std::exchange(m_buffer, {}));
}

FrameOutcome Kd01Loader::BootLoader(std::vector<std::uint8_t> frame)
{
    FrameOutcome outcome;
    const std::size_t n = frame.size();
    outcome.valid = frame[n - 1] == ByteSum8(std::span(frame).first(n - 1));
    outcome.command = frame[1];
    outcome.frame = std::move(frame);
    if (!outcome.valid) {
        outcome.note = "bad sum";
        return outcome;
    }
    const std::uint8_t command = outcome.frame[1];
    const std::uint8_t sequence = outcome.frame[2];
    const std::optional<Fault> fault = m_faults.Take(command);
    if (fault && fault->kind == FaultKind::Silence) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    bool accepted = false;
    if (fault && fault->kind == FaultKind::Negative)
        outcome.note = "refused (fault)";
    else
        accepted = Act(command, outcome.frame, outcome.note);

    std::vector<std::uint8_t> reply{0x05, command, sequence, accepted ? kAck : kNak};
    if (fault && fault->kind == FaultKind::WrongEcho)
        reply[1] ^= 0x01;
    std::uint8_t sum = ByteSum8(reply);
    if (fault && fault->kind == FaultKind::BadSum)
        sum ^= 0x01;
    reply.push_back(sum);
    auto delay = command == kErase ? m_options.eraseTime : std::chrono::milliseconds(0);
    if (fault && fault->kind == FaultKind::Late)
        delay += fault->late;
    outcome.replies.push_back({delay, std::move(reply)});
    outcome.stopReading = fault && fault->kind == FaultKind::StopReading;
    outcome.unplug = fault && fault->kind == FaultKind::Unplug;
    return outcome;
}

bool Kd01Loader::Act(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::string& note)
{
    const std::uint8_t sequence = frame[2];
    const std::uint8_t* payload = frame.data() + 3;
    const std::size_t payloadLength = frame.size() - 4;
    // A request repeated because its answer was lost is answered again.
    if (command != kErase && sequence == m_lastAccepted && m_expected >= 0 && command == kWrite) {
        note = "repeat of the last write";
        return true;
    }
    switch (command) {
    case kErase: {
        const std::uint16_t start = Word(payload + 4);
        const std::uint16_t stop = Word(payload + 6);
        if (start < kProgramFirst || stop >= kLoaderFirst || start > stop) {
            note = "erase range refused";
            return false;
        }
        std::fill(m_memory.begin() + kProgramFirst, m_memory.begin() + kLoaderFirst, 0xFF);
        std::fill(m_memory.begin() + kVectorFirst, m_memory.end(), 0xFF);
        m_eraseTime = Word(payload);
        m_eraseDate = Word(payload + 2);
        m_start = start;
        m_stop = stop;
        m_erased = true;
        m_expected = (sequence + 1) & 0xFF;
        m_lastAccepted = -1;
        note = "erased";
        return true;
    }
    case kWrite: {
        const std::uint32_t address = Word(payload);
        const std::size_t count = payload[2];
        if (!m_erased || sequence != m_expected || count == 0 || count > 200 || payloadLength != count + 3) {
            note = !m_erased ? "write before erase" : sequence != m_expected ? "wrong sequence" : "wrong count";
            return false;
        }
        if (address < kProgramFirst || address + count > kLoaderFirst) {
            note = "write outside the program area";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i)
            m_memory[address + i] &= payload[3 + i];
        m_lastAccepted = sequence;
        m_expected = (sequence + 1) & 0xFF;
        note = "stored";
        return true;
    }
    case kVectors: {
        if (!m_erased || sequence != m_expected || payloadLength % 3 != 0 || payloadLength / 3 * 2 > 32) {
            note = "vectors refused";
            return false;
        }
        for (std::size_t i = 0; i < payloadLength; i += 3) {
            if (payload[i] != 0xCC) {
                note = "vector triple without 0xCC";
                return false;
            }
        }
        for (std::size_t i = 0, at = kVectorFirst; i < payloadLength; i += 3, at += 2) {
            m_memory[at] &= payload[i + 1];
            m_memory[at + 1] &= payload[i + 2];
        }
        note = "vectors stored";
        return true;
    }
    case kCheck: {
        if (!m_erased || sequence != m_expected) {
            note = "check refused";
            return false;
        }
        const std::uint16_t expected = Word(payload);
        const std::uint16_t sum = static_cast<std::uint16_t>(
            ByteSum16(std::span(m_memory).subspan(m_start, std::size_t(m_stop) - m_start + 1)) +
            ByteSum16(std::span(m_memory).subspan(kVectorFirst)));
        note = sum == expected ? "checked" : "check failed";
        return sum == expected;
    }
    default:
        return false;
    }
}

}  // namespace vexar::bootsim
