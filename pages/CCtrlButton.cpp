#include "pages/CCtrlButton.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QKeyEvent>

#include <algorithm>
#include <new>

using namespace vexar;

namespace {

QString ToQ(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

ResetBlock ResetOf(const REC_CONTROLLO& definition)
{
    const auto* block = std::get_if<ResetBlock>(&definition.GRAFICA);
    return block ? *block : ResetBlock{};
}

// DEFAULT as an on/off state: on when it is a non-zero integer.
int DefaultState(const REC_CONTROLLO& definition)
{
    std::u16string text = definition.DEFAULT;
    std::int32_t value = 0;
    return StrToLong(text, value) && value != 0 ? 1 : 0;
}

}  // namespace

CCtrlButton::CCtrlButton(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : CButtonMfc(parent), CCtrlBase(*this, app, std::move(definition), hidden)
{
    setAutoDefault(false);
    ShowDefault();
    SetUndoPair(Shown(), Shown());
    connect(this, &QPushButton::clicked, this, [this] { Press(); });
}

CCtrlButton::~CCtrlButton()
{
    // A pulse cut short would leave RESET in the image and the ECU.
    if (m_bPulsing) {
        m_bPulsing = false;
        m_nPulse = ResetOf(m_definition).NORMAL;
        CCtrlCore::WriteValue(true, true);
    }
}

int CCtrlButton::StandsFor() const
{
    if (IsCommand())
        return m_nState;
    return IsReset() ? m_nPulse : 0;
}

void CCtrlButton::Act()
{
    if (IsCommand())
        m_nState = m_nState == 0 ? 1 : 0;
    else if (IsReset())
        m_nPulse = ResetOf(m_definition).RESET;
    else
        return;
    CommitEdit();
    if (IsReset())
        StartPulse();
}

void CCtrlButton::Press()
{
    const ShownValue before = CurrentValue();
    Act();
    SetUndoPair(before, IsCommand() ? Shown() : before);
}

void CCtrlButton::StartPulse()
{
    m_bPulsing = true;
    m_pulseStart = std::chrono::steady_clock::now();
    SetTimer(kPulseTimer, static_cast<unsigned>(std::max(ResetOf(m_definition).DELAY, 0)));
}

void CCtrlButton::OnPulseTimer()
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                m_pulseStart);
    const std::int64_t remaining = std::int64_t{ResetOf(m_definition).DELAY} - elapsed.count();
    if (remaining > 0)
        SetTimer(kPulseTimer, static_cast<unsigned>(remaining));
    else
        EndPulse();
}

void CCtrlButton::EndPulse()
{
    KillTimer(kPulseTimer);
    m_bPulsing = false;
    m_nPulse = ResetOf(m_definition).NORMAL;
    CommitEdit();
}

// The face shows the press for a moment by timer; the caller goes on.
void CCtrlButton::BeginProgramPress()
{
    if (m_bFacePressed)
        EndProgramPress();
    m_bFacePressed = true;
    setDown(true);
    SetTimer(kPressTimer, kPressMs);
}

void CCtrlButton::EndProgramPress()
{
    KillTimer(kPressTimer);
    m_bFacePressed = false;
    setDown(false);
    // A programmed press is not the user's: the undo pair stays.
    Act();
}

std::u16string CCtrlButton::ValueText() const { return vexar::Format(u"%d", StandsFor()); }

bool CCtrlButton::LoadValueText(std::u16string& text)
{
    std::int32_t value = 0;
    if (!StrToLong(text, value))
        return false;
    MoveShown([&] { m_nState = value != 0 ? 1 : 0; });
    return true;
}

void CCtrlButton::ShowDefault()
{
    if (IsCommand())
        m_nState = DefaultState(m_definition);
    else if (IsReset())
        m_nPulse = ResetOf(m_definition).NORMAL;
}

std::int32_t CCtrlButton::Abilitato() const
{
    const auto* block = std::get_if<ButtonCmdBlock>(&m_definition.GRAFICA);
    return block ? block->ABILITATO : ABIL_SI;
}

std::intptr_t CCtrlButton::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_CTRL_PRESS:
        BeginProgramPress();
        return 0;
    case ui::WM_TIMER:
        if (wParam == kPulseTimer && m_bPulsing)
            OnPulseTimer();
        else if (wParam == kPressTimer && m_bFacePressed)
            EndProgramPress();
        else
            KillTimer(static_cast<unsigned>(wParam));
        return 0;
    case link::WM_CTRL_ENABLE:
        // Only the creator and the profile open or close a button.
        return 0;
    default:
        return CCtrlBase::onMessage(id, wParam, lParam, payload);
    }
}

bool CCtrlButton::onCommand(unsigned id)
{
    if (id == link::ID_EDIT_UNDO && !IsCommand())
        return true;
    return CCtrlBase::onCommand(id);
}

bool CCtrlButton::preTranslateMessage(QWidget& target, QEvent& event)
{
    CCtrlBase::preTranslateMessage(target, event);
    if (event.type() == QEvent::KeyRelease) {
        const auto& key = static_cast<const QKeyEvent&>(event);
        if (!key.isAutoRepeat() && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter))
            Press();
    }
    return false;
}

namespace CUtility {

namespace {

CCtrlButton* MakeButton(const CTRL_CREATE& args)
{
    if (!args.app || !args.definition || !args.parent)
        return nullptr;
    const REC_CONTROLLO& definition = *args.definition;
    CCtrlButton* button = new (std::nothrow) CCtrlButton(*args.app, definition, args.hidden, args.parent);
    if (!button)
        return nullptr;
    const QString caption = ToQ(args.development ? definition.IDENTIFICATORE : definition.ETICHETTA);
    button->setText(caption);
    button->setFont(args.font);
    const QFontMetrics metrics(args.font);
    const int width = std::min(metrics.horizontalAdvance(caption) + 20, args.settings.buttonCmd.width);
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    button->setGeometry(origin.left, origin.top, width, args.settings.buttonCmd.height);
    ui::SetDlgCtrlID(*button, args.baseId + definition.ID_GUI);
    button->setFocusPolicy(Qt::StrongFocus);
    button->CButtonMfc::m_textColour = args.settings.textColour;
    button->CCtrlBase::m_textColour = args.settings.textColour;
    button->AttachToolTip();
    button->setVisible(args.visible && !args.hidden);
    return button;
}

}  // namespace

bool CreateCtrlButtonCmd(const CTRL_CREATE& args, CCtrlButton*& control)
{
    control = MakeButton(args);
    if (!control)
        return false;
    const auto* block = std::get_if<ButtonCmdBlock>(&args.definition->GRAFICA);
    const bool closed = (block && block->ABILITATO == ABIL_NO) || args.limited;
    const std::int32_t profile = args.profile;
    control->SetProfileEnabled(profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL || !closed);
    return true;
}

bool CreateCtrlReset(const CTRL_CREATE& args, CCtrlButton*& control)
{
    control = MakeButton(args);
    if (!control)
        return false;
    control->SetProfileEnabled(!args.limited);
    return true;
}

}  // namespace CUtility
