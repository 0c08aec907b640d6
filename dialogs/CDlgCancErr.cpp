#include "dialogs/CDlgCancErr.h"

#include "dialogs/core/ResetValueWriter.h"
#include "link/CVEXARLink.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowMessage.h"
#include "platform/ui/WindowState.h"

#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace vexar;

CDlgCancErr::CDlgCancErr(link::CVEXARLink& app, QWidget* parent)
    : CDialogBase(parent),
      m_app(app),
      m_permanent(new CButtonMfc(QStringLiteral("Azzera errori permanenti"), this)),
      m_occasional(new CButtonMfc(QStringLiteral("Azzera errori occasionali"), this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("Cancellazione degli errori"));
    BindCommand(*m_permanent, IDC_CLEAR_PERMANENT);
    BindCommand(*m_occasional, IDC_CLEAR_OCCASIONAL);
    for (CButtonMfc* button : {m_permanent, m_occasional})
        button->setMinimumSize(260, 40);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_permanent);
    column->addWidget(m_occasional);
    column->addSpacing(10);
    column->addLayout(OkCancelRow(*m_ok, *m_cancel));
}

CDlgCancErr::~CDlgCancErr() { m_resets.Finish(); }

void CDlgCancErr::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_permanent->setText(LangText(IDS_PERMANENT));
    m_occasional->setText(LangText(IDS_OCCASIONAL));
    m_ok->setText(LangText(IDS_OK));
    for (CButtonMfc* button : {m_permanent, m_occasional, m_ok}) {
        button->setFont(m_font);
        button->m_textColour = m_crText;
    }
    // Only the first two sources clear errors.
    std::array<bool, CResetSequence::kSources> present = m_present;
    present[2] = false;
    m_resets.SetSources(m_sources, present);
    ui::EnableWindow(*m_permanent, m_resets.IsPresent(1));
    ui::EnableWindow(*m_occasional, m_resets.IsPresent(2));
}

bool CDlgCancErr::onCommand(unsigned id)
{
    switch (id) {
    case IDC_CLEAR_PERMANENT:
        m_resets.Pulse(1);
        return true;
    case IDC_CLEAR_OCCASIONAL:
        m_resets.Pulse(2);
        return true;
    default:
        return CDialogBase::onCommand(id);
    }
}

std::intptr_t CDlgCancErr::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == ui::WM_TIMER && wParam == kPulseTimer) {
        m_resets.OnTimer();
        return 0;
    }
    return CDialogBase::onMessage(id, wParam, lParam, payload);
}

// Closed mid-pulse: the idle value goes out before the window does.
void CDlgCancErr::done(int result)
{
    m_resets.Finish();
    CDialogBase::done(result);
}

bool CDlgCancErr::IsLinked() const { return m_app.m_bLinked != 0; }

void CDlgCancErr::WriteResetValue(const REC_CONTROLLO& source, bool active) { ResetValue::Write(m_app, source, active); }

void CDlgCancErr::StartPulseTimer(std::int32_t milliseconds)
{
    SetTimer(kPulseTimer, static_cast<unsigned>(std::max(milliseconds, 0)));
}

void CDlgCancErr::StopPulseTimer() { KillTimer(kPulseTimer); }
