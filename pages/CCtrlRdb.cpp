#include "pages/CCtrlRdb.h"

#include "platform/ui/OwnerDraw.h"

#include <QPainter>
#include <QStyleOptionButton>

using namespace vexar;

CCtrlRdb::CCtrlRdb(QWidget* parent)
    : QRadioButton(parent), m_bkColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette())))
{
}

CCtrlRdb::~CCtrlRdb() = default;

// The button as its style draws it, over our background and with our text
// colour in the enabled colour groups.
void CCtrlRdb::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::ToQColor(m_bkColour));
    QStyleOptionButton option;
    initStyleOption(&option);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        option.palette.setColor(group, QPalette::WindowText, ui::ToQColor(m_textColour));
    style()->drawControl(QStyle::CE_RadioButton, &option, &painter, this);
}
