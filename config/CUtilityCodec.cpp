#include "config/CUtilityCodec.h"

#include "common/TagLine.h"
#include "config/ControlCodes.h"
#include "config/CUtilityCtrl.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace CUtility {

namespace {

// Position of the lowest set bit of the mask's low byte, searched from bit
// 0 upwards; 0 (no shift) when that byte has none.
unsigned FlagShift(std::uint32_t mask)
{
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (mask & (1u << bit))
            return bit;
    }
    return 0;
}

// The datum's bytes, or an empty span when it does not lie wholly inside
// the image (or the type has no size).
template <typename Byte>
std::span<Byte> DatumBytes(std::span<Byte> image, std::int32_t offset, std::int32_t type)
{
    const int size = GetDatoSize(type);
    if (size == 0 || offset < 0 || static_cast<std::uint64_t>(offset) + size > image.size())
        return {};
    return image.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

// The low `bytes.size()` bytes of `value` in ECU order.
void PutUnsigned(std::span<std::uint8_t> bytes, std::uint32_t value, bool littleEndian)
{
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t shift = 8 * (littleEndian ? i : n - 1 - i);
        bytes[i] = static_cast<std::uint8_t>(value >> shift);
    }
}

std::uint32_t GetUnsigned(std::span<const std::uint8_t> bytes, bool littleEndian)
{
    const std::size_t n = bytes.size();
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t shift = 8 * (littleEndian ? i : n - 1 - i);
        value |= static_cast<std::uint32_t>(bytes[i]) << shift;
    }
    return value;
}

// A 32-bit word whose bytes in this machine's memory are `bytes`.
std::uint32_t MemoryWord(const std::array<std::uint8_t, 4>& bytes)
{
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data(), sizeof word);
    return word;
}

}  // namespace

int GetDatoSize(std::int32_t type)
{
    switch (type) {
    case DATO_FLAG:
    case DATO_UBYTE:
    case DATO_BYTE:
        return 1;
    case DATO_UWORD:
    case DATO_WORD:
        return 2;
    case DATO_LONG:
    case DATO_ULONG:
        return 4;
    default:
        return 0;
    }
}

bool WriteDatoValue(std::span<std::uint8_t> image, std::int32_t offset, std::int32_t value, int& byteCount,
                    std::int32_t type, std::uint32_t mask, bool littleEndian)
{
    const std::span<std::uint8_t> bytes = DatumBytes(image, offset, type);
    if (bytes.empty())
        return false;
    const auto raw = static_cast<std::uint32_t>(value);
    if (type == DATO_FLAG) {
        const std::uint8_t maskByte = mask & 0xFFu;
        const auto shifted = static_cast<std::uint8_t>((raw & 0xFFu) << FlagShift(mask));
        bytes[0] = static_cast<std::uint8_t>((bytes[0] & ~maskByte) | (shifted & maskByte));
    } else {
        PutUnsigned(bytes, raw, littleEndian);
    }
    byteCount = static_cast<int>(bytes.size());
    return true;
}

bool ReadDatoValue(std::span<const std::uint8_t> image, std::int32_t offset, std::int32_t& value, int& byteCount,
                   std::int32_t type, std::uint32_t mask, bool littleEndian)
{
    const std::span<const std::uint8_t> bytes = DatumBytes(image, offset, type);
    if (bytes.empty())
        return false;
    const std::uint32_t raw = GetUnsigned(bytes, littleEndian);
    switch (type) {
    case DATO_FLAG:
        value = static_cast<std::int32_t>((raw & mask & 0xFFu) >> FlagShift(mask));
        break;
    case DATO_BYTE:
        value = static_cast<std::int8_t>(raw);
        break;
    case DATO_WORD:
        value = static_cast<std::int16_t>(raw);
        break;
    default:  // unsigned bytes and words are already zero-extended; longs keep their bits
        value = static_cast<std::int32_t>(raw);
        break;
    }
    byteCount = static_cast<int>(bytes.size());
    return true;
}

bool GetDatoMask(std::int32_t type, std::uint32_t mask, std::int32_t value, bool littleEndian,
                 std::uint32_t& keepMask, std::uint32_t& positioned)
{
    const int size = GetDatoSize(type);
    if (size == 0)
        return false;
    // The bytes to apply from the datum's address on; those past the datum
    // are kept whole.
    std::array<std::uint8_t, 4> keep{0xFF, 0xFF, 0xFF, 0xFF};
    std::array<std::uint8_t, 4> bits{};
    const auto raw = static_cast<std::uint32_t>(value);
    if (type == DATO_FLAG) {
        // Only the mask's low byte belongs to the datum, as for the encoder.
        const std::uint8_t maskByte = mask & 0xFFu;
        keep[0] = static_cast<std::uint8_t>(~maskByte);
        bits[0] = static_cast<std::uint8_t>(((raw & 0xFFu) << FlagShift(mask)) & maskByte);
    } else {
        const auto n = static_cast<std::size_t>(size);
        std::fill_n(keep.begin(), n, std::uint8_t{0});
        PutUnsigned(std::span<std::uint8_t>(bits.data(), n), raw, littleEndian);
    }
    keepMask = MemoryWord(keep);
    positioned = MemoryWord(bits);
    return true;
}

