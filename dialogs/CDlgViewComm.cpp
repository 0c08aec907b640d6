#include "dialogs/CDlgViewComm.h"

#include "pages/CCtrlEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace vexar;

namespace {

// The field shows this many characters by lines at least.
constexpr int kColumns = 60;
constexpr int kLines = 16;

}  // namespace

CDlgViewComm::CDlgViewComm(CVEXARPages& app, QWidget* parent)
    : CDialogBase(parent),
      m_edit(new CCtrlEdit(app, this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    ui::SetDlgCtrlID(*m_edit, IDC_COMMENTS);
    m_edit->SetMultiLine(true);
    m_edit->SetReadOnly(true);
    if (auto* editor = m_edit->findChild<QPlainTextEdit*>()) {
        editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_edit, 1);
    column->addLayout(buttons);
    BindCommand(*m_ok, ui::IDOK);
    BindCommand(*m_cancel, ui::IDCANCEL);
    m_ok->setDefault(true);
    m_cancel->hide();
}

CDlgViewComm::~CDlgViewComm() = default;

void CDlgViewComm::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_ok->setText(LangText(IDS_OK));
    m_ok->setFont(m_font);
    m_ok->m_textColour = m_crButtonText;

    // The field's editor took the field's font when it was made; it takes
    // the opener's as well.
    m_edit->setFont(m_font);
    if (auto* editor = m_edit->findChild<QPlainTextEdit*>())
        editor->setFont(m_font);
    const QFontMetrics metrics(m_font);
    m_edit->setMinimumSize(metrics.averageCharWidth() * kColumns, metrics.lineSpacing() * kLines);
    m_ok->setMinimumSize(metrics.horizontalAdvance(m_ok->text()) + 40, metrics.height() + 12);
    m_edit->SetWindowText(m_strComment);
    m_ok->setFocus();
}
