#pragma once

// The operating-point marker of a calibration map and its sources: the
// live controls that show the map's X axis value, its Y axis value and its
// output value (whose 7.0 turns the dot blue). At configuration load each
// source control is given a link to the map (REC_PALLINO) and the map a
// copy of the source's table entry; after every refresh the source tells
// the map, which reads the value from the entry and moves its dot.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "pages/core/GridCursors.h"

#include <cstdint>

struct GRID_MARKER {
    CTRL_WND xSource;
    CTRL_WND ySource;
    CTRL_WND outSource;
    bool xLinked = false;
    bool yLinked = false;
    double xValue = 0.0;
    double yValue = 0.0;
    std::int32_t x = 0;  // the marker point, client pixels of the map
    std::int32_t y = 0;
    std::int32_t previousX = 0;
    std::int32_t previousY = 0;
    std::uint32_t colour = 0x0000FF;  // COLORREF: red, blue (0xFF0000) while the output is 7
};

namespace CUtility {

// The marker's colour for an output value.
inline std::uint32_t MarkerColour(double output) { return output == 7.0 ? 0xFF0000u : 0x0000FFu; }

// Registers `map` with every live control of `key` in the variable table:
// the entry is marked cursor-linked and the control gets the link {map,
// kind}; once one was registered, that entry and every later entry of the
// key become the map's source of `kind` (1 X axis, 2 Y axis, 3 output).
// Controls of other categories are passed over, and so is a key that no
// variable page places (not in `placed`): such a variable is shown
// nowhere, and the map keeps that axis unlinked.
void LinkGridCursor(std::int32_t key, std::int32_t kind, IDataCtrl* map, GRID_MARKER& marker,
                    CTRL_TABLE& variables, const CTRL_TABLE& placed);
// The three sources of a map from its grid block: the output's first, then
// the X axis's, then the Y axis's, each only when its key is above 0.
void LinkGridAxes(IDataCtrl* map, GRID_MARKER& marker, const GridBlock& block, CTRL_TABLE& variables,
                  const CTRL_TABLE& placed);

}  // namespace CUtility
