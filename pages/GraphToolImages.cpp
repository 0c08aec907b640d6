#include "pages/GraphToolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

// An arrow pointing up and to the left, as the system's pointer.
void DrawPointer(QPainter& p)
{
    const QPolygon arrow({{4, 1}, {4, 12}, {7, 9}, {9, 14}, {11, 13}, {9, 8}, {13, 8}});
    p.setBrush(Qt::white);
    p.setPen(Qt::black);
    p.drawPolygon(arrow);
}

// A magnifying glass with a plus in its lens.
void DrawZoom(QPainter& p)
{
    p.setBrush(QColor(220, 235, 255));
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(QRect(1, 1, 9, 9));
    p.drawLine(5, 3, 5, 8);
    p.drawLine(3, 5, 8, 5);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(9, 9, 14, 13);
}

// An open hand: four fingers over a palm.
void DrawPan(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 224, 189));
    for (int finger = 0; finger < 4; ++finger)
        p.drawRoundedRect(QRect(3 + 2 * finger, 1 + (finger == 0 || finger == 3 ? 2 : 0), 2, 8), 1, 1);
    p.drawRoundedRect(QRect(3, 7, 9, 6), 2, 2);
    p.drawLine(1, 6, 3, 9);
}

// A cursor line across a trace, with its mark on the point.
void DrawCursor(QPainter& p)
{
    p.setPen(QColor(0, 128, 0));
    p.drawPolyline(QPolygon({{0, 11}, {4, 6}, {8, 8}, {12, 3}, {15, 5}}));
    p.setPen(QColor(255, 128, 0));
    p.drawLine(8, 0, 8, 14);
    p.setBrush(Qt::NoBrush);
    p.drawRect(6, 6, 4, 4);
}

// A round arrow: back to where the view was.
void DrawRestore(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.0, 10.0, 10.0), 100 * 16, 290 * 16);
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(4.0, 0.0), QPointF(8.5, 2.5), QPointF(4.5, 5.5)}));
}

void DrawGrid(QPainter& p)
{
    p.setPen(QColor(96, 96, 96));
    for (int x = 1; x <= 14; x += 4)
        p.drawLine(x, 1, x, 13);
    for (int y = 1; y <= 13; y += 4)
        p.drawLine(1, y, 13, y);
}

// A window with arrows to its corners.
void DrawFullScreen(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 15, 14);
    p.fillRect(QRect(1, 1, 14, 2), QColor(0, 0, 128));
    p.drawLine(4, 5, 11, 11);
    p.drawLine(11, 5, 4, 11);
    p.drawLine(4, 5, 6, 5);
    p.drawLine(4, 5, 4, 7);
    p.drawLine(11, 11, 9, 11);
    p.drawLine(11, 11, 11, 9);
}

}  // namespace

QIcon GraphToolImage(GraphTool tool)
{
    QPixmap image(kWidth, kHeight);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    switch (tool) {
    case GraphTool::Pointer:
        DrawPointer(painter);
        break;
    case GraphTool::Zoom:
        DrawZoom(painter);
        break;
    case GraphTool::Pan:
        DrawPan(painter);
        break;
    case GraphTool::Cursor:
        DrawCursor(painter);
        break;
    case GraphTool::Restore:
        DrawRestore(painter);
        break;
    case GraphTool::Grid:
        DrawGrid(painter);
        break;
    case GraphTool::FullScreen:
        DrawFullScreen(painter);
        break;
    }
    painter.end();
    return QIcon(image);
}
