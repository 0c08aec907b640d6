#include "CRijndael.h"

#include "Hex.h"

#include <functional>
#include <gtest/gtest.h>

using sigilkit::CipherError;
using sigilkit::CRijndael;

namespace {

const std::uint8_t kZeroChain[32] = {};

const std::string kPlainAll = "3243f6a8885a308d313198a2e03707344a4093822299f31d0082efa98ec4e6c8";
const std::string kKeyAll = "2b7e151628aed2a6abf7158809cf4f3c762e7160f38b4da56a784d9045190cfe";

CRijndael Keyed(const Bytes& key, int blockLength)
{
    CRijndael cipher;
    cipher.ScheduleKey(key.data(), kZeroChain, static_cast<int>(key.size()), blockLength);
    return cipher;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CipherError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

struct KnownAnswer {
    std::string key;
    std::string plain;
    std::string cipher;
};

class RijndaelKnownAnswer : public ::testing::TestWithParam<KnownAnswer> {};

TEST_P(RijndaelKnownAnswer, EnciphersAndDeciphersOneBlock)
{
    const KnownAnswer& v = GetParam();
    Bytes key = FromHex(v.key), plain = FromHex(v.plain);
    CRijndael cipher = Keyed(key, static_cast<int>(plain.size()));
    Bytes out(plain.size()), back(plain.size());
    cipher.EncryptBlock(plain.data(), out.data());
    EXPECT_EQ(ToHex(out), v.cipher);
    cipher.DecryptBlock(out.data(), back.data());
    EXPECT_EQ(back, plain);
}

// FIPS-197 appendix C, and the designers' vectors for every block and key
// length: plaintext and key are prefixes of one pair of strings.
INSTANTIATE_TEST_SUITE_P(
    Published, RijndaelKnownAnswer,
    ::testing::Values(
        KnownAnswer{"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
                    "69c4e0d86a7b0430d8cdb78070b4c55a"},
        KnownAnswer{"000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
                    "dda97ca4864cdfe06eaf70a0ec0d7191"},
        KnownAnswer{"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
                    "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
        KnownAnswer{kKeyAll.substr(0, 32), kPlainAll.substr(0, 32), "3925841d02dc09fbdc118597196a0b32"},
        KnownAnswer{kKeyAll.substr(0, 48), kPlainAll.substr(0, 32), "f9fb29aefc384a250340d833b87ebc00"},
        KnownAnswer{kKeyAll.substr(0, 64), kPlainAll.substr(0, 32), "1a6e6c2c662e7da6501ffb62bc9e93f3"},
        KnownAnswer{kKeyAll.substr(0, 32), kPlainAll.substr(0, 48),
                    "b24d275489e82bb8f7375e0d5fcdb1f481757c538b65148a"},
        KnownAnswer{kKeyAll.substr(0, 48), kPlainAll.substr(0, 48),
                    "725ae43b5f3161de806a7c93e0bca93c967ec1ae1b71e1cf"},
        KnownAnswer{kKeyAll.substr(0, 64), kPlainAll.substr(0, 48),
                    "0ebacf199e3315c2e34b24fcc7c46ef4388aa475d66c194c"},
        KnownAnswer{kKeyAll.substr(0, 32), kPlainAll,
                    "7d15479076b69a46ffb3b3beae97ad8313f622f67fedb487de9f06b9ed9c8f19"},
        KnownAnswer{kKeyAll.substr(0, 48), kPlainAll,
                    "5d7101727bb25781bf6715b0e6955282b9610e23a43c2eb062699f0ebf5887b2"},
        KnownAnswer{kKeyAll, kPlainAll, "a49406115dfb30a40418aafa4869b7c6a886ff31602a7dd19c889dc64f7e4e7a"},
        KnownAnswer{ToHex(FromText(kSystemKey)), std::string(64, '0'),
                    "7caf3a2d9df5c6996c62b8f6c1c6f904d9efe504ccd5acca4d97a4fb8bb17bd7"}),
    [](const ::testing::TestParamInfo<KnownAnswer>& info) {
        return "Block" + std::to_string(info.param.plain.size() / 2) + "Key" +
               std::to_string(info.param.key.size() / 2) + "_" + std::to_string(info.index);
    });

TEST(Rijndael, RoundCountFollowsTheLongerOfKeyAndBlock)
{
    struct Case {
        int key, block, rounds;
    };
    const Case cases[] = {{16, 16, 10}, {16, 24, 12}, {16, 32, 14}, {24, 16, 12}, {24, 24, 12},
                          {24, 32, 14}, {32, 16, 14}, {32, 24, 14}, {32, 32, 14}};
    Bytes key(32, 0x5A);
    for (const Case& c : cases) {
        CRijndael cipher;
        cipher.ScheduleKey(key.data(), kZeroChain, c.key, c.block);
        EXPECT_EQ(cipher.Rounds(), c.rounds) << c.key << "x" << c.block;
    }
}

TEST(Rijndael, SixteenByteFixedPathMatchesGeneralPath)
{
    Bytes key = FromHex(kKeyAll);
    CRijndael cipher = Keyed(key, 16);
    Bytes block = FromHex(kPlainAll.substr(0, 32)), a(16), b(16), back(16);
    cipher.EncryptBlock16(block.data(), a.data());
    cipher.EncryptBlock(block.data(), b.data());
    EXPECT_EQ(a, b);
    cipher.DecryptBlock16(a.data(), back.data());
    EXPECT_EQ(back, block);
}

TEST(Rijndael, FirstCfbBlockIsTheEncryptedChainXorPlain)
{
    Bytes key = FromText(kSystemKey);
    CRijndael cipher = Keyed(key, 32);
    Bytes zero(32, 0), e0(32), plain(64), out(64);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 7 + 1);
    cipher.EncryptBlock(zero.data(), e0.data());
    cipher.Encrypt(plain.data(), out.data(), 64, CRijndael::CFB);
    Bytes e1(32);
    cipher.EncryptBlock(out.data(), e1.data());  // the second block feeds on the first ciphertext
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(out[i], e0[i] ^ plain[i]);
        EXPECT_EQ(out[32 + i], e1[i] ^ plain[32 + i]);
    }
}

TEST(Rijndael, ChainCarriesAcrossCallsUntilTheNextKeying)
{
    Bytes key = FromText(kSystemKey);
    Bytes plain(64);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(255 - i);
    for (int mode : {CRijndael::CBC, CRijndael::CFB}) {
        CRijndael whole = Keyed(key, 32), split = Keyed(key, 32);
        Bytes one(64), two(64);
        whole.Encrypt(plain.data(), one.data(), 64, mode);
        split.Encrypt(plain.data(), two.data(), 32, mode);
        split.Encrypt(plain.data() + 32, two.data() + 32, 32, mode);
        EXPECT_EQ(one, two) << "mode " << mode;

        // Enciphering again without keying continues the chain...
        Bytes again(64);
        whole.Encrypt(plain.data(), again.data(), 64, mode);
        EXPECT_NE(again, one) << "mode " << mode;
        // ...and so does deciphering: only a fresh keying recovers the text.
        Bytes back(64);
        whole.Decrypt(one.data(), back.data(), 64, mode);
        EXPECT_NE(back, plain) << "mode " << mode;
        whole.ScheduleKey(key.data(), kZeroChain, 32, 32);
        whole.Decrypt(one.data(), back.data(), 64, mode);
        EXPECT_EQ(back, plain) << "mode " << mode;
    }
}

TEST(Rijndael, EcbWorksBlockByBlockAndLeavesTheChainAlone)
{
    Bytes key = FromHex(kKeyAll);
    CRijndael cipher = Keyed(key, 24);
    Bytes plain(48, 0x11), out(48), back(48);
    cipher.Encrypt(plain.data(), out.data(), 48, CRijndael::ECB);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 24, out.begin() + 24));
    cipher.Decrypt(out.data(), back.data(), 48, 7);  // unknown codes mean ECB
    EXPECT_EQ(back, plain);
    Bytes cfb1(24), cfb2(24);
    CRijndael fresh = Keyed(key, 24);
    cipher.Encrypt(plain.data(), cfb1.data(), 24, CRijndael::CFB);
    fresh.Encrypt(plain.data(), cfb2.data(), 24, CRijndael::CFB);
    EXPECT_EQ(cfb1, cfb2);
}

