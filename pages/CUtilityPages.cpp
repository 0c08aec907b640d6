#include "pages/CUtilityPages.h"

#include "config/ControlCodes.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace CUtility {

void ShowWindowsByMode(std::int32_t profile, const LABEL_TABLE& labels)
{
    for (const LABEL_ENTRY& entry : labels) {
        if (!entry.label)
            continue;
        const bool show = profile == OPR_PRV || profile == OPR_REM || (profile == OPR_PBL && entry.access == 0);
        entry.label->ShowCtrl(show);
    }
}

void FitWindowToText(QWidget& window, int offsetX, int offsetY, const std::u16string& text)
{
    const QString shown = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(window.font());
    // The window's rectangle on the screen, taken relative to the offsets
    // (the caller passes its parent's screen position).
    const QRect current = window.geometry();
    const QPoint onScreen = window.parentWidget() ? window.parentWidget()->mapToGlobal(current.topLeft())
                                                  : current.topLeft();
    const int width = std::max(current.width(), metrics.horizontalAdvance(shown) + 5);
    const int height = std::max(current.height(), metrics.height());
    window.setGeometry(onScreen.x() - offsetX, onScreen.y() - offsetY, width, height);
    if (auto* label = qobject_cast<QLabel*>(&window))
        label->setText(shown);
    else
        window.setWindowTitle(shown);
    window.repaint();
}

}  // namespace CUtility
