#include "tools/common/ui/CLoaderAboutDlg.h"

#include "tools/common/CVersionInfo.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vexar::tools {

CLoaderAboutDlg::CLoaderAboutDlg(QWidget* parent, int logo, const std::string& program, bool withComment)
    : QDialog(parent), m_company(new QLabel(this)), m_comment(new QLabel(this)), m_version(new QLabel(this)),
      m_copyright(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Version information"));
    const CVersionInfo info(program);
    m_company->setText(logo == 1 ? QStringLiteral("Morvel s.r.l.") : QStringLiteral("Morvel Tasca S.p.A."));
    if (withComment)
        m_comment->setText(QString::fromStdString(info.GetComments()));
    m_comment->setVisible(withComment);
    m_version->setText(QStringLiteral("Version %1").arg(QString::fromStdString(CVersionInfo::VersionCode())));
    m_copyright->setText(QString::fromStdString(info.GetLegalCopyright()));
    auto* layout = new QVBoxLayout(this);
    for (QLabel* label : {m_company, m_comment, m_version, m_copyright})
        layout->addWidget(label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString CLoaderAboutDlg::CompanyText() const
{
    return m_company->text();
}

QString CLoaderAboutDlg::CommentText() const
{
    return m_comment->text();
}

QString CLoaderAboutDlg::VersionText() const
{
    return m_version->text();
}

QString CLoaderAboutDlg::CopyrightText() const
{
    return m_copyright->text();
}

}  // namespace vexar::tools
