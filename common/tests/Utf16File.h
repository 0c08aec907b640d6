#pragma once

// Test helpers: decoding the bytes of UTF-16LE files and splitting texts
// into lines.

#include <string>
#include <vector>

inline std::u16string FromUtf16Le(const std::string& bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

// The lines of a text whose lines all end with a line feed.
inline std::vector<std::u16string> SplitLines(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}
