#pragma once

// The toolbox members of the calibration maps: the CTRL_GRID creator, the
// set-up of a map's calibrable axes by the page builder, the size of a map
// in a dynamic window, and the links of the maps' operating-point markers
// to the live controls that move them.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "pages/CtrlCreate.h"
#include "pages/core/GridShape.h"

#include <span>
#include <string>

class CCtrlGrid;
class IDataCtrl;
class QFont;
class QWidget;

namespace CUtility {

// The CTRL_GRID creator: the map at its cell, rows of the page font's
// height + 100 twips and columns of the settings' column width, resized to
// its cells with 5 pixels over; its title, X caption and Y caption; input
// off with the limited flag until WM_CTRL_ENABLE. Null and false when it
// cannot be made.
bool CreateCtrlGrid(const CTRL_CREATE& args, CCtrlGrid*& control);

// The page builder's step after a map was made: each calibrable axis
// whose breakpoint vector is among `definitions` (the rows' first, then
// the columns') takes the vector's record and its default points with the
// caption "name(unit)"; then the map takes its first undo copy and draws
// its layers.
void SetupGridAxes(CCtrlGrid& map, std::span<const REC_CONTROLLO> definitions, bool development);
// The same for a table entry that holds a map; nothing for another entry.
void SetupGridAxes(IDataCtrl* control, std::span<const REC_CONTROLLO> definitions, bool development);

// Hands a new language file to the change dialog of every map of `table`.
void SetGridLanguageFile(const CTRL_TABLE& table, const std::string& languageFile);

// The pixel size a map of `definition` takes on a page of `window` in
// `font`, each side cut to the settings' maximum.
GRID_PIXELS CalcGridSize(const QFont& font, const QWidget& window, const LAYOUT_SETTINGS& settings,
                         const REC_CONTROLLO& definition);

// Registers every map of the parameter table with the live controls of
// the variable table that show its axis values and its output value; a
// variable that no variable page places (the application's placed
// variable table) drives no map. Nothing unless both tables exist. The
// tables are published afterwards, so that the worker polls the linked
// controls.
void LinkGridCursors(CTRL_TABLE* parameters, std::span<const REC_CONTROLLO> definitions, CTRL_TABLE* variables);

// The value a live control shows, read from the variable image: converted
// for the bar, thermometer, numeric field, gauges and state list; the
// lamp's raw integer. False, 0.0, for any other entry.
bool GetCtrlDisplayValue(const CTRL_WND& entry, double& value);

}  // namespace CUtility
