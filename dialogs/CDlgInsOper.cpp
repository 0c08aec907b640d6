#include "dialogs/CDlgInsOper.h"

#include "config/ControlCodes.h"
#include "dialogs/UpperCaseList.h"
#include "platform/ui/WindowState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace vexar;

CDlgInsOper::CDlgInsOper(QWidget* parent)
    : CDialogBase(parent),
      m_label(new QLabel(QStringLiteral("Tipo operatore:"), this)),
      m_list(new QComboBox(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("Inserimento operatore"));
    ui::SetDlgCtrlID(*m_label, IDC_PROFILE_LABEL);
    ui::SetDlgCtrlID(*m_list, IDC_PROFILE);
    m_list->setMinimumContentsLength(20);
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(m_list, 0, 1);
    grid->addLayout(OkCancelRow(*m_ok, *m_cancel), 1, 0, 1, 2);

    connect(m_list, &QComboBox::activated, this, [this] { OnProfileChanged(); });
}

CDlgInsOper::~CDlgInsOper() = default;

void CDlgInsOper::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_label->setText(LangText(IDS_PROFILE_LABEL));
    m_list->clear();
    for (int i = 0; i < 6; ++i)
        upperlist::InsertAt(*m_list, i, LangText(IDS_PROFILES[i]).toStdU16String());
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));
    m_list->setCurrentIndex(m_nCurrentProfile >= 0 && m_nCurrentProfile < 6 ? m_nCurrentProfile : -1);
}

void CDlgInsOper::OnProfileChanged()
{
    const bool limited = m_nCurrentProfile == OPR_LIMIT || m_nCurrentProfile == OPR_PBL_LIMIT;
    if (limited && m_list->currentIndex() == OPR_PBL)
        m_list->setCurrentIndex(OPR_PBL_LIMIT);
}

void CDlgInsOper::OnOK()
{
    // Nothing selected (a current profile outside 0 to 5): nothing chosen.
    if (m_list->currentIndex() < 0) {
        OnCancel();
        return;
    }
    m_nChosenProfile = m_list->currentIndex();
    EndDialog(ui::IDOK);
}
