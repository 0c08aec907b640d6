#pragma once

// The choice of the ECU type and of its firmware revision among the
// installed configurations, at start-up and by the ECU-selection command.
// Both lists show their entries sorted and in upper case; what the dialog
// hands back is the catalogue's own spelling of each name, which is the
// name of a folder on disk.
//
// Of revisions of one family (names of 11 characters or more that agree
// in their first 7 and last 3 characters, letter case aside) only the
// greatest is listed, in the place of the first one met.

#include "dialogs/CDialogBase.h"

#include <string>

class CCentralineInstallate;
class QComboBox;
class QLabel;
class QPushButton;

class CDlgSelCentr : public CDialogBase {
public:
    static constexpr int IDD = 139;
    static constexpr int IDC_ECU_LABEL = 1019;
    static constexpr int IDC_ECU_TYPE = 1020;
    static constexpr int IDC_FIRMWARE = 1021;
    static constexpr int IDC_FIRMWARE_LABEL = 1022;

    // Language texts.
    static constexpr int IDS_TITLE = 3025;
    static constexpr int IDS_ECU_LABEL = 3026;
    static constexpr int IDS_FIRMWARE_LABEL = 3027;
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;

    explicit CDlgSelCentr(QWidget* parent = nullptr);
    ~CDlgSelCentr() override;

    // Inputs: the catalogue (not owned) and the current names; after OK
    // the two names chosen.
    CCentralineInstallate* m_pCatalogue = nullptr;
    std::u16string m_strEcuType;
    std::u16string m_strFirmware;

    void LoadCaptions();
    void FillEcuTypes();
    void OnEcuChanged();
    void FillVersions();
    // Lists revision `name` unless a greater one of its family is listed.
    void AddVersion(const std::u16string& name);
    // Whether `name` sorts after the listed entry `entry`, both compared in
    // upper case, unit by unit.
    static bool IsGreaterName(const std::u16string& name, const std::u16string& entry);
    void OnVersionChanged();

    QComboBox& EcuList() const { return *m_ecuList; }
    QComboBox& FirmwareList() const { return *m_firmwareList; }
    QPushButton& OkButton() const { return *m_ok; }

protected:
    void OnInitDialog() override;

private:
    QLabel* m_ecuLabel;
    QLabel* m_firmwareLabel;
    QComboBox* m_ecuList;
    QComboBox* m_firmwareList;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
