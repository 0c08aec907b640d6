#pragma once

// A buffered text file that reads UTF-16 files beginning with the
// byte-order mark FF FE as well as 8-bit Windows-1252 files, and writes
// either kind. Failures are reported by result; nothing is thrown.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class CStdioFileEx {
public:
    // Open flags, with the values the system's file class gives them.
    enum : std::uint32_t {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // Write UTF-16 little-endian with a byte-order mark instead of ANSI.
        modeWriteUnicode = 0x20000,
    };
    enum SeekPosition { begin = SEEK_SET, current = SEEK_CUR, end = SEEK_END };

    CStdioFileEx();
    virtual ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Opens `path` (UTF-8). On failure returns false and, when `error` is
    // given, stores the errno value there.
    bool Open(const std::string& path, std::uint32_t flags, int* error = nullptr);
    // Opens a file held in memory for writing, in the encoding the flags
    // choose (modeWriteUnicode or ANSI): a text built whole, that the
    // caller then writes in one piece (the atomic-write helper).
    bool OpenInMemory(std::uint32_t flags);
    // Closes a file opened in memory and gives its bytes; false, with
    // nothing given, when a write failed or the file was not in memory.
    bool CloseInMemory(std::string& bytes);
    // Reads one line without its line end; false at the end of the file or
    // on a read error (Failed() tells which).
    bool ReadString(std::u16string& line);
    // Writes the text as it stands (no line end added); false on failure.
    bool WriteString(std::u16string_view text);

    bool Flush();
    // Closes the file; false when a write failed since the opening or
    // buffered data could not be written.
    bool Close();
    bool IsOpen() const { return m_stream != nullptr; }
    // True when a read or write error occurred since the file was opened.
    bool Failed() const { return m_failed; }

    bool IsUnicode() const { return m_unicode; }
    std::uint32_t GetOpenFlags() const { return m_flags; }
    const std::string& GetFilePath() const { return m_path; }

    // Raw access: byte position, length, seeking, raw reads, truncation,
    // and the descriptor (for locking).
    std::int64_t GetPosition() const;
    std::int64_t GetLength() const;
    bool Seek(std::int64_t offset, SeekPosition from);
    bool SeekToBegin() { return Seek(0, begin); }
    bool SeekToEnd() { return Seek(0, end); }
    std::size_t Read(void* buffer, std::size_t count);
    bool SetLength(std::int64_t length);
    int GetHandle() const;

private:
    bool ReadUnicodeLine(std::u16string& line);
    bool ReadAnsiLine(std::u16string& line);
    bool WriteBytes(const void* data, std::size_t size);

    std::FILE* m_stream = nullptr;
    // The buffer and size of a file in memory, kept by the stream.
    char* m_memory = nullptr;
    std::size_t m_memorySize = 0;
    bool m_inMemory = false;
    bool m_unicode = false;
    std::uint32_t m_flags = 0;
    int m_codePage = -1;
    bool m_failed = false;
    std::string m_path;
};
