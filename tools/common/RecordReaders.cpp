#include "RecordReaders.h"

#include <algorithm>
#include <limits>

namespace vexar::tools {
namespace {

// Reads the value of `bytes` hexadecimal byte pairs beginning at `at`.
bool ReadHexValue(std::string_view line, std::size_t at, std::size_t bytes, std::uint32_t& value)
{
    value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        std::uint8_t byte = 0;
        if (!ParseHexByte(line[at + 2 * i], line[at + 2 * i + 1], byte))
            return false;
        value = (value << 8) | byte;
    }
    return true;
}

// Address width in bytes of the S-record types that carry one.
std::size_t SRecordAddressBytes(int type)
{
    switch (type) {
    case 0: case 1: case 5: case 9: return 2;
    case 2: case 6: case 8: return 3;
    case 3: case 7: return 4;
    default: return 0;
    }
}

std::uint32_t Saturated(std::uint64_t address)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(address, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

bool ParseHexByte(char high, char low, std::uint8_t& value)
{
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    const int h = digit(high);
    const int l = digit(low);
    if (h < 0 || l < 0)
        return false;
    value = static_cast<std::uint8_t>(h * 16 + l);
    return true;
}

std::uint8_t NegateChecksum(std::uint8_t sum)
{
    return static_cast<std::uint8_t>(0x100 - sum);
}

std::uint16_t SumImageWords(std::span<const std::uint8_t> image, std::size_t offset, std::size_t length)
{
    auto at = [&](std::size_t i) -> unsigned { return i < image.size() ? image[i] : 0xFFu; };
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; i += 2)
        sum += at(offset + i) * 256u + at(offset + i + 1);
    return static_cast<std::uint16_t>(sum);
}

int ParseSRecord(std::span<std::uint8_t> image, std::string_view line, std::uint32_t& start,
                 std::uint32_t& stop, std::uint32_t vectorBound)
{
    if (line.empty() || line[0] != 'S')
        return kNotARecord;
    if (line.size() < 2 || line[1] < '0' || line[1] > '9')
        return kRecordInvalid;
    const int type = line[1] - '0';
    const std::size_t addressBytes = SRecordAddressBytes(type);
    if (addressBytes == 0)
        return type;  // S4: nothing to read

    std::uint32_t count = 0;
    if (line.size() < 4 || !ReadHexValue(line, 2, 1, count))
        return kRecordInvalid;
    // The count covers the address, the data and the checksum byte, all of
    // which must be on the line.
    if (count < addressBytes + 1 || line.size() < 4 + 2 * std::size_t(count))
        return kRecordInvalid;
    std::uint32_t address = 0;
    if (!ReadHexValue(line, 4, addressBytes, address))
        return kRecordInvalid;
    const std::size_t dataAt = 4 + 2 * addressBytes;
    const std::size_t n = count - addressBytes - 1;
    std::uint8_t byte = 0;
    for (std::size_t k = 0; k <= n; ++k)  // the data and the checksum byte
        if (!ParseHexByte(line[dataAt + 2 * k], line[dataAt + 2 * k + 1], byte))
            return kRecordInvalid;

    const bool data = type >= 1 && type <= 3;
    if (!data || n == 0)
        return type;
    if (std::uint64_t(address) + n > image.size())
        return kRecordOutside;
    for (std::size_t k = 0; k < n; ++k)
        ParseHexByte(line[dataAt + 2 * k], line[dataAt + 2 * k + 1], image[address + k]);
    start = std::min(start, address);
    if (address < vectorBound)
        stop = std::max(stop, static_cast<std::uint32_t>(address + n - 1));
    return type;
}

std::uint32_t HexAddressBase::Current() const
{
    if (linearSeen)
        return linear;
    if (segmentSeen)
        return segment;
    return 0;
}

int ParseHexRecord(CLoaderReporter& reporter, std::span<std::uint8_t> image, std::string_view line,
                   std::uint32_t& start, std::uint32_t& stop, std::uint32_t startBound, HexAddressBase& base)
{
    if (line.empty() || line[0] != ':')
        return -1;
    auto fail = [&](LoaderText text) {
        reporter.ShowMessage(LoaderMessage(text, ToolLanguage::English));
        return -1;
    };

    // ":" count(2) address(4) type(2) data(2 x count) checksum(2), all of it
    // hexadecimal and on the line.
    std::uint32_t count = 0, address = 0, type = 0;
    if (line.size() < 11 || !ReadHexValue(line, 1, 1, count) || !ReadHexValue(line, 3, 2, address) ||
        !ReadHexValue(line, 7, 1, type) || line.size() < 11 + 2 * std::size_t(count))
        return fail(LoaderText::HexRecordError);
    std::uint8_t sum = 0;
    std::uint8_t byte = 0;
    for (std::size_t i = 0; i < count + 4; ++i) {
        if (!ParseHexByte(line[1 + 2 * i], line[2 + 2 * i], byte))
            return fail(LoaderText::HexRecordError);
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    std::uint8_t recordChecksum = 0;
    if (!ParseHexByte(line[9 + 2 * count], line[10 + 2 * count], recordChecksum))
        return fail(LoaderText::HexRecordError);
    const bool checksumOk = NegateChecksum(sum) == recordChecksum;
    std::uint32_t value = 0;

    switch (type) {
    case 0x00: {
        if (count == 0)
            return checksumOk ? 0 : fail(LoaderText::HexChecksumData);
        const std::uint64_t first = std::uint64_t(address) + base.Current();
        const std::uint64_t last = first + count - 1;
        for (std::size_t k = 0; k < count && first + k < image.size(); ++k)
            ParseHexByte(line[9 + 2 * k], line[10 + 2 * k], image[first + k]);
        if (first >= startBound && first < start)
            start = Saturated(first);
        if (last > stop)
            stop = Saturated(last);
        return checksumOk ? 0 : fail(LoaderText::HexChecksumData);
    }
    case 0x01:
        if (count != 0 || address != 0)
            return fail(LoaderText::HexRecordError);
        return checksumOk ? 0 : fail(LoaderText::HexChecksumEnd);
    case 0x02:
    case 0x04:
        if (count != 2 || address != 0)
            return fail(LoaderText::HexRecordError);
        if (!checksumOk)
            return fail(LoaderText::HexChecksum);
        ReadHexValue(line, 9, 2, value);
        if (type == 0x02) {
            base.segment = value * 16;
            base.segmentSeen = true;
        } else {
            base.linear = value << 16;
            base.linearSeen = true;
        }
        return 0;
    case 0x03:
    case 0x05: {
        // The start address is checked and not used.
        int result = 0;
        if (count != 4 || address != 0)
            result = fail(LoaderText::HexRecordError);
        if (!checksumOk)
            result = fail(LoaderText::HexChecksum);
        return result;
    }
    default:
        return 0;
    }
}

}  // namespace vexar::tools
