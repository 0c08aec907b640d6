#pragma once

// The members of the table runtime that reach windows: the free labels of
// a page with their access level, shown or hidden by the operator profile,
// a label fitted to its text, and the keys every page of a host takes.

#include "pages/CCtrlStatic.h"

#include <cstdint>
#include <string>
#include <vector>

class QEvent;
class QKeyEvent;
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

// A function key pressed on a page of a host's tab strip (F1 to F12, with
// Shift 13 to 24) posts WM_SELECT_PAGE with its number to the strip, which
// hands it to the host: true, the key is taken; false for any other event.
bool PostPageSelectKey(QWidget& page, const QEvent& event);
// What no control of a page took: Escape posts WM_CLOSE to the strip (the
// host hides), Enter is dropped, so that it never closes a page; both are
// accepted. False, nothing done, for any other key.
bool TakePageKey(QWidget& page, QKeyEvent& event);
// Enter and Escape do nothing in a window that neither confirms nor
// closes by key: taken (true) so that no default button or close follows.
bool SwallowEnterAndEscape(QKeyEvent& event);

}  // namespace CUtility
