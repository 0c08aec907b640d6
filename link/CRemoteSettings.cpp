#include "link/CRemoteSettings.h"

#include "common/CCriptFile.h"
#include "common/CUtilityToolbox.h"
#include "common/ErrorReporter.h"
#include "common/LeadingNumber.h"
#include "common/Text.h"
#include "platform/ProgramFolder.h"

#include <sys/stat.h>

namespace vexar::link {

namespace {

constexpr std::size_t kMaxAddressLength = 49;

// The text before the line's first TAB, trimmed; empty for a missing line.
std::u16string NextValue(CCriptFile& file)
{
    std::u16string line;
    if (!file.ReadLine(line))
        return {};
    std::u16string value;
    CUtility::ExtractTabField(line, value);
    return value;
}

bool Accessible(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

void CRemoteSettings::ReadRemoteSettings()
{
    m_nBridgePort = 0;
    m_szBridgeIp = "0.0.0.0";
    m_bRemoteMaster = 1;
    m_nSocketTimeout = 1;

    const std::string path = platform::ProgramFolder() + "Remote.cfg";
    if (!Accessible(path)) {
        ReportError(Format(u"Error to access file %s!", path));
        return;
    }
    CCriptFile file;
    if (!file.Open(path, 1)) {
        ReportError(Format(u"Error to open file %s!", path));
        return;
    }
    if (const std::u16string address = NextValue(file); !address.empty())
        m_szBridgeIp = ToCp1252(address.substr(0, kMaxAddressLength));
    if (const std::u16string port = NextValue(file); !port.empty())
        m_nBridgePort = static_cast<std::uint16_t>(ReadLeadingLong(port));
    if (const std::u16string role = NextValue(file); !role.empty())
        m_bRemoteMaster = ReadLeadingLong(role) != 0 ? 1 : 0;
    if (const std::u16string timeout = NextValue(file); !timeout.empty())
        m_nSocketTimeout = ReadLeadingLong(timeout);
    file.Close();
}

}  // namespace vexar::link
