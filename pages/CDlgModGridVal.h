#pragma once

// The change dialog of a calibration map (template 179): a number and a
// mode with which the selected cells change at once, set to the number
// (absolute), shifted by it (linear) or scaled by it in percent. The map
// keeps one as a member, fills its inputs, shows it, and after OK applies
// the value and the mode to every selected cell; the dialog itself only
// collects them.
//
// Alt+A, Alt+L and Alt+P choose the mode. Enter anywhere ends the dialog
// with OK, after the numeric field has taken the text typed in it; Esc and
// Cancel end it without changing the results.

#include "platform/ui/ColorRef.h"
#include "platform/ui/WindowBase.h"

#include <QDialog>
#include <QFont>

#include <cstdint>
#include <string>

class CButtonMfc;
class CCWNumEdit;
class CCtrlBox;
class CCtrlRdb;

class CDlgModGridVal : public QDialog, public vexar::ui::WindowBase {
public:
    static constexpr int IDD = 179;
    static constexpr int IDC_VALUE = 1084;
    static constexpr int IDC_ABSOLUTE = 1215;
    static constexpr int IDC_LINEAR = 1216;
    static constexpr int IDC_PERCENT = 1217;
    static constexpr int IDC_MODE_GROUP = 1218;
    static constexpr int IDS_TITLE = 3028;
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;
    static constexpr int IDS_MODE_GROUP = 3107;
    static constexpr int IDS_ABSOLUTE = 3108;
    static constexpr int IDS_LINEAR = 3109;
    static constexpr int IDS_PERCENT = 3110;

    static constexpr std::int32_t kAbsolute = 0;
    static constexpr std::int32_t kLinear = 1;
    static constexpr std::int32_t kPercent = 2;

    explicit CDlgModGridVal(QWidget* parent = nullptr);
    ~CDlgModGridVal() override;

    // Shows the dialog modally; IDOK or IDCANCEL.
    int DoModal();

    // Inputs. The map gives the language file, the font and the two
    // colours when it is made (and the language file again after a change
    // of language), the rest before each showing.
    std::string m_strLangFile;
    QFont m_font;
    vexar::ui::COLORREF m_captionColour = 0;
    vexar::ui::COLORREF m_valueColour = 0;
    double m_dIncrement = 1.0;
    bool m_bDescriptive = false;
    std::u16string m_strFormat;
    std::int32_t m_nDataType = 0;
    double m_dInitialValue = 0.0;
    std::int32_t m_nInitialMode = kLinear;

    // Results after OK.
    double m_dValue = 0.0;
    std::int32_t m_nMode = kLinear;

    void OnInitDialog();
    void OnValueChanged(double value);
    void OnModeAbsolute();
    void OnModeLinear();
    void OnModePercent();
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    CCWNumEdit& ValueField() const { return *m_value; }
    CCtrlRdb& ModeButton(std::int32_t mode) const;
    CCtrlBox& ModeGroup() const { return *m_group; }
    CButtonMfc& OkButton() const { return *m_ok; }
    CButtonMfc& CancelButton() const { return *m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    QString LangText(int id) const;
    void CheckMode(std::int32_t mode);
    void OnOK();

    CCWNumEdit* m_value;
    CCtrlBox* m_group;
    CCtrlRdb* m_modes[3];
    CButtonMfc* m_ok;
    CButtonMfc* m_cancel;
    // The results as they stand while the dialog shows; taken at OK.
    double m_dShownValue = 0.0;
    std::int32_t m_nShownMode = kLinear;
};
