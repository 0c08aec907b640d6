#pragma once

// The constant tables of the Rijndael cipher, computed at compile time from
// the field arithmetic of GF(2^8) rather than written out by hand.

#include <array>
#include <cstdint>

namespace sigilkit::tables {

using Byte = std::uint8_t;
using Word = std::uint32_t;
using WordTable = std::array<Word, 256>;

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr Byte Mul(Byte a, Byte b)
{
    Byte product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = static_cast<Byte>((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
        b >>= 1;
    }
    return product;
}

constexpr Byte Inverse(Byte a)
{
    if (a == 0)
        return 0;
    // a^254 is the multiplicative inverse in a field of 256 elements.
    Byte result = 1;
    Byte base = a;
    for (int e = 254; e > 0; e >>= 1) {
        if (e & 1)
            result = Mul(result, base);
        base = Mul(base, base);
    }
    return result;
}

constexpr Byte RotateLeft(Byte v, int n)
{
    return static_cast<Byte>((v << n) | (v >> (8 - n)));
}

constexpr std::array<Byte, 256> MakeSBox()
{
    std::array<Byte, 256> box{};
    for (int x = 0; x < 256; ++x) {
        Byte b = Inverse(static_cast<Byte>(x));
        box[x] = static_cast<Byte>(b ^ RotateLeft(b, 1) ^ RotateLeft(b, 2) ^ RotateLeft(b, 3) ^
                                   RotateLeft(b, 4) ^ 0x63);
    }
    return box;
}

constexpr std::array<Byte, 256> SBox = MakeSBox();

constexpr std::array<Byte, 256> MakeInverseSBox()
{
    std::array<Byte, 256> box{};
    for (int x = 0; x < 256; ++x)
        box[SBox[x]] = static_cast<Byte>(x);
    return box;
}

constexpr std::array<Byte, 256> InverseSBox = MakeInverseSBox();

constexpr Word Pack(Byte b0, Byte b1, Byte b2, Byte b3)
{
    return (Word{b0} << 24) | (Word{b1} << 16) | (Word{b2} << 8) | Word{b3};
}

constexpr Word RotateRight8(Word w, int times)
{
    for (int i = 0; i < times; ++i)
        w = (w >> 8) | (w << 24);
    return w;
}

// Encryption table n combines SubBytes with the column mixing for the byte
// at row n of a column: the column (2s, s, s, 3s) rotated down by n rows.
constexpr WordTable MakeEncryptTable(int n)
{
    WordTable t{};
    for (int x = 0; x < 256; ++x) {
        Byte s = SBox[x];
        t[x] = RotateRight8(Pack(Mul(s, 2), s, s, Mul(s, 3)), n);
    }
    return t;
}

// Decryption table n combines InvSubBytes with the inverse column mixing.
constexpr WordTable MakeDecryptTable(int n)
{
    WordTable t{};
    for (int x = 0; x < 256; ++x) {
        Byte s = InverseSBox[x];
        t[x] = RotateRight8(Pack(Mul(s, 14), Mul(s, 9), Mul(s, 13), Mul(s, 11)), n);
    }
    return t;
}

// Inverse column mixing of a round-key byte without the substitution.
constexpr WordTable MakeInverseMixTable(int n)
{
    WordTable t{};
    for (int x = 0; x < 256; ++x) {
        Byte s = static_cast<Byte>(x);
        t[x] = RotateRight8(Pack(Mul(s, 14), Mul(s, 9), Mul(s, 13), Mul(s, 11)), n);
    }
    return t;
}

constexpr std::array<WordTable, 4> Te = {MakeEncryptTable(0), MakeEncryptTable(1), MakeEncryptTable(2),
                                         MakeEncryptTable(3)};
constexpr std::array<WordTable, 4> Td = {MakeDecryptTable(0), MakeDecryptTable(1), MakeDecryptTable(2),
                                         MakeDecryptTable(3)};
constexpr std::array<WordTable, 4> InvMix = {MakeInverseMixTable(0), MakeInverseMixTable(1),
                                             MakeInverseMixTable(2), MakeInverseMixTable(3)};

// Successive powers of x in GF(2^8), starting at x^0.
constexpr std::array<Byte, 30> MakeRoundConstants()
{
    std::array<Byte, 30> rc{};
    Byte r = 1;
    for (auto& c : rc) {
        c = r;
        r = Mul(r, 2);
    }
    return rc;
}

constexpr std::array<Byte, 30> RoundConstants = MakeRoundConstants();

// Spot checks against the published tables.
static_assert(SBox[0x00] == 0x63 && SBox[0x01] == 0x7C && SBox[0x53] == 0xED && SBox[0xFF] == 0x16);
static_assert(InverseSBox[0x63] == 0x00 && InverseSBox[0x00] == 0x52);
static_assert(Te[0][0] == 0xC66363A5 && Te[1][0] == 0xA5C66363);
static_assert(Td[0][0] == 0x51F4A750);
static_assert(RoundConstants[8] == 0x1B && RoundConstants[9] == 0x36 && RoundConstants[29] == 0x91);

}  // namespace sigilkit::tables
