#include "pages/core/GridAxis.h"

#include "common/Text.h"
#include "config/CUtilityCodec.h"
#include "pages/core/CUtilityBuild.h"

#include <algorithm>

namespace CUtility {

namespace {

// The value table of a breakpoint vector: NUM_RIGHE rows of NUM_COLONNE
// points from its defaults, none when either count is not positive.
std::vector<std::vector<double>> AxisValues(const GridBlock& block)
{
    std::vector<std::vector<double>> values;
    if (block.NUM_RIGHE <= 0 || block.NUM_COLONNE <= 0)
        return values;
    values.assign(static_cast<std::size_t>(block.NUM_RIGHE),
                  std::vector<double>(static_cast<std::size_t>(block.NUM_COLONNE), 0.0));
    for (std::size_t r = 0; r < values.size() && r < block.DEF_VAL.size(); ++r) {
        const std::vector<double>& row = block.DEF_VAL[r];
        std::copy_n(row.begin(), std::min(row.size(), values[r].size()), values[r].begin());
    }
    return values;
}

}  // namespace

GRID_AXIS DescribeGridBlock(const REC_CONTROLLO& definition, bool development, const CVEXARContext* context)
{
    GRID_AXIS made;
    made.definition = definition;
    made.conversion = CConversione(context);
    if (const GridBlock* points = std::get_if<GridBlock>(&definition.GRAFICA)) {
        made.values = AxisValues(*points);
        made.increment = points->INC_VALORE;
        made.descriptive = points->VALORI == VAL_DSCR;
        made.format = vexar::Format(u"%s", points->FORMATO);
    }
    made.dataSize = GetDatoSize(definition.TIPO);
    made.conversion.SetConversion(definition.TIPO_CONV, definition.ID_GUI, &definition.CONVERSIONE,
                                  definition.TIPO);
    double lower = 0.0;
    double upper = 0.0;
    made.limited = GetLimitValue(definition.MIN, lower, 1, definition.TIPO) &&
                   GetLimitValue(definition.MAX, upper, 2, definition.TIPO);
    if (made.limited) {
        made.lower = lower;
        made.upper = upper;
    }
    made.type = definition.TIPO;
    made.caption =
        vexar::Format(u"%s(%s)", development ? definition.IDENTIFICATORE : definition.ETICHETTA, definition.UNITA);
    return made;
}

bool SetupGridAxis(const REC_CONTROLLO& map, GridHeader header, std::span<const REC_CONTROLLO> definitions,
                   bool development, const CVEXARContext* context, GRID_AXIS& axis)
{
    const GridBlock* block = std::get_if<GridBlock>(&map.GRAFICA);
    if (!block)
        return false;
    const INTESTAZIONE_GRIGLIA& heading = header == GridHeader::Rows ? block->PRIMA_COLONNA : block->PRIMA_RIGA;
    if (heading.PRESENTE != PRES_SI || heading.TIPO_INT != INTST_CAL)
        return false;
    const REC_CONTROLLO* vector = FindDefinition(heading.ID_VET_BREAKPS, definitions);
    if (!vector)
        return false;

    axis = DescribeGridBlock(*vector, development, context);
    return true;
}

}  // namespace CUtility
