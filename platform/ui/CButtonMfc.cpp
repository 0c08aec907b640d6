#include "platform/ui/CButtonMfc.h"

#include "platform/ui/OwnerDraw.h"

#include <QPainter>

using namespace vexar;

CButtonMfc::CButtonMfc(QWidget* parent) : CButtonMfc(QString(), parent) {}

CButtonMfc::CButtonMfc(const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_faceColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette())))
{
}

CButtonMfc::~CButtonMfc() = default;

void CButtonMfc::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CButtonMfc::DrawItem(QPainter& painter, const QRect& rect) const
{
    const QPalette& colours = palette();
    const bool enabled = isEnabled();
    const bool pressed = isDown();

    painter.fillRect(rect, ui::ToQColor(m_faceColour));
    if (!enabled)
        ui::DitherRect(painter, rect, ui::SystemColour(ui::SysColour::ButtonFace, colours));
    ui::DrawEdge(painter, rect, pressed ? ui::Edge::Sunken : ui::Edge::Raised, colours);
    if (hasFocus())
        ui::DrawFocusRect(painter, rect.adjusted(3, 3, -3, -3));

    // The text moves with the press.
    const QRect textRect = pressed ? rect.translated(1, 1) : rect;
    painter.setFont(font());
    if (enabled)
        ui::DrawCentredText(painter, textRect, text(), ui::ToQColor(m_textColour));
    else
        ui::DrawEmbossedText(painter, textRect, text(), colours);
}
