#include "dialogs/CDlgWaitMsg.h"

#include "common/CUtilityLang.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

using namespace vexar;

CDlgWaitMsg::CDlgWaitMsg(QWidget* parent) : CModelessDialog(parent), m_label(new QLabel(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    QFont font;
    CUtility::CreateFontPt(font, u"Verdana", 12, false);
    setFont(font);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(320);
    ui::SetDlgCtrlID(*m_label, IDC_MESSAGE);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(m_label);
}

CDlgWaitMsg::~CDlgWaitMsg() = default;

void CDlgWaitMsg::OnInitDialog()
{
    m_strMessage = CUtility::LoadLangString(m_strLangFile, IDS_MESSAGE);
    m_label->setText(QString::fromStdU16String(m_strMessage));
    m_bCreated = 1;
}
