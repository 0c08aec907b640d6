#pragma once

// The shell's pictures by their resource numbers, painted in code: the
// link-state logos of the status bar (216 not linked, 212 linked), the
// view's logos by edition (289, 328, 350), the About box's (299, 327,
// 298) and the frame's icons (290, 326, 297).

#include <QColor>
#include <QPixmap>

namespace vexar::shell {

inline constexpr int IDB_LOGO_UNLINKED = 216;
inline constexpr int IDB_LOGO_LINKED = 212;

// The picture of `id`; a null pixmap for an id the shell has none of.
QPixmap ShellBitmap(int id);

// The colour that fills the middle of the link-state logos.
QColor LinkLogoColour(bool linked);

}  // namespace vexar::shell
