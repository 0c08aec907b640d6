#pragma once

// The linear controls of the pages, over the slide widget:
//
// - CTRL_SLIDE, a horizontal or vertical slide on a parameter (STILE). The
//   user drags its pointer or moves it with Up and Down; the value is
//   committed when the gesture ends and after undo.
// - CTRL_BAR, a bar on a live variable: a negative value through the
//   bar's negative item, a positive one through its positive item, in the
//   definition's colour; at zero neither shows and both keep their values.
//   The bar's value is kept apart from the widget's own value.
// - CTRL_TERM, a thermometer on a live variable with a red column.
//
// The bar and the thermometer take no input and never write; they drive
// the markers of the maps that show their value.

#include "pages/CCtrlNumber.h"
#include "pages/CtrlCreate.h"
#include "pages/widgets/CCWSlide.h"

class CCtrlSlide : public CCWSlide, public CCtrlNumber {
public:
    CCtrlSlide(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);

    using CCtrlNumber::GetValue;
    using CCtrlNumber::SetValue;
    // The value a bar shows now.
    double BarValue() const { return m_barValue; }
    void SetControlFont(const QWidget& window, const QFont& font);

    bool IsBar() const { return m_definition.CATEGORIA == CTRL_BAR; }

protected:
    double WidgetValue() const override;
    void PutWidgetValue(double value) override;
    bool TakesProfileEnable() const override { return m_definition.CATEGORIA == CTRL_SLIDE; }
    std::int32_t Abilitato() const override;
    void SetWidgetInput(bool enable) override { SetInputEnabled(enable); }

private:
    void ShowBar(double value);
    void OnReleased();

    double m_barValue = 0.0;
};

namespace CUtility {

// The creators: each places the widget at its cell in the settings' size
// for its kind and form, with the caption above; the slide taking input
// as the profile and the limited flag allow, the bar and the thermometer
// never, their windows closed until the link comes up. The scale is MIN
// to MAX when both are numbers; the value starts at DEFAULT.
bool CreateCtrlSlide(const CTRL_CREATE& args, CCtrlSlide*& control);
bool CreateCtrlBar(const CTRL_CREATE& args, CCtrlSlide*& control);
bool CreateCtrlTerm(const CTRL_CREATE& args, CCtrlSlide*& control);

}  // namespace CUtility
