#include "pages/CCtrlSlide.h"

#include "pages/core/CVEXARPages.h"
#include "platform/ui/WindowState.h"

#include <new>

CCtrlSlide::CCtrlSlide(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent)
    : CCWSlide(parent), CCtrlNumber(*this, app, std::move(definition), hidden)
{
    connect(this, &CWScaledControl::released, this, [this] { OnReleased(); });
}

void CCtrlSlide::SetControlFont(const QWidget& window, const QFont& font)
{
    setFont(InstrumentFont(window, font));
}

double CCtrlSlide::WidgetValue() const
{
    return IsBar() ? m_barValue : CWScaledControl::GetValue();
}

void CCtrlSlide::PutWidgetValue(double value)
{
    if (IsBar())
        ShowBar(value);
    else
        CWScaledControl::SetValue(value);
}

void CCtrlSlide::ShowBar(double value)
{
    m_barValue = value;
    if (value < 0.0) {
        SetBarValue(BarItem::Negative, value);
        SetBarShown(BarShown::Negative);
    } else if (value > 0.0) {
        SetBarValue(BarItem::Positive, value);
        SetBarShown(BarShown::Positive);
    } else {
        // Zero shows neither item; both keep their last values.
        SetBarShown(BarShown::None);
    }
}

void CCtrlSlide::OnReleased()
{
    if (TakesProfileEnable())
        TakeUserValue(WidgetValue());
}

std::int32_t CCtrlSlide::Abilitato() const
{
    const SlideBlock* block = std::get_if<SlideBlock>(&m_definition.GRAFICA);
    return block ? block->ABILITATO : ABIL_SI;
}

namespace CUtility {

namespace {

CCtrlSlide* MakeSlide(const CTRL_CREATE& args, const CONTROL_SIZE& size, CCWSlide::Look look)
{
    if (!args.app || !args.definition || !args.parent)
        return nullptr;
    CCtrlSlide* slide = new (std::nothrow) CCtrlSlide(*args.app, *args.definition, args.hidden, args.parent);
    if (!slide)
        return nullptr;
    const PAGE_RECT origin = CellOrigin(args.grid, args.row, args.column);
    slide->setGeometry(origin.left, origin.top, size.width, size.height);
    vexar::ui::SetDlgCtrlID(*slide, args.baseId + args.definition->ID_GUI);
    slide->SetControlFont(*args.parent, args.font);
    slide->SetLook(look);
    return slide;
}

void Finish(const CTRL_CREATE& args, CCtrlSlide& slide, CCtrlSlide*& control)
{
    slide.AttachToolTip();
    slide.setVisible(args.visible && !args.hidden);
    control = &slide;
}

// The bar and the thermometer: a scale without input or panel.
template <class Block>
void SetUpDisplay(const CTRL_CREATE& args, CCtrlSlide& display, const Block* block)
{
    display.MakeCaptionAbove(args, true);
    display.SetUpScale(display, block ? block->NUM_TICK : 0, block ? block->FORMATO : std::u16string(),
                       args.settings.valueColour);
    display.SetDiscrete(false);
    display.SetBorderVisible(false);
    display.SetProfileEnabled(false);
    display.StartDisabled();
}

}  // namespace

bool CreateCtrlSlide(const CTRL_CREATE& args, CCtrlSlide*& control)
{
    control = nullptr;
    const SlideBlock* block = args.definition ? std::get_if<SlideBlock>(&args.definition->GRAFICA) : nullptr;
    const bool vertical = block && block->STILE != STL_HORZ;
    CCtrlSlide* slide =
        MakeSlide(args, vertical ? args.settings.slideVertical : args.settings.slideHorizontal,
                  vertical ? CCWSlide::Look::VerticalSlide : CCWSlide::Look::HorizontalSlide);
    if (!slide)
        return false;
    slide->MakeCaptionAbove(args, false);
    slide->SetProfileEnabled(
        CCtrlInstrument::CreatorInput(args.profile, block ? block->ABILITATO : ABIL_SI, args.limited));
    slide->SetDiscrete(block && block->VALORI == VAL_DSCR);
    slide->SetUpScale(*slide, block ? block->NUM_TICK : 0, block ? block->FORMATO : std::u16string(),
                      args.settings.valueColour);
    slide->StartAtDefault();
    Finish(args, *slide, control);
    return true;
}

bool CreateCtrlBar(const CTRL_CREATE& args, CCtrlSlide*& control)
{
    control = nullptr;
    const BarBlock* block = args.definition ? std::get_if<BarBlock>(&args.definition->GRAFICA) : nullptr;
    const bool vertical = block && block->STILE != STL_HORZ;
    CCtrlSlide* bar = MakeSlide(args, vertical ? args.settings.barVertical : args.settings.barHorizontal,
                                vertical ? CCWSlide::Look::VerticalBar : CCWSlide::Look::HorizontalBar);
    if (!bar)
        return false;
    SetUpDisplay(args, *bar, block);
    if (block)
        bar->SetPointerColor(block->COLORE.Value());
    bar->SetBarValue(CCWSlide::BarItem::Negative, 0.0);
    bar->SetBarValue(CCWSlide::BarItem::Positive, 0.0);
    bar->StartAtDefault();
    Finish(args, *bar, control);
    return true;
}

bool CreateCtrlTerm(const CTRL_CREATE& args, CCtrlSlide*& control)
{
    control = nullptr;
    CCtrlSlide* term = MakeSlide(args, args.settings.term, CCWSlide::Look::Thermometer);
    if (!term)
        return false;
    SetUpDisplay(args, *term, args.definition ? std::get_if<TermBlock>(&args.definition->GRAFICA) : nullptr);
    term->SetPointerColor(vexar::ui::RGB(255, 0, 0));
    term->StartAtDefault();
    Finish(args, *term, control);
    return true;
}

}  // namespace CUtility
