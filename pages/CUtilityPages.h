#pragma once

// The members of the table runtime that reach windows: the free labels of
// a page with their access level, shown or hidden by the operator profile,
// and a label fitted to its text.

#include "pages/CCtrlStatic.h"

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

// One free label of a page and who may see it (the text's OPERATORE).
struct LABEL_ENTRY {
    std::int32_t access = 0;
    CCtrlStatic* label = nullptr;
};

using LABEL_TABLE = std::vector<LABEL_ENTRY>;

namespace CUtility {

// Shows each label when the profile is 1 or 2, or 0 and its access is 0;
// hides it otherwise.
void ShowWindowsByMode(std::int32_t profile, const LABEL_TABLE& labels);

// Moves `window` to its own screen rectangle taken relative to the offsets
// (its parent's screen position gives the parent-relative place), widened to the text's width + 5 pixels and heightened to the text's
// height where smaller (measured in its font), repaints it and sets the
// text.
void FitWindowToText(QWidget& window, int offsetX, int offsetY, const std::u16string& text);

}  // namespace CUtility
