#pragma once

// The colours of a text field or list in the system's form: the text in
// one colour, the field behind it in another. The owners set them as
// members after creation, so a field applies them when it paints.

#include "platform/ui/ColorRef.h"

class QWidget;

namespace CUtility {

// Gives `widget` the text colour (its text, button text and window text)
// and the background (its base) in the active and inactive colour groups,
// leaving the disabled group's greyed text; nothing when it has them
// already, so that calling it from a paint handler costs no repaint.
void ApplyFieldColours(QWidget& widget, vexar::ui::COLORREF text, vexar::ui::COLORREF background);

}  // namespace CUtility
