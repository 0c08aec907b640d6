#include "DemoMapGrid.h"

#include "platform/ui/ColorRef.h"

#include <QPainter>

void DemoMapGrid::paintEvent(QPaintEvent*)
{
    using vexar::ui::RGB;
    using vexar::ui::ToQColor;
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    for (int r = 0; r < GetRowCount(); ++r) {
        for (int c = 0; c < GetColumnCount(); ++c) {
            const bool header = r < GetFixedRowCount() || c < GetFixedColumnCount();
            const QRect cell = GetCellRect(r, c);
            painter.fillRect(cell, ToQColor(header ? RGB(170, 189, 198) : RGB(255, 255, 255)));
            painter.setPen(ToQColor(header ? RGB(0, 0, 0) : RGB(192, 192, 192)));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.setPen(ToQColor(header ? RGB(0, 0, 96) : RGB(0, 0, 0)));
            painter.drawText(cell, Qt::AlignCenter, GetCellText(r, c));
        }
    }
}
