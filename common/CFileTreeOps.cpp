#include "common/CFileTreeOps.h"

#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::u16string SystemMessage(std::uint32_t code)
{
    char buffer[256];
    // The GNU form returns the message, in the buffer or in static storage.
    const char* text = ::strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return text ? vexar::ToUtf16(text) : std::u16string();
}

[[noreturn]] void FailNotFound(const std::string& path) { throw CFExeption(vexar::ToUtf16(path) + u" not found"); }

[[noreturn]] void FailSystem(int error) { throw CFExeption(static_cast<std::uint32_t>(error != 0 ? error : EIO)); }

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry names of a folder without "." and "..", sorted so that the
// copy order is stable. False with errno set when the folder cannot be
// listed.
bool ListFolder(const std::string& folder, std::vector<std::string>& names)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return false;
    names.clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    if (errno != 0)
        return false;
    std::sort(names.begin(), names.end());
    return true;
}

// Splits a path into folder (with its separator), base name and extension
// (from the last '.' of the file name on).
struct PathParts {
    std::string folder;
    std::string base;
    std::string extension;
};

PathParts SplitPath(const std::string& path)
{
    PathParts parts;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    parts.base = name.substr(0, dot);
    parts.extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return parts;
}

std::string From(const std::string& text, std::size_t pos) { return pos < text.size() ? text.substr(pos) : ""; }

}  // namespace

// ---- CFExeption ------------------------------------------------------------

CFExeption::CFExeption(std::uint32_t systemCode) : m_text(SystemMessage(systemCode)), m_code(systemCode) {}

CFExeption::CFExeption(std::u16string text) : m_text(std::move(text)), m_code(0) {}

// ---- CFileTreeOps ----------------------------------------------------------

CFileTreeOps::CFileTreeOps() { Reset(); }

void CFileTreeOps::Reset()
{
    m_errorText = u"No error";
    m_errorCode = 0;
    m_overwrite = false;
    m_copyRoot = {};
    m_walking.clear();
}

bool CFileTreeOps::Copy(const std::string& source, const std::string& destination)
{
    bool done = true;
    try {
        // A folder copied into the folder that holds it: nothing to do. The
        // source cut before its last separator names that folder ("/a/b"
        // gives "/a", "/a/b/" the folder itself); the two are compared as
        // folders on disk, not as texts.
        const std::size_t slash = source.rfind('/');
        struct stat parent {};
        struct stat target {};
        const bool intoHolder = CheckPath(source) == kFolder && slash != std::string::npos &&
                                ::stat(slash == 0 ? "/" : source.substr(0, slash).c_str(), &parent) == 0 &&
                                ::stat(destination.c_str(), &target) == 0 && S_ISDIR(target.st_mode) &&
                                parent.st_dev == target.st_dev && parent.st_ino == target.st_ino;
        if (!intoHolder)
            CopyTree(source, destination);
    } catch (const CFExeption& error) {
        m_errorText = error.GetText();
        m_errorCode = error.GetCode();
        done = false;
    }
    m_copyRoot = {};
    m_walking.clear();
    return done;
}

CFileTreeOps::PathKind CFileTreeOps::CheckPath(const std::string& path, int* error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (error)
            *error = errno;
        return errno == ENOENT || errno == ENOTDIR ? kMissing : kUnknown;
    }
    return S_ISDIR(st.st_mode) ? kFolder : kFile;
}

