#include "pages/core/AcqSelection.h"

#include "common/CStdioFileEx.h"
#include "config/CUtilityCtrl.h"
#include "config/ControlCodes.h"

#include <algorithm>
#include <cmath>

namespace CUtility {

bool AcqSelectionOffers(std::int32_t profile, const CTRL_WND& entry)
{
    switch (profile) {
    case OPR_PRV:
    case OPR_REM:
    case OPR_SVIL:
        return true;
    case OPR_PBL:
        return entry.access == OPR_PBL;
    default:
        return false;
    }
}

std::vector<std::int32_t> MatchAcqSelection(const std::vector<std::u16string>& lines, const CTRL_TABLE& table,
                                            std::int32_t profile)
{
    std::vector<std::int32_t> taken;
    for (const std::u16string& line : lines) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            REC_CONTROLLO definition;
            if (!GetCtrlDefinition(table[i], definition) || definition.IDENTIFICATORE != line)
                continue;
            // The first entry of the identifier decides, seen or not.
            const auto index = static_cast<std::int32_t>(i);
            if (AcqSelectionOffers(profile, table[i]) && std::find(taken.begin(), taken.end(), index) == taken.end())
                taken.push_back(index);
            break;
        }
    }
    return taken;
}

std::vector<std::u16string> ReadAcqSelectionLines(const std::string& path)
{
    std::vector<std::u16string> lines;
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return lines;
    std::u16string line;
    while (file.ReadString(line))
        lines.push_back(line);
    return lines;
}

std::int32_t AcqMinPeriod(std::int32_t configuredMs)
{
    const std::int64_t ticks = (static_cast<std::int64_t>(configuredMs) + kAcqTickMs - 1) / kAcqTickMs;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ticks, 1, kAcqMaxTicks) * kAcqTickMs);
}

std::int32_t AcqPeriod(double fieldMs, std::int32_t configuredMs)
{
    const std::int32_t minimum = AcqMinPeriod(configuredMs);
    if (!std::isfinite(fieldMs))
        return minimum;
    const double ticks = std::round(std::clamp(fieldMs, 0.0, double(kAcqMaxPeriodMs)) / kAcqTickMs);
    return std::clamp(static_cast<std::int32_t>(ticks) * kAcqTickMs, minimum, kAcqMaxPeriodMs);
}

}  // namespace CUtility
