#include "pages/FieldColours.h"

#include <QPalette>
#include <QWidget>

namespace CUtility {

void ApplyFieldColours(QWidget& widget, vexar::ui::COLORREF text, vexar::ui::COLORREF background)
{
    const QColor textColour = vexar::ui::ToQColor(text);
    const QColor backColour = vexar::ui::ToQColor(background);
    QPalette colours = widget.palette();
    bool changed = false;
    const auto set = [&](QPalette::ColorGroup group, QPalette::ColorRole role, const QColor& colour) {
        if (colours.color(group, role) != colour) {
            colours.setColor(group, role, colour);
            changed = true;
        }
    };
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            set(group, role, textColour);
        set(group, QPalette::Base, backColour);
    }
    if (changed)
        widget.setPalette(colours);
}

}  // namespace CUtility
