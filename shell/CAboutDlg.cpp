#include "shell/CAboutDlg.h"

#include "common/Text.h"
#include "platform/ui/WindowState.h"
#include "shell/CVEXARApp.h"
#include "shell/ShellBitmaps.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace vexar;

CAboutDlg::CAboutDlg(CVEXARApp& app, QWidget* parent)
    : CDialogBase(parent), m_app(app), m_logo(new QLabel(this)), m_edition(new QLabel(this)),
      m_firmware(new QLabel(this))
{
    ui::SetDlgCtrlID(*m_logo, IDC_LOGO);
    ui::SetDlgCtrlID(*m_edition, IDC_EDITION);
    ui::SetDlgCtrlID(*m_firmware, IDC_FIRMWARE);
    m_edition->setTextFormat(Qt::PlainText);
    m_firmware->setTextFormat(Qt::PlainText);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    BindCommand(*ok, ui::IDOK);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_logo, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(m_edition, 0, 1);
    layout->addWidget(m_firmware, 1, 1);
    layout->addWidget(ok, 0, 2);
}

CAboutDlg::~CAboutDlg() = default;

std::u16string CAboutDlg::EditionName(int edition)
{
    switch (edition) {
    case 1: return u"OSK ZENTA";
    case 2: return u"VELT NARSO";
    case 3: return u"VELT NARSO Development";
    case 4: return u"VELT NARSO Service";
    case 5: return u"KD01_ConfigCheck";
    default: return u"ZENTA";
    }
}

int CAboutDlg::LogoBitmap(int edition) { return edition == 1 ? 299 : edition >= 2 && edition <= 4 ? 327 : 298; }

void CAboutDlg::OnInitDialog()
{
    const int edition = m_app.m_nEdition;
    setWindowTitle(LangText(edition >= 1 && edition <= 5 ? 3225 + edition : 3038));
    m_strEdition = Format(u"%s %s", EditionName(edition), m_app.m_strVersion);
    {
        std::lock_guard lock(m_app.m_csIdent);
        m_strFirmware = Format(u"Firmware:\t%s", m_app.m_strEcuIdent);
    }
    m_edition->setText(QString::fromStdU16String(m_strEdition));
    m_firmware->setText(QString::fromStdU16String(m_strFirmware));
    m_hLogo = vexar::shell::ShellBitmap(LogoBitmap(edition)).scaled(32, 32);
    m_logo->setPixmap(m_hLogo);
}