void GetCtrlWriteMask(const CTRL_WND& entry, std::int32_t value, bool littleEndian, std::uint32_t& keepMask,
                      std::uint32_t& positioned)
{
    keepMask = 0;
    positioned = 0xFFFFFFFFu;
    if (!IsLiveCategory(entry.category))
        return;
    REC_CONTROLLO record;
    if (GetCtrlDefinition(entry, record))
        GetDatoMask(record.TIPO, record.MASCHERA, value, littleEndian, keepMask, positioned);
}

void GetCtrlAddress(const CTRL_WND& entry, std::int32_t& address, std::int32_t& size)
{
    address = -1;
    size = -1;
    REC_CONTROLLO record;
    if (!GetCtrlDefinition(entry, record))
        return;
    address = record.LSB;
    size = GetDatoSize(record.TIPO);
}

void GetDatoRange(std::int32_t type, double& minimum, double& maximum)
{
    switch (type) {
    case DATO_FLAG:
        minimum = 0.0, maximum = 1.0;
        break;
    case DATO_UBYTE:
        minimum = 0.0, maximum = 255.0;
        break;
    case DATO_BYTE:
        minimum = -128.0, maximum = 127.0;
        break;
    case DATO_UWORD:
        minimum = 0.0, maximum = 65535.0;
        break;
    case DATO_WORD:
        minimum = -32768.0, maximum = 32767.0;
        break;
    case DATO_LONG:
        minimum = -2147483648.0, maximum = 2147483647.0;
        break;
    case DATO_ULONG:
        minimum = 0.0, maximum = 4294967295.0;
        break;
    default:
        minimum = 0.0, maximum = 0.0;
        break;
    }
}

bool GetLimitValue(std::u16string_view text, double& value, int which, std::int32_t type)
{
    value = 0.0;
    if (!text.empty()) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (std::u16string_view(u"+-.0123456789").find(c) == std::u16string_view::npos)
                return false;
            if ((c == u'+' || c == u'-') && i > 0)
                return false;
        }
        // Only a text that is one number from end to end is a limit: a lone
        // sign or point, "1.2.3" or a number beyond a double's range, read
        // as 0 or in part, would hold the control to a range its definition
        // never gave.
        std::u16string number(text);
        double parsed = 0.0;
        if (!StrToDoubleWhole(number, parsed))
            return false;
        value = parsed;
        return true;
    }
    double minimum = 0.0;
    double maximum = 0.0;
    GetDatoRange(type, minimum, maximum);
    if (which == 1)
        value = minimum;
    else if (which == 2)
        value = maximum;
    return true;
}

bool IsPairMissing(std::int32_t address, std::int32_t length, const std::vector<REC_UPLD_SV>& pairs)
{
    for (const REC_UPLD_SV& pair : pairs) {
        if (pair.address == address && pair.length == length)
            return false;
    }
    return true;
}

void BuildUploadBlocks(int protocol, std::vector<REC_UPLD_SV>& pairs, std::vector<REC_UPLD_SV>& blocks)
{
    // An exchange sort on the address: its order among equal addresses is
    // the one the ECU's read lists have always had.
    for (std::size_t i = 0; i + 1 < pairs.size(); ++i) {
        for (std::size_t j = i + 1; j < pairs.size(); ++j) {
            if (pairs[i].address > pairs[j].address)
                std::swap(pairs[i], pairs[j]);
        }
    }
    if (pairs.empty())
        return;

    const std::int64_t bound = protocol != 0 ? 256 : 11;
    REC_UPLD_SV block = pairs.front();
    std::int64_t end = std::int64_t{block.address} + block.length;
    for (std::size_t i = 1; i < pairs.size(); ++i) {
        const REC_UPLD_SV& pair = pairs[i];
        if (pair.address == end && std::int64_t{block.length} + pair.length <= bound) {
            block.length += pair.length;
        } else {
            blocks.push_back(block);
            block = pair;
        }
        end = std::int64_t{pair.address} + pair.length;
    }
    blocks.push_back(block);
}

}  // namespace CUtility
