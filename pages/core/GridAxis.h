#pragma once

// One calibrable header of a calibration map: the breakpoint vector that
// gives the engine speeds (or loads, temperatures...) above the map's
// columns or beside its rows, as the map takes it when it is built. The
// record is made once from the definitions; the map shows and edits the
// points with it.

#include "config/CConversione.h"
#include "config/RecControllo.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CVEXARContext;

struct GRID_AXIS {
    REC_CONTROLLO definition;                  // the breakpoint vector's definition
    std::vector<std::vector<double>> values;   // its default table, rows of doubles
    std::int32_t dataSize = 0;                 // bytes of one point
    CConversione conversion;
    double increment = 0.0;                    // INC_VALORE: the change dialog's step
    bool descriptive = false;                  // VALORI is VAL_DSCR
    std::u16string format;                     // FORMATO
    bool limited = false;                      // both MIN and MAX read
    double lower = 0.0;
    double upper = 0.0;
    std::int32_t type = DATO_FLAG;             // TIPO
    std::u16string caption;                    // "name(unit)"
};

// Which header: the row headers come from the map's PRIMA_COLONNA block
// (its Y axis), the column headers from its PRIMA_RIGA block (its X axis).
enum class GridHeader { Rows, Columns };

namespace CUtility {

// The record of one block of a map from its definition (a breakpoint
// vector's, or the map's own for its values): default table, element
// size, conversion, increment, descriptive flag, display mask, limits and
// data type, and the caption "name(unit)" with the IDENTIFICATORE in the
// development profile, the ETICHETTA otherwise.
GRID_AXIS DescribeGridBlock(const REC_CONTROLLO& definition, bool development, const CVEXARContext* context);

// Fills `axis` for one header of `map` when that header is present and
// calibrable and its ID_VET_BREAKPS names a definition of `definitions`;
// false, `axis` untouched, otherwise. The caption shows the vector's
// IDENTIFICATORE in the development profile, its ETICHETTA otherwise.
// `context` is the one the axis's conversion looks operands up in.
bool SetupGridAxis(const REC_CONTROLLO& map, GridHeader header, std::span<const REC_CONTROLLO> definitions,
                   bool development, const CVEXARContext* context, GRID_AXIS& axis);

}  // namespace CUtility
