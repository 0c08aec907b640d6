#pragma once

// Test helper: the entries of a session log file, without its opening
// banner, each as the text that was written.

#include "TempDir.h"

#include <string>
#include <string_view>
#include <vector>

// The lines of a UTF-16 LE text file's bytes, after its byte-order mark,
// each without its line feed; what follows the last line feed goes to
// `tail` when asked for.
inline std::vector<std::u16string> Utf16LeLines(const std::string& bytes, std::u16string* tail = nullptr)
{
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (tail)
        *tail = text.substr(start);
    return lines;
}

inline std::vector<std::u16string> SessionLogEntries(const std::string& path)
{
    const std::vector<std::u16string> lines = Utf16LeLines(vexar::testing::ReadAll(path));

    auto isTimeLine = [](std::u16string_view line) {
        return line.size() == 16 && line.substr(0, 3) == u"** " && line.substr(11) == u" **  ";
    };
    std::vector<std::u16string> entries;
    bool firstLine = false;
    for (std::size_t i = 5; i < lines.size(); ++i) {  // the opening banner has five lines
        if (isTimeLine(lines[i])) {
            entries.emplace_back();
            firstLine = true;
        } else if (!entries.empty()) {
            if (!firstLine)
                entries.back() += u'\n';
            entries.back() += lines[i];
            firstLine = false;
        }
    }
    return entries;
}
