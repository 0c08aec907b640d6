#pragma once

// The choice of the operator profile. The six profiles are listed in
// their own order (not sorted), in upper case; the current one is
// selected. From a limited profile (4 or 5) the public profile cannot be
// chosen: picking it moves the selection to the public limited profile.

#include "dialogs/CDialogBase.h"

class QComboBox;
class QLabel;
class QPushButton;

class CDlgInsOper : public CDialogBase {
public:
    static constexpr int IDD = 138;
    static constexpr int IDC_PROFILE = 1014;
    static constexpr int IDC_PROFILE_LABEL = 1016;

    static constexpr int IDS_TITLE = 3015;
    static constexpr int IDS_PROFILE_LABEL = 3016;
    // Entries 0 to 5.
    static constexpr int IDS_PROFILES[6] = {3017, 3018, 3112, 3128, 3129, 3130};
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;

    explicit CDlgInsOper(QWidget* parent = nullptr);
    ~CDlgInsOper() override;

    // Input: the current profile, 0 to 5 (OPR_PBL to OPR_PBL_LIMIT).
    int m_nCurrentProfile = 0;
    // After OK: the profile chosen.
    int m_nChosenProfile = 0;

    void OnProfileChanged();

    QComboBox& ProfileList() const { return *m_list; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    QLabel* m_label;
    QComboBox* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
