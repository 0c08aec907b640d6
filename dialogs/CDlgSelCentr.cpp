#include "dialogs/CDlgSelCentr.h"

#include "common/NoCase.h"
#include "config/CCentralineInstallate.h"
#include "dialogs/UpperCaseList.h"
#include "platform/ui/WindowState.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace vexar;

namespace {

// Family members agree in their first 7 and last 3 characters; names
// shorter than 11 characters have no family.
bool SameFamily(const std::u16string& a, const std::u16string& b)
{
    constexpr std::size_t kMinLength = 11;
    if (a.size() < kMinLength || b.size() < kMinLength)
        return false;
    const std::u16string ua = ToUpper(a);
    const std::u16string ub = ToUpper(b);
    return ua.compare(0, 7, ub, 0, 7) == 0 && ua.compare(ua.size() - 3, 3, ub, ub.size() - 3, 3) == 0;
}

}  // namespace

CDlgSelCentr::CDlgSelCentr(QWidget* parent)
    : CDialogBase(parent),
      m_ecuLabel(new QLabel(QStringLiteral("Tipo centralina:"), this)),
      m_firmwareLabel(new QLabel(QStringLiteral("Versione firmware:"), this)),
      m_ecuList(new QComboBox(this)),
      m_firmwareList(new QComboBox(this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("Selezione centralina"));
    ui::SetDlgCtrlID(*m_ecuLabel, IDC_ECU_LABEL);
    ui::SetDlgCtrlID(*m_firmwareLabel, IDC_FIRMWARE_LABEL);
    ui::SetDlgCtrlID(*m_ecuList, IDC_ECU_TYPE);
    ui::SetDlgCtrlID(*m_firmwareList, IDC_FIRMWARE);
    for (QComboBox* list : {m_ecuList, m_firmwareList}) {
        list->setMinimumContentsLength(24);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_ecuLabel, 0, 0);
    grid->addWidget(m_ecuList, 0, 1);
    grid->addWidget(m_firmwareLabel, 1, 0);
    grid->addWidget(m_firmwareList, 1, 1);
    grid->addLayout(OkCancelRow(*m_ok, *m_cancel), 2, 0, 1, 2);

    connect(m_ecuList, &QComboBox::activated, this, [this] { OnEcuChanged(); });
    connect(m_firmwareList, &QComboBox::activated, this, [this] { OnVersionChanged(); });
}

CDlgSelCentr::~CDlgSelCentr() = default;

void CDlgSelCentr::OnInitDialog()
{
    LoadCaptions();
    FillEcuTypes();
}

void CDlgSelCentr::LoadCaptions()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_ecuLabel->setText(LangText(IDS_ECU_LABEL));
    m_firmwareLabel->setText(LangText(IDS_FIRMWARE_LABEL));
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));
}

void CDlgSelCentr::FillEcuTypes()
{
    m_ecuList->clear();
    std::u16string name;
    if (m_pCatalogue) {
        for (bool more = m_pCatalogue->GetFirstEcu(name); more; more = m_pCatalogue->GetNextEcu(name))
            upperlist::InsertSorted(*m_ecuList, name);
    }
    if (m_ecuList->count() == 0)
        return;
    m_strEcuType = upperlist::SelectCurrent(*m_ecuList, m_strEcuType);
    FillVersions();
}

void CDlgSelCentr::OnEcuChanged()
{
    m_strEcuType = upperlist::NameAt(*m_ecuList, m_ecuList->currentIndex());
    FillVersions();
}

void CDlgSelCentr::FillVersions()
{
    m_firmwareList->clear();
    if (m_strEcuType.empty())
        return;
    std::u16string name;
    if (m_pCatalogue) {
        for (bool more = m_pCatalogue->GetFirstFirmware(m_strEcuType, name); more;
             more = m_pCatalogue->GetNextFirmware(name))
            AddVersion(name);
    }
    if (m_firmwareList->count() == 0) {
        ui::EnableWindow(*m_ok, false);
        return;
    }
    m_strFirmware = upperlist::SelectCurrent(*m_firmwareList, m_strFirmware);
    ui::EnableWindow(*m_ok, true);
}

void CDlgSelCentr::AddVersion(const std::u16string& name)
{
    for (int i = 0; i < m_firmwareList->count(); ++i) {
        const std::u16string entry = m_firmwareList->itemText(i).toStdU16String();
        if (!SameFamily(entry, name))
            continue;
        if (IsGreaterName(name, entry)) {
            m_firmwareList->removeItem(i);
            upperlist::InsertAt(*m_firmwareList, i, name);
        }
        return;
    }
    upperlist::InsertSorted(*m_firmwareList, name);
}

bool CDlgSelCentr::IsGreaterName(const std::u16string& name, const std::u16string& entry)
{
    return ToUpper(name) > ToUpper(entry);
}

void CDlgSelCentr::OnVersionChanged()
{
    m_strFirmware = upperlist::NameAt(*m_firmwareList, m_firmwareList->currentIndex());
}
