// The exported functions of sigilkit around the one library-wide cipher.
//
// No C++ exception leaves an export: the cipher's errors become result codes
// and the last-error text, and so does a failed allocation ("Out of memory").

#include "sigilkit.h"

#include "CRijndael.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using vexar::platform::ReadFileResult;

sigilkit::CRijndael g_cipher;
uint32_t g_blockLength = 16;
const unsigned char g_initialChain[32] = {};
char g_lastError[256] = "No error";

const char* const kOutOfMemory = "Out of memory";

void SetLastError(const char* text)
{
    std::strncpy(g_lastError, text, sizeof g_lastError - 1);
    g_lastError[sizeof g_lastError - 1] = '\0';
}

bool ValidLength(int length)
{
    return length == 16 || length == 24 || length == 32;
}

bool ValidMode(int mode)
{
    return mode == SIGILKIT_ECB || mode == SIGILKIT_CBC || mode == SIGILKIT_CFB;
}

uint64_t RoundUp(uint64_t n)
{
    return (n + g_blockLength - 1) / g_blockLength * g_blockLength;
}

// A zero-filled buffer of the library's heap; never a null pointer for a
// length of 0, so that a failure to allocate is told apart from nothing.
unsigned char* AllocateZeroed(uint64_t size)
{
    return static_cast<unsigned char*>(std::calloc(size ? size : 1, 1));
}

// The shared body of DataEncrypt and DataDecrypt. The caller's n bytes are
// copied into a zero-filled buffer of the rounded length when n is not a
// whole number of blocks, so nothing past the caller's buffer is read.
unsigned char* RunData(const unsigned char* input, uint32_t n, int* outLength, int mode, bool encrypt)
{
    if (!ValidMode(mode)) {
        SetLastError("Invalid chaining mode");
        return nullptr;
    }
    const uint64_t rounded = RoundUp(n);
    if (rounded > INT_MAX) {
        SetLastError(kOutOfMemory);
        *outLength = 0;
        return nullptr;
    }
    *outLength = static_cast<int>(rounded);

    unsigned char* output = AllocateZeroed(rounded);
    unsigned char* padded = nullptr;
    const unsigned char* source = input;
    if (output && rounded != n) {
        padded = AllocateZeroed(rounded);
        if (padded && n)
            std::memcpy(padded, input, n);
        source = padded;
    }
    if (!output || (rounded != n && !padded)) {
        std::free(output);
        std::free(padded);
        SetLastError(kOutOfMemory);
        *outLength = 0;
        return nullptr;
    }

    try {
        if (encrypt)
            g_cipher.Encrypt(source, output, rounded, mode);
        else
            g_cipher.Decrypt(source, output, rounded, mode);
    } catch (const std::exception& error) {
        SetLastError(error.what());
        std::free(output);
        output = nullptr;
        *outLength = 0;
    }
    std::free(padded);
    return output;
}

// Reads a whole file into a zero-filled library buffer of its rounded length.
vexar::platform::ReadFileResult ReadRounded(const char* path, unsigned char** buffer, uint64_t* rounded)
{
    using vexar::platform::ReadFileResult;
    std::string bytes;
    ReadFileResult result = path ? vexar::platform::ReadRegularFile(path, bytes) : ReadFileResult::OpenFailed;
    if (result != ReadFileResult::Ok)
        return result;
    *rounded = RoundUp(bytes.size());
    *buffer = *rounded > INT_MAX ? nullptr : AllocateZeroed(*rounded);
    if (!*buffer)
        return ReadFileResult::NoMemory;
    std::memcpy(*buffer, bytes.data(), bytes.size());
    return ReadFileResult::Ok;
}

}  // namespace

extern "C" {

const char* CryptGetLastErrorString(void)
{
    return g_lastError;
}

int CryptInit(const unsigned char* key, int keyLength, int blockLength)
{
    if (!ValidLength(keyLength)) {
        SetLastError("Invalid key length");
        return -1;
    }
    if (!ValidLength(blockLength)) {
        SetLastError("Invalid block size");
        return -2;
    }
    g_blockLength = static_cast<uint32_t>(blockLength);
    try {
        g_cipher.ScheduleKey(key, g_initialChain, keyLength, blockLength);
    } catch (const std::exception& error) {
        SetLastError(error.what());
        return -3;
    }
    return 0;
}

unsigned char* DataEncrypt(const unsigned char* input, uint32_t n, int* outLength, int mode)
{
    return RunData(input, n, outLength, mode, true);
}

unsigned char* DataDecrypt(const unsigned char* input, uint32_t n, int* outLength, int mode)
{
    return RunData(input, n, outLength, mode, false);
}

int FileEncrypt(const char* inputPath, const char* outputPath, int mode)
{
    unsigned char* plain = nullptr;
    uint64_t rounded = 0;
    switch (ReadRounded(inputPath, &plain, &rounded)) {
    case ReadFileResult::OpenFailed:
        SetLastError("Invalid file name input");
        return -4;
    case ReadFileResult::ShortRead:
        SetLastError("Read file error");
        return -7;
    case ReadFileResult::NoMemory:
        SetLastError(kOutOfMemory);
        return -6;
    case ReadFileResult::Ok:
        break;
    }

    int length = 0;
    unsigned char* cipher = DataEncrypt(plain, static_cast<uint32_t>(rounded), &length, mode);
    std::free(plain);
    if (!cipher)
        return -6;

    // The output is written whole or not at all: a failed write keeps the
    // previous file and is reported, never taken for success.
    const bool written = outputPath && *outputPath &&
                         vexar::platform::WriteFileAtomically(outputPath, cipher, static_cast<std::size_t>(length));
    std::free(cipher);
    if (!written) {
        SetLastError("Invalid file name output");
        return -5;
    }
    return 0;
}

unsigned char* FileDecrypt(const char* inputPath, int* outLength, int mode)
{
    unsigned char* cipher = nullptr;
    uint64_t rounded = 0;
    switch (ReadRounded(inputPath, &cipher, &rounded)) {
    case ReadFileResult::OpenFailed:
        SetLastError("Invalid file name input");
        return nullptr;
    case ReadFileResult::ShortRead:
        SetLastError("Read file error");
        *outLength = 0;
        return nullptr;
    case ReadFileResult::NoMemory:
        SetLastError(kOutOfMemory);
        *outLength = 0;
        return nullptr;
    case ReadFileResult::Ok:
        break;
    }

    unsigned char* plain = DataDecrypt(cipher, static_cast<uint32_t>(rounded), outLength, mode);
    std::free(cipher);
    if (!plain) {
        *outLength = 0;
        return nullptr;
    }
    *outLength = static_cast<int>(rounded);
    return plain;
}

const char* GetSigilkitVersion(void)
{
    return "0.1.5292.2772";
}

void DataFree(void* buffer)
{
    std::free(buffer);
}

unsigned long GetNByteToAllocate(unsigned long n)
{
    return (n + g_blockLength - 1) / g_blockLength * g_blockLength;
}

}  // extern "C"
