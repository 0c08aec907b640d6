#pragma once

// The check box of a configured page (CTRL_CHECK): a bit or small integer
// of the parameters, checked exactly when the raw value is 1, writing 1 or
// 0 when the user ticks or clears it. For each of its two states the
// definition may name controls shown only in that state; a box marked
// PAR_NO is such a switch and nothing more, with no datum of its own.
//
// The state is 0 or 1, as a two-state box holds it: a loaded " 12 "
// checks the box and saves as "1". The user's changes come from clicks
// only, never from what the program sets.

#include "pages/CCtrlBase.h"
#include "pages/CtrlCreate.h"

#include <QCheckBox>

class CCtrlCheck : public QCheckBox, public CCtrlBase {
public:
    CCtrlCheck(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);

    double GetValue() const override { return m_state; }
    bool IsChecked() const { return m_state == 1; }
    // As the program sets a state: previous := the state before, current
    // := the state after. No write, no actions.
    void SetCheckState(int state);

protected:
    bool IsBound() const override { return m_bBound; }
    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override { return m_state != 0 ? 1 : 0; }
    ShownValue Shown() const override { return {static_cast<double>(m_state), {}}; }
    void PutShown(const ShownValue& value) override;
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override { return m_bBound; }
    std::vector<DependencyState> DependencyStates() const override;
    bool TakesProfileEnable() const override { return true; }
    std::int32_t Abilitato() const override;

private:
    void Display(int state);
    void OnClicked();

    int m_state = 0;
    bool m_bHasLists = false;
    bool m_bBound = true;
};

namespace CUtility {

// The CTRL_CHECK creator: the box placed at its cell, as wide as its
// caption in the page font with the indicator, as high as the settings'
// check height. Null and false when it cannot be made.
bool CreateCtrlCheck(const CTRL_CREATE& args, CCtrlCheck*& control);

}  // namespace CUtility
