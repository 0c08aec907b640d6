#include "pages/CCtrlEditInfo.h"

#include "pages/FieldColours.h"

CCtrlEditInfo::CCtrlEditInfo(QWidget* parent)
    : QLineEdit(parent), m_bkColour(vexar::ui::FromQColor(palette().color(QPalette::Active, QPalette::Base)))
{
}

CCtrlEditInfo::~CCtrlEditInfo() = default;

void CCtrlEditInfo::paintEvent(QPaintEvent* event)
{
    CUtility::ApplyFieldColours(*this, m_textColour, m_bkColour);
    QLineEdit::paintEvent(event);
}
