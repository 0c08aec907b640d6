#pragma once

// Accelerator table 128 of the pages: copy, paste and undo of the data-bound
// controls and maps, and the design grid of the pages. Defined once; every
// control and page translates its keys through it.

#include "platform/ui/AcceleratorTable.h"

const vexar::ui::AcceleratorTable& PagesAccelerators();
