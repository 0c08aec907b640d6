#include "sigilkit.h"

#include "Hex.h"
#include "TempDir.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>

using namespace vexar::testing;

namespace {

const unsigned char* SystemKey()
{
    return reinterpret_cast<const unsigned char*>(kSystemKey);
}

void InitSystem()
{
    ASSERT_EQ(CryptInit(SystemKey(), 32, 32), 0);
}

struct Freed {
    void operator()(unsigned char* p) const { DataFree(p); }
};
using Buffer = std::unique_ptr<unsigned char, Freed>;

Bytes Pattern(std::size_t n, unsigned seed = 1)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>((i * 131 + seed * 17) & 0xFF);
    return b;
}

Bytes Encrypt(const Bytes& plain, int mode = SIGILKIT_CFB)
{
    int length = -1;
    Buffer out(DataEncrypt(plain.data(), static_cast<uint32_t>(plain.size()), &length, mode));
    if (!out)
        return {};
    return Bytes(out.get(), out.get() + length);
}

}  // namespace

TEST(SigilkitExports, ExactlyTheNineFunctionsAreExported)
{
    std::string command = std::string("nm -D --defined-only ") + SIGILKIT_FILE;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> functions;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3 && std::strcmp(type, "T") == 0)
            functions.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    const std::set<std::string> expected = {"CryptGetLastErrorString", "CryptInit", "DataEncrypt",
                                            "DataDecrypt", "FileEncrypt", "FileDecrypt",
                                            "GetSigilkitVersion", "DataFree", "GetNByteToAllocate"};
    EXPECT_EQ(functions, expected);
}