bool CFileTreeOps::FileExists(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::string CFileTreeOps::AddBackslash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string CFileTreeOps::GetFolderName(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CFileTreeOps::CopyTree(const std::string& source, const std::string& destination)
{
    int sourceError = 0;
    int destinationError = 0;
    const PathKind from = CheckPath(source, &sourceError);
    const PathKind to = CheckPath(destination, &destinationError);
    if (from == kMissing)
        FailNotFound(source);
    if (to == kMissing)
        FailNotFound(destination);
    // A path whose kind cannot be told (no permission on the way, a loop of
    // links) is a failure, not a copy that had nothing to do.
    if (from == kUnknown)
        FailSystem(sourceError);
    if (to == kUnknown)
        FailSystem(destinationError);

    if (from == kFolder && to == kFile)
        throw CFExeption(u"Wrong operation");
    if (from == kFolder)
        CopyFolder(source, destination);
    else if (to == kFile)
        CopyOneFile(source, destination);
    else
        CopyOneFile(source, AddBackslash(destination) + source.substr(source.rfind('/') + 1));
}

void CFileTreeOps::CopyFolder(const std::string& source, const std::string& destination)
{
    const std::string folder = AddBackslash(source);
    std::string target = AddBackslash(destination);
    std::vector<std::string> probe;
    struct stat st {};
    if (!ListFolder(folder, probe) || ::stat(folder.c_str(), &st) != 0)
        FailNotFound(source);

    // The copy gets a folder of the source's name; a root folder has none,
    // and its entries go straight into the destination.
    const std::string name = GetFolderName(folder);
    if (!name.empty()) {
        target += name + "/";
        if (::mkdir(target.c_str(), 0777) != 0 && errno != EEXIST)
            FailSystem(errno);
    }
    struct stat root {};
    if (::stat(target.c_str(), &root) != 0)
        FailSystem(errno);
    m_copyRoot = {root.st_dev, root.st_ino};
    m_walking = {{st.st_dev, st.st_ino}};
    CopyFolderContents(folder, target);
}

void CFileTreeOps::CopyFolderContents(const std::string& folder, const std::string& destination)
{
    std::vector<std::string> names;
    if (!ListFolder(folder, names))
        FailSystem(errno);
    for (const std::string& name : names) {
        const std::string path = folder + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            FailSystem(errno);
        if (S_ISDIR(st.st_mode)) {
            const Identity id{st.st_dev, st.st_ino};
            // The copy's own folder when it lies inside the source, and a
            // folder that a link leads back into, are not copied again.
            if (id == m_copyRoot || std::find(m_walking.begin(), m_walking.end(), id) != m_walking.end())
                continue;
            const std::string target = destination + name + "/";
            if (CheckPath(target) == kMissing && ::mkdir(target.c_str(), 0777) != 0)
                FailSystem(errno);
            m_walking.push_back(id);
            CopyFolderContents(path + "/", target);
            m_walking.pop_back();
        } else if (S_ISREG(st.st_mode)) {
            CopyOneFile(path, destination + name);
        }
        // Pipes, sockets and devices hold no file contents to copy.
    }
}

void CFileTreeOps::CopyOneFile(const std::string& source, std::string destination)
{
    if (!m_overwrite) {
        while (FileExists(destination)) {
            std::string next = MakeCopyName(destination);
            if (next == destination)
                break;
            destination = std::move(next);
        }
        // Something stands at the name that cannot be read: the copy must
        // not replace it.
        struct stat st {};
        if (::lstat(destination.c_str(), &st) == 0)
            FailSystem(EEXIST);
    }

    std::string bytes;
    mode_t mode = 0;
    errno = 0;
    switch (vexar::platform::ReadRegularFile(source, bytes, std::string::npos, &mode)) {
    case vexar::platform::ReadFileResult::Ok:
        break;
    case vexar::platform::ReadFileResult::OpenFailed:
        FailSystem(errno);
    case vexar::platform::ReadFileResult::ShortRead:
        FailSystem(EIO);
    case vexar::platform::ReadFileResult::NoMemory:
        FailSystem(ENOMEM);
    }
    if (!vexar::platform::WriteFileAtomically(destination, bytes))
        FailSystem(errno);
    // The copy carries the source's permission bits, so a program stays
    // executable.
    if (::chmod(destination.c_str(), mode) != 0)
        FailSystem(errno);
}

std::string CFileTreeOps::MakeCopyName(const std::string& path)
{
    const PathParts parts = SplitPath(path);
    const std::string& base = parts.base;
    std::string next;
    const std::size_t open = base.find('(');
    const std::size_t close = base.find(')');
    if (base.find("Copy ") == std::string::npos) {
        next = "Copy of " + base;
    } else if (open == std::string::npos) {
        next = "Copy (1) of " + From(base, 8);
    } else if (close == std::string::npos) {
        next = "Copy of " + base;
    } else {
        const std::int64_t n = vexar::ReadLeadingLong(vexar::ToUtf16(From(base, open + 1))) + std::int64_t{1};
        next = "Copy (" + std::to_string(n) + ") of " + From(base, close + 5);
    }
    return parts.folder + next + parts.extension;
}
