#pragma once

// What the controls over our instrument widgets share (the toggle and
// lamp, the knob and gauges, the slide, bar and thermometer, the numeric
// and computed fields), beside the labels and the operating-point links
// of every labelled control: the labels above and beside them; the two
// enables kept apart (the link's on the window and its labels, the
// profile's on the widget's own input switch); the image family of the
// category, so that a live control or a computed value of the variables
// never stores, writes or takes a default and is refreshed from the
// variables even when forced; undo for what the user edits; and the page
// font handed to the widget at the size the page shows it.

#include "pages/CCtrlLabelled.h"
#include "pages/CUtilityLabels.h"
#include "pages/CtrlCreate.h"

#include <QFont>

class CCtrlInstrument : public CCtrlLabelled {
public:
    CCtrlInstrument(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden);

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;

    // Stores and writes only a parameter of the control's own.
    void WriteValue(bool post, bool force) override;

    // The labels a creator gives the control, placed by the page's label
    // operations from the control's rectangle, greyed where `disabled`:
    // the name ("name (unit)") centred above it; the on and off texts
    // right and left of a toggle. The name is the identifier for the
    // development profile, else the label.
    void MakeCaptionAbove(const CTRL_CREATE& args, bool disabled);
    void MakeSideLabels(const CTRL_CREATE& args, const std::u16string& onText, const std::u16string& offText,
                        bool disabled);

    // The font for an instrument widget: the page font's face, weight,
    // italic, underline and strike-out at the point size it has on
    // `window` (its size in points x 10000 over 10000).
    static QFont InstrumentFont(const QWidget& window, const QFont& font);
    // Whether a creator lets the control take input: always for the
    // privileged profiles (1 to 3), else unless ABILITATO says no or the
    // profile is limited.
    static bool CreatorInput(std::int32_t profile, std::int32_t abilitato, bool limited);

protected:
    // The datum is a parameter of the control's own: it stores, writes and
    // takes its default. False for the live categories and the computed
    // values of the variables.
    bool StoresParameter() const { return !UsesVariableImages(); }
    // Every class here takes the samples of its recorded controls.
    bool RecordsSamples() const override { return true; }
    // The user's undo (Ctrl+Z) for the categories the user edits.
    virtual void OnUndo() { Undo(); }
    // The widget's own input switch (the profile's say).
    virtual void SetWidgetInput(bool enable) = 0;

    void ShowEnabled(bool profileEnabled, bool linkEnabled) override;

private:
    void EnableLabels(bool enable);
    std::u16string Name(const CTRL_CREATE& args) const;
    void TakeLabel(LabelSlot& slot, bool disabled);
};
