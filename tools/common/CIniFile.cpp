#include "tools/common/CIniFile.h"

#include "common/LeadingNumber.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"

#include <cstdint>

namespace vexar::tools {

namespace {

std::string HeaderOf(const char* name)
{
    return "[" + std::string(name) + "]";
}

std::int32_t ReadNumber(const std::string& text)
{
    // Settings files are 8-bit text; a digit is the same code unit either way.
    std::u16string wide;
    wide.reserve(text.size());
    for (const unsigned char c : text)
        wide.push_back(static_cast<char16_t>(c));
    return ReadLeadingLong(wide);
}

}  // namespace

bool CIniFile::Load(const std::string& path)
{
    m_lines.clear();
    std::string text;
    if (platform::ReadRegularFile(path, text) != platform::ReadFileResult::Ok)
        return true;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    const bool endsWithBreak = !text.empty() && text.back() == '\n';
    if (!line.empty() || (endsWithBreak && m_lastLine == IniLastLine::Open))
        m_lines.push_back(std::move(line));
    return true;
}

std::string CIniFile::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        text += m_lines[i];
        if (i + 1 < m_lines.size() || m_lastLine == IniLastLine::Terminated)
            text += "\r\n";
    }
    return text;
}

bool CIniFile::Save(const std::string& path) const
{
    return platform::WriteFileAtomically(path, Text());
}

bool CIniFile::IsSectionHeader(const std::string& line)
{
    return line.size() > 2 && line.front() == '[' && line.back() == ']';
}

int CIniFile::FindSection(const char* name) const
{
    if (!name)
        return -1;
    const std::string header = HeaderOf(name);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i] == header)
            return static_cast<int>(i);
    }
    return -1;
}

int CIniFile::AddSection(const char* name)
{
    if (!name)
        return -1;
    const int found = FindSection(name);
    if (found >= 0)
        return found;
    m_lines.push_back(HeaderOf(name));
    return static_cast<int>(m_lines.size()) - 1;
}

int CIniFile::FindValue(int first, std::string_view key, std::string& out) const
{
    if (first < 0)
        return -1;
    std::string prefix(key);
    prefix += " = ";
    for (std::size_t i = static_cast<std::size_t>(first); i < m_lines.size(); ++i) {
        const std::string& line = m_lines[i];
        if (IsSectionHeader(line))
            break;
        if (line.compare(0, prefix.size(), prefix) == 0) {
            out = line.substr(prefix.size());
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CIniFile::GetString(const char* section, std::string_view key, std::string& out) const
{
    const int header = FindSection(section);
    if (header < 0)
        return 0;
    std::string value;
    if (FindValue(header + 1, key, value) < 0)
        return 0;
    out = std::move(value);
    return 1;
}

int CIniFile::GetInt(const char* section, std::string_view key, int& out) const
{
    std::string value;
    if (!GetString(section, key, value))
        return 0;
    out = ReadNumber(value);
    return 1;
}

int CIniFile::GetLong(const char* section, std::string_view key, long& out) const
{
    std::string value;
    if (!GetString(section, key, value))
        return 0;
    out = ReadNumber(value);
    return 1;
}

int CIniFile::SetLine(const char* section, std::string_view key, const std::string& line)
{
    const int header = AddSection(section);
    if (header < 0)
        return 0;
    std::string old;
    const int found = FindValue(header + 1, key, old);
    if (found >= 0)
        m_lines[static_cast<std::size_t>(found)] = line;
    else
        m_lines.insert(m_lines.begin() + header + 1, line);
    return 1;
}

int CIniFile::SetString(const char* section, std::string_view key, std::string_view value)
{
    std::string line(key);
    line += " = ";
    line += value;
    return SetLine(section, key, line);
}

int CIniFile::SetInt(const char* section, std::string_view key, int value)
{
    return SetString(section, key, std::to_string(value));
}

int CIniFile::SetLong(const char* section, std::string_view key, long value)
{
    // Written as a 32-bit "%d", like every other number of these files.
    return SetString(section, key, std::to_string(static_cast<std::int32_t>(value)));
}

}  // namespace vexar::tools
