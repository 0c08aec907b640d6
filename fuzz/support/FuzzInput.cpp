#include "FuzzInput.h"

#include <algorithm>

namespace vexar::fuzz {

std::uint8_t FuzzInput::Byte()
{
    return m_at < m_bytes.size() ? m_bytes[m_at++] : 0;
}

std::uint16_t FuzzInput::Word()
{
    const std::uint16_t high = Byte();
    return static_cast<std::uint16_t>((high << 8) | Byte());
}

std::span<const std::uint8_t> FuzzInput::Bytes(std::size_t count)
{
    const std::size_t take = std::min(count, Left());
    const auto piece = m_bytes.subspan(m_at, take);
    m_at += take;
    return piece;
}

std::u16string Utf16Units(std::span<const std::uint8_t> bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

std::string Utf16Bytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string Chars(std::span<const std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace vexar::fuzz
