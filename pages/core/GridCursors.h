#pragma once

// The operating-point links of a map: the live controls that show a map's
// axis values or its output value tell the map after every refresh, and
// the map moves its marker. Each such control keeps one link per map it
// drives; the maps register them at configuration load.

#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"

#include <cstdint>
#include <vector>

class IDataCtrl;

// A live control's value changed: wParam the kind of the link.
inline constexpr unsigned WM_GRID_MARKER = vexar::link::WM_APP + 36;

// One map driven by a control. `kind` is what the control gives the map:
// 1 its X axis value, 2 its Y axis value, 3 its output value. The map is
// reached only by posts, which the sink drops once the map is gone, so the
// link never touches a map that no longer exists.
struct REC_PALLINO {
    IDataCtrl* grid = nullptr;
    std::int32_t kind = 0;
};

namespace CUtility {

// Posts WM_GRID_MARKER (kind) to the map of every link that names one.
inline void NotifyGridCursors(const CVEXARPages& app, const std::vector<REC_PALLINO>& links)
{
    for (const REC_PALLINO& link : links)
        if (link.grid)
            app.PostToControl(link.grid, WM_GRID_MARKER, static_cast<std::uintptr_t>(link.kind));
}

}  // namespace CUtility
