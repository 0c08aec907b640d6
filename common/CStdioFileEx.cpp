#include "common/CStdioFileEx.h"

#include "common/Text.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longest piece of an ANSI line handed out by one ReadString.
constexpr std::size_t kAnsiPiece = 4095;

bool StartsWithByteOrderMark(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char mark[2] = {};
    ssize_t n = 0;
    do {
        n = ::pread(fd, mark, sizeof mark, 0);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    return n == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
}

// Removes one line end: a final CR LF pair, else one final CR or LF.
template <class String>
void RemoveLineEnd(String& line)
{
    const std::size_t n = line.size();
    if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n')
        line.resize(n - 2);
    else if (n >= 1 && (line[n - 1] == '\r' || line[n - 1] == '\n'))
        line.resize(n - 1);
}

}  // namespace

CStdioFileEx::CStdioFileEx() = default;

CStdioFileEx::~CStdioFileEx() { Close(); }

bool CStdioFileEx::Open(const std::string& path, std::uint32_t flags, int* error)
{
    Close();
    m_unicode = false;
    m_failed = false;

    const bool writing = (flags & (modeWrite | modeReadWrite)) != 0;
    const bool create = (flags & modeCreate) != 0;
    const bool text = (flags & typeBinary) == 0;
    if (text && !create && !writing && StartsWithByteOrderMark(path)) {
        m_unicode = true;
        flags = (flags & ~static_cast<std::uint32_t>(typeText)) | typeBinary;
    }

    int oflags = O_CLOEXEC;
    const char* streamMode = "rb";
    if (flags & modeReadWrite) {
        oflags |= O_RDWR;
        streamMode = "r+b";
    } else if (flags & modeWrite) {
        oflags |= O_WRONLY;
        streamMode = "wb";
    } else {
        oflags |= O_RDONLY;
    }
    if (create) {
        oflags |= O_CREAT;
        if (!(flags & modeNoTruncate))
            oflags |= O_TRUNC;
    }

    const int fd = ::open(path.c_str(), oflags, 0666);
    if (fd < 0) {
        if (error)
            *error = errno;
        return false;
    }
    m_stream = ::fdopen(fd, streamMode);  // fdopen never truncates
    if (!m_stream) {
        if (error)
            *error = errno;
        ::close(fd);
        return false;
    }
    m_flags = flags;
    m_path = path;
    return true;
}

bool CStdioFileEx::OpenInMemory(std::uint32_t flags)
{
    Close();
    m_unicode = false;
    m_failed = false;
    m_stream = ::open_memstream(&m_memory, &m_memorySize);
    if (!m_stream)
        return false;
    m_inMemory = true;
    m_flags = (flags | modeWrite | modeCreate) & ~static_cast<std::uint32_t>(modeReadWrite);
    m_path.clear();
    return true;
}

bool CStdioFileEx::CloseInMemory(std::string& bytes)
{
    if (!m_stream || !m_inMemory)
        return false;
    // The stream sets the buffer and its size at the close.
    const bool ok = std::fclose(m_stream) == 0 && !m_failed && m_memory;
    m_stream = nullptr;
    m_unicode = false;
    m_inMemory = false;
    if (ok)
        bytes.assign(m_memory, m_memorySize);
    std::free(m_memory);
    m_memory = nullptr;
    m_memorySize = 0;
    return ok;
}

bool CStdioFileEx::ReadString(std::u16string& line)
{
    if (!m_stream)
        return false;
    return m_unicode ? ReadUnicodeLine(line) : ReadAnsiLine(line);
}

bool CStdioFileEx::ReadUnicodeLine(std::u16string& line)
{
    if (GetPosition() == 0) {
        unsigned char mark[2];
        if (std::fread(mark, 1, 2, m_stream) != 2) {
            m_failed = std::ferror(m_stream) != 0;
            return false;
        }
    }
    std::u16string result;
    bool any = false;
    for (;;) {
        const int low = std::getc(m_stream);
        if (low == EOF)
            break;
        const int high = std::getc(m_stream);
        if (high == EOF)
            break;  // a lone last byte is no code unit
        any = true;
        const char16_t unit = static_cast<char16_t>(low | (high << 8));
        result.push_back(unit);
        if (unit == u'\n')
            break;
    }
    if (std::ferror(m_stream)) {
        m_failed = true;
        return false;
    }
    if (!any)
        return false;
    RemoveLineEnd(result);
    line = std::move(result);
    return true;
}

bool CStdioFileEx::ReadAnsiLine(std::u16string& line)
{
    // In text mode a CR LF pair reads as one LF, as the system's text
    // streams have it.
    const bool translate = (m_flags & typeBinary) == 0;
    std::string bytes;
    while (bytes.size() < kAnsiPiece) {
        int c = std::getc(m_stream);
        if (c == EOF)
            break;
        if (c == '\r' && translate) {
            const int next = std::getc(m_stream);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, m_stream);
        }
        bytes.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    if (std::ferror(m_stream)) {
        m_failed = true;
        return false;
    }
    if (bytes.empty())
        return false;
    RemoveLineEnd(bytes);
    line = vexar::FromCp1252(bytes);
    return true;
}

bool CStdioFileEx::WriteString(std::u16string_view text)
{
    if (!m_stream)
        return false;
    if (m_flags & modeWriteUnicode) {
        std::string bytes;
        bytes.reserve(2 * text.size() + 2);
        if (GetPosition() == 0)
            bytes += "\xFF\xFE";
        for (char16_t unit : text) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        return WriteBytes(bytes.data(), bytes.size());
    }
    const std::string bytes = vexar::ToCp1252(text);
    return WriteBytes(bytes.data(), bytes.size());
}

bool CStdioFileEx::WriteBytes(const void* data, std::size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, m_stream) != size) {
        m_failed = true;
        return false;
    }
    return true;
}

bool CStdioFileEx::Flush()
{
    if (!m_stream)
        return false;
    if (std::fflush(m_stream) != 0) {
        m_failed = true;
        return false;
    }
    return true;
}

bool CStdioFileEx::Close()
{
    if (!m_stream)
        return true;
    const bool ok = std::fclose(m_stream) == 0 && !m_failed;
    m_stream = nullptr;
    m_unicode = false;
    // What a file in memory held goes with it.
    m_inMemory = false;
    std::free(m_memory);
    m_memory = nullptr;
    m_memorySize = 0;
    return ok;
}

std::int64_t CStdioFileEx::GetPosition() const
{
    return m_stream ? static_cast<std::int64_t>(::ftello(m_stream)) : -1;
}

std::int64_t CStdioFileEx::GetLength() const
{
    if (!m_stream)
        return -1;
    std::fflush(m_stream);
    struct stat st {};
    return ::fstat(::fileno(m_stream), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool CStdioFileEx::Seek(std::int64_t offset, SeekPosition from)
{
    return m_stream && ::fseeko(m_stream, static_cast<off_t>(offset), static_cast<int>(from)) == 0;
}

std::size_t CStdioFileEx::Read(void* buffer, std::size_t count)
{
    if (!m_stream)
        return 0;
    const std::size_t n = std::fread(buffer, 1, count, m_stream);
    if (n < count && std::ferror(m_stream))
        m_failed = true;
    return n;
}

bool CStdioFileEx::SetLength(std::int64_t length)
{
    if (!m_stream || std::fflush(m_stream) != 0)
        return false;
    return ::ftruncate(::fileno(m_stream), static_cast<off_t>(length)) == 0;
}

int CStdioFileEx::GetHandle() const { return m_stream ? ::fileno(m_stream) : -1; }
