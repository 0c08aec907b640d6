#include "tools/hc08flash/Hc08Frames.h"

#include "tools/common/ComputeCrc16.h"

#include <cstdarg>
#include <cstdio>

namespace vexar::tools::hc08 {

namespace {

// ComputeCrc16 returns the CRC with its bytes exchanged: stored high byte
// first, the CRC's low byte goes first on the wire.
void PushCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = ComputeCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
}

void PushWord(std::vector<std::uint8_t>& bytes, unsigned value)
{
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

std::uint16_t Word(const std::uint8_t* high)
{
    return static_cast<std::uint16_t>((high[0] << 8) | high[1]);
}

}  // namespace

std::u16string Sprintf(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::u16string wide;
    for (const char* c = line; *c; ++c)
        wide.push_back(static_cast<unsigned char>(*c));
    return wide;
}

std::vector<std::uint8_t> ApplicationRequest()
{
    std::vector<std::uint8_t> frame{0x04, APP_BOOT_REQUEST};
    PushCrc(frame);
    return frame;
}

bool ApplicationAnswerAccepted(const std::uint8_t* reply, int count)
{
    return count == 4 && reply[1] == APP_BOOT_REQUEST;
}

std::vector<std::uint8_t> BootRequest(std::uint8_t command, std::optional<std::uint8_t> sequence,
                                      const std::vector<std::uint8_t>& payload)
{
    const std::size_t length = 3 + (sequence ? 1 : 0) + payload.size() + 2;
    std::vector<std::uint8_t> frame;
    PushWord(frame, static_cast<unsigned>(length));
    frame.push_back(command);
    if (sequence)
        frame.push_back(*sequence);
    frame.insert(frame.end(), payload.begin(), payload.end());
    PushCrc(frame);
    return frame;
}

bool ReplyAccepted(const std::vector<std::uint8_t>& request, const std::uint8_t* reply, int count, int expected)
{
    if (count != expected || request.size() < 4)
        return false;
    const std::uint16_t crc = ComputeCrc16(reply, static_cast<std::size_t>(count - 2));
    return reply[2] == request[2] && reply[3] == request[3] && reply[4] == 0x06 &&
           reply[count - 2] == (crc >> 8) && reply[count - 1] == (crc & 0xFF);
}

std::vector<std::uint8_t> ErasePayload(const std::tm& now, const LOADER_IMAGE& image)
{
    std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(now.tm_hour), static_cast<std::uint8_t>(now.tm_min),
                                      static_cast<std::uint8_t>(now.tm_sec), static_cast<std::uint8_t>(now.tm_mday),
                                      static_cast<std::uint8_t>(now.tm_mon + 1)};
    PushWord(payload, static_cast<unsigned>(now.tm_year + 1900));
    PushWord(payload, image.start);
    PushWord(payload, image.stop);
    PushWord(payload, image.resetVector);
    return payload;
}

std::vector<std::uint8_t> VectorPayload(const LOADER_IMAGE& image)
{
    std::vector<std::uint8_t> payload;
    for (std::uint32_t at = kVectorFirst; at <= 0xFFFF; at += 2)
        payload.insert(payload.end(), {0xCC, image.buffer[at], image.buffer[at + 1]});
    return payload;
}

HC08_TARGET_INFO ReadTargetInfo(const std::uint8_t* reply)
{
    HC08_TARGET_INFO info;
    info.unnamed = reply[5];
    info.cpu = reply[6];
    info.hour = reply[7];
    info.minute = reply[8];
    info.second = reply[9];
    info.day = reply[10];
    info.month = reply[11];
    info.year = Word(reply + 12);
    info.start = Word(reply + 14);
    info.stop = Word(reply + 16);
    info.reset = Word(reply + 18);
    info.checksum = Word(reply + 20);
    info.kept1 = Word(reply + 22);
    info.kept2 = reply[24];
    return info;
}

std::vector<std::u16string> TargetInfoLines(const HC08_TARGET_INFO& info)
{
    return {Sprintf(" CPU detected: %d", info.cpu),
            Sprintf(" Previous download: %02d:%02d:%02d %02d/%02d/%04d", info.hour, info.minute, info.second, info.day,
                    info.month, info.year),
            Sprintf(" Start->0x%04x, Stop->0x%04x, Prgc->0x%04x, Checksum->0x%04x", info.start, info.stop, info.reset,
                    info.checksum)};
}

}  // namespace vexar::tools::hc08
