#include "platform/ui/ColorRef.h"

namespace vexar::ui {

QColor ToQColor(COLORREF colour)
{
    return QColor(static_cast<int>(GetRValue(colour)), static_cast<int>(GetGValue(colour)),
                  static_cast<int>(GetBValue(colour)));
}

COLORREF FromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return RGB(static_cast<unsigned>(rgb.red()), static_cast<unsigned>(rgb.green()),
               static_cast<unsigned>(rgb.blue()));
}

}  // namespace vexar::ui
