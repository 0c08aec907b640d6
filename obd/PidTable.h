#pragma once

#include "obd/ValueDefinition.h"

#include <vector>

namespace obdvane {

// The values of a service 01 PID, in answer order, from the library's
// table. The two scalings are maxima the ECU reports itself (PIDs 4F and
// 50); 0 selects the table's default scale:
//   scaling 1: maximum intake pressure in kPa (PID 0B), maximum air flow
//              in g/s (PID 10), maximum equivalence ratio (24-2B, 34-3B, 44);
//   scaling 2: maximum sensor voltage in V (24-2B), current in mA (34-3B).
// False, with no rows, for another service or a PID without rows.
bool LookupPidDefinitions(int service, int pid, unsigned scaling1, unsigned scaling2,
                          std::vector<ValueDefinition>& rows);

}  // namespace obdvane
