#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::tools {

// The four programming tools; where they differ, the frame asks by this.
enum class ToolKind { Kd02flash, St7flash, Hc08flash, Hhwriter };

// Splits the start argument at `separator` into at most `mostTokens`
// tokens. Runs of separators make no empty tokens between them, a leading
// one leaves the first token empty, and an empty text is one empty token;
// text beyond the last token that fits is dropped.
std::vector<std::string> SplitArguments(std::string_view text, std::size_t mostTokens = 10, char separator = ',');

// What the start argument gave: a value stands only when its key came in
// the argument and the tool knows that key.
struct ToolArguments {
    std::optional<int> com;
    std::optional<long> baud;
    std::optional<int> logo;
    std::optional<std::string> path;
    std::optional<std::string> file;
    std::optional<int> lockCom;   // st7flash
    std::optional<int> langEng;   // st7flash
    std::optional<std::string> pathLang, fileLang;      // hhwriter
    std::optional<std::string> pathFwKd01, fileFwKd01;  // hhwriter
    std::optional<std::string> pathFwKd02, fileFwKd02;  // hhwriter
};

// Reads the items "key=value" of the start argument: key and value are
// trimmed of blanks, keys compared without regard to case, numbers read as
// by atoi; items without '=' and keys the tool does not know are ignored.
// Folder keys count only with a value, except hc08flash's PATH.
ToolArguments ParseToolCommandLine(std::string_view argument, ToolKind tool);

// The folder a tool keeps its settings file and default image folders in:
// the real folder of its own executable, ending with '/'. Never
// $VEXAR_HOME: a tool started by VEXAR inherits VEXAR's.
std::string ToolFolder();

// The image folder a tool uses for a folder setting: an empty one names
// `defaultName` in the tool's folder; '\' reads as '/'; a folder not
// beginning with '/' lies in the tool's folder; the result ends with '/'.
// `toolFolder` ends with '/'.
std::string ApplyFolderRule(std::string_view folder, const std::string& toolFolder, std::string_view defaultName);

// The default image folder's name of each tool's firmware by brand (LOGO).
std::string_view DefaultKd02Folder(int logo);  // kd02flash; hhwriter's KD02 firmware
std::string_view DefaultKd01Folder(int logo);  // st7flash; hhwriter's KD01 firmware
inline constexpr std::string_view kHandheldFolder = "Palm";  // hc08flash; hhwriter's language file

}  // namespace vexar::tools
