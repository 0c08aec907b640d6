// The cipher library's buffer calls with any key, block length, chaining
// mode and data: a result buffer of the rounded length or none with a
// last-error text, never a fault.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "sigilkit.h"

#include <cstring>

using namespace vexar::fuzz;

namespace {

constexpr int kLengths[] = {16, 24, 32, 0, 20, 33};

void CheckResult(unsigned char* result, int length, std::size_t inputLength)
{
    FUZZ_CHECK(CryptGetLastErrorString() != nullptr);
    if (!result)
        return;
    FUZZ_CHECK(length >= 0);
    FUZZ_CHECK(static_cast<unsigned long>(length) == GetNByteToAllocate(inputLength));
    // The whole buffer is the caller's to read.
    volatile unsigned char sink = 0;
    for (int i = 0; i < length; ++i)
        sink = static_cast<unsigned char>(sink ^ result[i]);
    DataFree(result);
}

}  // namespace

VEXAR_FUZZ_TARGET(CipherLibrary)
{
    FuzzInput in(data, size);
    const int keyLength = kLengths[in.Choice(std::size(kLengths))];
    const int blockLength = kLengths[in.Choice(std::size(kLengths))];
    const int mode = static_cast<int>(in.Choice(4));  // 3 is no mode
    const bool nullKey = in.Byte() == 0xEE;
    unsigned char key[64] = {};
    const auto keyBytes = in.Bytes(static_cast<std::size_t>(keyLength));
    std::memcpy(key, keyBytes.data(), keyBytes.size());

    // Every input starts from the same keyed object: a refused key keeps
    // the previous one.
    CryptInit(reinterpret_cast<const unsigned char*>("3FA0C81D5E7B29640D1CE8A7B5F23961"), 32, 32);
    const int keyed = CryptInit(nullKey ? nullptr : key, keyLength, blockLength);
    FUZZ_CHECK(keyed <= 0);

    const auto text = in.Rest();
    const auto n = static_cast<std::uint32_t>(text.size());
    int length = -7;
    unsigned char* plain = DataDecrypt(text.data(), n, &length, mode);
    CheckResult(plain, length, text.size());
    length = -7;
    unsigned char* cipher = DataEncrypt(text.data(), n, &length, mode);
    CheckResult(cipher, length, text.size());
    return 0;
}

VEXAR_FUZZ_SEEDS(CipherLibrary)
{
    SeedSet seeds;
    std::string keyed = std::string("\x02\x02\x02\x00", 4) + "3FA0C81D5E7B29640D1CE8A7B5F23961";
    seeds.Add("cfb-32", keyed + std::string(64, 'x'));
    seeds.Add("ecb-16", std::string("\x00\x00\x00\x00", 4) + std::string(16, 'k') + std::string(40, 'y'));
    seeds.Add("cbc-24", std::string("\x01\x01\x01\x00", 4) + std::string(24, 'k') + std::string(48, 'z'));
    return seeds;
}
