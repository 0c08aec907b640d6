// Cross-checks sigilkit against an independent Rijndael: libmcrypt's
// "rijndael-256" (32-byte blocks) in "ecb", "cbc" and "ncfb" (whole-block
// CFB) with a zero chain block.
#include "sigilkit.h"

#include "Hex.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutils/mcrypt.h>
#include <random>

namespace {

// One libmcrypt stream, keyed once; calls continue its chain like sigilkit's.
class McryptStream {
public:
    McryptStream(const char* mode, const Bytes& key)
    {
        m_td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr, const_cast<char*>(mode), nullptr);
        if (m_td == MCRYPT_FAILED)
            throw std::runtime_error("libmcrypt cannot open rijndael-256");
        Bytes iv(32, 0);
        Bytes keyCopy = key;
        if (mcrypt_generic_init(m_td, keyCopy.data(), static_cast<int>(keyCopy.size()), iv.data()) < 0)
            throw std::runtime_error("libmcrypt cannot key");
    }
    ~McryptStream()
    {
        mcrypt_generic_deinit(m_td);
        mcrypt_module_close(m_td);
    }
    Bytes Encrypt(Bytes data)
    {
        mcrypt_generic(m_td, data.data(), static_cast<int>(data.size()));
        return data;
    }
    Bytes Decrypt(Bytes data)
    {
        mdecrypt_generic(m_td, data.data(), static_cast<int>(data.size()));
        return data;
    }

private:
    MCRYPT m_td;
};

const char* McryptMode(int mode)
{
    return mode == SIGILKIT_ECB ? "ecb" : mode == SIGILKIT_CBC ? "cbc" : "ncfb";
}

Bytes Sigilkit(const Bytes& data, int mode, bool encrypt)
{
    int length = 0;
    unsigned char* out = encrypt ? DataEncrypt(data.data(), static_cast<uint32_t>(data.size()), &length, mode)
                                 : DataDecrypt(data.data(), static_cast<uint32_t>(data.size()), &length, mode);
    if (!out)
        return {};
    Bytes result(out, out + length);
    DataFree(out);
    return result;
}

}  // namespace

TEST(McryptCrossCheck, RandomKeysAndLengthsInEveryMode)
{
    std::mt19937 random(20261210);
    const int keyLengths[] = {16, 24, 32};
    for (int mode : {SIGILKIT_ECB, SIGILKIT_CBC, SIGILKIT_CFB}) {
        for (int round = 0; round < 20; ++round) {
            Bytes key(static_cast<std::size_t>(keyLengths[random() % 3]));
            for (auto& b : key)
                b = static_cast<std::uint8_t>(random());
            Bytes plain(32 * (1 + random() % 40));
            for (auto& b : plain)
                b = static_cast<std::uint8_t>(random());

            McryptStream reference(McryptMode(mode), key);
            Bytes expected = reference.Encrypt(plain);
            ASSERT_EQ(CryptInit(key.data(), static_cast<int>(key.size()), 32), 0);
            EXPECT_EQ(Sigilkit(plain, mode, true), expected) << "mode " << mode << " key " << key.size();

            McryptStream decipher(McryptMode(mode), key);
            ASSERT_EQ(CryptInit(key.data(), static_cast<int>(key.size()), 32), 0);
            EXPECT_EQ(Sigilkit(expected, mode, false), decipher.Decrypt(expected));
        }
    }
}

TEST(McryptCrossCheck, ChainedCallsMatchOneLongCall)
{
    Bytes key(kSystemKey, kSystemKey + 32);
    Bytes plain(64);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 3);
    for (int mode : {SIGILKIT_CBC, SIGILKIT_CFB}) {
        // One 64-byte libmcrypt call against two 32-byte sigilkit calls...
        McryptStream whole(McryptMode(mode), key);
        Bytes expected = whole.Encrypt(plain);
        ASSERT_EQ(CryptInit(key.data(), 32, 32), 0);
        Bytes first = Sigilkit(Bytes(plain.begin(), plain.begin() + 32), mode, true);
        Bytes second = Sigilkit(Bytes(plain.begin() + 32, plain.end()), mode, true);
        first.insert(first.end(), second.begin(), second.end());
        EXPECT_EQ(first, expected) << "mode " << mode;

        // ...and two 32-byte libmcrypt calls against one of sigilkit.
        McryptStream split(McryptMode(mode), key);
        Bytes a = split.Encrypt(Bytes(plain.begin(), plain.begin() + 32));
        Bytes b = split.Encrypt(Bytes(plain.begin() + 32, plain.end()));
        a.insert(a.end(), b.begin(), b.end());
        ASSERT_EQ(CryptInit(key.data(), 32, 32), 0);
        EXPECT_EQ(Sigilkit(plain, mode, true), a) << "mode " << mode;
    }
}
