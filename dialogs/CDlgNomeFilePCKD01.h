#pragma once

// Where a calibration of the first ECU protocol is saved and what it is
// called: a short name of the configuration code, the firmware code and
// the modification index, in the ECU type's folder. The fields start from
// the ECU identification or the current file name.

#include "dialogs/CDialogBase.h"
#include "dialogs/core/CalibFileName.h"
#include "platform/ui/ColorRef.h"

#include <QFont>
#include <string>
#include <vector>

class CButtonMfc;
class QLabel;
class QLineEdit;

class CDlgNomeFilePCKD01 : public CDialogBase {
public:
    static constexpr int IDD = 317;
    static constexpr int IDC_CONFIGURATION_LABEL = 1240;
    static constexpr int IDC_INDEX = 1241;
    static constexpr int IDC_FIRMWARE_LABEL = 1243;
    static constexpr int IDC_FIRMWARE = 1244;
    static constexpr int IDC_CONFIGURATION = 1245;
    static constexpr int IDC_INDEX_LABEL = 1246;
    static constexpr int IDS_TITLE = 3029;
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;

    explicit CDlgNomeFilePCKD01(QWidget* parent = nullptr);
    ~CDlgNomeFilePCKD01() override;

    // Inputs.
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    std::u16string m_strRootFolder;  // ends with '/'
    std::u16string m_strCalibFolder;
    std::u16string m_strCalibName;
    std::u16string m_strEcuType;
    std::u16string m_strEcuIdent;
    // After OK.
    std::u16string m_strNewFolder;
    std::u16string m_strNewName;

    void ParseFileName();

    QLineEdit& ConfigurationField() const { return *m_configuration; }
    QLineEdit& FirmwareField() const { return *m_firmware; }
    QLineEdit& IndexField() const { return *m_index; }
    CButtonMfc& OkButton() const { return *m_ok; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    QLineEdit* m_configuration;
    QLineEdit* m_firmware;
    QLineEdit* m_index;
    std::vector<QLabel*> m_labels;
    CButtonMfc* m_ok;
    CButtonMfc* m_cancel;
};
