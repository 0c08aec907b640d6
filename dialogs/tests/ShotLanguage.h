#pragma once

// The screenshot programs' language files: a text kept as UTF-8 (a shipped
// language or its petrol companion) written as the UTF-16 file with a
// byte-order mark that the program reads.

#include "common/CStdioFileEx.h"
#include "common/Text.h"

#include <fstream>
#include <string>

inline bool WriteLanguage(const std::string& source, const std::string& target)
{
    std::ifstream in(source);
    CStdioFileEx out;
    if (!in || !out.Open(target, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode))
        return false;
    for (std::string line; std::getline(in, line);)
        out.WriteString(vexar::ToUtf16(line) + u"\n");
    return out.Close();
}
