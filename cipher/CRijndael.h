#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace sigilkit {

// The error raised by CRijndael; what() is one of the cipher's fixed texts.
class CipherError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Rijndael block cipher with keys and blocks of 16, 24 or 32 bytes and
// the chaining modes ECB, CBC and CFB over whole blocks. With a 16-byte block
// it is AES. Blocks and keys are read as big-endian 32-bit words.
//
// The running chain block is shared by enciphering and deciphering and is
// reset only by the next ScheduleKey, so CBC and CFB runs continue across
// calls.
class CRijndael {
public:
    enum Mode { ECB = 0, CBC = 1, CFB = 2 };

    CRijndael() = default;
    virtual ~CRijndael() = default;

    void ScheduleKey(const std::uint8_t* key, const std::uint8_t* chain, int keyLength, int blockLength);

    void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
    void DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
    void EncryptBlock16(const std::uint8_t* in, std::uint8_t* out) const;
    void DecryptBlock16(const std::uint8_t* in, std::uint8_t* out) const;

    // Work on n bytes, a nonzero multiple of the block length. Any mode code
    // other than CBC and CFB means ECB.
    void Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t n, int mode);
    void Decrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t n, int mode);

    void XorBlock(std::uint8_t* buffer, const std::uint8_t* data) const;

    int BlockLength() const { return m_blockLength; }
    int Rounds() const { return m_rounds; }

private:
    static constexpr int MaxRounds = 14;
    static constexpr int MaxColumns = 8;

    void RequireKey() const;
    void CheckLength(std::size_t n) const;
    template <int Nb> void EncryptWords(const std::uint8_t* in, std::uint8_t* out) const;
    template <int Nb> void DecryptWords(const std::uint8_t* in, std::uint8_t* out) const;

    bool m_keyReady = false;
    std::uint32_t m_encryptKeys[MaxRounds + 1][MaxColumns] = {};
    std::uint32_t m_decryptKeys[MaxRounds + 1][MaxColumns] = {};
    int m_keyLength = 0;
    int m_blockLength = 16;
    int m_rounds = 0;
    std::uint8_t m_initialChain[32] = {};
    std::uint8_t m_chain[32] = {};
};

}  // namespace sigilkit
