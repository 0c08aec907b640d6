#include "testing/bootsim/HandheldTerminal.h"

#include "testing/bootsim/BootSums.h"

#include <algorithm>
#include <span>
#include <utility>

namespace vexar::bootsim {

namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::size_t kLongestBootFrame = 200 + 100 + 6;  // VECTORS of 200 bytes
constexpr std::size_t kBankSize = 0x10000;

FrameOutcome Noise(std::vector<std::uint8_t> bytes, std::string note)
{
    FrameOutcome outcome;
    outcome.frame = std::move(bytes);
    outcome.valid = false;
    outcome.note = std::move(note);
    return outcome;
}

std::uint16_t Word(const std::uint8_t* high)
{
    return static_cast<std::uint16_t>((high[0] << 8) | high[1]);
}

void PutWord(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

void PutCrc(std::vector<std::uint8_t>& bytes, bool spoil)
{
    std::uint16_t crc = ApplicationCrc(bytes);
    if (spoil)
        crc ^= 0x0101;
    bytes.push_back(static_cast<std::uint8_t>(crc));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcOk(const std::vector<std::uint8_t>& frame)
{
    const std::size_t n = frame.size();
    const std::uint16_t crc = ApplicationCrc(std::span(frame).first(n - 2));
    return frame[n - 2] == (crc & 0xFF) && frame[n - 1] == (crc >> 8);
}

// Whether a boot-loader request of the command may have this total length.
bool BootLengthFits(std::uint8_t command, std::size_t length)
{
    switch (command) {
    case HandheldTerminal::kPing:
    case HandheldTerminal::kInfo:
        return length == 5;
    case HandheldTerminal::kErase:
        return length == 19;
    case HandheldTerminal::kCheck:
        return length == 8;
    case HandheldTerminal::kWrite:
        return length >= 10 && length <= 200 + 9;
    case HandheldTerminal::kVectors:
        return length >= 9 && length <= kLongestBootFrame;
    default:
        return false;
    }
}

// Applies what a fault does to a reply; false when nothing is sent.
bool Spoil(const std::optional<Fault>& fault, std::vector<std::uint8_t>& reply, std::size_t echoAt, std::size_t tagAt)
{
    if (!fault)
        return true;
    switch (fault->kind) {
    case FaultKind::Silence:
        return false;
    case FaultKind::WrongEcho:
        reply[echoAt] ^= 0x01;
        break;
    case FaultKind::WrongTag:
        reply[tagAt] ^= 0x01;
        break;
    case FaultKind::Short:
        reply.pop_back();
        break;
    default:
        break;
    }
    return true;
}

}  // namespace

HandheldTerminal::HandheldTerminal(HandheldOptions options)
    : m_options(std::move(options)), m_on(m_options.poweredOn), m_boot(m_options.startInBootLoader),
      m_flash(0x10000, 0x00), m_byteArea(0x10000, 0x00)
{
    for (auto& bank : m_banks)
        bank.assign(kBankSize, 0x00);
}

long HandheldTerminal::ListeningBaud() const
{
    return m_on ? m_options.baud : 0;
}

std::vector<std::uint8_t> HandheldTerminal::Flash(std::uint32_t address, std::size_t count) const
{
    std::vector<std::uint8_t> bytes(count, 0xFF);
    for (std::size_t i = 0; i < count && address + i < m_flash.size(); ++i)
        bytes[i] = m_flash[address + i];
    return bytes;
}

void HandheldTerminal::FillFlash(std::uint8_t value)
{
    std::fill(m_flash.begin(), m_flash.end(), value);
}

int HandheldTerminal::BankIndex(int bank)
{
    switch (bank) {
    case 0:
    case 1:
    case 2:
        return bank;
    case 5:
        return 3;
    default:
        return -1;
    }
}

std::vector<std::uint8_t> HandheldTerminal::Bank(int bank, std::uint32_t address, std::size_t count) const
{
    std::vector<std::uint8_t> bytes(count, 0xFF);
    const int index = BankIndex(bank);
    for (std::size_t i = 0; index >= 0 && i < count && address + i < kBankSize; ++i)
        bytes[i] = m_banks[index][address + i];
    return bytes;
}

std::vector<std::uint8_t> HandheldTerminal::ByteArea(std::uint32_t address, std::size_t count) const
{
    std::vector<std::uint8_t> bytes(count, 0xFF);
    for (std::size_t i = 0; i < count && address + i < m_byteArea.size(); ++i)
        bytes[i] = m_byteArea[address + i];
    return bytes;
}

void HandheldTerminal::FillBanks(std::uint8_t value)
{
    for (auto& bank : m_banks)
        std::fill(bank.begin(), bank.end(), value);
    std::fill(m_byteArea.begin(), m_byteArea.end(), value);
}

std::vector<TimedBytes> HandheldTerminal::GreetingBytes(std::chrono::milliseconds after) const
{
    std::vector<TimedBytes> bytes;
    for (const std::string& line : m_options.noiseLines) {
        const std::string text = line + "\r\n";
        bytes.push_back({after, {text.begin(), text.end()}});
    }
    const std::string greeting = kGreeting;
    bytes.push_back({after, {greeting.begin(), greeting.end()}});
    return bytes;
}

void HandheldTerminal::PowerOn()
{
    if (m_on)
        return;
    m_on = true;
    m_boot = true;
    m_buffer.clear();
    const std::vector<TimedBytes> greeting = GreetingBytes(m_options.greetingDelay);
    m_unsolicited.insert(m_unsolicited.end(), greeting.begin(), greeting.end());
}

void HandheldTerminal::PowerOff()
{
    m_on = false;
    m_boot = false;
    m_buffer.clear();
    m_unsolicited.clear();
}

std::vector<TimedBytes> HandheldTerminal::TakeUnsolicited()
{
    return std::exchange(m_unsolicited, {});
}

std::vector<std::uint8_t> HandheldTerminal::DropPartial()
{
    return std::exchange(m_buffer, {});
}

std::optional<FrameOutcome> HandheldTerminal::Heard(std::uint8_t byte)
{
    return m_boot ? HeardBootLoader(byte) : HeardApplication(byte);
}

std::optional<FrameOutcome> HandheldTerminal::HeardApplication(std::uint8_t byte)
{
    m_buffer.push_back(byte);
    if (m_buffer[0] < 4)
        return Noise(std::exchange(m_buffer, {}), "not an application frame");
    if (m_buffer.size() < m_buffer[0])
        return std::nullopt;
    return Application(std::exchange(m_buffer, {}));
}

FrameOutcome HandheldTerminal::Application(std::vector<std::uint8_t> frame)
{
    FrameOutcome outcome;
    outcome.valid = CrcOk(frame);
    outcome.command = frame[1];
    outcome.frame = std::move(frame);
    if (!outcome.valid) {
        outcome.note = "bad CRC";
        return outcome;
    }
    const std::uint8_t command = outcome.frame[1];
    if (command != kBootRequest && command != kBlockWrite && command != kByteWrite) {
        outcome.note = "not answered by the application";
        return outcome;
    }
    const std::optional<Fault> fault = m_appFaults.Take(command);
    bool accepted = false;
    if (fault && fault->kind == FaultKind::Negative)
        outcome.note = "refused (fault)";
    else if (!(fault && fault->kind == FaultKind::Silence))
        accepted = ActApplication(outcome.frame, outcome.note);

    std::vector<std::uint8_t> reply{0x04, command, accepted ? kAck : kNak};
    reply.push_back(static_cast<std::uint8_t>(ByteSum8(reply) ^ (fault && fault->kind == FaultKind::BadSum ? 1 : 0)));
    if (!Spoil(fault, reply, 1, 2)) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    const auto delay = fault && fault->kind == FaultKind::Late ? fault->late : std::chrono::milliseconds(0);
    outcome.replies.push_back({delay, std::move(reply)});
    if (accepted && command == kBootRequest) {
        m_boot = true;
        for (TimedBytes& bytes : GreetingBytes(delay + m_options.greetingDelay))
            outcome.replies.push_back(std::move(bytes));
        outcome.note += ", boot loader started";
    }
    outcome.stopReading = fault && fault->kind == FaultKind::StopReading;
    outcome.unplug = fault && fault->kind == FaultKind::Unplug;
    return outcome;
}

bool HandheldTerminal::ActApplication(const std::vector<std::uint8_t>& frame, std::string& note)
{
    switch (frame[1]) {
    case kBootRequest:
        note = "boot request";
        return frame.size() == 4;
    case kBlockWrite: {
        if (frame.size() < 9 || frame[5] + 8u != frame.size()) {
            note = "block write of the wrong length";
            return false;
        }
        const int bank = BankIndex(frame[2]);
        const std::uint32_t address = Word(&frame[3]);
        const std::size_t count = frame[5];
        if (bank < 0 || address + count > kBankSize) {
            note = "block write outside the banks";
            return false;
        }
        std::copy_n(frame.begin() + 6, count, m_banks[bank].begin() + address);
        note = "block stored in bank " + std::to_string(frame[2]);
        return true;
    }
    case kByteWrite:
        if (frame.size() != 7) {
            note = "byte write of the wrong length";
            return false;
        }
        m_byteArea[Word(&frame[2])] = frame[4];
        note = "byte stored";
        return true;
    default:
        return false;
    }
}

std::optional<FrameOutcome> HandheldTerminal::HeardBootLoader(std::uint8_t byte)
{
    m_buffer.push_back(byte);
    if (m_buffer.size() < 2)
        return std::nullopt;
    const std::size_t length = Word(m_buffer.data());
    if (length < 5 || length > kLongestBootFrame)
        return Noise(std::exchange(m_buffer, {}), "not a boot-loader frame");
    if (m_buffer.size() == 3 && !BootLengthFits(m_buffer[2], length))
        return Noise(std::exchange(m_buffer, {}), "not a boot-loader frame");
    if (m_buffer.size() < length)
        return std::nullopt;
    return BootLoader(std::exchange(m_buffer, {}));
}

FrameOutcome HandheldTerminal::BootLoader(std::vector<std::uint8_t> frame)
{
    FrameOutcome outcome;
    outcome.valid = CrcOk(frame);
    outcome.command = frame[2];
    outcome.frame = std::move(frame);
    if (!outcome.valid) {
        outcome.note = "bad CRC";
        return outcome;
    }
    const std::uint8_t command = outcome.frame[2];
    const std::optional<Fault> fault = m_bootFaults.Take(command);
    bool accepted = false;
    if (fault && fault->kind == FaultKind::Negative)
        outcome.note = "refused (fault)";
    else if (!(fault && fault->kind == FaultKind::Silence))
        accepted = ActBootLoader(command, outcome.frame, outcome.note);

    std::vector<std::uint8_t> reply{0x00, 0x07, command, outcome.frame[3], accepted ? kAck : kNak};
    if (command == kInfo) {
        const std::vector<std::uint8_t> info = InfoPayload();
        reply.insert(reply.end(), info.begin(), info.end());
        reply[1] = static_cast<std::uint8_t>(reply.size() + 2);
    }
    PutCrc(reply, fault && fault->kind == FaultKind::BadSum);
    if (!Spoil(fault, reply, 2, 3)) {
        outcome.note = "silent (fault)";
        return outcome;
    }
    const auto delay = fault && fault->kind == FaultKind::Late ? fault->late : std::chrono::milliseconds(0);
    outcome.replies.push_back({delay, std::move(reply)});
    if (accepted && command == kPing) {
        // Asked whether it is there, the boot loader announces itself again.
        for (TimedBytes& bytes : GreetingBytes(delay + m_options.greetingDelay))
            outcome.replies.push_back(std::move(bytes));
    }
    outcome.stopReading = fault && fault->kind == FaultKind::StopReading;
    outcome.unplug = fault && fault->kind == FaultKind::Unplug;
    return outcome;
}

std::vector<std::uint8_t> HandheldTerminal::InfoPayload() const
{
    std::vector<std::uint8_t> info{0x00, m_options.cpuCode, m_record.hour, m_record.minute, m_record.second,
                                   m_record.day, m_record.month};
    PutWord(info, m_record.year);
    PutWord(info, m_record.start);
    PutWord(info, m_record.stop);
    PutWord(info, m_record.reset);
    PutWord(info, m_record.checksum);
    info.insert(info.end(), {0x00, 0x00, 0x00});
    return info;
}

bool HandheldTerminal::ActBootLoader(std::uint8_t command, const std::vector<std::uint8_t>& frame, std::string& note)
{
    const std::uint8_t sequence = frame[3];
    const std::size_t blocks = m_erased ? (m_record.stop - m_blockBase) / 64 + 1 : 0;
    const std::uint8_t afterBlocks = static_cast<std::uint8_t>(m_firstSequence + blocks);
    switch (command) {
    case kPing:
        note = "ping";
        return true;
    case kInfo:
        note = "information";
        return true;
    case kErase: {
        const std::uint16_t start = Word(&frame[11]);
        const std::uint16_t stop = Word(&frame[13]);
        if (start < kProgramFirst || stop > kProgramLast || start > stop) {
            note = "erase range refused";
            return false;
        }
        std::fill(m_flash.begin() + kProgramFirst, m_flash.begin() + kProgramLast + 1, 0xFF);
        std::fill(m_flash.begin() + kVectorFirst, m_flash.end(), 0xFF);
        m_record = {frame[4], frame[5], frame[6], frame[7], frame[8], Word(&frame[9]), start, stop, Word(&frame[15]), 0};
        m_erased = true;
        m_firstSequence = static_cast<std::uint8_t>(sequence + 1);
        m_blockBase = start & ~0x3Fu;
        m_lastWrite = m_blockBase;
        m_vectorsDone = false;
        note = "erased";
        return true;
    }
    case kWrite: {
        const std::uint32_t address = Word(&frame[4]);
        const std::size_t count = frame[6];
        if (!m_erased || m_vectorsDone) {
            note = "write out of turn";
            return false;
        }
        if (count == 0 || count + 9 != frame.size()) {
            note = "wrong count";
            return false;
        }
        if (address < m_blockBase || (address - m_blockBase) % 64 != 0 || address < m_lastWrite ||
            address + count > kProgramLast + 1) {
            note = "write outside the program area or out of order";
            return false;
        }
        // The sequence number counts the blocks from the first one, so a gap
        // in the numbers is the blocks the program skipped.
        if (sequence != static_cast<std::uint8_t>(m_firstSequence + (address - m_blockBase) / 64)) {
            note = "wrong sequence";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i)
            m_flash[address + i] &= frame[7 + i];
        m_lastWrite = address;
        note = "stored";
        return true;
    }
    case kVectors: {
        const std::size_t payload = frame.size() - 6;
        if (!m_erased || sequence != afterBlocks) {
            note = m_erased ? "wrong sequence" : "vectors before erase";
            return false;
        }
        if (payload % 3 != 0 || payload / 3 * 2 > 0x10000 - kVectorFirst) {
            note = "vectors refused";
            return false;
        }
        for (std::size_t i = 0; i < payload; i += 3) {
            if (frame[4 + i] != 0xCC) {
                note = "vector triple without 0xCC";
                return false;
            }
        }
        for (std::size_t i = 0, at = kVectorFirst; i < payload; i += 3, at += 2) {
            m_flash[at] &= frame[4 + i + 1];
            m_flash[at + 1] &= frame[4 + i + 2];
        }
        m_vectorsDone = true;
        note = "vectors stored";
        return true;
    }
    case kCheck: {
        if (!m_vectorsDone || sequence != afterBlocks) {
            note = "check out of turn";
            return false;
        }
        const std::uint16_t expected = Word(&frame[4]);
        const std::uint16_t sum = static_cast<std::uint16_t>(
            ByteSum16(std::span(m_flash).subspan(m_record.start, std::size_t(m_record.stop) - m_record.start + 1)) +
            ByteSum16(std::span(m_flash).subspan(kVectorFirst)));
        m_record.checksum = expected;
        note = sum == expected ? "checked" : "check failed";
        return sum == expected;
    }
    default:
        return false;
    }
}

}  // namespace vexar::bootsim
