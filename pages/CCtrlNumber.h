#pragma once

// What the number controls share (the knob and its gauges, the slide with
// its bar and thermometer, the numeric field and the computed value): a
// committed value beside the value the widget shows. The committed value
// is what the control stands for: the value the program set (a refresh,
// a calibration line, the default) as it was given, or the user's; a value
// the datum cannot hold (300 in a byte) is taken as the widget shows it. It is
// what a store encodes and a calibration line holds, so that a value the
// widget can show only inside its range (an ECU byte of 200 on a scale of
// 0 to 10 shows 10) goes back to the image and to files as it was read
// until the user changes it. A user's change is committed, stored,
// written once and handed on only when it differs exactly from the
// committed value and from what the widget showed of it. One level of
// undo, over committed values: the value before the last change, which a
// second undo applies again and so commits nothing. Calibration lines are
// compared as numbers.

#include "pages/CCtrlInstrument.h"
#include "pages/widgets/CWScaledControl.h"

class CCtrlNumber : public CCtrlInstrument {
public:
    CCtrlNumber(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden);

    double GetValue() const override { return m_committed; }
    double CommittedValue() const { return m_committed; }

    // Shows `value` as the program does and commits it as given (what the
    // widget reads back when the datum cannot hold it), handed on to the
    // linked controls (refresh, else store with `write`).
    void SetValue(double value, std::uintptr_t refresh, std::uintptr_t write);
    // A user's value: committed, stored, written and handed on when it
    // differs from the committed value and from what the widget showed of
    // it; nothing otherwise.
    void CommitValue(double value);
    // Copies the datum from the master to the working image of the
    // control's family, decodes and shows it (forced: also while hidden
    // by its conditions) and hands it on with `refresh`.
    void DecodeAndShow(std::uintptr_t refresh, bool force) { Refresh(refresh, force); }
    // Encodes the value into `image`; the byte count, 0 when nothing was
    // encoded (hidden and not forced).
    int StoreToImage(std::span<std::uint8_t> image, bool force) { return EncodeValue(image, force); }

    // The value the control starts with: DEFAULT shown and committed, and
    // taken as the value before; the widget's own value when DEFAULT is no
    // number.
    void StartAtDefault();
    // Sets up the scale of a knob or slide: divisions, label format, the
    // value colour of the marks and labels, and the range MIN to MAX when
    // both are numbers (else the widget keeps its own).
    void SetUpScale(CWScaledControl& scale, std::int32_t ticks, const std::u16string& format,
                    vexar::ui::COLORREF valueColour) const;

protected:

    // The widget's value and the program's setting of it.
    virtual double WidgetValue() const = 0;
    virtual void PutWidgetValue(double value) = 0;
    // The categories the user edits keep a change history.
    bool KeepsHistory() const override { return TakesProfileEnable(); }

    // A user's gesture ended on `value`: previous := the committed value
    // before it, commit, current := the committed value after it.
    void TakeUserValue(double value);
    void OnUndo() override;

    // The DEFAULT read as a number: empty is 0; false for a text that is no
    // number.
    bool DefaultValue(double& value) const;
    // MIN and MAX when both are numbers (empty ones give the type's range).
    bool RangeLimits(double& minimum, double& maximum) const;

    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override { return m_conversion.ToRaw(m_committed); }
    // The undo pair keeps committed values, so that undo gives back the
    // value as it was and not as the widget could show it.
    ShownValue Shown() const override { return {m_committed, {}}; }
    void PutShown(const ShownValue& value) override { PutWidgetValue(value.number); }
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool DiffersFromSaved(const std::u16string& saved, const std::u16string& now) const override;

private:
    // Shows `value` and commits it, without handing it on; the undo pair
    // follows.
    void Apply(double value);
    // Whether the datum holds the raw value of `value` as it is.
    bool DatumHolds(double value) const;

    double m_committed = 0.0;
    // What the widget showed when the committed value was last set.
    double m_committedShown = 0.0;
};
