#include "platform/ui/OwnerDraw.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

namespace vexar::ui {

namespace {

// One corner-to-corner pair of lines: top and left in `lit`, bottom and
// right in `shaded`.
void DrawFrameLines(QPainter& painter, const QRect& r, const QColor& lit, const QColor& shaded)
{
    painter.setPen(lit);
    painter.drawLine(r.left(), r.bottom() - 1, r.left(), r.top());
    painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    painter.setPen(shaded);
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.bottom(), r.right(), r.top());
}

}  // namespace

QColor SystemColour(SysColour colour, const QPalette& palette)
{
    switch (colour) {
    case SysColour::ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case SysColour::ButtonText:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case SysColour::ButtonHighlight:
        return palette.color(QPalette::Active, QPalette::Light);
    case SysColour::Light:
        return palette.color(QPalette::Active, QPalette::Midlight);
    case SysColour::ButtonShadow:
        return palette.color(QPalette::Active, QPalette::Dark);
    case SysColour::DarkShadow:
        return palette.color(QPalette::Active, QPalette::Shadow);
    case SysColour::GrayText:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    }
    return {};
}

QRect DrawEdge(QPainter& painter, const QRect& rect, Edge edge, const QPalette& palette)
{
    painter.save();
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (edge == Edge::Raised) {
        DrawFrameLines(painter, rect, SystemColour(SysColour::Light, palette),
                       SystemColour(SysColour::DarkShadow, palette));
        DrawFrameLines(painter, inner, SystemColour(SysColour::ButtonHighlight, palette),
                       SystemColour(SysColour::ButtonShadow, palette));
    } else {
        DrawFrameLines(painter, rect, SystemColour(SysColour::ButtonShadow, palette),
                       SystemColour(SysColour::ButtonHighlight, palette));
        DrawFrameLines(painter, inner, SystemColour(SysColour::DarkShadow, palette),
                       SystemColour(SysColour::Light, palette));
    }
    painter.restore();
    return rect.adjusted(2, 2, -2, -2);
}

void DitherRect(QPainter& painter, const QRect& rect, const QColor& colour)
{
    QImage pattern(2, 2, QImage::Format_ARGB32_Premultiplied);
    pattern.fill(Qt::transparent);
    pattern.setPixelColor(0, 0, colour);
    pattern.setPixelColor(1, 1, colour);
    QBrush brush(pattern);
    // The pattern lies on the device grid, whatever the painter's origin.
    brush.setTransform(painter.deviceTransform().inverted());
    painter.fillRect(rect, brush);
}

void DrawFocusRect(QPainter& painter, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    QList<QPoint> dots;
    for (int x = rect.left(); x <= rect.right(); x += 2) {
        dots.append({x, rect.top()});
        dots.append({x, rect.bottom()});
    }
    for (int y = rect.top() + 2; y < rect.bottom(); y += 2) {
        dots.append({rect.left(), y});
        dots.append({rect.right(), y});
    }
    painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
    painter.restore();
}

void DrawCentredText(QPainter& painter, const QRect& rect, const QString& text, const QColor& colour)
{
    painter.save();
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    painter.restore();
}

void DrawEmbossedText(QPainter& painter, const QRect& rect, const QString& text, const QPalette& palette)
{
    DrawCentredText(painter, rect.translated(1, 1), text, SystemColour(SysColour::ButtonHighlight, palette));
    DrawCentredText(painter, rect, text, SystemColour(SysColour::GrayText, palette));
}

}  // namespace vexar::ui
