#pragma once

// The label windows of the pages, all coloured static texts (CCtrlStatic)
// with window id 0xFFFF, the page font and the label text colour of the
// settings: the caption and unit of a value control, the two side texts of
// a toggle, the caption above a gauge, the captions of a map, and the free
// texts of a page. Each is placed from its control's rectangle or its cell
// and measured in the page font; one that would start outside the page
// area where the rule says so is not made.
//
// A control owns its own labels (the slots it passes); the free texts
// belong to the page's label table.

#include "pages/CCtrlStatic.h"
#include "pages/CUtilityPages.h"
#include "pages/CtrlCreate.h"

#include <QRect>

#include <memory>
#include <string>

struct REC_TESTO;

using LabelSlot = std::unique_ptr<CCtrlStatic>;

namespace CUtility {

inline constexpr int kLabelId = 0xFFFF;

// The caption in the grid cell left of the control (none for a control in
// the first column) and the unit just right of it. Shown when the control
// is visible and not hidden; greyed when `disabled`. A null slot makes no
// label.
void CreateCtrlLabels(const CTRL_CREATE& args, const QRect& control, const std::u16string& caption,
                      const std::u16string& unit, bool disabled, LabelSlot* captionLabel, LabelSlot* unitLabel);

// The texts right and left of a toggle, centred on it vertically.
void CreateLedLabels(const CTRL_CREATE& args, const QRect& control, const std::u16string& rightText,
                     const std::u16string& leftText, LabelSlot* rightLabel, LabelSlot* leftLabel);

// "name (unit)", or the name alone, centred above the control.
void CreateCaptionAbove(const CTRL_CREATE& args, const QRect& control, const std::u16string& name,
                        const std::u16string& unit, LabelSlot* label);

// A map's title above it, a text right of its top edge and a text above
// its top-left corner.
void CreateGridCaption(const CTRL_CREATE& args, const QRect& map, const std::u16string& name,
                       const std::u16string& unit, const std::u16string& rightText, const std::u16string& upperLeftText,
                       LabelSlot* title, LabelSlot* right, LabelSlot* upperLeft);

// One free text of a page at its cell, shown to the profiles its OPERATORE
// admits, appended to `labels` with its access. Nothing for a text off the
// grid.
bool CreatePageLabel(const CTRL_CREATE& args, const REC_TESTO& text, LABEL_TABLE& labels);

// A label as large as its text at `left`, `top` of `args.parent`; false,
// no label, when it cannot be made.
bool CreateStaticLabel(const CTRL_CREATE& args, int left, int top, const std::u16string& text, bool visible,
                       CCtrlStatic*& label);

}  // namespace CUtility
