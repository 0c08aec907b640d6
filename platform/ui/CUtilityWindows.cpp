#include "platform/ui/CUtilityUi.h"

#include "common/CUtilityToolbox.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace CUtility {

void SetWaitCursor(bool& shown, bool on)
{
    if (on == shown)
        return;
    shown = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ShowAndFocus(QWidget& window, int showCommand)
{
    // Qt can activate and focus only a shown window, so it is shown first.
    vexar::ui::ShowWindow(window, showCommand);
    window.raise();
    window.activateWindow();
    window.setFocus(Qt::OtherFocusReason);
}

void RescaleChild(std::int32_t newWidth, std::int32_t newHeight, std::int32_t designWidth, std::int32_t designHeight,
                  QWidget& child, bool dropDown)
{
    const QRect design = child.geometry();
    std::int32_t left = design.left();
    std::int32_t top = design.top();
    std::int32_t width = design.width();
    std::int32_t height = design.height();
    ScaleValue(newWidth, designWidth, width);
    ScaleValue(newWidth, designWidth, left);
    if (!dropDown)
        ScaleValue(newHeight, designHeight, height);
    ScaleValue(newHeight, designHeight, top);
    child.setGeometry(left, top, width, height);
    child.update();
}

int GetFunctionKey(const QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return 0;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.isAutoRepeat() || (key.modifiers() & Qt::ControlModifier))
        return 0;
    if (key.key() < Qt::Key_F1 || key.key() > Qt::Key_F12)
        return 0;
    const int number = key.key() - Qt::Key_F1 + 1;
    return (key.modifiers() & Qt::ShiftModifier) ? number + 12 : number;
}

}  // namespace CUtility
