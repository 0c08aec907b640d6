#include "pages/CUtilityPages.h"

#include "config/ControlCodes.h"
#include "link/LinkMessages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/Messages.h"

#include <QFontMetrics>
#include <QKeyEvent>
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

bool PostPageSelectKey(QWidget& page, const QEvent& event)
{
    const int key = GetFunctionKey(event);
    if (key < 1 || key > 24)
        return false;
    vexar::ui::PostMessage(page.parentWidget(),
                           {vexar::link::WM_SELECT_PAGE, static_cast<std::uintptr_t>(key), 0, {}});
    return true;
}

bool TakePageKey(QWidget& page, QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Escape:
        vexar::ui::PostMessage(page.parentWidget(), {vexar::ui::WM_CLOSE, 0, 0, {}});
        event.accept();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event.accept();
        return true;
    default:
        return false;
    }
}

bool SwallowEnterAndEscape(QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event.accept();
        return true;
    default:
        return false;
    }
}

}  // namespace CUtility
