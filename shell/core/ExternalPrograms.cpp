#include "shell/core/ExternalPrograms.h"

#include "common/Text.h"
#include "platform/ProgramNames.h"

namespace vexar::shell {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(text[i]) != LowerAscii(prefix[i]))
            return false;
    return true;
}

}  // namespace

std::string LoaderArgument(const LOADER_ARGUMENT& values)
{
    const bool english = values.langFile.find("Italiano.lng") == std::string::npos;
    return "LOGO=" + std::to_string(values.edition) + ",COM=" + std::to_string(values.comPort) +
           ",PATH=,FILE=" + ToUtf8(values.firmware) + ",LINEAK=" + std::to_string(values.kLine) +
           ",LOCKCOM=" + std::to_string(values.lockCom) + ",LANGENG=" + (english ? "1" : "0");
}

std::string HandheldArgument(std::int32_t edition) { return "LOGO=" + std::to_string(edition) + ",PATH=,FILE="; }

std::string TarmixSettingsLine(std::int32_t comPort, const std::string& langFile, std::int32_t baud)
{
    const std::size_t slash = langFile.find_last_of("/\\");
    std::string name = slash == std::string::npos ? langFile : langFile.substr(slash + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    std::string line = "-com " + std::to_string(comPort) + " -language " + name + " -baudrate " +
                       std::to_string(baud) + "\n";
    for (char& c : line)
        c = LowerAscii(c);
    return line;
}

std::vector<std::string> SplitParameters(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

bool TarmixParameters(std::string_view firstLine, std::vector<std::string>& parameters)
{
    parameters.clear();
    const std::size_t at = firstLine.find("javaw");
    if (at == std::string_view::npos)
        return false;
    std::string_view rest = firstLine.substr(at + 5);
    // "javaw.exe" names the same program: its extension is no parameter.
    if (StartsWithNoCase(rest, ".exe"))
        rest.remove_prefix(4);
    parameters = SplitParameters(TrimBlanks(rest));
    return true;
}

std::u16string UpdateCommand(const std::string& newProgram, const std::string& programFolder)
{
    return ToUtf16(newProgram + ", " + programFolder + platform::kMainProgramFile);
}

bool IsMainProgramEntry(std::string_view name) { return name == platform::kMainProgramFile; }
bool IsObdLibraryEntry(std::string_view name) { return name == platform::kObdLibraryFile; }
bool IsSetupEntry(std::string_view name) { return name == platform::LinuxProgramName("Setup.exe"); }

}  // namespace vexar::shell
