#include "shell/ShellBitmaps.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace vexar::shell {

namespace {

// A plug lamp: a rounded lamp in the link colour inside a dark frame.
QPixmap LinkLogo(bool linked)
{
    QPixmap pixmap(40, 18);
    pixmap.fill(QColor(64, 64, 64));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(LinkLogoColour(linked));
    painter.drawRoundedRect(QRect(3, 3, 34, 12), 4, 4);
    return pixmap;
}

// A picture with a gradient and a name: the view's background logo and
// the About box's small logo.
QPixmap NamedLogo(QSize size, QColor top, QColor bottom, const QString& name)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(pixmap.rect(), gradient);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, size.height() / 8));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, name);
    return pixmap;
}

}  // namespace

QColor LinkLogoColour(bool linked) { return linked ? QColor(0, 176, 0) : QColor(200, 0, 0); }

QPixmap ShellBitmap(int id)
{
    switch (id) {
    case IDB_LOGO_UNLINKED: return LinkLogo(false);
    case IDB_LOGO_LINKED: return LinkLogo(true);
    case 289: return NamedLogo({640, 480}, QColor(0, 60, 120), QColor(0, 20, 50), QStringLiteral("OSK ZENTA"));
    case 328: return NamedLogo({640, 480}, QColor(70, 90, 40), QColor(20, 40, 10), QStringLiteral("VELT NARSO"));
    case 350: return NamedLogo({640, 480}, QColor(60, 70, 90), QColor(20, 25, 35), QStringLiteral("VEXAR"));
    case 299: return NamedLogo({32, 32}, QColor(0, 60, 120), QColor(0, 20, 50), QStringLiteral("O"));
    case 327: return NamedLogo({32, 32}, QColor(70, 90, 40), QColor(20, 40, 10), QStringLiteral("V"));
    case 298: return NamedLogo({32, 32}, QColor(60, 70, 90), QColor(20, 25, 35), QStringLiteral("X"));
    case 290: return NamedLogo({32, 32}, QColor(0, 90, 160), QColor(0, 30, 70), QStringLiteral("O"));
    case 326: return NamedLogo({32, 32}, QColor(90, 120, 50), QColor(30, 50, 10), QStringLiteral("V"));
    case 297: return NamedLogo({32, 32}, QColor(80, 90, 120), QColor(30, 35, 50), QStringLiteral("X"));
    default: return {};
    }
}

}  // namespace vexar::shell
