#pragma once

// The text field of the pages, one class for two categories:
//
// - CTRL_EDIT, a fixed-width text parameter: NUM_BYTES bytes at LSB, one
//   character per byte, padded with zero bytes. The typed text becomes
//   the value when the field loses the focus, on Enter (which also moves
//   the focus on, as Tab does) and on WM_EDIT_COMMIT; an unchanged text
//   writes nothing. The field named "Nome_Calibrazione" holds the
//   calibration's name and tells the view (WM_CALIB_NAME_CHANGED) when it
//   changes, is refreshed, stored or set to its default. The user may
//   type or paste only characters 0 to 255, the ones a byte holds, that
//   print (no control characters); a text read from the ECU is shown and
//   kept as its bytes are. Its calibration line is the text in quotes, or
//   the field's bytes in hexadecimal where the quoted text would not read
//   back as it stands (a TAB, a line end, bytes after the first zero).
// - CTRL_NUMERIC, a live variable shown read-only as a number formatted by
//   FORMATO; it never writes.
//
// The dialogs also use the class as a plain field: with its bound-field
// flag off it touches no datum, and in its multi-line form (an editor of
// several lines inside the field) Enter starts a new line.

#include "pages/CCtrlLabelled.h"
#include "pages/CtrlCreate.h"

#include <QLineEdit>
#include <QPointer>

#include <string>

class QPlainTextEdit;

class CCtrlEdit : public QLineEdit, public CCtrlLabelled {
public:
    CCtrlEdit(CVEXARPages& app, REC_CONTROLLO definition, bool hidden, QWidget* parent);
    // A plain field of a dialog: no definition, the bound-field flag off.
    CCtrlEdit(CVEXARPages& app, QWidget* parent);
    ~CCtrlEdit() override;

    // The last physical value shown (CTRL_NUMERIC); 0 for a text.
    double GetValue() const override { return m_lastValue; }
    bool IsTextField() const { return m_definition.CATEGORIA == CTRL_EDIT; }

    // The most characters the field holds and its datum takes (10 until
    // set); the window takes no more.
    void SetMaxLength(int length);
    int MaxLength() const { return m_maxLength; }
    // Fits `text` to the maximum length, shows it, makes it the stored text
    // and hands the change on to the linked controls (refresh, else store
    // with `store`).
    void SetFromText(const std::u16string& text, std::uintptr_t refresh, std::uintptr_t store);
    // The creator's start: DEFAULT shown and stored, and taken as the
    // value before.
    void StartAtDefault();
    // The value as last applied or decoded: the maximum length of
    // characters, zero-padded.
    const std::u16string& StoredText() const { return m_stored; }
    // The typed text becomes the value: fitted, shown, stored, written and
    // handed on when it differs from the stored text; nothing otherwise.
    void ApplyTyped();

    // The bound-field flag: while off the field never reads or applies its
    // text to a datum.
    void SetBoundField(bool bound);
    bool IsBoundField() const { return m_bBoundField; }
    // The multi-line form of the dialogs.
    void SetMultiLine(bool multiLine);
    bool IsMultiLine() const;
    void SetReadOnly(bool readOnly);
    // The text the window shows, in either form.
    std::u16string GetWindowText() const;
    void SetWindowText(const std::u16string& text);

    // Stores and writes only a text parameter of its own.
    void WriteValue(bool post, bool force) override;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

protected:
    bool IsBound() const override { return m_bBoundField; }
    void ShowRaw(std::int32_t raw) override;
    std::int32_t RawFromShown() const override;
    ShownValue Shown() const override { return {m_lastValue, GetWindowText()}; }
    void PutShown(const ShownValue& value) override { SetWindowText(value.text); }
    std::u16string ValueText() const override;
    bool LoadValueText(std::u16string& text) override;
    void ShowDefault() override;
    bool KeepsHistory() const override { return IsTextField(); }
    std::u16string HistoryValueText() const override;
    std::u16string ExportValueText() const override;
    bool TakesProfileEnable() const override { return IsTextField(); }
    std::int32_t Abilitato() const override;
    int DatumSize() const override;
    int EncodeValue(std::span<std::uint8_t> work, bool force) override;

    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::u16string Fit(std::u16string text) const;
    // Makes a fitted text the stored text and shows it up to its first zero.
    void Put(const std::u16string& fitted);
    bool IsCalibName() const;
    // WM_CALIB_NAME_CHANGED to the view for the calibration-name field.
    void TellCalibName() const;

    int m_maxLength = 10;
    std::u16string m_stored;
    double m_lastValue = 0.0;
    bool m_bBoundField = true;
    // Set while the program puts a text into the window: the character
    // check of the user's input lets it pass as it stands.
    bool m_bProgramText = false;
    QPointer<QPlainTextEdit> m_multiLine;
};

namespace CUtility {

// The CTRL_EDIT creator: the field at its cell, as wide as its DEFAULT in
// the page font (at most the settings' edit width), with its caption and
// unit, taking input as the profile and the limited flag allow.
bool CreateCtrlEdit(const CTRL_CREATE& args, CCtrlEdit*& control);
// The CTRL_NUMERIC creator: the read-only field in the settings' numeric
// size, disabled until the link enables it, its labels greyed.
bool CreateCtrlNumeric(const CTRL_CREATE& args, CCtrlEdit*& control);

}  // namespace CUtility
