#ifndef SIGILKIT_H
#define SIGILKIT_H

/* sigilkit: Rijndael enciphering of buffers and files.
 *
 * One cipher object serves the whole process. Key it with CryptInit right
 * before each buffer or file operation; in CBC and CFB every call continues
 * from the chain block the previous call left, until the next CryptInit.
 * Every buffer the library returns is released with DataFree. Failures are
 * a negative result or a null buffer, with CryptGetLastErrorString telling
 * why. The library holds no lock: call it from one thread at a time. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(SIGILKIT_BUILD)
#define SIGILKIT_API __attribute__((visibility("default")))
#else
#define SIGILKIT_API
#endif

/* Chaining modes of the data and file calls. */
#define SIGILKIT_ECB 0
#define SIGILKIT_CBC 1
#define SIGILKIT_CFB 2

SIGILKIT_API const char* CryptGetLastErrorString(void);
SIGILKIT_API int CryptInit(const unsigned char* key, int keyLength, int blockLength);
SIGILKIT_API unsigned char* DataEncrypt(const unsigned char* input, uint32_t n, int* outLength, int mode);
SIGILKIT_API unsigned char* DataDecrypt(const unsigned char* input, uint32_t n, int* outLength, int mode);
SIGILKIT_API int FileEncrypt(const char* inputPath, const char* outputPath, int mode);
SIGILKIT_API unsigned char* FileDecrypt(const char* inputPath, int* outLength, int mode);
SIGILKIT_API const char* GetSigilkitVersion(void);
SIGILKIT_API void DataFree(void* buffer);
SIGILKIT_API unsigned long GetNByteToAllocate(unsigned long n);

#ifdef __cplusplus
}
#endif

#endif
