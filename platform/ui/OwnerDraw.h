#pragma once

// Drawing helpers for owner-drawn windows (buttons, tabs, boxes): the
// system colours of three-dimensional faces, raised and sunken edges, the
// checkerboard of a disabled face, the dotted focus rectangle, and text
// centred on one line, plain or embossed as disabled text is.

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;
class QPalette;

namespace vexar::ui {

enum class SysColour {
    ButtonFace,
    ButtonText,
    ButtonHighlight,  // the lit edge of a raised face
    Light,            // the outer lit edge
    ButtonShadow,     // the inner shaded edge
    DarkShadow,       // the outer shaded edge
    GrayText,
};

// The colour from the widget palette that stands for a system colour.
QColor SystemColour(SysColour colour, const QPalette& palette);

enum class Edge { Raised, Sunken };

// Draws a two-pixel edge just inside `rect` and returns what is left
// inside it.
QRect DrawEdge(QPainter& painter, const QRect& rect, Edge edge, const QPalette& palette);

// Paints every pixel of `rect` whose device x + y is even with `colour`,
// leaving the others: a disabled face over any face colour.
void DitherRect(QPainter& painter, const QRect& rect, const QColor& colour);

// Inverts every other pixel of the outline of `rect`; drawing it twice
// takes it away again.
void DrawFocusRect(QPainter& painter, const QRect& rect);

// One line of text centred both ways in `rect`; '&' marks the next
// character as a mnemonic ("&&" is one '&').
void DrawCentredText(QPainter& painter, const QRect& rect, const QString& text, const QColor& colour);

// Disabled text: once in the highlight colour one pixel right and down,
// then in the grey-text colour in place.
void DrawEmbossedText(QPainter& painter, const QRect& rect, const QString& text, const QPalette& palette);

}  // namespace vexar::ui
