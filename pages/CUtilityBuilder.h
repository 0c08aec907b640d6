#pragma once

// The page builder: one area of a window (a configured page, a host's
// status area or its area of unplaced definitions) populated from its
// layout and the definitions, a configured page made and built, and the
// design grid painted over an area.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"
#include "pages/CUtilityPages.h"
#include "pages/CtrlCreate.h"

#include <QPoint>

#include <span>

class CCtrlTab;
class CDlgTabWnd;
class QEvent;
class QPainter;
struct REC_CARTELLA;
struct REC_PAGINA;

namespace CUtility {

// Builds `area` into `table` (and its free texts into `labels` when
// given): its places in TAB_INDEX order, each with its definition looked
// up by key, shown when the profile admits the definition's OPERATORE.
// `page` carries the parent, the grid and every input of a build; its
// definition, row, column and visible fields are set here. An area
// without places leaves the control table as it was and still gets its
// texts.
void BuildPage(const REC_PAGINA& area, CTRL_TABLE& table, std::span<const REC_CONTROLLO> definitions,
               const CTRL_CREATE& page, LABEL_TABLE* labels);

// Makes a configured page for `tab` in `strip` and builds it with the
// inputs of `build` (its parent and grid are the page's own, its hidden
// flag clear). False, and no page, when the page cannot be made.
bool CreateTabPage(const CTRL_CREATE& build, CCtrlTab& strip, const REC_CARTELLA& tab,
                   std::span<const REC_CONTROLLO> definitions, CDlgTabWnd*& page);

// Posts a copy of a pointer event to the entry's control for its tooltip
// when the control shows and the pointer lies on it, enabled or not (a
// disabled control sees no pointer of its own); true when posted.
bool RelayToolTipEvent(const CTRL_WND& entry, const QEvent& mouse);

// Paints the design grid of `grid` with the content scrolled by `scroll`
// pixels: it stays under the controls.
void PaintPageGrid(QPainter& painter, const PAGE_GRID& grid, QPoint scroll);

}  // namespace CUtility
