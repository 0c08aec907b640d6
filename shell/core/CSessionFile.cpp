#include "shell/core/CSessionFile.h"

#include "common/CCriptFile.h"
#include "shell/core/CipherTextFile.h"
#include "common/Text.h"

namespace vexar::shell {

namespace {

constexpr std::size_t kSessionLines = 9;

}  // namespace

std::u16string CSessionFile::ProfileKey(const OPERATOR_PROFILE& profile)
{
    if (profile.svil)
        return u"OPR_SVIL";
    if (profile.limit)
        return u"OPR_LIMIT";
    if (profile.pblLimit)
        return u"OPR_PBL_LIMIT";
    switch (profile.oprator) {
    case 1: return u"OPR_PRV";
    case 2: return u"OPR_REM";
    default: return u"OPR_PBL";
    }
}

OPERATOR_PROFILE CSessionFile::ProfileOfKey(const std::u16string& key)
{
    OPERATOR_PROFILE profile;
    if (key == u"OPR_PRV")
        profile.oprator = 1;
    else if (key == u"OPR_REM")
        profile.oprator = 2;
    else if (key == u"OPR_SVIL")
        profile.oprator = 1, profile.svil = true;
    else if (key == u"OPR_LIMIT")
        profile.limit = true;
    else if (key == u"OPR_PBL_LIMIT")
        profile.pblLimit = true;
    return profile;
}

std::u16string CSessionFile::SessionText(const SESSION& session)
{
    std::u16string text = ProfileKey(session.profile) + u"\n";
    text += session.langFileName + u"\n";
    text += Format(u"%d\n", session.comPort);
    text += session.comPath + u"\n";
    for (const std::string& path : session.configPaths)
        text += ToUtf16(path) + u"\n";
    return text;
}

bool CSessionFile::WriteSession(const std::string& path, const SESSION& session)
{
    return WriteCipherTextFile(path, SessionText(session));
}

bool CSessionFile::ReadLines(const std::string& path, std::vector<std::u16string>& lines)
{
    lines.clear();
    CCriptFile file;
    if (!OpenCipherForReading(path, file))
        return false;
    std::u16string line;
    while (lines.size() < kSessionLines && file.ReadLine(line))
        lines.push_back(line);
    file.Close();
    return true;
}

}  // namespace vexar::shell
