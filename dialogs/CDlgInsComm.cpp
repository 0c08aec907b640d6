#include "dialogs/CDlgInsComm.h"

#include "pages/CCtrlEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

using namespace vexar;

namespace {

// The field shows this many characters by lines at least.
constexpr int kColumns = 60;
constexpr int kLines = 12;

}  // namespace

CDlgInsComm::CDlgInsComm(CVEXARPages& app, QWidget* parent)
    : CDialogBase(parent),
      m_edit(new CCtrlEdit(app, this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new CButtonMfc(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("Inserimento commento"));
    ui::SetDlgCtrlID(*m_edit, IDC_COMMENT);
    m_edit->SetMultiLine(true);
    if (auto* editor = m_edit->findChild<QPlainTextEdit*>()) {
        editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_edit, 1);
    column->addLayout(OkCancelRow(*m_ok, *m_cancel));
    // Enter belongs to the field: no button takes it.
    for (CButtonMfc* button : {m_ok, m_cancel}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
}

CDlgInsComm::~CDlgInsComm() = default;

void CDlgInsComm::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));

    // The field's editor took the field's font when it was made; it takes
    // the opener's as well.
    m_edit->setFont(m_font);
    if (auto* editor = m_edit->findChild<QPlainTextEdit*>())
        editor->setFont(m_font);
    m_edit->m_textColour = m_crEditText;
    for (CButtonMfc* button : {m_ok, m_cancel}) {
        button->setFont(m_font);
        button->m_textColour = m_crButtonText;
    }
    const QFontMetrics metrics(m_font);
    m_edit->setMinimumSize(metrics.averageCharWidth() * kColumns, metrics.lineSpacing() * kLines);
    for (CButtonMfc* button : {m_ok, m_cancel})
        button->setMinimumSize(metrics.horizontalAdvance(button->text()) + 40, metrics.height() + 12);

    m_strComment.clear();
    m_edit->SetWindowText(std::u16string());
    m_edit->setFocus();
}

void CDlgInsComm::OnOK()
{
    m_strComment = m_edit->GetWindowText();
    EndDialog(ui::IDOK);
}

// Enter and Esc never end the dialog, wherever the focus is.
void CDlgInsComm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: event->accept(); return;
    default: CDialogBase::keyPressEvent(event);
    }
}
