#pragma once

// Definitions of calibration maps for the map tests: a map's own, its
// headers (fixed labels or a calibrable breakpoint vector), and the
// vectors themselves, which are one-row or one-column maps.

#include "config/RecControllo.h"
#include "testing/controls/TestControls.h"

#include <string>
#include <vector>

namespace vexar::gridtest {

// `rows` x `columns` values of `type` from `lsb`, shown with `format`,
// without headers; the defaults count 1, 2, 3... row after row.
inline REC_CONTROLLO MapDef(std::int32_t id, std::u16string identifier, std::int32_t rows, std::int32_t columns,
                            std::int32_t lsb, std::int32_t type = DATO_UWORD, std::u16string format = u".#")
{
    REC_CONTROLLO d = testing::MakeDefinition(id, std::move(identifier), CTRL_GRID, u"The map's comment", u"Map");
    d.TIPO = type;
    d.LSB = lsb;
    d.MASCHERA = 0xFFFF;
    d.FIXDEF = FIX_OFF;
    GridBlock block;
    block.NUM_RIGHE = rows;
    block.NUM_COLONNE = columns;
    block.INC_VALORE = 1.0;
    block.VALORI = VAL_CNT;
    block.FORMATO = std::move(format);
    double next = 1.0;
    for (std::int32_t r = 0; r < rows; ++r) {
        block.DEF_VAL.emplace_back();
        for (std::int32_t c = 0; c < columns; ++c)
            block.DEF_VAL.back().push_back(next++);
    }
    block.PRIMA_RIGA.PRESENTE = PRES_NO;
    block.PRIMA_COLONNA.PRESENTE = PRES_NO;
    d.GRAFICA = block;
    return d;
}

inline GridBlock& GridOf(REC_CONTROLLO& d) { return std::get<GridBlock>(d.GRAFICA); }

// A header of calibrable breakpoints: vector `vector`, moved by the live
// variable `variable` (0: none).
inline void Calibrable(INTESTAZIONE_GRIGLIA& header, std::int32_t vector, std::int32_t variable = 0)
{
    header.PRESENTE = PRES_SI;
    header.TIPO_INT = INTST_CAL;
    header.ID_VET_BREAKPS = vector;
    header.ID_VAR = variable;
}

inline void Fixed(INTESTAZIONE_GRIGLIA& header, std::vector<std::u16string> labels, std::u16string unit)
{
    header.PRESENTE = PRES_SI;
    header.TIPO_INT = INTST_FISSA;
    header.VET_ETICHETTE = std::move(labels);
    header.VET_UNITA = std::move(unit);
}

// A breakpoint vector of `points` with the given defaults: one row for an
// X axis, one column for a Y axis.
inline REC_CONTROLLO VectorDef(std::int32_t id, std::u16string identifier, std::vector<double> points,
                               std::int32_t lsb, bool row, std::int32_t type = DATO_UWORD,
                               std::u16string format = u".")
{
    const auto count = static_cast<std::int32_t>(points.size());
    REC_CONTROLLO d = MapDef(id, identifier, row ? 1 : count, row ? count : 1, lsb, type, std::move(format));
    d.COMMENTO = u"Comment of " + identifier;
    d.ETICHETTA = u"Axis " + identifier;
    d.UNITA = u"rpm";
    GridBlock& block = GridOf(d);
    block.DEF_VAL.clear();
    if (row) {
        block.DEF_VAL.push_back(points);
    } else {
        for (double point : points)
            block.DEF_VAL.push_back({point});
    }
    return d;
}

}  // namespace vexar::gridtest
