#pragma once

// The owner-drawn push button of the pages, for two categories:
//
// - CTRL_BUTTON_CMD, a toggle: each press flips its state between 0 and 1
//   and writes it.
// - CTRL_RESET, a pulse: a press writes RESET and, DELAY milliseconds
//   later, NORMAL, so that the ECU sees a command of a set length. A
//   second press during the pulse starts the delay again; a refresh does
//   not end it. A button torn down during its pulse ends it first.
//
// Any non-zero value writes 1: the datum holds on or off. The face shows
// only the momentary press, never the state. A press comes from a click,
// Space, the release of Enter, or WM_CTRL_PRESS (a page's letter), which
// shows the button pressed for 50 ms and then presses it.

#include "pages/CCtrlBase.h"
#include "pages/CtrlCreate.h"
#include "platform/ui/CButtonMfc.h"

#include <chrono>

class CCtrlButton : public CButtonMfc, public CCtrlBase {
public:
    // Window timers: the end of the pulse and the end of a programmed press.
    static constexpr unsigned kPulseTimer = 0;
    static constexpr unsigned kPressTimer = 1;
    static constexpr unsigned kPressMs = 50;

    CCtrlButton(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);
    ~CCtrlButton() override;

    // The value the button stands for: the toggle state of a command
    // button, the pulse value of a reset button.
    double GetValue() const override { return StandsFor(); }
    void SetPressedState(int state) { m_nState = state; }
    int PressedState() const { return m_nState; }
    void SetFlagA(int value) { m_nPulse = value; }
    int FlagA() const { return m_nPulse; }
    bool IsPulsing() const { return m_bPulsing; }

    // A press by the user: kept for undo, committed, and for a reset
    // button the pulse started.
    void Press();

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    void ShowRaw(std::int32_t raw) override { m_nState = raw != 0 ? 1 : 0; }
    std::int32_t RawFromShown() const override { return StandsFor() != 0 ? 1 : 0; }
    ShownValue Shown() const override { return {static_cast<double>(m_nState), {}}; }
    void PutShown(const ShownValue& value) override { m_nState = value.number != 0.0 ? 1 : 0; }
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override { return true; }
    bool TakesProfileEnable() const override { return IsCommand(); }
    std::int32_t Abilitato() const override;

private:
    bool IsCommand() const { return m_definition.CATEGORIA == CTRL_BUTTON_CMD; }
    bool IsReset() const { return m_definition.CATEGORIA == CTRL_RESET; }
    int StandsFor() const;
    // The state or pulse moves on (flip, or RESET) and is written.
    void Act();
    void StartPulse();
    // The pulse's timer: the pulse ends once its whole delay has passed (a
    // timer may tick a little early).
    void OnPulseTimer();
    void EndPulse();
    void BeginProgramPress();
    void EndProgramPress();

    int m_nState = 0;
    int m_nPulse = 0;
    bool m_bPulsing = false;
    std::chrono::steady_clock::time_point m_pulseStart;
    bool m_bFacePressed = false;
};

namespace CUtility {

// The creators: the button at its cell, as wide as its caption + 20 (at
// most the settings' button width), taking input as the profile (command
// button) and the limited flag allow.
bool CreateCtrlButtonCmd(const CTRL_CREATE& args, CCtrlButton*& control);
bool CreateCtrlReset(const CTRL_CREATE& args, CCtrlButton*& control);

}  // namespace CUtility
