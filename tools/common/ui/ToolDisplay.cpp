#include "tools/common/ui/ToolDisplay.h"

#include <cstdio>

namespace vexar::tools {

QString HexWord(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return QString::fromLatin1(text);
}

QString SpacePercent(long part, long whole)
{
    const long tenths = whole > 0 ? (part * 1000 + whole / 2) / whole : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%3ld.%ld %%", tenths / 10, tenths % 10);
    return QString::fromLatin1(text);
}

QString DownloadProgress(long written, long range, long address)
{
    const long percent = range > 0 ? written * 100 / range : 100;
    char text[48];
    std::snprintf(text, sizeof text, "%ld %% (0x%04lx)", percent, address);
    return QString::fromLatin1(text);
}

}  // namespace vexar::tools
