#include "dialogs/CModelessDialog.h"

#include <QScreen>

CModelessDialog::CModelessDialog(QWidget* parent) : CDialogBase(parent) { setModal(false); }

CModelessDialog::~CModelessDialog() = default;

void CModelessDialog::Create(QWidget* centreOn)
{
    show();
    adjustSize();
    const QRect area = centreOn ? QRect(centreOn->mapToGlobal(QPoint(0, 0)), centreOn->size())
                                : screen()->availableGeometry();
    move(area.center() - rect().center());
    repaint();
}

void CModelessDialog::Close()
{
    hide();
    m_bCreated = 0;
}
