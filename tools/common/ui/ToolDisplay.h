#pragma once

// The numbers the tools' dialogs show, written the same way in any locale.

#include <QString>

#include <cstdint>

namespace vexar::tools {

// "0x%04X".
QString HexWord(std::uint32_t value);
// "%5.1f %%" of part over whole.
QString SpacePercent(long part, long whole);
// "%d %% (0x%04x)": the share of `range` written, and the address. An empty
// range (a one-byte image) is written whole: 100 %.
QString DownloadProgress(long written, long range, long address);

}  // namespace vexar::tools
