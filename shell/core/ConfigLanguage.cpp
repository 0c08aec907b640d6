#include "shell/core/ConfigLanguage.h"

#include "common/CStdioFileEx.h"
#include "common/ErrorReporter.h"
#include "common/FileNameResolver.h"
#include "common/Text.h"

#include <algorithm>
#include <sys/stat.h>

namespace vexar::shell {

namespace {

constexpr std::size_t kExtensionLength = 4;

bool Contains(const std::vector<std::u16string>& list, const std::u16string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

}  // namespace

std::vector<std::u16string> ReadLanguageList(const std::string& path)
{
    std::vector<std::u16string> list;
    const std::string resolved = ResolvePathNoCase(path);
    struct stat info {};
    if (::stat(resolved.c_str(), &info) != 0) {
        ReportError(Format(u"Error to access file %s!", path));
        return list;
    }
    CStdioFileEx file;
    if (!file.Open(resolved, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone)) {
        ReportError(Format(u"Error to open file %s!", path));
        return list;
    }
    std::u16string line;
    while (file.ReadString(line)) {
        if (line.empty())
            continue;
        list.push_back(line.substr(0, line.size() > kExtensionLength ? line.size() - kExtensionLength : 0));
    }
    file.Close();
    return list;
}

std::u16string ChooseConfigurationLanguage(const std::string& langFile, const std::vector<std::u16string>& list)
{
    std::u16string name = ToUtf16(langFile);
    if (const std::size_t slash = name.find_last_of(u'/'); slash != std::u16string::npos) {
        name.erase(0, slash + 1);
        name.erase(name.size() > kExtensionLength ? name.size() - kExtensionLength : 0);
    }
    if (Contains(list, name))
        return name;
    if (Contains(list, u"English") || list.empty())
        return u"English";
    return list.front();
}

}  // namespace vexar::shell
