#include "tools/common/CVersionInfo.h"

#include "VersionBlock.h"

namespace vexar::tools {

CVersionInfo::CVersionInfo(std::string programPath) : m_path(std::move(programPath)), m_translation(version::kTranslation)
{
}

std::string CVersionInfo::GetLegalCopyright() const
{
    return version::kLegalCopyright;
}

std::string CVersionInfo::GetComments() const
{
    const std::string name = m_path.substr(m_path.find_last_of('/') + 1);
    for (const auto& entry : version::kComments) {
        if (name == entry.program)
            return entry.comment;
    }
    return {};
}

std::string CVersionInfo::VersionCode()
{
    return version::kVersionCode;
}

}  // namespace vexar::tools
