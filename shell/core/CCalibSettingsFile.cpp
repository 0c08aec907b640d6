#include "shell/core/CCalibSettingsFile.h"

#include "common/CStdioFileEx.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "platform/AtomicFile.h"

namespace vexar::shell {

CALIB_SETTINGS CCalibSettingsFile::Read(const std::string& path)
{
    CALIB_SETTINGS settings;
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return settings;
    std::u16string folder;
    std::u16string name;
    std::u16string line;
    if (file.ReadString(folder) && file.ReadString(name)) {
        settings.folder = folder;
        settings.name = name;
        if (file.ReadString(line)) {
            settings.dtrSeconds = ReadLeadingLong(line);
            if (file.ReadString(line))
                settings.auxPort = ReadLeadingLong(line);
        }
    }
    file.Close();
    return settings;
}

bool CCalibSettingsFile::Write(const std::string& path, const std::u16string& folder, const std::u16string& name,
                               std::int32_t dtrSeconds, std::int32_t auxPort)
{
    const std::u16string text = Format(u"%s\n%s\n%ld\n%ld\n", folder, name, dtrSeconds, auxPort);
    return platform::WriteFileAtomically(path, ToCp1252(text));
}

}  // namespace vexar::shell