TEST(Rijndael, CbcMatchesItsDefinition)
{
    Bytes key = FromHex(kKeyAll.substr(0, 32));
    CRijndael cipher = Keyed(key, 16), reference = Keyed(key, 16);
    Bytes plain = FromHex(kPlainAll), out(32);
    cipher.Encrypt(plain.data(), out.data(), 32, CRijndael::CBC);
    Bytes c1(16), c2(16), x(16);
    reference.EncryptBlock(plain.data(), c1.data());  // chain block starts at zero
    for (int i = 0; i < 16; ++i)
        x[i] = c1[i] ^ plain[16 + i];
    reference.EncryptBlock(x.data(), c2.data());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 16), c1);
    EXPECT_EQ(Bytes(out.begin() + 16, out.end()), c2);
}

TEST(Rijndael, Errors)
{
    Bytes key(32, 1), data(64), out(64);
    CRijndael fresh;
    EXPECT_EQ(ErrorOf([&] { fresh.EncryptBlock(data.data(), out.data()); }), "Object not Initialized");
    EXPECT_EQ(ErrorOf([&] { fresh.DecryptBlock16(data.data(), out.data()); }), "Object not Initialized");
    EXPECT_EQ(ErrorOf([&] { fresh.Encrypt(data.data(), out.data(), 32, 2); }), "Object not Initialized");
    EXPECT_EQ(ErrorOf([&] { fresh.XorBlock(out.data(), data.data()); }), "Object not Initialized");

    EXPECT_EQ(ErrorOf([&] { fresh.ScheduleKey(nullptr, kZeroChain, 32, 32); }), "Empty key");
    EXPECT_EQ(ErrorOf([&] { fresh.ScheduleKey(key.data(), kZeroChain, 20, 32); }), "Incorrect key length");
    EXPECT_EQ(ErrorOf([&] { fresh.ScheduleKey(key.data(), kZeroChain, 32, 8); }), "Incorrect block length");
    EXPECT_EQ(ErrorOf([&] { fresh.Encrypt(data.data(), out.data(), 32, 2); }), "Object not Initialized");

    CRijndael keyed = Keyed(key, 32);
    EXPECT_EQ(ErrorOf([&] { keyed.Encrypt(data.data(), out.data(), 48, 2); }), "Data not multiple of Block Size");
    EXPECT_EQ(ErrorOf([&] { keyed.Decrypt(data.data(), out.data(), 0, 0); }), "Data not multiple of Block Size");

    // A failed keying leaves the earlier key in force.
    Bytes before(32), after(32);
    keyed.EncryptBlock(data.data(), before.data());
    EXPECT_EQ(ErrorOf([&] { keyed.ScheduleKey(key.data(), kZeroChain, 16, 12); }), "Incorrect block length");
    EXPECT_EQ(keyed.BlockLength(), 32);
    keyed.EncryptBlock(data.data(), after.data());
    EXPECT_EQ(before, after);
}
