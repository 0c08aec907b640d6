#pragma once

// The numeric fields of the pages, over the numeric-edit widget:
//
// - CTRL_NUMEDIT, a field on a parameter. The user types a number or
//   steps it; each edit reaches the control through its event sink
//   (CCtrlCmdTarget) and is committed once when it differs from the
//   committed value. A public operator's entry is kept within MIN and MAX.
//   Enter moves on as Tab does.
// - CTRL_NUMCALC, a computed value: (x1*K1*x2 + x3*K2) / (x4*K3*x5 + x6*K4)
//   + KC over the values of up to six other controls (an absent or
//   unresolved one counts 1.0; a zero denominator gives 0), made positive
//   when ABS says so. It recomputes whenever an operand hands a change on
//   with a store. On a parameter page it is held to a value its datum can
//   hold and stored and written like any parameter; on a variable page it
//   only shows and never writes.

#include "pages/CCtrlCmdTarget.h"
#include "pages/CCtrlNumber.h"
#include "pages/CtrlCreate.h"
#include "pages/widgets/CCWNumEdit.h"

#include <memory>

class CCtrlNumEdit : public CCWNumEdit, public CCtrlNumber {
public:
    // `imageFamily`: 1 for a computed value of the variables, else 0.
    CCtrlNumEdit(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent,
                 std::int32_t imageFamily = 0);
    ~CCtrlNumEdit() override;

    using CCtrlNumber::GetValue;
    using CCtrlNumber::SetValue;
    void SetControlFont(const QWidget& window, const QFont& font);

    bool IsComputed() const { return m_definition.CATEGORIA == CTRL_NUMCALC; }
    std::int32_t ImageFamily() const { return m_imageFamily; }

    // The event sink of a CTRL_NUMEDIT (none for a computed value).
    CCtrlCmdTarget* Sink() const { return m_sink.get(); }
    // Lets the user's edits reach the control; false when the sink cannot
    // listen (or there is none).
    bool ConnectSink();
    // Stops the user's edits reaching the control: a page being torn down
    // calls it before the window goes.
    void DisconnectSink();

    // Keeps a public operator's value within MIN and MAX (when both are
    // numbers); true when the value was replaced, and the field then shows
    // it.
    bool ClampToRange(double& value);
    // Computes the formula and shows the result when it changed, handed on
    // to the linked controls: to refresh after `flag` 0, else to store and
    // write. Nothing without a formula.
    void Recalculate(std::uintptr_t flag);
    // Finds the six operand controls by key in `table` (null: the
    // parameter or variable table of the family); false at the first key
    // that names none, that operand and the later ones left unresolved.
    bool ResolveOperands(const CTRL_TABLE* table);
    // The first entry of `key` in `table`: its control and category; a key
    // of 0 gives none and succeeds.
    static bool FindOperand(std::int32_t key, IDataCtrl*& control, std::int32_t& category, const CTRL_TABLE& table);

    const FormulaOperands* OwnFormula() const override { return m_bFormula ? &m_formula : nullptr; }
    bool ResolveFormula() override { return ResolveOperands(nullptr); }
    void RecalcAndStore() override;
    bool UsesVariableImages() const override { return m_imageFamily == 1; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    double WidgetValue() const override { return CCWNumEdit::GetValue(); }
    void PutWidgetValue(double value) override { CCWNumEdit::SetValue(value); }
    // The text the field shows, its decimal commas turned into points.
    std::u16string ValueText() const override;
    bool TakesProfileEnable() const override { return m_definition.CATEGORIA == CTRL_NUMEDIT; }
    std::int32_t Abilitato() const override;
    void SetWidgetInput(bool enable) override { SetInputEnabled(enable); }

private:
    void OnUserValue(double value);

    std::int32_t m_imageFamily = 0;
    bool m_bFormula = false;
    FormulaOperands m_formula;
    bool m_bAbs = false;
    std::unique_ptr<CCtrlCmdTarget> m_sink;
};

namespace CUtility {

// The CTRL_NUMEDIT creator: the field at its cell in the settings' size,
// with its caption and unit labels, its buttons, step, alignment and
// format, taking input as the profile and the limited flag allow, its
// sink connected. Null and false when any of it cannot be made.
bool CreateCtrlNumEdit(const CTRL_CREATE& args, CCtrlNumEdit*& control);
// The CTRL_NUMCALC creator: the computed field of the image family of
// `args`, with its labels and its formula, operands unresolved.
bool CreateCtrlNumCalc(const CTRL_CREATE& args, CCtrlNumEdit*& control);

}  // namespace CUtility
