#pragma once

// Helpers of the instrument tests: a shown top-level host, key events with
// the auto-repeat flag that QTest cannot set, a turn of the mouse wheel as
// the window system delivers it, and looks at rendered pixels.

#include "platform/ui/ColorRef.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <optional>

namespace instruments {

// Shows the widget as a window of its own, sized, and waits until it can
// take input.
inline void ShowSized(QWidget& widget, int width, int height)
{
    widget.resize(width, height);
    widget.show();
    widget.activateWindow();
    (void)QTest::qWaitForWindowExposed(&widget);
}

// A key event as the system sends it while a key is held: repeated presses
// and releases marked as auto-repeated.
inline void SendKey(QWidget& widget, QEvent::Type type, int key, bool autoRepeat, const QString& text = {})
{
    QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(&widget, &event);
}

inline void HoldKey(QWidget& widget, int key, int repeats)
{
    SendKey(widget, QEvent::KeyPress, key, false);
    for (int i = 0; i < repeats; ++i) {
        SendKey(widget, QEvent::KeyRelease, key, true);
        SendKey(widget, QEvent::KeyPress, key, true);
    }
    SendKey(widget, QEvent::KeyRelease, key, false);
}

// A turn of the wheel by `notches` (positive away from the user) with the
// pointer over a point of `widget` that nothing covers, as the window
// system delivers it: to the top-level window, which hands it to the widget
// under the pointer and on to its parents while they leave it. False when
// no point of the widget shows.
inline bool TurnWheel(QWidget& widget, int notches)
{
    QWidget& top = *widget.window();
    std::optional<QPoint> at;
    for (int y = 1; y < 8 && !at; ++y)
        for (int x = 1; x < 8 && !at; ++x) {
            const QPoint point = widget.mapTo(&top, QPoint(widget.width() * x / 8, widget.height() * y / 8));
            if (top.childAt(point) == &widget)
                at = point;
        }
    if (!at || !top.windowHandle())
        return false;
    QWheelEvent wheel(*at, top.mapToGlobal(*at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(top.windowHandle(), &wheel);
    return true;
}

inline QImage Shot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline bool Near(QColor a, QColor b, int tolerance = 24)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

inline bool Near(QColor a, vexar::ui::COLORREF b, int tolerance = 24)
{
    return Near(a, vexar::ui::ToQColor(b), tolerance);
}

// The pixels of about this colour: how many, their bounds, their centre.
struct Patch {
    int count = 0;
    QRect bounds;
    QPointF centre;
};

inline Patch FindColour(const QImage& image, vexar::ui::COLORREF colour, int tolerance = 24)
{
    Patch patch;
    double sx = 0, sy = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!Near(image.pixelColor(x, y), colour, tolerance))
                continue;
            ++patch.count;
            sx += x;
            sy += y;
            patch.bounds = patch.bounds.united(QRect(x, y, 1, 1));
        }
    }
    if (patch.count > 0)
        patch.centre = QPointF(sx / patch.count, sy / patch.count);
    return patch;
}

}  // namespace instruments
