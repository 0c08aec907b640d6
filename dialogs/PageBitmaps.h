#pragma once

// The images of the acquisition, graph and maintenance pages, drawn for
// their roles: the clear button's (bitmap 260), the back-to-live button's
// (248), the ten 16-pixel images of the trace slots (250), each in its
// slot's colour, and the maintenance page's 32-pixel button images.

#include <QIcon>

#include <vector>

// A list with a red cross over it: empty the choice.
QIcon ClearChoiceBitmap();
// A running trace with a green dot: back to the live display.
QIcon LiveModeBitmap();
// One image per trace slot 0 to 9: a short line in the slot's colour.
std::vector<QIcon> TraceSlotImages();

// The maintenance page's button images by resource number: 233 read from
// the ECU, 234 write to it, 219 the whole image from the ECU to the PC,
// 218 from the PC to the ECU, 221 reset the ECU. A null icon for any other
// number.
QIcon MaintBitmap(int resource);
inline constexpr int kMaintBitmapSize = 32;
