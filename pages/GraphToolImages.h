#pragma once

// The seven images of the graph's toolbar, drawn for their roles at 16 x 15
// pixels: pointer, zoom, pan, cursor, restore ranges, grid, full screen.

#include <QIcon>

enum class GraphTool { Pointer, Zoom, Pan, Cursor, Restore, Grid, FullScreen };

QIcon GraphToolImage(GraphTool tool);
