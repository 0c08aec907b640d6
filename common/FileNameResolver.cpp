#include "common/FileNameResolver.h"

#include "common/NoCase.h"
#include "common/Text.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vexar {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool IsKind(int dirFd, const dirent& entry, EntryKind kind)
{
    // The folder's own record of the type, where the file system keeps
    // one; a link is followed.
    if (entry.d_type == DT_DIR || entry.d_type == DT_REG)
        return entry.d_type == (kind == EntryKind::Folder ? DT_DIR : DT_REG);
    const char* name = entry.d_name;
    struct stat st {};
    if (::fstatat(dirFd, name, &st, 0) != 0)  // follows links; a broken link is neither kind
        return false;
    return kind == EntryKind::Folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

bool ListNames(const std::string& folder, std::optional<EntryKind> kind, std::vector<std::string>& names)
{
    names.clear();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return false;
    const int fd = ::dirfd(dir.get());
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!kind || IsKind(fd, *entry, *kind))
            names.emplace_back(name);
        errno = 0;
    }
    if (errno != 0) {
        names.clear();
        return false;
    }
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names)
        keyed.emplace_back(ToUtf16(name), std::move(name));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int c = CompareNoCase(a.first, b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    });
    names.clear();
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
    return true;
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

bool ListFolder(const std::string& folder, EntryKind kind, std::vector<std::string>& names)
{
    return ListNames(folder, kind, names);
}

bool MatchesNoCase(std::u16string_view name, std::u16string_view pattern)
{
    // Greedy matching with one back-track point: the last '*' seen.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || ToUpperChar(pattern[p]) == ToUpperChar(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::optional<std::string> FindFirstMatch(const std::string& folder, std::string_view pattern, EntryKind kind)
{
    std::vector<std::string> names;
    if (!ListFolder(folder, kind, names))
        return std::nullopt;
    const std::u16string wanted = ToUtf16(pattern);
    for (const std::string& name : names)
        if (MatchesNoCase(ToUtf16(name), wanted))
            return name;
    return std::nullopt;
}

std::string ResolvePathNoCase(const std::string& path)
{
    if (path.empty() || PathExists(path))
        return path;
    std::string resolved = path.front() == '/' ? "/" : "";
    std::size_t start = path.front() == '/' ? 1 : 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string component = path.substr(start, end - start);
        if (!component.empty()) {
            std::string candidate = resolved + component;
            if (!PathExists(candidate)) {
                std::vector<std::string> names;
                ListNames(resolved, std::nullopt, names);
                const std::u16string wanted = ToUtf16(component);
                const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
                    return EqualsNoCase(ToUtf16(name), wanted);
                });
                if (found == names.end())
                    return path;
                candidate = resolved + *found;
            }
            resolved = std::move(candidate);
            if (end < path.size())
                resolved += '/';
        }
        start = end + 1;
    }
    return resolved;
}

}  // namespace vexar
