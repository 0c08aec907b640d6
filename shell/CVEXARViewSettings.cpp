// The settings and session files as the view reads and writes them: the
// values go through the file codecs and come back into the application's
// and the view's members.
#include "shell/CVEXARView.h"

#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "config/CParametriFile.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/core/CCalibSettingsFile.h"
#include "shell/core/CSessionFile.h"
#include "shell/core/CSettingsFile.h"

#include <sys/stat.h>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr std::size_t kSessionLines = 9;

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

SETTINGS_VALUES CVEXARView::CurrentSettings() const
{
    SETTINGS_VALUES values;
    values.version = m_app.m_strVersion;
    values.kLine = m_app.m_bKLine;
    values.editionView = m_nEditionView;
    values.layout = m_layoutRead;
    values.listUpload = m_app.m_bListUpload;
    values.shift = m_app.m_nSettingsShift;
    return values;
}

void CVEXARView::TakeSettings(const SETTINGS_VALUES& values)
{
    m_app.m_strVersion = values.version;
    m_app.m_bKLine = values.kLine;
    m_nEditionView = values.editionView;
    m_layoutRead = values.layout;
    UseSettingsAsRead();
    m_app.m_bListUpload = values.listUpload;
    m_app.m_nSettingsShift = values.shift;
}

void CVEXARView::UseSettingsAsRead()
{
    const std::int32_t pollPeriod = m_layout.pollPeriod;
    const std::int32_t acqPeriod = m_layout.acqPeriod;
    m_layout = m_layoutRead;
    m_layout.pollPeriod = pollPeriod;
    m_layout.acqPeriod = acqPeriod;
}

void CVEXARView::ReadSettings()
{
    SETTINGS_VALUES values = CurrentSettings();
    const auto result = CSettingsFile::ReadSettings(m_strExeFolder + "VEXAR.cfg", values, m_settingsTail);
    TakeSettings(values);
    if (result != CSettingsFile::ReadResult::OpenFailed)
        m_nSavedButtonStates.fill(0);
}

void CVEXARView::ReadConfigurationLayout(const std::string& path)
{
    SETTINGS_VALUES values = CurrentSettings();
    CSettingsFile::ReadConfigurationLayout(path, values, m_nSavedButtonStates, m_app.m_nOperator);
    TakeSettings(values);
}

void CVEXARView::WriteSettings()
{
    CSettingsFile::WriteSettings(m_strExeFolder + "VEXAR.cfg",
                                 CSettingsFile::SettingsText(m_app.m_strVersion, m_app.m_bKLine, m_app.m_nEdition,
                                                             m_layoutFile, m_settingsTail));
}

void CVEXARView::WriteSession()
{
    if (m_app.m_nOperator == OPR_REM)
        return;
    SESSION session;
    session.profile = {m_app.m_nOperator, m_app.m_bOprSvil, m_app.m_bOprLimit, m_app.m_bOprPblLimit};
    session.langFileName = ToUtf16(m_strLangFile.substr(m_strLangFile.find_last_of('/') + 1));
    session.comPort = m_app.m_nComPort;
    session.comPath = m_app.m_szComPath;
    session.configPaths = m_strConfigPaths;
    CSessionFile::WriteSession(m_strExeFolder + "VEXARDef.cfg", session);
}

bool CVEXARView::RestoreSession()
{
    std::vector<std::u16string> lines;
    if (!CSessionFile::ReadLines(m_strExeFolder + "VEXARDef.cfg", lines) || lines.empty())
        return false;
    const OPERATOR_PROFILE profile = CSessionFile::ProfileOfKey(lines[0]);
    m_app.m_nOperator = profile.oprator;
    m_app.m_bOprSvil = profile.svil;
    m_app.m_bOprLimit = profile.limit;
    m_app.m_bOprPblLimit = profile.pblLimit;
    if (lines.size() < kSessionLines)
        return false;
    std::array<std::string, 5> paths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        paths[i] = ToUtf8(lines[4 + i]);
        if (!FileExists(paths[i]))
            return false;
    }
    // ".../<ECU>/<revision>/<file>": the revision is the folder of the first
    // file, the ECU the folder above it.
    const std::size_t fileSlash = paths[0].find_last_of('/');
    if (fileSlash == std::string::npos || fileSlash == 0)
        return false;
    const std::size_t revisionSlash = paths[0].find_last_of('/', fileSlash - 1);
    if (revisionSlash == std::string::npos || revisionSlash == 0)
        return false;
    const std::size_t ecuSlash = paths[0].find_last_of('/', revisionSlash - 1);
    if (ecuSlash == std::string::npos)
        return false;
    m_strConfigPaths = paths;
    {
        std::lock_guard lock(m_app.m_csIdent);
        m_app.m_strConfigName = ToUtf16(paths[0].substr(revisionSlash + 1, fileSlash - revisionSlash - 1));
    }
    m_strEcuFamily = ToUtf16(paths[0].substr(ecuSlash + 1, revisionSlash - ecuSlash - 1));
    UpdateStatusPanes();
    return true;
}

void CVEXARView::ReadCalibSettings()
{
    const CALIB_SETTINGS settings = CCalibSettingsFile::Read(m_strExeFolder + "Calib.cfg");
    if (settings.folder && !settings.folder->empty() && !settings.name->empty() && m_app.m_nEdition == 5) {
        m_strCalibFolder = *settings.folder;
        m_strCalibName = *settings.name;
        m_strStartFolder = *settings.folder;
        m_strStartName = *settings.name;
        m_strStartFirmware.clear();
        CParametriFile file("", u"InfoFileParametri");
        std::u16string firmware;
        if (file.ReadHeader(ToUtf8(*settings.folder + *settings.name), firmware) == 0)
            m_strStartFirmware = firmware;
    }
    if (settings.dtrSeconds)
        m_nDtrSeconds = *settings.dtrSeconds;
    if (settings.auxPort)
        m_app.m_nAuxPort = *settings.auxPort;
}

void CVEXARView::WriteCalibSettings()
{
    CCalibSettingsFile::Write(m_strExeFolder + "Calib.cfg", m_strCalibFolder, m_strCalibName, m_nDtrSeconds,
                              m_app.m_nAuxPort);
}
