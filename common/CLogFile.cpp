#include "common/CLogFile.h"

#include "common/Text.h"
#include "platform/ProgramFolder.h"

#include <ctime>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

const std::u16string kStars(79, u'*');

// The log folder beside the program, created (one level) when missing.
bool EnsureFolder(const std::string& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    return ::mkdir(folder.c_str(), 0777) == 0;
}

}  // namespace

CLogFile::CLogFile(const std::u16string& name, const std::u16string& description) { Open(name, description); }

CLogFile::~CLogFile() { Close(); }

void CLogFile::Open(const std::u16string& name, const std::u16string& description)
{
    Close();
    const std::time_t now = std::time(nullptr);
    const std::string folder = vexar::platform::ProgramFolder() + "Log/";
    if (!EnsureFolder(folder))
        return;
    m_path = folder + vexar::ToUtf8(name) + ".log";
    m_title = description + u"\n";

    // Open without truncating and take the lock first, so that a second log
    // of the same name never empties the one a live object is writing.
    // flock locks belong to the open file description, so they also keep
    // two objects of one process apart.
    if (!m_file.Open(m_path, CStdioFileEx::modeWriteUnicode | CStdioFileEx::modeCreate |
                                 CStdioFileEx::modeNoTruncate | CStdioFileEx::modeWrite))
        return;
    if (::flock(m_file.GetHandle(), LOCK_EX | LOCK_NB) != 0 || !m_file.SetLength(0) || !m_file.SeekToBegin()) {
        m_file.Close();
        return;
    }

    std::u16string banner = kStars + u"\n";
    banner += u"Apertura sessione di Log : \t" + m_title;
    banner += kStars + u"\n";
    banner += vexar::FormatLocalTime(now, u"%A, %d %B %Y  -  %H:%M:%S \n");
    banner += kStars + u"\n";
    m_file.WriteString(banner);
    m_file.Flush();
}

void CLogFile::Write(std::u16string text)
{
    if (!m_file.IsOpen())
        return;
    std::u16string entry = vexar::FormatLocalTime(std::time(nullptr), u"** %H:%M:%S **  \n");
    entry += text;
    entry += u'\n';
    m_file.WriteString(entry);
    m_file.Flush();
}

void CLogFile::Close()
{
    if (!m_file.IsOpen())
        return;
    Write(u"Chiusura Sessione di Log\n" + kStars + u"\n\n");
    m_file.Close();
}
