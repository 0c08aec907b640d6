#pragma once

// The map grid of the demonstration panel: the grid window with just
// enough painting to see its cells (header cells shaded and framed in
// black, value cells white in a grey frame, texts centred). The program's
// maps paint themselves; this only shows the cell store and geometry.

#include "pages/widgets/CCellGrid.h"

class DemoMapGrid : public CCellGrid {
public:
    using CCellGrid::CCellGrid;

protected:
    void paintEvent(QPaintEvent* event) override;
};
