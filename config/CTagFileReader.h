#pragma once

// The line reading shared by the readers of enciphered tag files (control
// definitions, window layouts): every line taken from the file counts,
// blank and "//" lines included, so that each Italian message written to
// the reader's session log names the physical line; a failure closes the
// file and writes one entry.

#include "common/CCriptFile.h"
#include "common/CLogFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CTagFileReader {
protected:
    // `path` is the file (UTF-8); the log is opened under `logName` with
    // `description` as its banner.
    CTagFileReader(std::string path, const std::u16string& logName, const std::u16string& description);
    virtual ~CTagFileReader() = default;
    CTagFileReader(const CTagFileReader&) = delete;
    CTagFileReader& operator=(const CTagFileReader&) = delete;

    // The next line that is neither blank nor a "//" comment, trimmed.
    bool ReadSignificantLine(std::u16string& line);
    // The next significant line must be the value line, the opening or the
    // closing line of `tag`.
    bool ReadTagValue(std::u16string& value, std::u16string_view tag);
    bool ReadOpenTag(std::u16string_view tag);
    bool ReadCloseTag(std::u16string_view tag);
    // A block with one value line per language of `languages`, each tagged
    // with the language's name in upper case; only the value of
    // `upperLanguage` is kept, cut to `width`. 0, or 4 for a missing line.
    int ReadLanguageBlock(std::u16string_view block, std::u16string& text, std::size_t width,
                          const std::u16string& upperLanguage, const std::vector<std::u16string>& languages);

    void LogMissingMarker(std::u16string_view tag, bool closing);
    void ReportValueError(std::u16string_view tag, std::u16string_view value);

    CLogFile m_log;
    std::string m_strFile;
    std::int32_t m_nLine = 0;
    CCriptFile m_file;
};
