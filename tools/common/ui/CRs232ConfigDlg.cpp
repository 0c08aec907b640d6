#include "tools/common/ui/CRs232ConfigDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace vexar::tools {

CRs232ConfigDlg::CRs232ConfigDlg(QWidget* parent, bool preferHigherBaud)
    : QDialog(parent), m_port(new QComboBox(this)), m_baud(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("RS232 Config"));
    for (int n = 1; n <= 256; ++n)
        m_port->addItem(QStringLiteral("COM%1").arg(n));
    m_baud->addItems({QStringLiteral("9600"), QStringLiteral("19200")});
    m_port->setCurrentIndex(0);
    m_baud->setCurrentIndex(preferHigherBaud ? 1 : 0);
    m_port->setObjectName(QStringLiteral("port"));
    m_baud->setObjectName(QStringLiteral("baud"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Port"), m_port);
    layout->addRow(QStringLiteral("Baud"), m_baud);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CRs232ConfigDlg::accept()
{
    m_nPort = m_port->currentIndex() + 1;
    m_nBaud = m_baud->currentText().toLong();
    QDialog::accept();
}

}  // namespace vexar::tools
