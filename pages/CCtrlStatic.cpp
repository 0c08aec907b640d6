#include "pages/CCtrlStatic.h"

#include "platform/ui/OwnerDraw.h"
#include "platform/ui/WindowState.h"

#include <QPainter>
#include <QStyle>

using namespace vexar;

CCtrlStatic::CCtrlStatic(QWidget* parent)
    : QLabel(parent), m_bkColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette())))
{
    setTextFormat(Qt::PlainText);
}

CCtrlStatic::~CCtrlStatic() = default;

void CCtrlStatic::ShowCtrl(bool show) { ui::ShowWindow(*this, show ? ui::SW_SHOW : ui::SW_HIDE); }

void CCtrlStatic::SetBkColor(ui::COLORREF colour)
{
    m_bkColour = colour;
    repaint();
}

// The whole window in the background colour, the frame, then the text as
// a label lays it out, in our text colour.
void CCtrlStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::ToQColor(m_bkColour));
    drawFrame(&painter);
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::WindowText, ui::ToQColor(m_textColour));
    int flags = static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, flags, colours, isEnabled(), text(), QPalette::WindowText);
}
