#include "dialogs/CDlgECUProg.h"

#include "link/LinkMessages.h"
#include "pages/widgets/CCWSlide.h"
#include "platform/ui/WindowState.h"

#include <QVBoxLayout>

using namespace vexar;

CDlgECUProg::CDlgECUProg(QWidget* parent) : CModelessDialog(parent), m_layout(new QVBoxLayout(this))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Programmazione centralina"));
}

CDlgECUProg::~CDlgECUProg() = default;

// A new window: a new bar, at its own start.
void CDlgECUProg::OnInitDialog()
{
    delete m_slide;
    m_slide = new CCWSlide(this);
    m_slide->SetLook(CCWSlide::Look::Progress);
    m_slide->setMinimumSize(360, 48);
    ui::SetDlgCtrlID(*m_slide, IDC_PROGRESS);
    m_layout->addWidget(m_slide);

    setWindowTitle(QString::fromStdU16String(m_strCaption));
    m_bCreated = 1;
}

void CDlgECUProg::OnProgressRange(std::uintptr_t steps)
{
    m_slide->SetRange(0.0, static_cast<double>(steps));
    m_slide->SetValue(0.0);
}

// A step beyond the range goes to the bar as it comes; the bar keeps its
// own limits.
void CDlgECUProg::OnProgressPos(std::uintptr_t done)
{
    m_slide->SetValue(static_cast<double>(done));
    m_slide->repaint();
}

void CDlgECUProg::OnCloseRequest() { Close(); }

std::intptr_t CDlgECUProg::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::unique_ptr<ui::MessagePayload>& payload)
{
    using namespace vexar::link;
    if (id != WM_PROGRESS_RANGE && id != WM_PROGRESS_STEP && id != WM_PROGRESS_CLOSE)
        return CModelessDialog::onMessage(id, wParam, lParam, payload);
    if (!m_bCreated)
        return 0;
    if (id == WM_PROGRESS_RANGE)
        OnProgressRange(wParam);
    else if (id == WM_PROGRESS_STEP)
        OnProgressPos(wParam);
    else
        OnCloseRequest();
    return 0;
}
