#include "testing/obdsim/ObdFrame.h"

#include <cstdio>

namespace vexar::obdsim {

namespace {

constexpr char kEtbChar = static_cast<char>(kEtb);

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ChecksumOf(std::string_view body)
{
    unsigned sum = 0;
    for (const char c : body)
        sum += static_cast<std::uint8_t>(c);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
    return digits;
}

Bytes EncodeFrame(const Frame& frame)
{
    std::string body = frame.header + kEtbChar + frame.address + kEtbChar + frame.type;
    if (!frame.data.empty())
        body += kEtbChar + frame.data;
    body += ChecksumOf(body);
    Bytes bytes{kStx};
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(kEtx);
    return bytes;
}

Decoded DecodeFrame(std::string_view inside, Frame& frame)
{
    if (inside.size() < 2)
        return Decoded::Malformed;
    const std::string_view body = inside.substr(0, inside.size() - 2);
    const int high = HexDigit(inside[inside.size() - 2]);
    const int low = HexDigit(inside[inside.size() - 1]);
    unsigned sum = 0;
    for (const char c : body)
        sum += static_cast<std::uint8_t>(c);
    if (high < 0 || low < 0 || (sum & 0xFF) != static_cast<unsigned>(high * 16 + low))
        return Decoded::BadChecksum;
    const std::size_t first = body.find(kEtbChar);
    const std::size_t second = first == std::string_view::npos ? first : body.find(kEtbChar, first + 1);
    if (second == std::string_view::npos)
        return Decoded::Malformed;
    Frame read;
    read.header = std::string(body.substr(0, first));
    read.address = std::string(body.substr(first + 1, second - first - 1));
    const std::string_view rest = body.substr(second + 1);
    const std::size_t third = rest.find(kEtbChar);
    read.type = std::string(rest.substr(0, third));
    read.data = third == std::string_view::npos ? std::string() : std::string(rest.substr(third + 1));
    frame = std::move(read);
    return Decoded::Ok;
}

bool ReadHexByte(std::string_view text, std::uint8_t& value)
{
    if (text.empty() || text.size() > 2)
        return false;
    int v = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        v = v * 16 + digit;
    }
    value = static_cast<std::uint8_t>(v);
    return true;
}

std::string HexText(const Bytes& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::string Readable(const Bytes& bytes)
{
    std::string text;
    for (const std::uint8_t b : bytes) {
        switch (b) {
        case kStx: text += "<STX>"; break;
        case kEtx: text += "<ETX>"; break;
        case kEtb: text += "<ETB>"; break;
        case kNak: text += "<NAK>"; break;
        default:
            if (b >= 0x20 && b < 0x7F) {
                text += static_cast<char>(b);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "<%02X>", b);
                text += hex;
            }
        }
    }
    return text;
}

}  // namespace vexar::obdsim
