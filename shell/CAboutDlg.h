#pragma once

// The About box (template 100): the edition's name with the version, the
// firmware of the connected ECU and the edition's small logo.

#include "dialogs/CDialogBase.h"

#include <QPixmap>

#include <string>

class CVEXARApp;
class QLabel;

class CAboutDlg : public CDialogBase {
public:
    static constexpr int IDD = 100;
    static constexpr int IDC_LOGO = 1224;
    static constexpr int IDC_EDITION = 1097;
    static constexpr int IDC_FIRMWARE = 1098;

    CAboutDlg(CVEXARApp& app, QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // The edition's name: "OSK ZENTA" (1), "VELT NARSO" (2), "VELT NARSO
    // Development" (3), "VELT NARSO Service" (4), "KD01_ConfigCheck" (5),
    // "ZENTA" for any other.
    static std::u16string EditionName(int edition);
    // The logo's bitmap: 299 for edition 1, 327 for 2 to 4, 298 else.
    static int LogoBitmap(int edition);

    std::u16string m_strEdition;
    std::u16string m_strFirmware;
    QPixmap m_hLogo;

    QLabel& EditionLabel() const { return *m_edition; }
    QLabel& FirmwareLabel() const { return *m_firmware; }
    QLabel& LogoLabel() const { return *m_logo; }

protected:
    void OnInitDialog() override;

private:
    CVEXARApp& m_app;
    QLabel* m_logo;
    QLabel* m_edition;
    QLabel* m_firmware;
};
