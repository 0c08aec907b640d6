#include "dialogs/PageBitmaps.h"

#include "pages/CCtrlGraph.h"
#include "platform/ui/ColorRef.h"

#include <QLineF>
#include <QPainter>
#include <QPolygonF>
#include <QPixmap>

#include <algorithm>

namespace {

constexpr int kSize = 16;

QPixmap Blank()
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

QIcon ClearChoiceBitmap()
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 11, 13);
    for (int y = 4; y <= 11; y += 3)
        p.drawLine(3, y, 10, y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 2.2));
    p.drawLine(7, 6, 14, 14);
    p.drawLine(14, 6, 7, 14);
    return QIcon(pixmap);
}

QIcon LiveModeBitmap()
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawLine(1, 14, 14, 14);
    p.drawLine(1, 1, 1, 14);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 200), 1.5));
    p.drawPolyline(QPolygon({{2, 11}, {5, 6}, {8, 9}, {11, 4}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(QRect(10, 2, 5, 5));
    return QIcon(pixmap);
}

std::vector<QIcon> TraceSlotImages()
{
    std::vector<QIcon> images;
    for (int slot = 0; slot < 10; ++slot) {
        QPixmap pixmap = Blank();
        QPainter p(&pixmap);
        p.fillRect(QRect(2, 6, 12, 4), vexar::ui::ToQColor(CCtrlGraph::SlotColour(slot)));
        images.emplace_back(pixmap);
    }
    return images;
}

// ---- The maintenance page's buttons ----

namespace {

const QColor kReadColour(0, 150, 0);
const QColor kWriteColour(200, 0, 0);

// An ECU: a dark body with pins along both long sides.
void DrawChip(QPainter& p, const QRectF& body)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    for (double y = body.top() + 3; y < body.bottom() - 1; y += 4) {
        p.drawLine(QPointF(body.left() - 3, y), QPointF(body.left(), y));
        p.drawLine(QPointF(body.right(), y), QPointF(body.right() + 3, y));
    }
    p.setPen(Qt::black);
    p.setBrush(QColor(50, 50, 60));
    p.drawRect(body);
    p.setBrush(QColor(200, 200, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(body.left() + 3, body.top() + 3), 1.2, 1.2);
}

// The workstation: a screen on its stand.
void DrawScreen(QPainter& p, const QRectF& screen)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(screen.center().x() - 2, screen.bottom(), 4, 3));
    p.drawRect(QRectF(screen.center().x() - 5, screen.bottom() + 3, 10, 1.5));
    p.setBrush(QColor(230, 230, 230));
    p.drawRoundedRect(screen, 1.5, 1.5);
    p.setBrush(QColor(90, 150, 220));
    p.setPen(Qt::NoPen);
    p.drawRect(screen.adjusted(2, 2, -2, -2));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    const QLineF shaft(from, to);
    QLineF head = shaft;
    head.setLength(std::max(0.0, shaft.length() - 5));
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QLineF(from, head.p2()));
    const QLineF back(to, from);
    QLineF left = back;
    left.setLength(7);
    left.setAngle(back.angle() + 30);
    QLineF right = back;
    right.setLength(7);
    right.setAngle(back.angle() - 30);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, left.p2(), right.p2()}));
}

// A circle nearly closed, its arrow head at the end: start again.
void DrawRestart(QPainter& p)
{
    const QRectF circle(6, 6, 20, 20);
    p.setPen(QPen(kWriteColour, 3, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(circle, 110 * 16, 300 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kWriteColour);
    p.drawPolygon(QPolygonF({QPointF(14, 1), QPointF(20, 7), QPointF(12, 11)}));
    p.setBrush(QColor(50, 50, 60));
    p.drawRect(QRectF(14, 14, 4, 4));
}

}  // namespace

QIcon MaintBitmap(int resource)
{
    QPixmap pixmap(kMaintBitmapSize, kMaintBitmapSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (resource) {
    case 233:
        DrawChip(p, QRectF(4, 6, 12, 20));
        DrawArrow(p, QPointF(17, 16), QPointF(31, 16), kReadColour);
        break;
    case 234:
        DrawChip(p, QRectF(16, 6, 12, 20));
        DrawArrow(p, QPointF(1, 16), QPointF(15, 16), kWriteColour);
        break;
    case 219:
        DrawChip(p, QRectF(3, 4, 8, 13));
        DrawScreen(p, QRectF(17, 14, 14, 11));
        DrawArrow(p, QPointF(8, 21), QPointF(16, 28), kReadColour);
        break;
    case 218:
        DrawScreen(p, QRectF(1, 4, 14, 11));
        DrawChip(p, QRectF(21, 15, 8, 13));
        DrawArrow(p, QPointF(10, 21), QPointF(19, 28), kWriteColour);
        break;
    case 221:
        DrawRestart(p);
        break;
    default:
        return {};
    }
    return QIcon(pixmap);
}
