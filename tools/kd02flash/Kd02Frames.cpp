#include "tools/kd02flash/Kd02Frames.h"

#include "tools/common/ComputeCrc16.h"

namespace vexar::tools::kd02 {

namespace {

std::vector<std::uint8_t> WithCrc(std::vector<std::uint8_t> frame)
{
    const std::uint16_t crc = ComputeCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));  // the CRC's low byte
    frame.push_back(static_cast<std::uint8_t>(crc));
    return frame;
}

std::uint16_t Sum16(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (const std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint16_t>(sum);
}

bool SumAtEnd(std::span<const std::uint8_t> reply)
{
    const std::uint16_t sum = Sum16(reply.first(reply.size() - 2));
    return reply[reply.size() - 2] == (sum & 0xFF) && reply[reply.size() - 1] == (sum >> 8);
}

}  // namespace

std::vector<std::uint8_t> ApplicationQueryFrame()
{
    return WithCrc({0x00, 0x06, 0x09, 0x01});
}

std::vector<std::uint8_t> ApplicationResetFrame()
{
    return WithCrc({0x00, 0x05, 0x08});
}

bool ApplicationReplyAccepted(std::span<const std::uint8_t> reply, std::uint8_t command)
{
    if (reply.size() != 6 || reply[2] != command || reply[3] != 0x06)
        return false;
    const std::uint16_t crc = ComputeCrc16(reply.data(), 4);
    return reply[4] == (crc >> 8) && reply[5] == (crc & 0xFF);
}

std::vector<std::uint8_t> BootFrame(std::uint8_t command, std::span<const std::uint8_t> payload)
{
    const std::size_t length = payload.size() + 7;
    std::vector<std::uint8_t> frame{command, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                    0x00, 0x01};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t sum = Sum16(frame);
    frame.push_back(static_cast<std::uint8_t>(sum));
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    return frame;
}

bool BootReplyAccepted(std::span<const std::uint8_t> reply, std::uint8_t command)
{
    return reply.size() >= 6 && reply[0] == command && reply[3] == 0x01 && SumAtEnd(reply);
}

bool ConnectReplyAccepted(std::span<const std::uint8_t> reply)
{
    if (reply.size() != 11 || reply[0] != CMD_CONNECT || reply[3] != 0x01)
        return false;
    const bool pattern = reply[5] == 0xAA && reply[6] == 0x55 && reply[7] == 0xAA && reply[8] == 0x55;
    return !pattern || SumAtEnd(reply);
}

}  // namespace vexar::tools::kd02
