#include "dialogs/CDlgAssRem.h"

#include "common/Text.h"
#include "dialogs/core/RemoteRules.h"
#include "link/CVEXARLink.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/widgets/CCWButton.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/WindowState.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace vexar;

CDlgAssRem::CDlgAssRem(link::CVEXARLink& app, QWidget* parent)
    : CDialogBase(parent),
      m_app(app),
      m_scroll(new QScrollArea(this)),
      m_content(new QWidget),
      m_grid(new QGridLayout(m_content))
{
    setModal(false);
    // A sizing border: the window may be made smaller than its content,
    // which then scrolls.
    setSizeGripEnabled(true);
    m_scroll->setWidget(m_content);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->horizontalScrollBar()->setSingleStep(kScrollLine);
    m_scroll->verticalScrollBar()->setSingleStep(kScrollLine);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(8);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);
}

CDlgAssRem::~CDlgAssRem() { SetWaitCursor(false); }

QLabel* CDlgAssRem::AddLabel(int id)
{
    auto* label = new QLabel(m_content);
    label->setObjectName(QString::number(id));
    return label;
}

CCWButton* CDlgAssRem::AddLamp(int id)
{
    auto* lamp = new CCWButton(m_content);
    lamp->setObjectName(QString::number(id));
    lamp->SetLook(CCWButton::Look::RoundLamp);
    lamp->SetInputEnabled(false);
    lamp->SetValue(false);
    return lamp;
}

QLabel* CDlgAssRem::AddLampRow(int row, int lampId, int labelId)
{
    auto* line = new QHBoxLayout;
    line->setSpacing(m_grid->horizontalSpacing());
    line->addWidget(AddLamp(lampId));
    QLabel* label = AddLabel(labelId);
    line->addWidget(label, 1);
    m_grid->addLayout(line, row, 0, 1, -1);
    return label;
}

void CDlgAssRem::Create()
{
    if (m_bCreated) {
        CUtility::ShowAndFocus(*this, ui::SW_RESTORE);
        return;
    }
    show();
    // As large as its content (a scroll area alone would ask for less);
    // within the area the view hands over (above its command bar), from
    // its top-left corner and no larger than the area. What does not fit
    // scrolls.
    // The captions and the font came with the showing: measure anew.
    m_grid->invalidate();
    m_grid->activate();
    QSize size = m_content->sizeHint().expandedTo(m_content->minimumSizeHint());
    const QRect area = m_rcArea.isValid() ? m_rcArea : screen()->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    size = size.boundedTo(area.size() - frame);
    resize(size);
    if (m_rcArea.isValid())
        move(m_rcArea.topLeft());
}

void CDlgAssRem::OnInitDialog()
{
    CUtility::CreateFontPt(m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    ApplyFont();
    m_bCreated = 1;
    LoadCaptions();
}

void CDlgAssRem::ApplyFont()
{
    QPalette palette = m_content->palette();
    palette.setColor(QPalette::WindowText, ui::ToQColor(m_crText));
    for (QLabel* label : m_content->findChildren<QLabel*>()) {
        label->setFont(m_font);
        label->setPalette(palette);
    }
    for (CButtonMfc* button : m_content->findChildren<CButtonMfc*>()) {
        button->setFont(m_font);
        button->m_textColour = m_crText;
        button->update();
    }
    for (CCtrlEditInfo* field : m_content->findChildren<CCtrlEditInfo*>()) {
        field->setFont(m_font);
        field->m_textColour = m_crValue;
        field->update();
    }
    // The lamps stand as tall as a line of the font.
    const int line = QFontMetrics(m_font).height();
    for (CCWButton* lamp : m_content->findChildren<CCWButton*>())
        lamp->setFixedSize(line + 6, line + 6);
}

bool CDlgAssRem::CloseIfDisconnected()
{
    if (m_app.m_hSocket.load() >= 0)
        return false;
    OnClosing();
    SetWaitCursor(false);
    m_bCreated = 0;
    hide();
    return true;
}

std::optional<std::array<std::uint8_t, 4>> CDlgAssRem::ClientId(const CCtrlEditInfo& field) const
{
    return remote::ClientIdFromText(field.text().toStdU16String());
}

void CDlgAssRem::ShowFailure(const std::u16string& text)
{
    ui::MessageBox(this, text, std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

std::u16string CDlgAssRem::ConnectFailureText(std::uintptr_t status, std::intptr_t error) const
{
    const auto text = [this](int id) { return LangText(id).toStdU16String(); };
    const long number = static_cast<long>(error);
    switch (status) {
    case 4: return Format(u"%s (%ld)", text(3172), number);
    case 5: return Format(u"%s (%ld)", text(3173), number);
    case 6:
        return Format(u"%s (%ld - %s - %ld)", text(3174), number, m_app.m_szBridgeIp,
                      static_cast<long>(m_app.m_nBridgePort));
    default: return {};
    }
}

void CDlgAssRem::SetWaitCursor(bool on) { CUtility::SetWaitCursor(m_bWaitCursor, on); }
