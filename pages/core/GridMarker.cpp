#include "pages/core/GridMarker.h"

#include "config/ControlCodes.h"
#include "pages/core/CCtrlCore.h"
#include "pages/core/CUtilityTables.h"

#include <algorithm>

namespace CUtility {

namespace {

// The live categories whose controls can drive a marker.
bool DrivesMarker(std::int32_t category)
{
    switch (category) {
    case CTRL_BAR:
    case CTRL_TERM:
    case CTRL_LED:
    case CTRL_NUMERIC:
    case CTRL_RPM:
    case CTRL_VMETER:
    case CTRL_STATO:
        return true;
    default:
        return false;
    }
}

void SetSource(GRID_MARKER& marker, std::int32_t kind, const CTRL_WND& entry)
{
    switch (kind) {
    case 1:
        marker.xLinked = true;
        marker.xSource = entry;
        break;
    case 2:
        marker.yLinked = true;
        marker.ySource = entry;
        break;
    case 3:
        marker.outSource = entry;
        break;
    default:
        break;
    }
}

}  // namespace

void LinkGridCursor(std::int32_t key, std::int32_t kind, IDataCtrl* map, GRID_MARKER& marker,
                    CTRL_TABLE& variables, const CTRL_TABLE& placed)
{
    // A variable of the unplaced area is on no page: linked, it would give
    // the map a dot for a value that the user sees nowhere.
    if (std::none_of(placed.begin(), placed.end(), [key](const CTRL_WND& entry) { return entry.key == key; }))
        return;
    bool registered = false;
    for (CTRL_WND& entry : variables) {
        if (entry.key != key)
            continue;
        if (DrivesMarker(entry.category)) {
            if (CCtrlCore* control = CtrlOf(entry)) {
                if (std::vector<REC_PALLINO>* links = control->GridCursors()) {
                    entry.cursorLinked = true;
                    links->push_back(REC_PALLINO{map, kind});
                    registered = true;
                }
            }
        }
        // The map reads its value from the last entry of the key.
        if (registered)
            SetSource(marker, kind, entry);
    }
}

void LinkGridAxes(IDataCtrl* map, GRID_MARKER& marker, const GridBlock& block, CTRL_TABLE& variables,
                  const CTRL_TABLE& placed)
{
    if (block.ID_VAR_FUNECU > 0)
        LinkGridCursor(block.ID_VAR_FUNECU, 3, map, marker, variables, placed);
    if (block.PRIMA_RIGA.ID_VAR > 0)
        LinkGridCursor(block.PRIMA_RIGA.ID_VAR, 1, map, marker, variables, placed);
    if (block.PRIMA_COLONNA.ID_VAR > 0)
        LinkGridCursor(block.PRIMA_COLONNA.ID_VAR, 2, map, marker, variables, placed);
}

}  // namespace CUtility
