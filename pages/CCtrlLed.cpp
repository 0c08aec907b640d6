#include "pages/CCtrlLed.h"

#include "common/TagLine.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <QKeyEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace {

const ButtonBlock* ButtonOf(const REC_CONTROLLO& definition)
{
    return std::get_if<ButtonBlock>(&definition.GRAFICA);
}

// The definition of a plain switch: no category, no datum.
REC_CONTROLLO PlainDefinition()
{
    REC_CONTROLLO definition;
    definition.CATEGORIA = 11;
    return definition;
}

// The integer value of a text, 0 when it is none.
bool OnFromText(std::u16string text)
{
    std::int32_t value = 0;
    return StrToLong(text, value) && value != 0;
}

}  // namespace

CCtrlLed::CCtrlLed(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : CCWButton(parent), CCtrlInstrument(*this, app, std::move(definition), hidden)
{
    if (const ButtonBlock* block = ButtonOf(m_definition)) {
        m_bHasLists = block->VISIB_DIP == VIS_SI;
        // PAR_NO is read only with the lists: without them the toggle is bound.
        m_bBound = !m_bHasLists || block->PARAM == PAR_SI;
    }
    ShowDefault();
    SetUndoPair(Shown(), Shown());
    connect(this, &CCWButton::clicked, this, [this] { OnClicked(); });
}

CCtrlLed::CCtrlLed(CVEXARPages& app, QWidget* parent) : CCtrlLed(app, PlainDefinition(), false, parent)
{
    m_bPlain = true;
    m_bBound = false;
}

void CCtrlLed::SetState(int v)
{
    MoveShown([&] { CCWButton::SetValue(v != 0); });
}

void CCtrlLed::SetControlFont(const QWidget& window, const QFont& font)
{
    setFont(InstrumentFont(window, font));
}

void CCtrlLed::CommitEdit()
{
    if (IsToggle())
        CCtrlCore::CommitEdit();
}

void CCtrlLed::OnClicked()
{
    // The widget flipped at the press: the release writes what it holds.
    if (IsToggle())
        UserEdit();
}

std::intptr_t CCtrlLed::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::unique_ptr<vexar::ui::MessagePayload>& payload)
{
    // The dialog drives its plain switch itself.
    if (m_bPlain)
        return WindowBase::onMessage(id, wParam, lParam, payload);
    return CCtrlInstrument::onMessage(id, wParam, lParam, payload);
}

bool CCtrlLed::preTranslateMessage(QWidget& target, QEvent& event)
{
    CCtrlInstrument::preTranslateMessage(target, event);
    // Of the keys, only Enter flips a toggle: one press, one write at its
    // release.
    if (IsToggle() && (event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease))
        return static_cast<QKeyEvent&>(event).key() == Qt::Key_Space;
    return false;
}

std::int32_t CCtrlLed::ValueToRaw(double physical) const
{
    if (std::isnan(physical))
        return 0;
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::trunc(physical), kMin, kMax));
}

void CCtrlLed::ShowRaw(std::int32_t raw)
{
    CCWButton::SetValue(raw != 0);
}

void CCtrlLed::PutShown(const ShownValue& value)
{
    CCWButton::SetValue(value.number != 0.0);
}

std::u16string CCtrlLed::ValueText() const
{
    return vexar::Format(u"%d", GetState());
}

bool CCtrlLed::LoadValueText(std::u16string& text)
{
    std::int32_t value = 0;
    if (!StrToLong(text, value))
        return false;
    CCWButton::SetValue(value != 0);
    return true;
}

void CCtrlLed::ShowDefault()
{
    CCWButton::SetValue(OnFromText(m_definition.DEFAULT));
}

std::vector<DependencyState> CCtrlLed::DependencyStates() const
{
    const ButtonBlock* block = ButtonOf(m_definition);
    if (!m_bHasLists || !block)
        return {};
    const bool on = GetState() == 1;
    return {{&block->ON, on}, {&block->OFF, !on}};
}

std::int32_t CCtrlLed::Abilitato() const
{
    const ButtonBlock* block = ButtonOf(m_definition);
    return block ? block->ABILITATO : ABIL_SI;
}

namespace CUtility {

namespace {

CCtrlLed* MakeLed(const CTRL_CREATE& args, const CONTROL_SIZE& size)
{
    if (!args.app || !args.definition || !args.parent)
        return nullptr;
    CCtrlLed* led = new (std::nothrow) CCtrlLed(*args.app, *args.definition, args.hidden, args.parent);
    if (!led)
        return nullptr;
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    led->setGeometry(origin.left, origin.top, size.width, size.height);
    vexar::ui::SetDlgCtrlID(*led, args.baseId + args.definition->ID_GUI);
    led->SetControlFont(*args.parent, args.font);
    return led;
}

}  // namespace

bool CreateCtrlButton(const CTRL_CREATE& args, CCtrlLed*& control)
{
    control = nullptr;
    CCtrlLed* toggle = MakeLed(args, args.settings.button);
    if (!toggle)
        return false;
    toggle->SetLook(CCWButton::Look::Toggle);
    const ButtonBlock* block = ButtonOf(*args.definition);
    const bool input = CCtrlInstrument::CreatorInput(args.profile, block ? block->ABILITATO : ABIL_SI, args.limited);
    toggle->SetProfileEnabled(input);
    toggle->MakeCaptionAbove(args, !input);
    if (block)
        toggle->MakeSideLabels(args, block->ETICHETTA_ON, block->ETICHETTA_OFF, !input);
    // Not flipped offline: the window opens when the link comes up.
    toggle->StartDisabled();
    toggle->AttachToolTip();
    toggle->setVisible(args.visible && !args.hidden);
    control = toggle;
    return true;
}

bool CreateCtrlLed(const CTRL_CREATE& args, CCtrlLed*& control)
{
    control = nullptr;
    CCtrlLed* lamp = MakeLed(args, args.settings.led);
    if (!lamp)
        return false;
    lamp->MakeCaptionAbove(args, true);
    const LedBlock* block = std::get_if<LedBlock>(&args.definition->GRAFICA);
    const bool round = !block || block->STILE == STL_TONDO;
    lamp->SetLook(round ? CCWButton::Look::RoundLamp : CCWButton::Look::SquareLamp);
    if (block) {
        lamp->SetOnColor(block->ON_COLOR.Value());
        lamp->SetOffColor(block->OFF_COLOR.Value());
    }
    lamp->SetProfileEnabled(false);
    lamp->StartDisabled();
    lamp->AttachToolTip();
    lamp->setVisible(args.visible && !args.hidden);
    control = lamp;
    return true;
}

}  // namespace CUtility
