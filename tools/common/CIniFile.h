#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexar::tools {

// How a tool ends its settings file: kd02flash ends every line with a line
// break, the other tools leave the last line without one.
enum class IniLastLine { Terminated, Open };

// An INI-style settings file held as its lines, in order and without their
// line breaks. A section is a line "[name]"; a value is a line
// "key = value" (one blank on each side of '='), found under the nearest
// section header above it. Names and keys are compared exactly. Lines the
// tool does not know are kept and written back unchanged, so a file read
// and saved again comes out byte for byte as it was.
class CIniFile {
public:
    explicit CIniFile(IniLastLine lastLine = IniLastLine::Open) : m_lastLine(lastLine) {}
    virtual ~CIniFile() = default;

    // Replaces the lines with those of the file; a file that cannot be read
    // leaves none. The CR of a CR LF goes with the LF; a line is kept whole
    // whatever its length. When the file ends with a line break and the
    // last line is written without one, an empty last line stands for that
    // break, so that saving writes it back. Always true.
    bool Load(const std::string& path);
    // Writes every line with CR LF between them (and after the last one as
    // the tool ends its file), whole or not at all: a failed save leaves
    // the file as it was and returns false.
    bool Save(const std::string& path) const;
    // The bytes Save writes.
    std::string Text() const;

    // The index of the line "[name]", or -1.
    int FindSection(const char* name) const;
    // FindSection; a missing section is appended at the end. The header's
    // index, or -1 for a null name.
    int AddSection(const char* name);
    // From line `first` up to the next section header: the first line that
    // begins with "<key> = "; `out` gets the rest of it. Its index, or -1.
    int FindValue(int first, std::string_view key, std::string& out) const;

    // 1 when the section holds the key (`out` then set: numbers read as by
    // atoi), else 0 with `out` untouched. A missing section is not added.
    int GetInt(const char* section, std::string_view key, int& out) const;
    int GetLong(const char* section, std::string_view key, long& out) const;
    int GetString(const char* section, std::string_view key, std::string& out) const;

    // Replaces the key's line, or inserts it directly after the section
    // header (adding the section when missing). 1, or 0 for a null section.
    int SetInt(const char* section, std::string_view key, int value);
    int SetLong(const char* section, std::string_view key, long value);
    int SetString(const char* section, std::string_view key, std::string_view value);

    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    static bool IsSectionHeader(const std::string& line);
    int SetLine(const char* section, std::string_view key, const std::string& line);

    IniLastLine m_lastLine;
    std::vector<std::string> m_lines;
};

}  // namespace vexar::tools
