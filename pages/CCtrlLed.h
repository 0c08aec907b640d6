#pragma once

// The on/off control of the pages, over the boolean widget:
//
// - CTRL_BUTTON, a toggle switch on a parameter, on while the raw value is
//   not 0, with a label on each side naming the two states. A flip writes
//   1 or 0 (never converted) and shows or hides the controls its
//   definition names for each state. A toggle marked PAR_NO is only such a
//   switch, with no datum.
// - CTRL_LED, a round or square lamp on a variable, in its on colour while
//   the raw value is not 0. It takes no input and never writes.
//
// The state is the widget's value; the class keeps no copy of it. A flip
// is committed once per press, at the release of the mouse button or of
// Enter, with the state the widget already holds; the keyboard flips only
// with Enter. The dialogs embed a plain switch without a definition: they
// set and read it themselves and it takes no control message.

#include "pages/CCtrlInstrument.h"
#include "pages/CtrlCreate.h"
#include "pages/widgets/CCWButton.h"

class CCtrlLed : public CCWButton, public CCtrlInstrument {
public:
    CCtrlLed(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);
    // The plain switch of a dialog.
    CCtrlLed(CVEXARPages& app, QWidget* parent);

    double GetValue() const override { return GetState(); }
    // 0 (off) or 1 (on).
    int GetState() const { return GetValue_() ? 1 : 0; }
    // On for any v other than 0; previous := the state before, current :=
    // the state after.
    void SetState(int v);
    void SetControlFont(const QWidget& window, const QFont& font);
    // The flip of the user: stores and writes the state, runs the actions
    // and hands it on to the linked controls.
    void CommitEdit();
    // The lamp's raw value from the variable image, unconverted.
    double ReadImageValue() { return ReadRawValue(); }
    // The state is the raw value itself: a shown value truncated toward
    // zero, never through the conversion.
    std::int32_t ValueToRaw(double physical) const override;

    bool IsPlain() const { return m_bPlain; }
    bool IsToggle() const { return m_definition.CATEGORIA == CTRL_BUTTON; }

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    bool IsBound() const override { return m_bBound; }
    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override { return GetState(); }
    ShownValue Shown() const override { return {static_cast<double>(GetState()), {}}; }
    void PutShown(const ShownValue& value) override;
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override { return IsToggle() && m_bBound; }
    std::vector<DependencyState> DependencyStates() const override;
    bool TakesProfileEnable() const override { return IsToggle(); }
    std::int32_t Abilitato() const override;
    bool RecordsSamples() const override { return !m_bPlain; }
    void SetWidgetInput(bool enable) override { SetInputEnabled(enable); }

private:
    bool GetValue_() const { return CCWButton::GetValue(); }
    void OnClicked();

    bool m_bPlain = false;
    bool m_bBound = true;
    bool m_bHasLists = false;
};

namespace CUtility {

// The CTRL_BUTTON creator: the toggle at its cell in the settings' button
// size, with its caption above and its state labels on each side, taking
// input as the profile and the limited flag allow; its window stays closed
// until the link comes up, so that it is never flipped offline.
bool CreateCtrlButton(const CTRL_CREATE& args, CCtrlLed*& control);
// The CTRL_LED creator: the lamp at its cell in the settings' LED size,
// round or square, in its on and off colours, with its caption above;
// never taking input, its window closed until the link comes up.
bool CreateCtrlLed(const CTRL_CREATE& args, CCtrlLed*& control);

}  // namespace CUtility