TEST(SigilkitExports, AllNineResolveByNameThroughDlopen)
{
    void* library = dlopen(SIGILKIT_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"CryptGetLastErrorString", "CryptInit", "DataEncrypt", "DataDecrypt", "FileEncrypt",
                             "FileDecrypt", "GetSigilkitVersion", "DataFree", "GetNByteToAllocate"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    auto version = reinterpret_cast<const char* (*)()>(dlsym(library, "GetSigilkitVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version(), "0.1.5292.2772");
    dlclose(library);
}

// Runs first in its own process (ctest runs every test alone), so the
// library is as loading left it.
TEST(Sigilkit, StateAtLoad)
{
    EXPECT_STREQ(CryptGetLastErrorString(), "No error");
    EXPECT_EQ(GetNByteToAllocate(17), 32u);
    int length = 99;
    Bytes data(32);
    EXPECT_EQ(DataEncrypt(data.data(), 32, &length, SIGILKIT_CFB), nullptr);
    EXPECT_STREQ(CryptGetLastErrorString(), "Object not Initialized");
    EXPECT_EQ(length, 0);
    TempDir dir;
    WriteAll(dir.file("in"), std::string(32, 'x'));
    EXPECT_EQ(FileEncrypt(dir.file("in").c_str(), dir.file("out").c_str(), SIGILKIT_CFB), -6);
    EXPECT_STREQ(CryptGetLastErrorString(), "Object not Initialized");
    EXPECT_FALSE(Exists(dir.file("out")));
}

TEST(Sigilkit, RoundingFollowsTheLibraryBlockLength)
{
    ASSERT_EQ(CryptInit(SystemKey(), 32, 16), 0);
    EXPECT_EQ(GetNByteToAllocate(0), 0u);
    EXPECT_EQ(GetNByteToAllocate(16), 16u);
    EXPECT_EQ(GetNByteToAllocate(17), 32u);
    InitSystem();
    EXPECT_EQ(GetNByteToAllocate(33), 64u);
    EXPECT_EQ(GetNByteToAllocate(64), 64u);
}

TEST(Sigilkit, EmptyKeyChangesOnlyTheRoundingLength)
{
    InitSystem();
    Bytes plain = Pattern(32);
    Bytes reference = Encrypt(plain);
    EXPECT_EQ(CryptInit(nullptr, 16, 24), -3);
    EXPECT_STREQ(CryptGetLastErrorString(), "Empty key");
    EXPECT_EQ(GetNByteToAllocate(1), 24u);
    // The cipher keeps its 32-byte block: 24 bytes are not a whole block of it.
    int length = -1;
    EXPECT_EQ(DataEncrypt(plain.data(), 24, &length, SIGILKIT_ECB), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_STREQ(CryptGetLastErrorString(), "Data not multiple of Block Size");
    // ...and its key: ECB of 48 bytes (two 24-byte rounding units) is not a
    // multiple of 32 either, while 96 is, and enciphers under the old key.
    Bytes ecbPlain(96, 0);
    Buffer ecb(DataEncrypt(ecbPlain.data(), 96, &length, SIGILKIT_ECB));
    ASSERT_NE(ecb, nullptr);
    EXPECT_EQ(ToHex(ecb.get(), 32), "7caf3a2d9df5c6996c62b8f6c1c6f904d9efe504ccd5acca4d97a4fb8bb17bd7");
}

TEST(Sigilkit, ModesRoundTripWhenKeyedBeforeEachRun)
{
    for (int mode : {SIGILKIT_ECB, SIGILKIT_CBC, SIGILKIT_CFB}) {
        Bytes plain = Pattern(160, static_cast<unsigned>(mode));
        InitSystem();
        Bytes cipher = Encrypt(plain, mode);
        ASSERT_EQ(cipher.size(), plain.size());
        InitSystem();
        int length = 0;
        Buffer back(DataDecrypt(cipher.data(), static_cast<uint32_t>(cipher.size()), &length, mode));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(Bytes(back.get(), back.get() + length), plain) << "mode " << mode;
    }
}

TEST(Sigilkit, CfbGivesTheSameCiphertextOnlyAfterFreshKeying)
{
    Bytes plain = Pattern(64);
    InitSystem();
    Bytes first = Encrypt(plain);
    Bytes second = Encrypt(plain);
    EXPECT_NE(first, second);
    InitSystem();
    EXPECT_EQ(Encrypt(plain), first);
}

TEST(Sigilkit, ShortInputIsPaddedWithZerosNotReadPastItsEnd)
{
    // An exact-size heap buffer: reading past it would be caught by the sanitizer.
    auto shortInput = std::make_unique<unsigned char[]>(40);
    for (int i = 0; i < 40; ++i)
        shortInput[i] = static_cast<unsigned char>(i + 1);
    InitSystem();
    int length = 0;
    Buffer cipher(DataEncrypt(shortInput.get(), 40, &length, SIGILKIT_CFB));
    ASSERT_NE(cipher, nullptr);
    ASSERT_EQ(length, 64);

    Bytes padded(64, 0);
    std::memcpy(padded.data(), shortInput.get(), 40);
    InitSystem();
    EXPECT_EQ(Bytes(cipher.get(), cipher.get() + 64), Encrypt(padded));
}

TEST(Sigilkit, FileRoundTripAndZeroPaddingOfAnOddLength)
{
    TempDir dir;
    Bytes plain = Pattern(40);
    WriteAll(dir.file("plain"), std::string(plain.begin(), plain.end()));
    InitSystem();
    ASSERT_EQ(FileEncrypt(dir.file("plain").c_str(), dir.file("cipher").c_str(), SIGILKIT_CFB), 0);
    std::string cipher = ReadAll(dir.file("cipher"));
    ASSERT_EQ(cipher.size(), 64u);

    // A 40-byte file deciphers as 64 bytes: 24 zero bytes are appended first.
    WriteAll(dir.file("cut"), cipher.substr(0, 40));
    InitSystem();
    int length = 0;
    Buffer back(FileDecrypt(dir.file("cut").c_str(), &length, SIGILKIT_CFB));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(length, 64);
    EXPECT_EQ(Bytes(back.get(), back.get() + 32), Bytes(plain.begin(), plain.begin() + 32));

    InitSystem();
    Buffer whole(FileDecrypt(dir.file("cipher").c_str(), &length, SIGILKIT_CFB));
    ASSERT_NE(whole, nullptr);
    Bytes expected = plain;
    expected.resize(64, 0);
    EXPECT_EQ(Bytes(whole.get(), whole.get() + length), expected);
}

// Every result code and last-error text of the interface, one row each.
TEST(Sigilkit, ResultCodesAndTexts)
{
    TempDir dir;
    WriteAll(dir.file("data"), std::string(50, 'd'));
    WriteAll(dir.file("empty"), "");
    const std::string data = dir.file("data"), empty = dir.file("empty"), missing = dir.file("missing");
    const std::string out = dir.file("out");
    Bytes in(64, 7);

    struct Row {
        const char* what;
        std::function<long()> call;  // result code, or 1 for a returned buffer, 0 for none
        long expected;
        const char* text;  // nullptr: the text before the call is kept
        int lengthAfter;   // -2: not checked
    };
    int length = 0;
    auto buffer = [&](unsigned char* p) {
        DataFree(p);
        return p ? 1L : 0L;
    };
    const Row rows[] = {
        {"init ok", [&] { return long(CryptInit(SystemKey(), 32, 32)); }, 0, nullptr, -2},
        {"key length", [&] { return long(CryptInit(SystemKey(), 20, 32)); }, -1, "Invalid key length", -2},
        {"block size", [&] { return long(CryptInit(SystemKey(), 32, 0)); }, -2, "Invalid block size", -2},
        {"empty key", [&] { return long(CryptInit(nullptr, 32, 32)); }, -3, "Empty key", -2},
        {"encrypt mode", [&] { length = 77; return buffer(DataEncrypt(in.data(), 64, &length, 3)); }, 0,
         "Invalid chaining mode", 77},
        {"decrypt mode", [&] { length = 77; return buffer(DataDecrypt(in.data(), 64, &length, -1)); }, 0,
         "Invalid chaining mode", 77},
        {"encrypt zero", [&] { length = 77; return buffer(DataEncrypt(in.data(), 0, &length, 2)); }, 0,
         "Data not multiple of Block Size", 0},
        {"encrypt ok", [&] { return buffer(DataEncrypt(in.data(), 64, &length, 2)); }, 1, nullptr, 64},
        {"file input", [&] { return long(FileEncrypt(missing.c_str(), out.c_str(), 2)); }, -4,
         "Invalid file name input", -2},
        {"file input dir", [&] { return long(FileEncrypt(dir.path().c_str(), out.c_str(), 2)); }, -4,
         "Invalid file name input", -2},
        {"file output", [&] { return long(FileEncrypt(data.c_str(), (missing + "/x").c_str(), 2)); }, -5,
         "Invalid file name output", -2},
        {"file mode", [&] { return long(FileEncrypt(data.c_str(), out.c_str(), 9)); }, -6,
         "Invalid chaining mode", -2},
        {"file empty", [&] { return long(FileEncrypt(empty.c_str(), out.c_str(), 2)); }, -6,
         "Data not multiple of Block Size", -2},
        {"file ok", [&] { return long(FileEncrypt(data.c_str(), out.c_str(), 2)); }, 0, nullptr, -2},
        {"decrypt missing", [&] { length = 77; return buffer(FileDecrypt(missing.c_str(), &length, 2)); }, 0,
         "Invalid file name input", 77},
        {"decrypt empty", [&] { length = 77; return buffer(FileDecrypt(empty.c_str(), &length, 2)); }, 0,
         "Data not multiple of Block Size", 0},
        {"decrypt mode", [&] { length = 77; return buffer(FileDecrypt(data.c_str(), &length, 5)); }, 0,
         "Invalid chaining mode", 0},
        {"decrypt ok", [&] { return buffer(FileDecrypt(data.c_str(), &length, 2)); }, 1, nullptr, 64},
    };
    for (const Row& row : rows) {
        // Start each row keyed and with a known text, so that "kept" is visible.
        ASSERT_EQ(CryptInit(SystemKey(), 32, 32), 0);
        DataEncrypt(in.data(), 64, &length, 42);
        ASSERT_STREQ(CryptGetLastErrorString(), "Invalid chaining mode");
        ASSERT_EQ(CryptInit(SystemKey(), 20, 32), -1);
        const std::string before = CryptGetLastErrorString();

        EXPECT_EQ(row.call(), row.expected) << row.what;
        EXPECT_EQ(std::string(CryptGetLastErrorString()), row.text ? std::string(row.text) : before) << row.what;
        if (row.lengthAfter != -2) {
            EXPECT_EQ(length, row.lengthAfter) << row.what;
        }
    }
}

TEST(Sigilkit, DataFreeIgnoresNull)
{
    DataFree(nullptr);
}

class SigilkitWriteFault : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { unsetenv("VEXAR_FAULT_ATOMIC_WRITE"); }
};

TEST_P(SigilkitWriteFault, FailedOutputKeepsTheOldFileAndReportsIt)
{
    TempDir dir;
    WriteAll(dir.file("in"), "new contents of the file");
    const std::string old = "the previous output, which must survive";
    WriteAll(dir.file("out"), old);
    InitSystem();
    setenv("VEXAR_FAULT_ATOMIC_WRITE", GetParam(), 1);
    EXPECT_EQ(FileEncrypt(dir.file("in").c_str(), dir.file("out").c_str(), SIGILKIT_CFB), -5);
    EXPECT_STREQ(CryptGetLastErrorString(), "Invalid file name output");
    EXPECT_EQ(ReadAll(dir.file("out")), old);
    EXPECT_FALSE(Exists(dir.file("out.tmp")));
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

INSTANTIATE_TEST_SUITE_P(EachStep, SigilkitWriteFault, ::testing::Values("create", "write", "flush", "rename"));
