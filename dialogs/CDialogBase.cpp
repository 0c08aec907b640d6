#include "dialogs/CDialogBase.h"

#include "common/CUtilityLang.h"
#include "platform/ui/WindowState.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>

using namespace vexar;

CDialogBase::CDialogBase(QWidget* parent) : QDialog(parent), WindowBase(this)
{
    commands().On(ui::IDOK, [this] { OnOK(); });
    commands().On(ui::IDCANCEL, [this] { OnCancel(); });
}

CDialogBase::~CDialogBase() = default;

int CDialogBase::DoModal()
{
    const int result = exec();
    return result == ui::IDOK ? ui::IDOK : ui::IDCANCEL;
}

QString CDialogBase::LangText(int id) const
{
    return QString::fromStdU16String(CUtility::LoadLangString(m_strLangFile, id));
}

void CDialogBase::BindCommand(QAbstractButton& button, int id)
{
    ui::SetDlgCtrlID(button, id);
    connect(&button, &QAbstractButton::clicked, this, [this, id] { onCommand(static_cast<unsigned>(id)); });
}

QHBoxLayout* CDialogBase::OkCancelRow(QPushButton& ok, QPushButton& cancel)
{
    BindCommand(ok, ui::IDOK);
    BindCommand(cancel, ui::IDCANCEL);
    ok.setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(&ok);
    row->addWidget(&cancel);
    return row;
}

// Esc and the close box are the Cancel command.
void CDialogBase::reject() { onCommand(ui::IDCANCEL); }

void CDialogBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored from minimised is shown again by the system, not
    // created anew.
    if (!event->spontaneous() && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
}

void CDialogBase::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_bInitialised = false;
}
