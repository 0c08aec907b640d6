#include "common/CUtilityLang.h"

#include "common/CStdioFileEx.h"
#include "common/ErrorReporter.h"
#include "common/FileNameResolver.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "platform/ProgramFolder.h"

#include <sys/stat.h>

namespace CUtility {

namespace {

constexpr std::uint32_t kReadText = CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone;

// The on-disk file for `path` (any letter case), when it is a file that
// exists.
std::optional<std::string> ExistingFile(const std::string& path)
{
    const std::string resolved = vexar::ResolvePathNoCase(path);
    struct stat st {};
    if (::stat(resolved.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return resolved;
}

// Opens a language or list file for reading; reports and yields false
// when it cannot be reached or opened.
bool OpenTextFile(const std::string& path, CStdioFileEx& file)
{
    const std::optional<std::string> resolved = ExistingFile(path);
    if (!resolved) {
        vexar::ReportError(vexar::Format(u"Error to access file %s!", path));
        return false;
    }
    if (!file.Open(*resolved, kReadText)) {
        vexar::ReportError(vexar::Format(u"Error to open file %s!", path));
        return false;
    }
    return true;
}

}  // namespace

void GetExePath(std::string& path) { path = vexar::platform::ProgramFolder(); }

std::u16string LoadLangString(const std::string& path, std::int32_t id)
{
    CStdioFileEx file;
    if (!OpenTextFile(path, file))
        return {};
    std::u16string line;
    while (file.ReadString(line)) {
        const std::size_t tab = line.find(u'\t');
        if (tab == std::u16string::npos)
            continue;
        if (vexar::ReadLeadingLong(vexar::TrimView(std::u16string_view(line).substr(0, tab))) == id)
            return line.substr(tab + 1);
    }
    return {};
}

int FillLangMenu(const std::string& programFolder, const std::string& currentLangFile, LangMenu& menu)
{
    menu = LangMenu{};
    CStdioFileEx list;
    if (!OpenTextFile(programFolder + "Lang/GestLang.cfg", list))
        return 0;

    int count = 0;
    std::u16string line;
    while (list.ReadString(line)) {
        if (line.empty())
            continue;
        const std::u16string fullPath = vexar::ToUtf16(programFolder) + u"Lang/" + line;
        const std::string fullPath8 = vexar::ToUtf8(fullPath);
        if (!ExistingFile(fullPath8)) {
            vexar::ReportError(vexar::Format(u"Error to access file %s!", fullPath));
            continue;
        }
        std::u16string text = fullPath.substr(fullPath.rfind(u'/') + 1);
        text.resize(text.size() >= 4 ? text.size() - 4 : 0);
        const int id = kLangMenuFirstId + count;
        menu.items.push_back({std::move(text), id});
        if (fullPath8 == currentLangFile)
            menu.checkedId = id;
        ++count;
    }
    return count;
}

}  // namespace CUtility
