#pragma once

// Toolbox members over controls and their definitions, for the data files
// and the conversions.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"

#include <cstdint>

class IDataCtrl;

namespace CUtility {

// A category that selects a control class: 0..21 without 11.
bool IsControlCategory(std::int32_t category);
// The categories that show variables and never write them (the live
// values: bars, diagnosis lists, lamps, gauges, numeric displays).
bool IsLiveCategory(std::int32_t category);
// The categories whose raw value a recording sample takes: the live ones
// and the computed value.
bool HasRawValue(std::int32_t category);

// The current value of a control, as its category reads it: 1.0 when there
// is no control; 0.0 for categories without a value getter (CTRL_GRID,
// 11, codes outside 0..21); otherwise the control's GetValue().
double GetCtrlNumber(const IDataCtrl* wnd, std::int32_t category);

// Fills `record` with a copy of the entry's control definition. The record
// is emptied first; false, the record left empty, for an entry without a
// control or of category 11 or outside 0..21.
bool GetCtrlDefinition(CTRL_WND entry, REC_CONTROLLO& record);

// The display option of a graph point for a definition: SCALA of the
// category block for the gauge and diagnosis categories (CTRL_BAR,
// CTRL_DIAG, CTRL_DIAG_BIT, CTRL_LED, CTRL_NUMERIC, CTRL_RPM, CTRL_STATO,
// CTRL_TERM, CTRL_VMETER; 0 when the block was not read), 1 for every other
// category.
std::int32_t GetDisplayParam(const REC_CONTROLLO& record);

}  // namespace CUtility
