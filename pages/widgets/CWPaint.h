#pragma once

// Drawing shared by the instruments: the painter's set-up, the panel frame
// (the "Border" part), sunken wells for tracks, bars and fields, colours
// toned down while a widget's window is disabled, and the choice of which
// scale labels to write so that none overlaps another.

#include "platform/ui/ColorRef.h"

#include <QColor>
#include <QFontMetricsF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;
class QWidget;

namespace CWPaint {

void Begin(QPainter& painter);

// The colour as the widget shows it: muted towards its background while
// its window is disabled.
QColor Shown(const QWidget& widget, QColor colour);
QColor Shown(const QWidget& widget, vexar::ui::COLORREF colour);

// The raised plate an instrument sits on; returns the area inside it.
QRectF DrawPanel(QPainter& painter, const QWidget& widget, const QRectF& rect);
// A sunken well with rounded corners, filled with `fill`.
void DrawWell(QPainter& painter, const QWidget& widget, const QRectF& rect, const QColor& fill, qreal radius);
// A dashed rectangle or circle around what has the keyboard focus.
void DrawFocus(QPainter& painter, const QWidget& widget, const QRectF& rect, bool round);

// The step between written labels (labels 0, step, 2 x step, ... of the
// `boxes`, one per scale mark) so that no two written labels come closer
// than a blank of the font (numbers must not read as one); `closed` also
// checks the last label against the first (a dial whose ends meet). A step
// that divides the number of divisions is preferred, so the last mark keeps
// its label, and among those one that writes the mark `anchor` (zero on a
// scale across it; -1 for none). 0 when even the two ends overlap.
int LabelStep(const std::vector<QRectF>& boxes, bool closed, const QFontMetricsF& fm, int anchor);

// How many unlabelled marks fit between two labelled ones `spacing` apart.
int MinorMarks(double spacing);

double WidestText(const QFontMetricsF& fm, const std::vector<QString>& texts);

}  // namespace CWPaint
