#include "pages/CCtrlKnob.h"

#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <new>

CCtrlKnob::CCtrlKnob(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : CCWKnob(parent), CCtrlNumber(*this, app, std::move(definition), hidden)
{
    connect(this, &CWScaledControl::released, this, [this] { OnReleased(); });
}

void CCtrlKnob::SetControlFont(const QWidget& window, const QFont& font)
{
    setFont(InstrumentFont(window, font));
}

void CCtrlKnob::OnReleased()
{
    if (TakesProfileEnable())
        TakeUserValue(WidgetValue());
}

std::int32_t CCtrlKnob::Abilitato() const
{
    const KnobBlock* block = std::get_if<KnobBlock>(&m_definition.GRAFICA);
    return block ? block->ABILITATO : ABIL_SI;
}

namespace CUtility {

namespace {

// What the three kinds have in common, up to their own settings.
CCtrlKnob* MakeKnob(const CTRL_CREATE& args, const CONTROL_SIZE& size, const QFont& font, CCWKnob::Look look)
{
    if (!args.app || !args.definition || !args.parent)
        return nullptr;
    CCtrlKnob* knob = new (std::nothrow) CCtrlKnob(*args.app, *args.definition, args.hidden, args.parent);
    if (!knob)
        return nullptr;
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    knob->setGeometry(origin.left, origin.top, size.width, size.height);
    vexar::ui::SetDlgCtrlID(*knob, args.baseId + args.definition->ID_GUI);
    knob->SetControlFont(*args.parent, font);
    knob->SetLook(look);
    return knob;
}

void Finish(const CTRL_CREATE& args, CCtrlKnob& knob, CCtrlKnob*& control)
{
    knob.AttachToolTip();
    knob.setVisible(args.visible && !args.hidden);
    control = &knob;
}

// A gauge: its scale and value, no input.
template <class Block>
CCtrlKnob* MakeGauge(const CTRL_CREATE& args, const CONTROL_SIZE& size, CCWKnob::Look look)
{
    CCtrlKnob* gauge = MakeKnob(args, size, args.font, look);
    if (!gauge)
        return nullptr;
    gauge->MakeCaptionAbove(args, true);
    const Block* block = std::get_if<Block>(&args.definition->GRAFICA);
    gauge->SetUpScale(*gauge, block ? block->NUM_TICK : 0, block ? block->FORMATO : std::u16string(),
                      args.settings.valueColour);
    gauge->SetDiscrete(false);
    gauge->StartAtDefault();
    gauge->SetProfileEnabled(false);
    gauge->StartDisabled();
    return gauge;
}

}  // namespace

bool CreateCtrlKnob(const CTRL_CREATE& args, CCtrlKnob*& control)
{
    control = nullptr;
    CCtrlKnob* knob = MakeKnob(args, args.settings.knob, args.secondFont, CCWKnob::Look::Knob);
    if (!knob)
        return false;
    knob->MakeCaptionAbove(args, false);
    const KnobBlock* block = std::get_if<KnobBlock>(&args.definition->GRAFICA);
    knob->SetProfileEnabled(
        CCtrlInstrument::CreatorInput(args.profile, block ? block->ABILITATO : ABIL_SI, args.limited));
    knob->SetDiscrete(block && block->VALORI == VAL_DSCR);
    knob->SetUpScale(*knob, block ? block->NUM_TICK : 0, block ? block->FORMATO : std::u16string(),
                     args.settings.valueColour);
    knob->StartAtDefault();
    Finish(args, *knob, control);
    return true;
}

bool CreateCtrlRpm(const CTRL_CREATE& args, CCtrlKnob*& control)
{
    control = nullptr;
    CCtrlKnob* dial = MakeGauge<TermBlock>(args, args.settings.rpm, CCWKnob::Look::Dial);
    if (!dial)
        return false;
    Finish(args, *dial, control);
    return true;
}

bool CreateCtrlVmeter(const CTRL_CREATE& args, CCtrlKnob*& control)
{
    control = nullptr;
    CCtrlKnob* meter = MakeGauge<VmeterBlock>(args, args.settings.vmeter, CCWKnob::Look::Meter);
    if (!meter)
        return false;
    if (const auto* block = std::get_if<VmeterBlock>(&args.definition->GRAFICA))
        meter->SetPointerColor(block->COLORE.Value());
    meter->SetBorderVisible(false);
    meter->SetHousingVisible(false);
    Finish(args, *meter, control);
    return true;
}

}  // namespace CUtility
