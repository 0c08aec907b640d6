#pragma once

// Copying a file or a whole folder tree to a destination, as the software
// update does with the entries of an update folder. Name clashes are
// resolved by replacing the destination (overwrite on) or by a new
// "Copy of " name beside it (overwrite off). The first failure ends the
// copy; its text and code stay in the object for the caller. Nothing is
// thrown out of the class.
//
// A file is always written to a temporary file in the destination folder
// and renamed over the destination, so a running program or a loaded
// library is never overwritten in place. A folder copied into a folder
// below itself skips only the copy's own subtree.

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// The error object of the file-tree operations: a text and a code, either
// a system error code (errno) with the system's message, or a text of our
// own with code 0.
class CFExeption {
public:
    explicit CFExeption(std::uint32_t systemCode);
    explicit CFExeption(std::u16string text);
    virtual ~CFExeption() = default;

    std::u16string GetText() const { return m_text; }
    std::uint32_t GetCode() const { return m_code; }

private:
    std::u16string m_text;
    std::uint32_t m_code = 0;
};

class CFileTreeOps {
public:
    CFileTreeOps();

    void Reset();
    void SetOverwrite(bool overwrite) { m_overwrite = overwrite; }

    // Copies a file or a folder (UTF-8 paths) to a file or a folder. True
    // when the copy was done or had nothing to do; false after a failure,
    // whose text and code GetErrorText and GetErrorCode then give. The
    // error fields keep the last failure: a later success does not clear
    // them.
    bool Copy(const std::string& source, const std::string& destination);
    const std::u16string& GetErrorText() const { return m_errorText; }
    std::uint32_t GetErrorCode() const { return m_errorCode; }

    // The next name to try for a file whose name is taken: "Copy of r.txt",
    // then "Copy (1) of r.txt", "Copy (2) of r.txt"... Folder and extension
    // stay.
    static std::string MakeCopyName(const std::string& path);

private:
    enum PathKind { kUnknown = -1, kMissing = 0, kFile = 1, kFolder = 2 };
    using Identity = std::pair<dev_t, ino_t>;

    static PathKind CheckPath(const std::string& path, int* error = nullptr);
    static bool FileExists(const std::string& path);
    static std::string AddBackslash(std::string path);  // appends the path separator '/'
    static std::string GetFolderName(const std::string& folder);

    void CopyTree(const std::string& source, const std::string& destination);
    void CopyFolder(const std::string& source, const std::string& destination);
    void CopyFolderContents(const std::string& folder, const std::string& destination);
    void CopyOneFile(const std::string& source, std::string destination);

    std::u16string m_errorText;
    std::uint32_t m_errorCode = 0;
    bool m_overwrite = false;
    // During one folder copy: the folder the copy goes into, never entered
    // as a source, and the source folders being walked (links leading back
    // into them are not followed).
    Identity m_copyRoot{};
    std::vector<Identity> m_walking;
};
