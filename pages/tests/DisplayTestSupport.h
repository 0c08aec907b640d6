#pragma once

// Helpers of the display-class tests: a parent window that records what is
// posted to it, and looks at pixels, both as a fresh rendering (grab) and
// as what the window last painted on its screen.

#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <ostream>
#include <utility>
#include <vector>

namespace displaytest {

struct Posted {
    unsigned id;
    std::uintptr_t wParam;
    bool operator==(const Posted&) const = default;
    friend void PrintTo(const Posted& posted, std::ostream* out)
    {
        *out << "{0x" << std::hex << posted.id << std::dec << ", " << posted.wParam << "}";
    }
};

// A shown top-level window that keeps every message that reaches it.
class RecordingParent : public QWidget, public vexar::ui::WindowBase {
public:
    explicit RecordingParent(int width = 400, int height = 300) : WindowBase(this)
    {
        resize(width, height);
    }

    void ShowAndWait()
    {
        show();
        (void)QTest::qWaitForWindowExposed(this);
    }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t,
                            std::unique_ptr<vexar::ui::MessagePayload>&) override
    {
        messages.push_back({id, wParam});
        return 0;
    }

    std::size_t Count(unsigned id) const
    {
        std::size_t count = 0;
        for (const Posted& posted : messages)
            count += posted.id == id ? 1 : 0;
        return count;
    }

    std::vector<Posted> messages;
};

// A double-click as the system sends it: press, release, the second press
// as a double-click, release (QTest's own leaves the button held).
inline void DoubleClick(QWidget& widget, Qt::MouseButton button, QPoint at)
{
    QTest::mouseClick(&widget, button, {}, at);
    QTest::mouseDClick(&widget, button, {}, at);
    QTest::mouseRelease(&widget, button, {}, at);
}

// The tooltip windows on show now.
inline std::vector<QWidget*> ShownTips()
{
    std::vector<QWidget*> tips;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowType() == Qt::ToolTip && widget->isVisible())
            tips.push_back(widget);
    }
    return tips;
}

inline QImage Shot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// What the widget's window holds on its screen now, without painting
// anything anew: a repaint still waiting for the event loop is not in it.
inline QImage OnScreen(QWidget& widget)
{
    QWidget* window = widget.window();
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    const QPixmap shown =
        window->screen()->grabWindow(window->winId(), at.x(), at.y(), widget.width(), widget.height());
    return shown.toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool Near(QColor a, QColor b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

inline bool Near(QColor a, vexar::ui::COLORREF b, int tolerance = 8) { return Near(a, vexar::ui::ToQColor(b), tolerance); }

// How many pixels of `image` in `area` are about `colour`.
inline int CountNear(const QImage& image, const QRect& area, QColor colour, int tolerance = 8)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

}  // namespace displaytest
