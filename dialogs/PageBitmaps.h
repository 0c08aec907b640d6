#pragma once

// The images of the acquisition and graph pages, drawn for their roles:
// the clear button's (bitmap 260), the back-to-live button's (248) and the
// ten 16-pixel images of the trace slots (250), each in its slot's colour.

#include <QIcon>

#include <vector>

// A list with a red cross over it: empty the choice.
QIcon ClearChoiceBitmap();
// A running trace with a green dot: back to the live display.
QIcon LiveModeBitmap();
// One image per trace slot 0 to 9: a short line in the slot's colour.
std::vector<QIcon> TraceSlotImages();
