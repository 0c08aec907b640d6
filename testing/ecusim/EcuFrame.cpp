#include "testing/ecusim/EcuFrame.h"

#include "testing/ecusim/EcuCrc.h"

namespace vexar::ecusim {

namespace {

// The largest request of the second protocol is a block write of 256 data
// bytes (267 bytes); anything above the program's 512-byte buffers cannot be
// a request and marks line noise.
constexpr std::size_t kLargestSecondFrame = 512;

std::size_t LengthFieldSize(Protocol protocol)
{
    return protocol == Protocol::First ? 1 : 2;
}

}  // namespace

std::size_t CommandOffset(Protocol protocol)
{
    return LengthFieldSize(protocol);
}

std::optional<std::size_t> DeclaredLength(Protocol protocol, std::span<const std::uint8_t> bytes)
{
    const std::size_t field = LengthFieldSize(protocol);
    if (bytes.size() < field)
        return std::nullopt;
    const std::size_t length = field == 1 ? bytes[0] : (std::size_t{bytes[0]} << 8) | bytes[1];
    const std::size_t smallest = field + 3;  // length field, command, CRC
    if (length < smallest || length > kLargestSecondFrame)
        return 0;
    return length;
}

std::vector<std::uint8_t> BeginFrame(Protocol protocol, std::uint8_t command)
{
    std::vector<std::uint8_t> frame(LengthFieldSize(protocol), 0);
    frame.push_back(command);
    return frame;
}

void SealFrame(Protocol protocol, std::vector<std::uint8_t>& frame)
{
    const std::size_t length = frame.size() + 2;
    if (protocol == Protocol::First) {
        frame[0] = static_cast<std::uint8_t>(length);
    } else {
        frame[0] = static_cast<std::uint8_t>(length >> 8);
        frame[1] = static_cast<std::uint8_t>(length);
    }
    frame.resize(length);
    ResealFrame(frame);
}

void ResealFrame(std::vector<std::uint8_t>& frame)
{
    if (frame.size() < 2)
        return;
    const std::uint16_t crc = EcuCrc16(std::span(frame).first(frame.size() - 2));
    frame[frame.size() - 2] = static_cast<std::uint8_t>(crc);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
}

bool CrcMatches(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 2)
        return false;
    const std::uint16_t crc = EcuCrc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == static_cast<std::uint8_t>(crc) &&
           frame[frame.size() - 1] == static_cast<std::uint8_t>(crc >> 8);
}

}  // namespace vexar::ecusim
