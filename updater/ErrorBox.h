#pragma once

namespace vexar::updater {

// Update's message box: the text always goes to standard error as
// "<caption>: <text>"; when Update was built with Qt and a display is
// available, it is also shown in a message box with the information icon.
void ShowErrorBox(const char* text, const char* caption);

}  // namespace vexar::updater
