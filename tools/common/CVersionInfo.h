#pragma once

#include <string>

namespace vexar::tools {

// The version information of a tool: its program path, the translation key
// of its block ("%04x%04x", language and code page) and the block's legal
// copyright and comment strings. The block is written into the program by
// the build.
class CVersionInfo {
public:
    explicit CVersionInfo(std::string programPath);
    virtual ~CVersionInfo() = default;

    const std::string& ProgramPath() const { return m_path; }
    const std::string& TranslationKey() const { return m_translation; }
    std::string GetLegalCopyright() const;
    // The program's comment, found by its file name; empty for another program.
    std::string GetComments() const;
    // The tool's fixed version code.
    static std::string VersionCode();

private:
    std::string m_path;
    std::string m_translation;
};

}  // namespace vexar::tools
