#include "common/CCriptFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileRead.h"
#include "sigilkit.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Every enciphered file of the system is keyed with this string, key and
// block length 32, and enciphered in CFB mode as one run.
constexpr char kKey[] = "3FA0C81D5E7B29640D1CE8A7B5F23961";
constexpr int kKeyLength = 32;
constexpr int kBlockLength = 32;

const std::u16string kEndMarker = u"<\u00A3\u00A3\u00A3\u00A3\u00A3\u00A3 FINE FILE \u00A3\u00A3\u00A3\u00A3\u00A3\u00A3>";
const std::u16string kEndMarkerL = u"<LLLLLL FINE FILE LLLLLL>";

// The cipher library keeps one cipher object per process and holds no lock:
// keying and the call that follows must not interleave with another
// thread's.
std::mutex& CipherMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool KeyCipher()
{
    return CryptInit(reinterpret_cast<const unsigned char*>(kKey), kKeyLength, kBlockLength) == 0;
}

struct LibraryBuffer {
    void operator()(unsigned char* p) const { DataFree(p); }
};
using LibraryBytes = std::unique_ptr<unsigned char, LibraryBuffer>;

// The first part of a file read to find its first lines (8 blocks): a
// header's two tag lines with room to spare.
constexpr std::size_t kHeadBytes = 256;

// The text of a deciphered file: the byte-order mark is skipped unchecked,
// the rest is UTF-16LE.
std::u16string DecodeText(const unsigned char* plain, int length)
{
    const std::size_t units = length > 2 ? static_cast<std::size_t>(length - 2) / 2 : 0;
    std::u16string text(units, u'\0');
    for (std::size_t i = 0; i < units; ++i)
        text[i] = static_cast<char16_t>(plain[2 + 2 * i] | (plain[3 + 2 * i] << 8));
    return text;
}

// The text ends at the first pound end marker, else at the first L one.
void CutAtEndMarker(std::u16string& text)
{
    std::size_t end = text.find(kEndMarker);
    if (end == std::u16string::npos)
        end = text.find(kEndMarkerL);
    if (end != std::u16string::npos)
        text.resize(end);
}

// Just past the line feed that ends line `lines` of the text; npos when the
// text holds fewer line feeds.
std::size_t EndOfLines(const std::u16string& text, int lines)
{
    std::size_t end = 0;
    for (int line = 0; line < lines; ++line) {
        end = text.find(u'\n', end);
        if (end == std::u16string::npos)
            return end;
        ++end;
    }
    return end;
}

}  // namespace

CCriptFile::CCriptFile() = default;

CCriptFile::~CCriptFile() { Clear(); }

int CCriptFile::Open(std::string path, unsigned char read)
{
    Clear();
    m_writePending = false;
    std::lock_guard<std::mutex> lock(CipherMutex());
    if (!KeyCipher())
        return 0;
    if (!read) {
        m_path = std::move(path);
        m_mode = 0;
        m_writePending = true;
        return 1;
    }

    int length = 0;
    LibraryBytes plain(FileDecrypt(path.c_str(), &length, SIGILKIT_CFB));
    if (!plain)
        return 0;
    m_readText = DecodeText(plain.get(), length);
    CutAtEndMarker(m_readText);
    m_readPos = 0;
    m_mode = 1;
    return 1;
}

int CCriptFile::OpenHead(std::string path, int lines)
{
    Clear();
    m_writePending = false;
    std::lock_guard<std::mutex> lock(CipherMutex());
    // CFB deciphers each block from the ciphertext before it, so the
    // leading blocks alone give the same text as the whole file. A larger
    // part is read only while the lines wanted may run past it or an end
    // marker in them may be overruled by one further on.
    for (std::size_t limit = kHeadBytes;; limit *= 2) {
        std::string cipher;
        std::uint64_t size = 0;
        if (vexar::platform::ReadRegularFile(path, cipher, limit, nullptr, &size) !=
            vexar::platform::ReadFileResult::Ok)
            return 0;
        // What deciphering the whole file refuses: an empty file, and one
        // larger than the cipher library's buffers.
        if (size == 0 || (size + kBlockLength - 1) / kBlockLength * kBlockLength > INT_MAX)
            return 0;
        if (!KeyCipher())
            return 0;
        int length = 0;
        LibraryBytes plain(DataDecrypt(reinterpret_cast<const unsigned char*>(cipher.data()),
                                       static_cast<std::uint32_t>(cipher.size()), &length, SIGILKIT_CFB));
        if (!plain)
            return 0;
        std::u16string text = DecodeText(plain.get(), length);
        const bool whole = cipher.size() == size;
        if (whole)
            CutAtEndMarker(text);
        const std::size_t end = EndOfLines(text, lines);
        const bool settled =
            end != std::u16string::npos && std::min(text.find(kEndMarker), text.find(kEndMarkerL)) >= end;
        if (whole || settled) {
            if (end != std::u16string::npos)
                text.resize(end);
            m_readText = std::move(text);
            m_readPos = 0;
            m_mode = 1;
            return 1;
        }
    }
}

int CCriptFile::ReadLine(std::u16string& line)
{
    line.clear();
    const std::size_t size = m_readText.size();
    std::size_t pos = m_readPos < 0 ? 0 : static_cast<std::size_t>(m_readPos);
    if (pos >= size)
        return 0;
    while (pos < size) {
        const char16_t c = m_readText[pos];
        if (c == u'\n') {
            ++pos;
            break;
        }
        if (c == u'\r' && pos + 1 < size && m_readText[pos + 1] == u'\n') {
            pos += 2;
            break;
        }
        line.push_back(c);
        ++pos;
    }
    m_readPos = static_cast<int>(pos);
    return 1;
}

void CCriptFile::Write(std::u16string text) { m_writeText += text; }

void CCriptFile::Clear()
{
    m_readText.clear();
    m_writeText.clear();
}

bool CCriptFile::Close()
{
    bool written = true;
    if (m_mode == 0 && m_writePending) {
        m_writePending = false;  // a second Close must not replace the file with an empty one
        written = false;
        std::lock_guard<std::mutex> lock(CipherMutex());
        if (KeyCipher()) {
            const std::u16string text = m_writeText + kEndMarker;
            const unsigned long plainLength = GetNByteToAllocate(2 + 2 * static_cast<unsigned long>(text.size()));
            std::vector<unsigned char> plain(plainLength, 0);
            plain[0] = 0xFF;
            plain[1] = 0xFE;
            for (std::size_t i = 0; i < text.size(); ++i) {
                plain[2 + 2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
                plain[3 + 2 * i] = static_cast<unsigned char>(text[i] >> 8);
            }
            int cipherLength = 0;
            LibraryBytes cipher(DataEncrypt(plain.data(), static_cast<std::uint32_t>(plain.size()), &cipherLength,
                                            SIGILKIT_CFB));
            if (cipher && cipherLength >= 0)
                written = vexar::platform::WriteFileAtomically(m_path, cipher.get(),
                                                               static_cast<std::size_t>(cipherLength));
        }
    }
    Clear();
    return written;
}
