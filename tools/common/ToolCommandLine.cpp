#include "tools/common/ToolCommandLine.h"

#include "common/LeadingNumber.h"

#include <cctype>
#include <climits>
#include <unistd.h>

namespace vexar::tools {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

int ReadNumber(std::string_view text)
{
    std::u16string wide;
    for (const unsigned char c : text)
        wide.push_back(static_cast<char16_t>(c));
    return ReadLeadingLong(wide);
}

// The keys each tool knows.
struct KeySet {
    bool path;           // PATH
    bool emptyPath;      // PATH counts also when empty
    bool file;           // FILE
    bool st7;            // LOCKCOM, LANGENG
    bool handheldFiles;  // the six folder and file keys of hhwriter
};

KeySet KeysOf(ToolKind tool)
{
    switch (tool) {
    case ToolKind::Kd02flash:
        return {true, false, true, false, false};
    case ToolKind::St7flash:
        return {true, false, true, true, false};
    case ToolKind::Hc08flash:
        return {true, true, true, false, false};
    case ToolKind::Hhwriter:
        break;
    }
    return {false, false, false, false, true};
}

void SetFolder(std::optional<std::string>& setting, std::string_view value, bool evenEmpty)
{
    if (!value.empty() || evenEmpty)
        setting = std::string(value);
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view text, std::size_t mostTokens, char separator)
{
    std::vector<std::string> tokens(1);
    bool open = true;
    for (const char c : text) {
        if (c == separator) {
            open = false;
            continue;
        }
        if (!open) {
            if (tokens.size() == mostTokens)
                break;
            tokens.emplace_back();
            open = true;
        }
        tokens.back().push_back(c);
    }
    return tokens;
}

ToolArguments ParseToolCommandLine(std::string_view argument, ToolKind tool)
{
    const KeySet keys = KeysOf(tool);
    ToolArguments args;
    for (const std::string& token : SplitArguments(argument)) {
        const std::size_t equal = token.find('=');
        if (equal == std::string::npos)
            continue;
        const std::string key = Upper(Trim(std::string_view(token).substr(0, equal)));
        const std::string_view value = Trim(std::string_view(token).substr(equal + 1));
        if (key == "COM")
            args.com = ReadNumber(value);
        else if (key == "BAUD")
            args.baud = ReadNumber(value);
        else if (key == "LOGO")
            args.logo = ReadNumber(value);
        else if (key == "PATH" && keys.path)
            SetFolder(args.path, value, keys.emptyPath);
        else if (key == "FILE" && keys.file)
            args.file = std::string(value);
        else if (key == "LOCKCOM" && keys.st7)
            args.lockCom = ReadNumber(value);
        else if (key == "LANGENG" && keys.st7)
            args.langEng = ReadNumber(value);
        else if (keys.handheldFiles) {
            if (key == "PATHLANG")
                SetFolder(args.pathLang, value, false);
            else if (key == "FILELANG")
                args.fileLang = std::string(value);
            else if (key == "PATHFWKD01")
                SetFolder(args.pathFwKd01, value, false);
            else if (key == "FILEFWKD01")
                args.fileFwKd01 = std::string(value);
            else if (key == "PATHFWKD02")
                SetFolder(args.pathFwKd02, value, false);
            else if (key == "FILEFWKD02")
                args.fileFwKd02 = std::string(value);
        }
    }
    return args;
}

std::string ToolFolder()
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return "./";
    std::string folder(exe, static_cast<std::size_t>(n));
    folder.erase(folder.find_last_of('/') + 1);
    return folder.empty() ? std::string("/") : folder;
}

std::string ApplyFolderRule(std::string_view folder, const std::string& toolFolder, std::string_view defaultName)
{
    std::string result(folder.empty() ? defaultName : folder);
    for (char& c : result) {
        if (c == '\\')
            c = '/';
    }
    if (result.empty() || result.front() != '/')
        result.insert(0, toolFolder);
    if (result.back() != '/')
        result += '/';
    return result;
}

std::string_view DefaultKd02Folder(int logo)
{
    return logo != 0 ? "ZOVZENTA_ECU" : "KD02_ECU";
}

std::string_view DefaultKd01Folder(int logo)
{
    return logo != 0 ? "OSK04_ECU" : "KD01_ECU";
}

}  // namespace vexar::tools
