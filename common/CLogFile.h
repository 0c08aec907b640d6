#pragma once

// A session log: "<program folder>/Log/<name>.log", a UTF-16 text file
// replaced at every construction, holding an opening banner, one
// time-stamped entry per Write and a closing banner. A log that cannot be
// opened (no folder, or another live object holds a log of that name)
// swallows every entry; the log never reports its own failures.

#include "common/CStdioFileEx.h"

#include <string>

class CLogFile {
public:
    CLogFile(const std::u16string& name, const std::u16string& description);
    virtual ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    void Open(const std::u16string& name, const std::u16string& description);
    // Writes one entry: a time line, the text as it stands, a line feed.
    void Write(std::u16string text);
    void Close();

    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& GetPath() const { return m_path; }

private:
    std::u16string m_title;
    std::string m_path;
    CStdioFileEx m_file;
};
