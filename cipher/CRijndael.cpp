#include "CRijndael.h"

#include "RijndaelTables.h"

#include <algorithm>
#include <cstring>

namespace sigilkit {
namespace {

using tables::InverseSBox;
using tables::InvMix;
using tables::SBox;
using tables::Td;
using tables::Te;
using Word = std::uint32_t;

// Row-shift offsets of rows 1 to 3 by the number of 32-bit columns.
constexpr int EncryptShift(int columns, int row)
{
    if (columns == 8)
        return row == 1 ? 1 : row == 2 ? 3 : 4;
    return row;
}

constexpr int DecryptShift(int columns, int row)
{
    return columns - EncryptShift(columns, row);
}

inline Word LoadWord(const std::uint8_t* p)
{
    return (Word{p[0]} << 24) | (Word{p[1]} << 16) | (Word{p[2]} << 8) | Word{p[3]};
}

inline void StoreWord(std::uint8_t* p, Word w)
{
    p[0] = static_cast<std::uint8_t>(w >> 24);
    p[1] = static_cast<std::uint8_t>(w >> 16);
    p[2] = static_cast<std::uint8_t>(w >> 8);
    p[3] = static_cast<std::uint8_t>(w);
}

inline Word SubWord(Word w)
{
    return (Word{SBox[w >> 24]} << 24) | (Word{SBox[(w >> 16) & 0xFF]} << 16) |
           (Word{SBox[(w >> 8) & 0xFF]} << 8) | Word{SBox[w & 0xFF]};
}

inline Word RotWord(Word w)
{
    return (w << 8) | (w >> 24);
}

inline Word InverseMixColumn(Word w)
{
    return InvMix[0][w >> 24] ^ InvMix[1][(w >> 16) & 0xFF] ^ InvMix[2][(w >> 8) & 0xFF] ^
           InvMix[3][w & 0xFF];
}

}  // namespace

void CRijndael::RequireKey() const
{
    if (!m_keyReady)
        throw CipherError("Object not Initialized");
}

void CRijndael::CheckLength(std::size_t n) const
{
    if (n == 0 || n % static_cast<std::size_t>(m_blockLength) != 0)
        throw CipherError("Data not multiple of Block Size");
}

void CRijndael::ScheduleKey(const std::uint8_t* key, const std::uint8_t* chain, int keyLength,
                            int blockLength)
{
    auto valid = [](int length) { return length == 16 || length == 24 || length == 32; };
    if (!key)
        throw CipherError("Empty key");
    if (!valid(keyLength))
        throw CipherError("Incorrect key length");
    if (!valid(blockLength))
        throw CipherError("Incorrect block length");

    m_keyLength = keyLength;
    m_blockLength = blockLength;
    std::memcpy(m_initialChain, chain, static_cast<std::size_t>(blockLength));
    std::memcpy(m_chain, chain, static_cast<std::size_t>(blockLength));

    const int nk = keyLength / 4;
    const int nb = blockLength / 4;
    m_rounds = std::max(nk, nb) + 6;

    for (int r = 0; r <= m_rounds; ++r)
        for (int j = 0; j < nb; ++j)
            m_encryptKeys[r][j] = m_decryptKeys[r][j] = 0;

    // The expanded key of FIPS-197, generalised to every block length.
    Word expanded[(MaxRounds + 1) * MaxColumns];
    const int total = (m_rounds + 1) * nb;
    for (int i = 0; i < nk; ++i)
        expanded[i] = LoadWord(key + 4 * i);
    int rcon = 0;
    for (int i = nk; i < total; ++i) {
        Word temp = expanded[i - 1];
        if (i % nk == 0)
            temp = SubWord(RotWord(temp)) ^ (Word{tables::RoundConstants[rcon++]} << 24);
        else if (nk == 8 && i % nk == 4)
            temp = SubWord(temp);
        expanded[i] = expanded[i - nk] ^ temp;
    }
    for (int t = 0; t < total; ++t) {
        m_encryptKeys[t / nb][t % nb] = expanded[t];
        m_decryptKeys[m_rounds - t / nb][t % nb] = expanded[t];
    }

    // The equivalent inverse cipher runs the middle round keys through the
    // inverse column mixing, so deciphering has the table shape of enciphering.
    for (int r = 1; r < m_rounds; ++r)
        for (int j = 0; j < nb; ++j)
            m_decryptKeys[r][j] = InverseMixColumn(m_decryptKeys[r][j]);

    m_keyReady = true;
}

template <int Nb>
void CRijndael::EncryptWords(const std::uint8_t* in, std::uint8_t* out) const
{
    constexpr int s1 = EncryptShift(Nb, 1), s2 = EncryptShift(Nb, 2), s3 = EncryptShift(Nb, 3);
    Word a[Nb], b[Nb];
    for (int j = 0; j < Nb; ++j)
        a[j] = LoadWord(in + 4 * j) ^ m_encryptKeys[0][j];
    for (int r = 1; r < m_rounds; ++r) {
        const Word* k = m_encryptKeys[r];
        for (int j = 0; j < Nb; ++j)
            b[j] = Te[0][a[j] >> 24] ^ Te[1][(a[(j + s1) % Nb] >> 16) & 0xFF] ^
                   Te[2][(a[(j + s2) % Nb] >> 8) & 0xFF] ^ Te[3][a[(j + s3) % Nb] & 0xFF] ^ k[j];
        std::memcpy(a, b, sizeof a);
    }
    const Word* k = m_encryptKeys[m_rounds];
    for (int j = 0; j < Nb; ++j) {
        Word w = (Word{SBox[a[j] >> 24]} << 24) | (Word{SBox[(a[(j + s1) % Nb] >> 16) & 0xFF]} << 16) |
                 (Word{SBox[(a[(j + s2) % Nb] >> 8) & 0xFF]} << 8) | Word{SBox[a[(j + s3) % Nb] & 0xFF]};
        StoreWord(out + 4 * j, w ^ k[j]);
    }
}

template <int Nb>
void CRijndael::DecryptWords(const std::uint8_t* in, std::uint8_t* out) const
{
    constexpr int s1 = DecryptShift(Nb, 1), s2 = DecryptShift(Nb, 2), s3 = DecryptShift(Nb, 3);
    Word a[Nb], b[Nb];
    for (int j = 0; j < Nb; ++j)
        a[j] = LoadWord(in + 4 * j) ^ m_decryptKeys[0][j];
    for (int r = 1; r < m_rounds; ++r) {
        const Word* k = m_decryptKeys[r];
        for (int j = 0; j < Nb; ++j)
            b[j] = Td[0][a[j] >> 24] ^ Td[1][(a[(j + s1) % Nb] >> 16) & 0xFF] ^
                   Td[2][(a[(j + s2) % Nb] >> 8) & 0xFF] ^ Td[3][a[(j + s3) % Nb] & 0xFF] ^ k[j];
        std::memcpy(a, b, sizeof a);
    }
    const Word* k = m_decryptKeys[m_rounds];
    for (int j = 0; j < Nb; ++j) {
        Word w = (Word{InverseSBox[a[j] >> 24]} << 24) |
                 (Word{InverseSBox[(a[(j + s1) % Nb] >> 16) & 0xFF]} << 16) |
                 (Word{InverseSBox[(a[(j + s2) % Nb] >> 8) & 0xFF]} << 8) |
                 Word{InverseSBox[a[(j + s3) % Nb] & 0xFF]};
        StoreWord(out + 4 * j, w ^ k[j]);
    }
}

void CRijndael::EncryptBlock16(const std::uint8_t* in, std::uint8_t* out) const
{
    RequireKey();
    EncryptWords<4>(in, out);
}

void CRijndael::DecryptBlock16(const std::uint8_t* in, std::uint8_t* out) const
{
    RequireKey();
    DecryptWords<4>(in, out);
}

void CRijndael::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const
{
    RequireKey();
    switch (m_blockLength) {
    case 16: EncryptWords<4>(in, out); break;
    case 24: EncryptWords<6>(in, out); break;
    default: EncryptWords<8>(in, out); break;
    }
}

void CRijndael::DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const
{
    RequireKey();
    switch (m_blockLength) {
    case 16: DecryptWords<4>(in, out); break;
    case 24: DecryptWords<6>(in, out); break;
    default: DecryptWords<8>(in, out); break;
    }
}

void CRijndael::XorBlock(std::uint8_t* buffer, const std::uint8_t* data) const
{
    RequireKey();
    for (int i = 0; i < m_blockLength; ++i)
        buffer[i] ^= data[i];
}

void CRijndael::Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t n, int mode)
{
    RequireKey();
    CheckLength(n);
    const std::size_t block = static_cast<std::size_t>(m_blockLength);
    std::uint8_t work[32];
    for (std::size_t offset = 0; offset < n; offset += block) {
        const std::uint8_t* p = in + offset;
        std::uint8_t* c = out + offset;
        switch (mode) {
        case CBC:
            XorBlock(m_chain, p);
            EncryptBlock(m_chain, c);
            std::memcpy(m_chain, c, block);
            break;
        case CFB:
            EncryptBlock(m_chain, work);
            for (std::size_t i = 0; i < block; ++i)
                c[i] = work[i] ^ p[i];
            std::memcpy(m_chain, c, block);
            break;
        default:
            EncryptBlock(p, c);
            break;
        }
    }
}

void CRijndael::Decrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t n, int mode)
{
    RequireKey();
    CheckLength(n);
    const std::size_t block = static_cast<std::size_t>(m_blockLength);
    std::uint8_t work[32];
    std::uint8_t cipher[32];
    for (std::size_t offset = 0; offset < n; offset += block) {
        const std::uint8_t* c = in + offset;
        std::uint8_t* p = out + offset;
        switch (mode) {
        case CBC:
            std::memcpy(cipher, c, block);
            DecryptBlock(cipher, p);
            XorBlock(p, m_chain);
            std::memcpy(m_chain, cipher, block);
            break;
        case CFB:
            std::memcpy(cipher, c, block);
            EncryptBlock(m_chain, work);
            for (std::size_t i = 0; i < block; ++i)
                p[i] = work[i] ^ cipher[i];
            std::memcpy(m_chain, cipher, block);
            break;
        default:
            DecryptBlock(c, p);
            break;
        }
    }
}

}  // namespace sigilkit
