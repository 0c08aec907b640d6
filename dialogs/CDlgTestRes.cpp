#include "dialogs/CDlgTestRes.h"

#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"

#include <QVBoxLayout>

using namespace vexar;

CDlgTestRes::CDlgTestRes(link::CVEXARLink* app, QWidget* parent)
    : CDialogBase(parent),
      m_app(app),
      m_result(new CCtrlStatic(this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    ui::SetDlgCtrlID(*m_result, IDC_RESULT);
    m_result->setAlignment(Qt::AlignCenter);
    m_result->setWordWrap(true);
    m_result->setMinimumSize(320, 120);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_result, 1);
    column->addLayout(OkCancelRow(*m_ok, *m_cancel));
}

CDlgTestRes::~CDlgTestRes() = default;

void CDlgTestRes::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_ok->setText(LangText(IDS_OK));
    m_ok->setFont(m_font);
    m_ok->m_textColour = m_crText;
    m_result->m_textColour = m_crText;
    if (m_bPassed) {
        m_result->setText(LangText(IDS_PASSED));
        m_result->SetBkColor(kPassColour);
        // OK waits for the end of a pulse only when one was asked for: no
        // worker would ever report the end of a pulse it never got.
        const bool asked =
            m_app && m_app->PostLinkRequest(link::WM_LINK_DTR_PULSE, static_cast<std::uintptr_t>(m_nDtrSeconds));
        ui::EnableWindow(*m_ok, !asked);
    } else {
        ui::EnableWindow(*m_ok, true);
        m_result->setText(LangText(IDS_FAILED));
        m_result->SetBkColor(kFailColour);
    }
}

bool CDlgTestRes::Closable() const { return ui::IsWindowEnabled(*m_ok); }

void CDlgTestRes::OnOK()
{
    if (Closable())
        EndDialog(ui::IDOK);
}

void CDlgTestRes::OnCancel()
{
    if (Closable())
        EndDialog(ui::IDCANCEL);
}

// The worker's word that the pulse has ended.
std::intptr_t CDlgTestRes::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == link::WM_LINK_DTR_PULSE) {
        ui::EnableWindow(*m_ok, true);
        return 0;
    }
    return CDialogBase::onMessage(id, wParam, lParam, payload);
}
