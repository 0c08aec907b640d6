#pragma once

// The rotary controls of the pages, over the knob widget:
//
// - CTRL_KNOB, a knob on a parameter. The user turns it by dragging or
//   with Up and Down; the value is committed when the gesture ends (the
//   mouse button's release, the key's, not its repeats) and after undo.
// - CTRL_RPM, a dial on a live variable (the engine speed).
// - CTRL_VMETER, a meter on a live variable, its needle in the
//   definition's colour, without its panel and housing.
//
// The gauges take no input and never write; they drive the markers of
// the maps that show their value.

#include "pages/CCtrlNumber.h"
#include "pages/CtrlCreate.h"
#include "pages/widgets/CCWKnob.h"

class CCtrlKnob : public CCWKnob, public CCtrlNumber {
public:
    CCtrlKnob(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);

    using CCtrlNumber::GetValue;
    using CCtrlNumber::SetValue;
    void SetControlFont(const QWidget& window, const QFont& font);

protected:
    double WidgetValue() const override { return CWScaledControl::GetValue(); }
    void PutWidgetValue(double value) override { CWScaledControl::SetValue(value); }
    bool TakesProfileEnable() const override { return m_definition.CATEGORIA == CTRL_KNOB; }
    std::int32_t Abilitato() const override;
    void SetWidgetInput(bool enable) override { SetInputEnabled(enable); }

private:
    void OnReleased();
};

namespace CUtility {

// The creators: each places the widget at its cell in the settings' size
// for its kind, with the caption above; the knob in the second font,
// taking input as the profile and the limited flag allow; the gauges in
// the page font, never taking input, their windows closed until the link
// comes up. The scale is MIN to MAX when both are numbers; the value
// starts at DEFAULT.
bool CreateCtrlKnob(const CTRL_CREATE& args, CCtrlKnob*& control);
bool CreateCtrlRpm(const CTRL_CREATE& args, CCtrlKnob*& control);
bool CreateCtrlVmeter(const CTRL_CREATE& args, CCtrlKnob*& control);

}  // namespace CUtility
