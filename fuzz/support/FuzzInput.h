#pragma once

// Reading one fuzz input in pieces: choices and small numbers from its
// front, then what is left as the bytes a reader gets. Past the end every
// piece is zero or empty, so a target never needs to count.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexar::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

    std::size_t Left() const { return m_bytes.size() - m_at; }
    bool Empty() const { return Left() == 0; }

    // The next byte, or 0 past the end.
    std::uint8_t Byte();
    // The next two bytes, most significant first.
    std::uint16_t Word();
    // One of `count` choices (0 when count is 0).
    std::size_t Choice(std::size_t count) { return count == 0 ? 0 : Byte() % count; }
    bool Flag() { return (Byte() & 1) != 0; }
    // Up to `count` bytes, fewer at the end.
    std::span<const std::uint8_t> Bytes(std::size_t count);
    std::span<const std::uint8_t> Rest() { return Bytes(Left()); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

// Little-endian UTF-16 code units of the bytes, as a deciphered text file
// holds them; an odd last byte is dropped.
std::u16string Utf16Units(std::span<const std::uint8_t> bytes);
// The same the other way, for seeds.
std::string Utf16Bytes(std::u16string_view text);
std::string Chars(std::span<const std::uint8_t> bytes);

}  // namespace vexar::fuzz
