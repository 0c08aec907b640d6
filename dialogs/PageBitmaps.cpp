#include "dialogs/PageBitmaps.h"

#include "pages/CCtrlGraph.h"
#include "platform/ui/ColorRef.h"

#include <QPainter>
#include <QPixmap>

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
