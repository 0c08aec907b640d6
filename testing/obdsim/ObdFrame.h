#pragma once

// The scan adapter's frames as the simulator reads and writes them:
// STX, header, ETB, address, ETB, type (a request's mnemonic), then ETB and
// data when there is data, two hexadecimal checksum characters and ETX.
// The checksum is the byte sum of everything between STX and the checksum,
// modulo 256.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::obdsim {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kEtb = 0x17;

struct Frame {
    std::string header = "STL";
    std::string address = "0";
    std::string type;
    std::string data;  // "" for none: then no ETB precedes the checksum

    bool operator==(const Frame&) const = default;
};

// The whole frame on the wire.
Bytes EncodeFrame(const Frame& frame);

// Two upper-case hexadecimal digits of the byte sum of `body`.
std::string ChecksumOf(std::string_view body);

enum class Decoded { Ok, BadChecksum, Malformed };

// Reads what stands between STX and ETX. The checksum is accepted in
// either letter case. Malformed: no checksum, or fewer than the two ETBs
// that end the header and the address.
Decoded DecodeFrame(std::string_view inside, Frame& frame);

// One or two hexadecimal digits, either case, to a byte.
bool ReadHexByte(std::string_view text, std::uint8_t& value);
// Bytes as upper-case hexadecimal digits, two a byte.
std::string HexText(const Bytes& bytes);

// The frame's bytes for a person: control characters by name.
std::string Readable(const Bytes& bytes);

}  // namespace vexar::obdsim
